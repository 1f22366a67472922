#pragma once
// The application's one error report: a message box titled with the application title, with the
// error icon and OK, showing the exception's text.
#include <string>
#include <string_view>

namespace base {

void SetApplicationTitle(std::string_view utf8Title);
const std::string& ApplicationTitle();

// The text the error box shows: a full stop is added when the last character sorts after '.'.
std::string ErrorBoxText(std::string_view message);

// Shows the standard error box with the given (UTF-8) message.
void ShowErrorBox(std::string_view message);

// Call inside catch (...): reports the exception in flight. Every window procedure, timer callback
// and modal loop ends in this, because a C++ exception must not unwind through user32.
void ReportCurrentException() noexcept;

// Tests and the automation mode replace the box (which would wait for a click) by their own sink.
using ErrorSink = void (*)(const std::string& text);
void SetErrorSink(ErrorSink sink);

} // namespace base

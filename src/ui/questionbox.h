#pragma once
// A question whose buttons say what they do ("Speichern", "Verwerfen", "Abbrechen") rather than
// the message box's "Ja" and "Nein": a small modal form with the system's warning icon.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct QuestionButton {
  std::string caption; // UTF-8; "&" marks the key that presses it with Alt
  int id; // what Ask returns when it is pressed; IDCANCEL is also Esc and the close box
};

// Shows the question modally over owner, the first button the default one (Enter); returns the
// id of the button pressed, IDCANCEL when the question was closed.
int Ask(HWND owner, std::string_view utf8Title, std::string_view utf8Text,
        const std::vector<QuestionButton>& buttons);

} // namespace ui

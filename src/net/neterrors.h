#pragma once
// Exceptions of the internet client. Their what() is the UTF-8 text the error box shows.
#include <stdexcept>
#include <string>

// A failure of the socket layer or of a request made over it.
class ESockError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// A wait that was cancelled or ran out of time.
class EAbortError : public ESockError {
public:
  using ESockError::ESockError;
};

// A value that does not fit the narrow field it goes into (socket handle, send length, reply
// number, negative time-out).
class ERangeError : public std::range_error {
public:
  ERangeError() : std::range_error("Fehler bei Bereichsprüfung") {}
};

// A text that should have been an integer.
class EConvertError : public std::runtime_error {
public:
  explicit EConvertError(const std::string& text)
      : std::runtime_error("'" + text + "' ist kein gültiger Integerwert") {}
};

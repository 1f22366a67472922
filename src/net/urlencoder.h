#pragma once
// Form-URL encoding of request data (application/x-www-form-urlencoded): the HTTP client's post
// data, part of the component's full surface and on no path of the program.
#include <functional>
#include <string>

class TUrlEncoder {
public:
  using TOnErrorEvent = std::function<void(TUrlEncoder& sender, const std::string& operation,
                                           const std::string& errMsg)>;

  std::string InputString;
  TOnErrorEvent OnError;

  // Letters and digits stay, a blank becomes '+', every other byte "%XX" (upper-case hex). When
  // encoding fails, OnError is told and the text comes back unencoded.
  std::string Encode(const std::string& text);
  std::string Encode() { return Encode(InputString); }
};

#include "net/urlencoder.h"

#include <exception>

namespace {

bool IsPlain(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

} // namespace

std::string TUrlEncoder::Encode(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  try {
    std::string out;
    out.reserve(text.size() * 3);
    for (const char ch : text) {
      const auto c = static_cast<unsigned char>(ch);
      if (IsPlain(c)) {
        out += ch;
      } else if (c == ' ') {
        out += '+';
      } else {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
      }
    }
    return out;
  } catch (const std::exception& e) {
    // Only running out of memory can get here; the caller then sends the data as it is.
    if (OnError)
      OnError(*this, "Fehler beim Codieren", e.what());
    return text;
  }
}

#pragma once
// Helpers every test program may use, native or under Wine: the message of an exception, and
// bytes of a fixed pseudo-random pattern.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

namespace testsupport {

// The message of the exception f raises, or "(no exception)".
template <typename F> std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

// count bytes of a fixed pseudo-random pattern, all 256 byte values included.
inline std::string Pattern(std::size_t count, std::uint32_t seed = 1) {
  std::string bytes(count, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

} // namespace testsupport

#pragma once
// Small helpers shared by the socket and HTTP tests.
#include <cstdint>
#include <exception>
#include <string>

// The message of the exception f raises, or "(no exception)".
template <typename F> std::string MessageOf(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no exception)";
}

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// count bytes of a fixed pseudo-random pattern, all 256 byte values included.
std::string Pattern(std::size_t count, std::uint32_t seed = 1);

// Lets the window system run for a while (messages are handled as they come).
void PumpFor(int ms);

#include "testsupport.h"

#include "base/messageloop.h"

#include <fstream>
#include <iterator>
#include <sstream>

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool FileExists(const std::string& path) {
  return std::ifstream(path).good();
}

std::string Pattern(std::size_t count, std::uint32_t seed) {
  std::string bytes(count, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

void PumpFor(int ms) {
  base::Delay(static_cast<std::uint64_t>(ms));
}

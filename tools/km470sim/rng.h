#pragma once

#include <cstdint>

namespace km470sim {

// SplitMix64: tiny, fast and, unlike the standard distributions, gives the same numbers with
// every compiler and library, so a seed reproduces a run anywhere.
class Rng {
public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }

  // Uniform in [lo, hi]; the modulo bias is far below anything a test could notice.
  int between(int lo, int hi) {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo + 1);
    return lo + static_cast<int>(next() % span);
  }

  // True with probability `permille`/1000.
  bool chance(int permille) { return between(0, 999) < permille; }

private:
  std::uint64_t state_;
};

} // namespace km470sim

#include "link/searchtiming.h"

#include <algorithm>
#include <cstdlib>

namespace km470 {

unsigned MillisecondsFromText(const char* text, unsigned def) {
  constexpr unsigned long kMin = 100, kMax = 3600000;
  if (!text || !*text)
    return def;
  unsigned long value = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9')
      return def;
    value = value * 10 + static_cast<unsigned long>(*p - '0');
    if (value > kMax)
      return def;
  }
  return value < kMin ? def : static_cast<unsigned>(value);
}

unsigned SearchStepMs() {
  static const unsigned ms =
      MillisecondsFromText(std::getenv("DYNLOG_SEARCH_STEP_MS"), kSearchStepMs);
  return ms;
}

unsigned SearchLimitMs(std::size_t ports) {
  static const unsigned given = MillisecondsFromText(std::getenv("DYNLOG_SEARCH_LIMIT_MS"), 0);
  if (given)
    return given;
  // One step more than a round: the search begins with a step of its own before the first port.
  const unsigned long long round = (2ULL * ports + 1) * SearchStepMs();
  return static_cast<unsigned>(std::min<unsigned long long>(
      std::max<unsigned long long>(round, kSearchLimitMs), 3600000ULL));
}

} // namespace km470

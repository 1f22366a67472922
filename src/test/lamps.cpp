#include "test/lamps.h"

#include <utility>

namespace dynlog {

void LampTrack::Frame(std::uint8_t status, bool averaging) {
  const km470::IndicatorChanges changes = km470::IndicatorsFromStatus(status);
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const auto bit = static_cast<Lamps>(1u << i);
    if (changes[i] == km470::IndicatorChange::Lit)
      now_ |= bit;
    else if (changes[i] == km470::IndicatorChange::Dark)
      now_ &= static_cast<Lamps>(~bit);
  }
  collected_ = averaging ? static_cast<Lamps>(collected_ | now_) : now_;
}

Lamps LampTrack::Kept() {
  return std::exchange(collected_, Lamps{0});
}

} // namespace dynlog

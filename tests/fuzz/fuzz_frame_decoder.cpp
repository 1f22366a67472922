// The decoder of the unit's 3-byte frames, fed what a dirty line may carry: cutting the stream
// at any point must give the same frames as one piece, each value in the unit's range.
#include "fuzzcheck.h"
#include "link/km470protocol.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace {

struct Seen {
  double value;
  std::uint8_t status;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen> Decode(std::string_view first, std::string_view second, int decimals) {
  km470::FrameDecoder decoder;
  std::vector<Seen> frames;
  const auto take = [&](const km470::MeasurementFrame& f) {
    frames.push_back({f.Value, f.Status});
  };
  decoder.Feed(first, decimals, take);
  FUZZ_CHECK(decoder.PendingFrameBytes.size() <= 2);
  decoder.Feed(second, decimals, take);
  FUZZ_CHECK(decoder.PendingFrameBytes.size() <= 2);
  return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2)
    return 0;
  const int decimals = data[0] % 4;
  const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t cut = stream.empty() ? 0 : data[1] % (stream.size() + 1);

  const std::vector<Seen> whole = Decode(stream, {}, decimals);
  const std::vector<Seen> split = Decode(stream.substr(0, cut), stream.substr(cut), decimals);
  FUZZ_CHECK(whole == split);
  FUZZ_CHECK(whole.size() <= stream.size() / 3);
  const double scale = std::pow(10.0, decimals);
  for (const Seen& f : whole) {
    FUZZ_CHECK(f.value >= -1000 / scale - 1e-9 && f.value <= 10000 / scale + 1e-9);
    FUZZ_CHECK((f.status & 0xC0) == 0xC0);
    const km470::IndicatorChanges changes = km470::IndicatorsFromStatus(f.status);
    FUZZ_CHECK(changes.size() == km470::kIndicatorCount);
  }

  // The text replies on the same bytes.
  const int places = km470::DecimalsFromReply(stream, 2);
  FUZZ_CHECK(places >= 0 && places <= 3);
  (void)km470::ReplyIdentifiesInstrument(stream);
  return 0;
}

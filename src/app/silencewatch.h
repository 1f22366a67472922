#pragma once
// Gaps in the unit's stream while it should be streaming: no frame for more than two seconds. A
// unit that is unplugged or switched off in the middle of a recording leaves such a gap, which
// the recording must not pass over in silence.
#include <cstdint>
#include <vector>

namespace dynlog {

class SilenceWatch {
public:
  static constexpr std::uint64_t kSilenceMs = 2000;

  struct Gap {
    std::uint64_t startMs;  // the last frame before it, counted from the start of the watch
    std::uint64_t lengthMs; // until the next frame, or the end of the watch
  };

  // nowMs is a monotonic clock reading; streaming starts then, with frameCount frames so far.
  explicit SilenceWatch(std::uint64_t nowMs, std::uint64_t frameCount = 0)
      : startMs_(nowMs), lastFrameMs_(nowMs), frameCount_(frameCount) {}

  // Called now and then (the finer, the more exact the gaps) with the frames received so far.
  void Observe(std::uint64_t nowMs, std::uint64_t frameCount);
  // Streaming ends: a gap still open ends here.
  void Finish(std::uint64_t nowMs);
  // No frame for more than kSilenceMs up to nowMs.
  bool Silent(std::uint64_t nowMs) const { return nowMs - lastFrameMs_ > kSilenceMs; }

  const std::vector<Gap>& Gaps() const { return gaps_; }

private:
  void CloseGap(std::uint64_t nowMs);

  std::uint64_t startMs_;
  std::uint64_t lastFrameMs_;
  std::uint64_t frameCount_;
  std::vector<Gap> gaps_;
};

} // namespace dynlog

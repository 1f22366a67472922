#include "app/silencewatch.h"

namespace dynlog {

void SilenceWatch::CloseGap(std::uint64_t nowMs) {
  if (Silent(nowMs))
    gaps_.push_back({lastFrameMs_ - startMs_, nowMs - lastFrameMs_});
}

void SilenceWatch::Observe(std::uint64_t nowMs, std::uint64_t frameCount) {
  if (frameCount == frameCount_)
    return;
  CloseGap(nowMs);
  frameCount_ = frameCount;
  lastFrameMs_ = nowMs;
}

void SilenceWatch::Finish(std::uint64_t nowMs) {
  CloseGap(nowMs);
  lastFrameMs_ = nowMs;
}

} // namespace dynlog

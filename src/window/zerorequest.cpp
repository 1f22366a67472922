#include "window/zerorequest.h"

#include "link/instrumentlink.h"

std::optional<std::string> ZeroRequest::Ask(bool connected,
                                            const std::function<void()>& beforeAsking) {
  if (!connected)
    return "Nullen geht erst, wenn Messwerte kommen. Erst mit Start verbinden.";
  if (recording_.ZeroAsked())
    return std::string();
  beforeAsking();
  if (auto refusal = recording_.AskZero())
    return refusal;
  if (recording_.State() != dynlog::MeasuringState::Running) {
    km470::SendStartCommand();
    streaming_ = true;
  }
  return std::nullopt;
}

bool ZeroRequest::Done() {
  if (!recording_.TakeZeroDone())
    return false;
  if (streaming_) {
    km470::SendStopCommand();
    streaming_ = false;
  }
  return true;
}

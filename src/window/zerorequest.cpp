#include "window/zerorequest.h"

#include "link/instrumentlink.h"

std::optional<std::string> ZeroRequest::Refusal(bool connected) const {
  if (!connected)
    return "Nullen geht erst, wenn Messwerte kommen. Erst mit Start verbinden.";
  if (recording_.ZeroAsked())
    return std::string();
  return std::nullopt;
}

std::optional<std::string> ZeroRequest::Ask() {
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

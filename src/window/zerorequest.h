#pragma once
// Nullen from the measurement window. The zero is of values that come after the click: a stopped
// unit is asked for them and stopped again once they are in, and while it sends for the zero its
// values are the zero's, not shown, so the stopped test stays in view.
#include "test/recording.h"

#include <functional>
#include <optional>
#include <string>

class ZeroRequest {
public:
  explicit ZeroRequest(dynlog::Recording& recording) : recording_(recording) {}

  // Asked for, unless a German refusal says why not (empty: it is already waiting, one half
  // second at a time). `beforeAsking` runs once it is sure to be asked, but before.
  std::optional<std::string> Ask(bool connected, const std::function<void()>& beforeAsking);
  // After each tick: true once when the zero asked for was taken, refused or given up (the
  // recording's ZeroRefusal says which).
  bool Done();
  // A new Start: a zero still waiting for its values is given up, its frames are the recording's.
  void Forget() { streaming_ = false; }
  // The unit sends for the zero only.
  bool Streaming() const { return streaming_; }

private:
  dynlog::Recording& recording_;
  bool streaming_ = false;
};

#pragma once

#include "client_watch.h"
#include "command_reader.h"
#include "event_log.h"
#include "force_signal.h"
#include "frame_pacer.h"
#include "line_noise.h"
#include "options.h"
#include "output_queue.h"
#include "pty_pair.h"
#include "signal_watch.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace km470sim {

// The unit itself: reads commands from the line, answers them and streams frames on schedule,
// in one poll() loop that sleeps until the next input, signal or due frame.
class Simulator {
public:
  Simulator(const Options& options, PtyPair& pty, EventLog& log, SignalWatch& signals,
            ClientWatch& clients);

  // Runs until SIGINT, SIGTERM or SIGHUP; returns the exit code.
  int run();

private:
  using Clock = FramePacer::Clock;

  int pollTimeoutMs(Clock::time_point now) const;
  void readInput();
  void echo(std::string_view bytes);
  void handleCommand(const std::string& command);
  void stopStream();
  void sendDueFrames(Clock::time_point now);
  void writeOutput();

  const Options& options_;
  PtyPair& pty_;
  EventLog& log_;
  SignalWatch& signals_;
  ClientWatch& clients_;

  CommandReader reader_;
  ForceSignal signal_;
  LineNoise noise_;
  FramePacer pacer_;
  OutputQueue output_;
  bool streaming_ = false;
  Clock::time_point lastBurst_{};
  std::uint64_t nextFrameIndex_ = 0;
};

} // namespace km470sim

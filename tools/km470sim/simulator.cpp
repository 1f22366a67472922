#include "simulator.h"

#include "log_text.h"
#include "unit_responder.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace km470sim {

namespace {

// Frames go out in small bursts rather than one wake-up per frame.
constexpr auto kBurstInterval = std::chrono::milliseconds(5);

// While the client leaves this much unread, frames are not sent: a real serial driver's buffer
// would overflow and lose them, and a reopened port must not face seconds of old frames.
constexpr std::size_t kMaxUnread = 3072;

// The signal and the noise draw from separate streams, so that --noise leaves the force
// signal as it is for the same seed.
constexpr std::uint64_t kNoiseSeedSalt = 0x6E6F697365ULL;

} // namespace

Simulator::Simulator(const Options& options, PtyPair& pty, EventLog& log, SignalWatch& signals,
                     ClientWatch& clients)
    : options_(options), pty_(pty), log_(log), signals_(signals), clients_(clients),
      signal_(options.seed, framesPerSecond(options.baud), options.pull),
      noise_(options.noise, options.seed ^ kNoiseSeedSalt),
      pacer_(framesPerSecond(options.baud),
             static_cast<std::uint64_t>(framesPerSecond(options.baud)) / 2) {}

int Simulator::pollTimeoutMs(Clock::time_point now) const {
  if (!streaming_)
    return -1;
  const auto wake = std::max(pacer_.nextDue(), lastBurst_ + kBurstInterval);
  if (wake <= now)
    return 0;
  // Round up: waking a little late only makes the burst one frame longer; waking early spins.
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(wake - now).count();
  return static_cast<int>((us + 999) / 1000);
}

int Simulator::run() {
  for (;;) {
    pollfd fds[3] = {
        {signals_.fd(), POLLIN, 0},
        {pty_.master(), static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT)), 0},
        {clients_.fd(), POLLIN, 0},
    };
    const int rc = ::poll(fds, 3, pollTimeoutMs(Clock::now()));
    if (rc < 0) {
      if (errno == EINTR)
        continue;
      throw std::system_error(errno, std::generic_category(), "poll");
    }
    if ((fds[0].revents & POLLIN) && signals_.take() != 0)
      return 0;
    if (fds[1].revents & (POLLERR | POLLNVAL))
      throw std::runtime_error("the terminal failed");
    // Before reading input: a freshly opened port must lose old bytes, not the answer to the
    // command it is sending right now.
    if ((fds[2].revents & POLLIN) && clients_.openedOrClosed())
      pty_.discardUnread();
    if (fds[1].revents & POLLIN)
      readInput();
    if (streaming_)
      sendDueFrames(Clock::now());
    writeOutput();
  }
}

void Simulator::readInput() {
  char buf[256];
  for (;;) {
    const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return;
    const std::string_view bytes(buf, static_cast<std::size_t>(n));
    if (!pty_.atBaud(options_.baud)) {
      // At the wrong rate the unit's receiver makes garbage of everything.
      log_.line("ignored " + hexBytes(bytes));
      reader_.reset();
      continue;
    }
    if (options_.echo)
      echo(bytes);
    for (const std::string& command : reader_.feed(bytes))
      handleCommand(command);
  }
}

void Simulator::echo(std::string_view bytes) {
  // A reply's piece is queued only after its command's CR, so the echo is always ahead of it;
  // frames already queued go first, which mixes the echo into the stream as on a real line.
  Piece piece;
  piece.stream = false;
  piece.bytes = std::string(bytes);
  LogItem item;
  item.kind = LogItem::Kind::Echo;
  item.bytes = piece.bytes;
  piece.items.push_back(std::move(item));
  output_.push(std::move(piece));
}

void Simulator::handleCommand(const std::string& command) {
  log_.line("rx " + printable(command));
  const Response r = respond(command, options_.unit);
  if (r.reply) {
    Piece piece;
    piece.stream = false;
    piece.bytes = *r.reply + '\r';
    LogItem item;
    item.kind = LogItem::Kind::Reply;
    item.bytes = *r.reply;
    piece.items.push_back(std::move(item));
    output_.push(std::move(piece));
  }
  if (r.stream == Response::Stream::Start && !streaming_) {
    streaming_ = true;
    const auto now = Clock::now();
    pacer_.start(now);
    lastBurst_ = now - kBurstInterval;
    log_.line("start");
  } else if (r.stream == Response::Stream::Stop && streaming_) {
    stopStream();
  }
}

void Simulator::stopStream() {
  streaming_ = false;
  if (output_.dropUnsentStream())
    noise_.interrupted();
  log_.line("stop");
}

void Simulator::sendDueFrames(Clock::time_point now) {
  std::uint64_t skipped = 0;
  const std::uint64_t due = pacer_.take(now, skipped);
  if (due + skipped == 0)
    return;
  lastBurst_ = now;
  for (std::uint64_t i = 0; i < skipped; ++i)
    signal_.next();
  // The signal runs on whether or not its frames can go out.
  const bool send = pty_.atBaud(options_.baud) && pty_.unreadByClient() < kMaxUnread &&
                    output_.bytesQueued() < kMaxUnread;
  for (std::uint64_t i = 0; i < due; ++i) {
    const Sample s = signal_.next();
    if (send)
      output_.push(noise_.render(s));
  }
}

void Simulator::writeOutput() {
  while (!output_.empty()) {
    const std::string_view bytes = output_.front();
    const ssize_t n = ::write(pty_.master(), bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && errno == EAGAIN)
      return; // poll() says when the terminal takes more
    if (n < 0)
      throw std::system_error(errno, std::generic_category(), "write to terminal");
    if (auto done = output_.consume(static_cast<std::size_t>(n))) {
      for (const LogItem& item : done->items)
        log_.line(itemLine(item, nextFrameIndex_));
    }
  }
}

} // namespace km470sim

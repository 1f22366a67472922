#pragma once

// Running the real simulator and talking to it as a serial client would.

#include "receiver.h"
#include "unique_fd.h"

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace km470sim_test {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

// A hang guard only, generous for a slow or busy machine.
inline constexpr auto kPatience = std::chrono::seconds(15);

// The whole file; empty when there is none.
std::string readText(const fs::path& file);

// km470sim as a child process in a folder of its own, which holds its standard output and error;
// killed if still running when this goes. A unit gets a port link and a log in that folder, and
// is up once its link is in place.
class Sim {
public:
  enum Kind { Unit, ArgsOnly };
  explicit Sim(std::vector<std::string> args = {}, Kind kind = Unit);
  ~Sim();
  Sim(const Sim&) = delete;
  Sim& operator=(const Sim&) = delete;

  fs::path link() const { return dir_ / "com3"; }
  fs::path log() const { return dir_ / "sim.log"; }
  std::string errors() const { return readText(dir_ / "stderr"); }
  // The first line of its output (the terminal's path); waits for it.
  std::string firstLine() const;
  // Its exit code, or nullopt if it did not end normally.
  std::optional<int> waitExit();
  void signal(int sig) const { ::kill(pid_, sig); }

private:
  fs::path dir_;
  pid_t pid_ = -1;
  bool reaped_ = false;
};

// The client side of the line, opened through the link.
class SerialClient {
public:
  explicit SerialClient(const fs::path& link, speed_t speed = B19200);

  // Changes only the speed, as a program does; the rest of the line settings stay as they are.
  void setBaud(speed_t speed);
  void send(const std::string& bytes);
  // Reads until `done` holds for what has arrived, or `timeout` has passed.
  std::string readUntil(const std::function<bool(const std::string&)>& done,
                        std::chrono::milliseconds timeout = kPatience);
  // Everything that arrives within `window`.
  std::string readFor(std::chrono::milliseconds window) {
    return readUntil([](const std::string&) { return false; }, window);
  }

private:
  km470sim::UniqueFd fd_;
};

// Its complete lines: the simulator may be writing the next one right now.
Lines readLines(const fs::path& file);
// Rereads the file until `done` holds for its lines; returns the last lines read.
Lines waitForLines(const fs::path& file, const std::function<bool(const Lines&)>& done);

// The bytes of the lines that start with `prefix` and go on in hex ("noise 41 c3 80").
std::string loggedBytes(const Lines& lines, const std::string& prefix);
// The log's "frame" lines; throws unless they are numbered from 0 without a gap (the numbering
// goes on across a stop and a new start).
std::vector<ReceivedFrame> loggedFrames(const Lines& lines);

} // namespace km470sim_test

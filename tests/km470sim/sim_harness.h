#pragma once

// Running the real simulator and talking to it as a serial client would.

#include <sys/types.h>
#include <termios.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace km470sim_test {

using namespace std::chrono_literals;

// Generous: the tests must not fail on a slow or busy machine.
inline constexpr auto kPatience = std::chrono::seconds(15);

class TempDir {
public:
  TempDir();
  ~TempDir();
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
  std::filesystem::path path_;
};

// The simulator as a child process. Killed if still running when this goes.
class SimProcess {
public:
  SimProcess(const std::vector<std::string>& args, const std::filesystem::path& stderrFile);
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The first line on its standard output (the terminal's path); empty if none came.
  std::string firstLine();

  // Waits for the process to end; its exit code, or nullopt if it did not end normally in
  // time.
  std::optional<int> waitExit(std::chrono::milliseconds timeout = kPatience);

  void signal(int sig);

private:
  pid_t pid_ = -1;
  int stdoutFd_ = -1;
  bool reaped_ = false;
};

// The client side of the line, opened through the link.
class SerialClient {
public:
  explicit SerialClient(const std::string& path);
  ~SerialClient();
  SerialClient(const SerialClient&) = delete;
  SerialClient& operator=(const SerialClient&) = delete;

  // Changes only the speed, as a program does; the rest of the line settings stay as they are.
  void setBaud(speed_t speed);
  void send(const std::string& bytes);

  // Everything that arrives within `window`.
  std::string readFor(std::chrono::milliseconds window);

  // Reads until `done` holds for what has arrived, or `timeout` has passed.
  std::string readUntil(const std::function<bool(const std::string&)>& done,
                        std::chrono::milliseconds timeout = kPatience);

  void close();

private:
  int fd_ = -1;
};

// The whole file; empty when there is none.
std::string readText(const std::filesystem::path& file);
std::vector<std::string> readLines(const std::filesystem::path& file);

// Rereads the log until `done` holds for its lines; returns the last lines read.
std::vector<std::string>
waitForLog(const std::filesystem::path& file,
           const std::function<bool(const std::vector<std::string>&)>& done,
           std::chrono::milliseconds timeout = kPatience);

std::size_t countPrefix(const std::vector<std::string>& lines, const std::string& prefix);

struct LoggedFrame {
  std::uint64_t index = 0;
  int count = 0;
  std::uint8_t status = 0;
};

std::vector<LoggedFrame> loggedFrames(const std::vector<std::string>& lines);

} // namespace km470sim_test

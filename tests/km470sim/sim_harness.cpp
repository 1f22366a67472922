#include "sim_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

extern char** environ;

namespace km470sim_test {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

using Clock = std::chrono::steady_clock;

int msLeft(Clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

} // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "km470sim-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    fail("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

SimProcess::SimProcess(const std::vector<std::string>& args,
                       const std::filesystem::path& stderrFile) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0)
    fail("pipe2");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<std::string> all{KM470SIM_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const int rc = ::posix_spawn(&pid_, KM470SIM_PATH, &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(out[1]);
  if (rc != 0) {
    ::close(out[0]);
    errno = rc;
    fail("posix_spawn " KM470SIM_PATH);
  }
  stdoutFd_ = out[0];
}

SimProcess::~SimProcess() {
  if (!reaped_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (stdoutFd_ >= 0)
    ::close(stdoutFd_);
}

std::string SimProcess::firstLine() {
  std::string line;
  const auto end = Clock::now() + kPatience;
  while (Clock::now() < end) {
    pollfd p{stdoutFd_, POLLIN, 0};
    if (::poll(&p, 1, msLeft(end)) <= 0)
      break;
    char c;
    const ssize_t n = ::read(stdoutFd_, &c, 1);
    if (n <= 0 || c == '\n')
      break;
    line.push_back(c);
  }
  return line;
}

std::optional<int> SimProcess::waitExit(std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    int status = 0;
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      reaped_ = true;
      if (WIFEXITED(status))
        return WEXITSTATUS(status);
      return std::nullopt;
    }
    if (Clock::now() >= end)
      return std::nullopt;
    std::this_thread::sleep_for(10ms);
  }
}

void SimProcess::signal(int sig) {
  ::kill(pid_, sig);
}

SerialClient::SerialClient(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd_ < 0)
    fail("open " + path);
}

SerialClient::~SerialClient() {
  close();
}

void SerialClient::close() {
  if (fd_ >= 0)
    ::close(fd_);
  fd_ = -1;
}

void SerialClient::setBaud(speed_t speed) {
  termios t{};
  if (::tcgetattr(fd_, &t) != 0)
    fail("tcgetattr");
  ::cfsetispeed(&t, speed);
  ::cfsetospeed(&t, speed);
  if (::tcsetattr(fd_, TCSANOW, &t) != 0)
    fail("tcsetattr");
}

void SerialClient::send(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
      continue;
    if (n < 0)
      fail("write");
    done += static_cast<std::size_t>(n);
  }
}

std::string SerialClient::readUntil(const std::function<bool(const std::string&)>& done,
                                    std::chrono::milliseconds timeout) {
  std::string got;
  const auto end = Clock::now() + timeout;
  while (!done(got)) {
    const int left = msLeft(end);
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, left) <= 0)
      break;
    char buf[4096];
    const ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n > 0)
      got.append(buf, static_cast<std::size_t>(n));
    else if (n < 0 && errno != EAGAIN && errno != EINTR)
      fail("read");
    if (left == 0)
      break;
  }
  return got;
}

std::string SerialClient::readFor(std::chrono::milliseconds window) {
  return readUntil([](const std::string&) { return false; }, window);
}

std::string readText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  std::string line;
  // Only complete lines: the simulator may be writing the next one right now.
  while (std::getline(in, line)) {
    if (in.eof())
      break;
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string>
waitForLog(const std::filesystem::path& file,
           const std::function<bool(const std::vector<std::string>&)>& done,
           std::chrono::milliseconds timeout) {
  const auto end = Clock::now() + timeout;
  for (;;) {
    auto lines = readLines(file);
    if (done(lines) || Clock::now() >= end)
      return lines;
    std::this_thread::sleep_for(10ms);
  }
}

std::size_t countPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
  std::size_t n = 0;
  for (const auto& l : lines)
    n += l.starts_with(prefix) ? 1 : 0;
  return n;
}

std::vector<LoggedFrame> loggedFrames(const std::vector<std::string>& lines) {
  std::vector<LoggedFrame> frames;
  for (const auto& l : lines) {
    if (!l.starts_with("frame "))
      continue;
    std::istringstream in(l.substr(6));
    LoggedFrame f;
    std::string status;
    in >> f.index >> f.count >> status;
    if (!in || status.size() != 2)
      throw std::runtime_error("malformed log line: " + l);
    f.status = static_cast<std::uint8_t>(std::stoul(status, nullptr, 16));
    frames.push_back(f);
  }
  return frames;
}

} // namespace km470sim_test

#include "sim_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

namespace km470sim_test {

namespace {

[[noreturn]] void fail(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

using Clock = std::chrono::steady_clock;

// Polls until `done` holds or kPatience has passed (a hang guard); whether it held.
bool eventually(const std::function<bool()>& done) {
  for (const auto end = Clock::now() + kPatience; !done(); std::this_thread::sleep_for(10ms))
    if (Clock::now() >= end)
      return false;
  return true;
}

} // namespace

Sim::Sim(std::vector<std::string> args, Kind kind) {
  std::string pattern = (fs::temp_directory_path() / "km470sim-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data()))
    fail("mkdtemp");
  dir_ = pattern;
  if (kind == Unit)
    args.insert(args.begin(), {"--link", link().string(), "--log", log().string()});
  args.insert(args.begin(), KM470SIM_PATH);
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string out = dir_ / "stdout", err = dir_ / "stderr";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    // A shell may have started the tests with these ignored; the unit must hear them.
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (pid_ < 0)
    fail("fork");
  if (kind == Unit)
    firstLine();
}

Sim::~Sim() {
  if (pid_ > 0 && !reaped_) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

std::string Sim::firstLine() const {
  const Lines lines = waitForLines(dir_ / "stdout", [](const Lines& l) { return !l.empty(); });
  return lines.empty() ? "" : lines[0];
}

std::optional<int> Sim::waitExit() {
  int status = 0;
  if (!eventually([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }))
    return std::nullopt;
  reaped_ = true;
  return WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
}

SerialClient::SerialClient(const fs::path& link, speed_t speed)
    : fd_(::open(link.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
  if (!fd_.valid())
    fail("open " + link.string());
  setBaud(speed);
}

void SerialClient::setBaud(speed_t speed) {
  termios t{};
  if (::tcgetattr(fd_.get(), &t) != 0 || ::cfsetispeed(&t, speed) != 0 ||
      ::cfsetospeed(&t, speed) != 0 || ::tcsetattr(fd_.get(), TCSANOW, &t) != 0)
    fail("setting the speed");
}

void SerialClient::send(const std::string& bytes) {
  // A few bytes, far below what the terminal buffers.
  if (::write(fd_.get(), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
    fail("write");
}

std::string SerialClient::readUntil(const std::function<bool(const std::string&)>& done,
                                    std::chrono::milliseconds timeout) {
  std::string got;
  const auto end = Clock::now() + timeout;
  while (!done(got)) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    pollfd p{fd_.get(), POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
      break;
    char buf[4096];
    const ssize_t n = ::read(fd_.get(), buf, sizeof buf);
    if (n < 0 && errno != EAGAIN && errno != EINTR)
      fail("read");
    got.append(buf, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  }
  return got;
}

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Lines readLines(const fs::path& file) {
  std::istringstream in(readText(file));
  Lines lines;
  for (std::string line; std::getline(in, line) && !in.eof();)
    lines.push_back(line);
  return lines;
}

Lines waitForLines(const fs::path& file, const std::function<bool(const Lines&)>& done) {
  Lines lines;
  eventually([&] { return done(lines = readLines(file)); });
  return lines;
}

std::string loggedBytes(const Lines& lines, const std::string& prefix) {
  std::string bytes;
  for (const auto& l : lines) {
    std::istringstream in(l.starts_with(prefix) ? l.substr(prefix.size()) : "");
    for (std::string hex; in >> hex;)
      bytes.push_back(static_cast<char>(std::stoul(hex, nullptr, 16)));
  }
  return bytes;
}

std::vector<ReceivedFrame> loggedFrames(const Lines& lines) {
  std::vector<ReceivedFrame> frames;
  for (const auto& l : lines) {
    std::istringstream in(l);
    std::string word, status;
    std::size_t index = 0;
    ReceivedFrame f;
    if (!(in >> word) || word != "frame")
      continue;
    if (!(in >> index >> f.count >> status) || status.size() != 2 || index != frames.size())
      throw std::runtime_error("unexpected log line: " + l);
    f.status = static_cast<std::uint8_t>(std::stoul(status, nullptr, 16));
    frames.push_back(f);
  }
  return frames;
}

} // namespace km470sim_test

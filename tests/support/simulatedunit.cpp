#include "simulatedunit.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

bool UnixFileExists(const std::string& unixPath) {
  return GetFileAttributesA(WindowsPathOf(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadUnixFile(const std::string& unixPath) {
  std::ifstream in(WindowsPathOf(unixPath), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void StartUnixProcess(const std::string& commandLine) {
  STARTUPINFOA si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::string cmd = "/bin/sh -c \"" + commandLine + "\"";
  if (!CreateProcessA("Z:\\bin\\sh", cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi))
    throw std::runtime_error("cannot start: " + commandLine);
  if (pi.hProcess)
    CloseHandle(pi.hProcess);
  if (pi.hThread)
    CloseHandle(pi.hThread);
}

template <typename Pred> bool WaitFor(Pred pred, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < end) {
    if (pred())
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return pred();
}

std::string MakeUnixTempDir() {
  static int serial = 0;
  const std::string dir = "/tmp/dynlog-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                          std::to_string(GetTickCount()) + "-" + std::to_string(++serial);
  CreateDirectoryA(WindowsPathOf(dir).c_str(), nullptr);
  return dir;
}

} // namespace

std::string WindowsPathOf(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/')
      c = '\\';
  return p;
}

std::string WinePrefix() {
  std::string p = Env("WINEPREFIX");
  if (p.empty())
    throw std::runtime_error("WINEPREFIX is not set");
  return p;
}

void RunUnixCommand(const std::string& commandLine) {
  const std::string dir = MakeUnixTempDir();
  const std::string done = dir + "/done";
  StartUnixProcess(commandLine + "; touch " + done);
  if (!WaitFor([&] { return UnixFileExists(done); }, 10000))
    throw std::runtime_error("command did not end: " + commandLine);
  DeleteFileA(WindowsPathOf(done).c_str());
  RemoveDirectoryA(WindowsPathOf(dir).c_str());
}

SimulatedUnit::SimulatedUnit(const UnitOptions& o) {
  const std::string sim = Env("KM470SIM");
  if (sim.empty())
    throw std::runtime_error("KM470SIM (path of km470sim) is not set");
  dir_ = MakeUnixTempDir();
  logUnix_ = dir_ + "/unit.log";
  linkUnix_ = WinePrefix() + "/ports/com" + std::to_string(o.port);
  const std::string pidFile = dir_ + "/pid";
  std::string args = " --link " + linkUnix_ + " --baud " + std::to_string(o.baud) + " --decimals " +
                     std::to_string(o.decimals);
  if (!o.model.empty())
    args += " --model " + o.model;
  if (o.noise)
    args += " --noise";
  if (o.echo)
    args += " --echo";
  if (o.log)
    args += " --log " + logUnix_;
  // The unit prints its pty's path once the link is in place.
  StartUnixProcess("exec " + sim + args + " > " + dir_ + "/out 2> " + dir_ + "/err & echo $! > " +
                   pidFile + "; wait");
  const bool ready = WaitFor(
      [&] {
        return !ReadUnixFile(dir_ + "/out").empty() && UnixFileExists(linkUnix_) &&
               !ReadUnixFile(pidFile).empty();
      },
      10000);
  pid_ = ReadUnixFile(pidFile);
  while (!pid_.empty() && (pid_.back() == '\n' || pid_.back() == '\r'))
    pid_.pop_back();
  if (!ready)
    throw std::runtime_error("km470sim did not come up: " + ReadUnixFile(dir_ + "/err"));
}

SimulatedUnit::~SimulatedUnit() {
  try {
    Stop();
  } catch (...) {
  }
}

void SimulatedUnit::Stop() {
  if (pid_.empty())
    return;
  RunUnixCommand("kill -TERM " + pid_);
  pid_.clear();
  WaitFor([&] { return !UnixFileExists(linkUnix_); }, 5000);
}

std::vector<std::string> SimulatedUnit::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadUnixFile(logUnix_));
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

} // namespace testsupport

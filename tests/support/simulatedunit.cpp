#include "simulatedunit.h"

#include "testfiles.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
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
  return ReadFile(WindowsPathOf(unixPath));
}

std::string WinePrefix() {
  std::string p = Env("WINEPREFIX");
  if (p.empty())
    throw std::runtime_error("WINEPREFIX is not set");
  return p;
}

// The folder where tests/support/simulatedunit.py, which runs this test program, takes requests.
std::string RequestFolder() {
  const std::string dir = Env("DYNLOG_UNIT_DIR");
  if (dir.empty())
    throw std::runtime_error("DYNLOG_UNIT_DIR is not set: run the test through simulatedunit.py");
  return dir;
}

// A request's number, unique among the test programs of the folder.
std::string NewRequestId() {
  static int serial = 0;
  return std::to_string(GetCurrentProcessId()) + "." + std::to_string(++serial);
}

// Hands a request to the Linux side in one piece; returns the Linux path its answers start with.
std::string Request(const std::string& kind, const std::string& id, const std::string& text) {
  const std::string dir = RequestFolder();
  const std::string part = WindowsPathOf(dir + "/tmp-" + id);
  WriteBytes(part, text);
  if (!MoveFileA(part.c_str(), WindowsPathOf(dir + "/" + kind + "-" + id).c_str()))
    throw std::runtime_error("cannot hand over the request " + kind + "-" + id);
  return dir + "/" + id;
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

} // namespace

std::string WindowsPathOf(const std::string& unixPath) {
  std::string p = "Z:" + unixPath;
  for (char& c : p)
    if (c == '/')
      c = '\\';
  return p;
}

void RunUnixCommand(const std::string& commandLine) {
  const std::string done = Request("run", NewRequestId(), commandLine) + ".done";
  // Hang guard only.
  if (!WaitFor([&] { return UnixFileExists(done); }, 30000))
    throw std::runtime_error("command did not end: " + commandLine);
  DeleteFileA(WindowsPathOf(done).c_str());
}

SimulatedUnit::SimulatedUnit(const UnitOptions& o) {
  id_ = NewRequestId();
  logUnix_ = RequestFolder() + "/unit-" + id_ + ".log";
  linkUnix_ = WinePrefix() + "/ports/com" + std::to_string(o.port);
  std::string args = "--link\n" + linkUnix_ + "\n--baud\n" + std::to_string(o.baud) +
                     "\n--decimals\n" + std::to_string(o.decimals) + "\n";
  if (!o.model.empty())
    args += "--model\n" + o.model + "\n";
  if (o.noise)
    args += "--noise\n";
  if (o.echo)
    args += "--echo\n";
  args += "--log\n" + logUnix_ + "\n";
  const std::string base = Request("start", id_, args);
  // Hang guard only: the unit is up within milliseconds.
  WaitFor([&] { return UnixFileExists(base + ".pid") || UnixFileExists(base + ".failed"); }, 10000);
  if (!UnixFileExists(base + ".pid")) {
    id_.clear();
    throw std::runtime_error("km470sim did not come up: " + ReadUnixFile(base + ".failed"));
  }
}

SimulatedUnit::~SimulatedUnit() {
  try {
    Stop();
  } catch (...) {
  }
}

void SimulatedUnit::Stop() {
  if (id_.empty())
    return;
  const std::string stopped = Request("stop", id_, "") + ".stopped";
  id_.clear();
  // Hang guard only: the unit removes its link as it ends.
  WaitFor([&] { return UnixFileExists(stopped); }, 15000);
}

std::vector<std::string> SimulatedUnit::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadUnixFile(logUnix_));
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

} // namespace testsupport

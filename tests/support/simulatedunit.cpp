#include "simulatedunit.h"

#include "base/handles.h"
#include "testfiles.h"

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

std::string Env(const char* name, const char* whenMissing) {
  const char* v = std::getenv(name);
  if (!v || !*v)
    throw std::runtime_error(std::string(name) + " is not set" + whenMissing);
  return v;
}

// The folder where tests/support/simulatedunit.py, which runs this test program, takes requests.
std::string RequestFolder() {
  return Env("DYNLOG_UNIT_DIR", ": run the test through simulatedunit.py");
}

bool UnixFileExists(const std::string& unixPath) {
  return GetFileAttributesA(WindowsPathOf(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
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

// Waits until one of the answers is there; a hang guard only, the Linux side answers at once.
void WaitForAnswer(const std::vector<std::string>& unixPaths, int timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;; std::this_thread::sleep_for(std::chrono::milliseconds(20)))
    for (const std::string& path : unixPaths)
      if (UnixFileExists(path) || std::chrono::steady_clock::now() >= end)
        return;
}

// Wine leads a port it was given at start to its device and lists it under SERIALCOMM; a port
// above COM4 is given so here, while the test runs (listed false: undone).
void ListPort(int port, bool listed) {
  const std::string n = std::to_string(port);
  std::ostringstream command;
  command << (listed ? "ln -sfn ../ports/com" + n : "rm -f") << " '" << Env("WINEPREFIX", "")
          << "/dosdevices/com" << n << "'";
  RunUnixCommand(command.str());
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                      REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("SERIALCOMM cannot be written");
  const base::RegistryKey owner(key);
  const std::string value = "\\Device\\TestSerial" + n, name = "COM" + n;
  if (listed)
    RegSetValueExA(key, value.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name.c_str()),
                   static_cast<DWORD>(name.size() + 1));
  else
    RegDeleteValueA(key, value.c_str());
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
  WaitForAnswer({done}, 30000);
  if (!UnixFileExists(done))
    throw std::runtime_error("command did not end: " + commandLine);
  DeleteFileA(WindowsPathOf(done).c_str());
}

SimulatedUnit::SimulatedUnit(const UnitOptions& o) : id_(NewRequestId()), port_(o.port) {
  logUnix_ = RequestFolder() + "/unit-" + id_ + ".log";
  std::string args = "--link\n" + Env("WINEPREFIX", "") + "/ports/com" + std::to_string(o.port) +
                     "\n--baud\n" + std::to_string(o.baud) + "\n--decimals\n" +
                     std::to_string(o.decimals) + "\n--log\n" + logUnix_ + "\n";
  if (o.noise)
    args += "--noise\n";
  if (o.echo)
    args += "--echo\n";
  if (o.pull)
    args += "--pull\n";
  const std::string base = Request("start", id_, args);
  WaitForAnswer({base + ".pid", base + ".failed"}, 10000);
  if (!UnixFileExists(base + ".pid"))
    throw std::runtime_error("km470sim did not come up: " +
                             ReadBytes(WindowsPathOf(base + ".failed")));
  if (o.port > 4)
    ListPort(o.port, true);
}

SimulatedUnit::~SimulatedUnit() {
  try {
    if (port_ > 4)
      ListPort(port_, false);
    // The unit removes its link as it ends.
    WaitForAnswer({Request("stop", id_, "") + ".stopped"}, 15000);
  } catch (...) {
  }
}

std::vector<std::string> SimulatedUnit::LogLines() const {
  std::vector<std::string> lines;
  std::istringstream in(ReadBytes(WindowsPathOf(logUnix_)));
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

} // namespace testsupport

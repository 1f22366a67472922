#include "listedport.h"

#include "base/handles.h"
#include "simulatedunit.h"

#include <windows.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {
namespace {

base::RegistryKey SerialComm() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                      REG_OPTION_VOLATILE, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("SERIALCOMM cannot be written");
  return base::RegistryKey(key);
}

std::string DosDevice(const std::string& name) {
  std::string lower = name;
  for (char& c : lower)
    c = static_cast<char>(c | 0x20);
  const char* prefix = std::getenv("WINEPREFIX");
  return std::string(prefix ? prefix : "") + "/dosdevices/" + lower;
}

} // namespace

ListedPort::ListedPort(int port)
    : name_("COM" + std::to_string(port)), value_("\\Device\\TestSerial" + std::to_string(port)) {
  const char* prefix = std::getenv("WINEPREFIX");
  if (!prefix)
    throw std::runtime_error("WINEPREFIX is not set");
  // Wine finds a port's device through dosdevices at every open.
  RunUnixCommand("ln -sfn '" + std::string(prefix) + "/ports/com" + std::to_string(port) + "' '" +
                 DosDevice(name_) + "'");
  const auto key = SerialComm();
  RegSetValueExA(key.get(), value_.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(name_.c_str()),
                 static_cast<DWORD>(name_.size() + 1));
}

ListedPort::~ListedPort() {
  try {
    RegDeleteValueA(SerialComm().get(), value_.c_str());
    RunUnixCommand("rm -f '" + DosDevice(name_) + "'");
  } catch (...) {
  }
}

} // namespace testsupport

#include "link/serialports.h"

#include "base/handles.h"

#include <windows.h>

namespace km470 {

std::vector<std::string> ListedSerialPorts() {
  std::vector<std::string> names;
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                    &opened) != ERROR_SUCCESS)
    return names; // no serial port at all: the key is only made for the first
  const base::RegistryKey key(opened);
  for (DWORD i = 0;; ++i) {
    // Each value names a driver's device (\Device\Serial0) and holds the port's name.
    char device[256];
    DWORD deviceSize = sizeof(device);
    char data[64];
    DWORD dataSize = sizeof(data) - 1;
    DWORD type = 0;
    const LONG rc = RegEnumValueA(key.get(), i, device, &deviceSize, nullptr, &type,
                                  reinterpret_cast<BYTE*>(data), &dataSize);
    if (rc == ERROR_NO_MORE_ITEMS)
      break;
    if (rc != ERROR_SUCCESS || type != REG_SZ)
      continue; // a name too long for any port, or no text: not a port this program can open
    data[dataSize] = '\0';
    names.emplace_back(data);
  }
  return names;
}

} // namespace km470

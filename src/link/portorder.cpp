#include "link/portorder.h"

#include <algorithm>

namespace km470 {

int PortNumber(std::string_view name) {
  if (name.size() < 4 || name.size() > 6)
    return 0;
  for (size_t i = 0; i < 3; ++i)
    if ((name[i] | 0x20) != "com"[i])
      return 0;
  if (name[3] == '0')
    return 0; // "COM01" is no name the system gives
  int port = 0;
  for (const char c : name.substr(3)) {
    if (c < '0' || c > '9')
      return 0;
    port = port * 10 + (c - '0');
  }
  return port <= kMaxPort ? port : 0;
}

std::string PortName(int port) {
  return "COM" + std::to_string(port);
}

std::string PortDevicePath(int port) {
  return "\\\\.\\" + PortName(port);
}

std::vector<int> SearchPorts(const std::vector<std::string>& listedNames, int storedPort) {
  std::vector<int> ports;
  for (int port = 1; port <= kBuiltInPorts; ++port)
    ports.push_back(port);
  for (const std::string& name : listedNames)
    if (const int port = PortNumber(name))
      ports.push_back(port);
  if (storedPort > 0 && storedPort <= kMaxPort)
    ports.push_back(storedPort);
  std::sort(ports.begin(), ports.end());
  ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
  return ports;
}

int NextPort(const std::vector<int>& order, int port) {
  const auto next = std::upper_bound(order.begin(), order.end(), port);
  return next != order.end() ? *next : order.front();
}

int StoredPort(int comKanal, int comNummer) {
  if (comKanal >= 1 && comKanal <= kBuiltInPorts)
    return comKanal;
  if (comNummer > kBuiltInPorts && comNummer <= kMaxPort)
    return comNummer;
  return comKanal < 1 ? 0 : kBuiltInPorts;
}

StoredPortKeys KeysForPort(int port) {
  if (port <= kBuiltInPorts)
    return {port, 0};
  return {0, port};
}

} // namespace km470

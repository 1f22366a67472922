#pragma once
// The serial ports the system lists (HKLM\HARDWARE\DEVICEMAP\SERIALCOMM): every port a driver
// has made, built in or on a USB adapter, as it is there now.
#include <string>
#include <vector>

namespace km470 {

// The ports' names ("COM7"), in the registry's order; none when the key cannot be read.
std::vector<std::string> ListedSerialPorts();

} // namespace km470

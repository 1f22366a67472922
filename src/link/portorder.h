#pragma once
// Which serial ports the connection search offers and in which order it steps through them, and
// how km470.ini keeps a port. COM1 to COM4 are always offered, as PCs with built-in ports had
// them; a USB adapter gets whatever number the system gives it, often COM5 to COM20, so every
// port the system lists is offered too.
#include <string>
#include <string_view>
#include <vector>

namespace km470 {

inline constexpr int kBuiltInPorts = 4; // COM1 to COM4
inline constexpr int kMaxPort = 256;    // the highest number Windows gives a COM port

// 12 for "COM12" (any case); 0 for anything that names no COM port from 1 to kMaxPort.
int PortNumber(std::string_view name);
// "COM12": the name the program shows and keeps.
std::string PortName(int port);
// "\\.\COM12": the name that opens the port. Without the prefix only COM1 to COM9 open at all.
std::string PortDevicePath(int port);

// The ports the search steps through, in order: COM1 to COM4, then the other ports in
// listedNames (the system's names, "COM7") and the stored port, in numeric order, each once.
std::vector<int> SearchPorts(const std::vector<std::string>& listedNames, int storedPort);
// The port after `port` in order, the first after the last; a port not in it (0: none selected)
// is followed by the next higher one there.
int NextPort(const std::vector<int>& order, int port);

// km470.ini's two keys for the port: "COM-Kanal" as older versions read it (1 to 4; 0 writes "no
// port of these") and a key of its own for a port above COM4, which older versions never read.
struct StoredPortKeys {
  int comKanal;
  int comNummer; // 0: the key is removed
};
// The port the keys select: COM-Kanal 1 to 4 names it; otherwise a COM-Nummer from 5 to kMaxPort;
// otherwise COM-Kanal as older versions clamp it (9 selects COM4, 0 and below none: 0).
int StoredPort(int comKanal, int comNummer);
StoredPortKeys KeysForPort(int port);

} // namespace km470

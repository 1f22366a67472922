#pragma once
// ucom, the serial channel: the program's only access to the serial line. One port at most is open.
// A receive text grows as bytes arrive and a transmit text is drained towards the port; nothing
// here blocks. All calls come from the GUI thread.
#include <string>

namespace ucom {

// Bytes received and not yet taken by a consumer, oldest first (any byte value, one char each).
// Consumers copy it and clear it.
extern std::string ReceiveText;
// Bytes waiting to be sent, oldest first. Producers append whole commands; ComWrite drains it.
extern std::string TransmitText;

// Waits at least `seconds` while window messages keep being processed. Time is measured with a
// monotonic clock; messages are processed at least once, also for 0 seconds.
void DelaySeconds(double seconds);

// Closes any open port, empties both texts, opens portName ("COM1" to "COM256") at the baud rate
// with no parity, 8 data bits, 1 stop bit. errorText is empty on success and holds the system's
// message text on failure.
void ComOpen(const std::string& portName, int baud, std::string& errorText);
// Appends the bytes waiting in the input queue, at most 255, to ReceiveText.
void ComRead();
// Hands up to 998 bytes from the front of TransmitText to the port, unless the output queue still
// holds bytes of an earlier write.
void ComWrite();
// Closes the port if one is open.
void ComClose();
bool ComIsOpen();
// Opens the port of the last ComOpen again, at the same baud rate: after an adapter was unplugged
// and plugged in again, the old handle leads nowhere. errorText as for ComOpen.
void ComReopen(std::string& errorText);
// The baud rate the open port was set to; 0 when no port is open or its settings were refused.
int ComBaud();
// Whether the last ComOpen failed because the system has no such port, rather than because the
// port is in use or refused its settings.
bool ComPortMissing();
// The name of the port last opened ("COM3"); empty before the first.
std::string ComPortName();

} // namespace ucom

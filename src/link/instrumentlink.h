#pragma once
// The exchanges with the display unit over the serial channel: start, stop, decimal places,
// identification, the polling of measurement frames and the closing of the link.
#include "link/km470protocol.h"
#include "link/ucom.h"

namespace km470 {

// "C00C": the unit starts streaming frames.
void SendStartCommand();
// "C00S": the unit stops streaming.
void SendStopCommand();
// Asks "C00D" and sets decimalPlaces from the reply read 0.5 s later (unchanged without a usable
// reply).
void QueryDecimals(int& decimalPlaces);
// Stops the stream twice, asks "?V" and tells whether the reply 0.1 s later names the KM470.
bool IdentifyInstrument();
// The reply of the last identification that named the unit; empty before one.
const std::string& InstrumentIdentification();
// Stops the unit, lets the command leave the port (0.2 s), closes the port.
void CloseInstrumentLink();

// Reads what has arrived (at most 255 bytes) and hands each valid frame to consumer in arrival
// order. True when at least one byte of any kind was received.
template <typename Consumer>
bool PollMeasurementFrames(FrameDecoder& decoder, int decimalPlaces, Consumer&& consumer) {
  ucom::ComRead();
  if (ucom::ReceiveText.empty())
    return false;
  // Take the text before decoding: a consumer may run a wait that reads the port again.
  std::string received;
  received.swap(ucom::ReceiveText);
  decoder.Feed(received, decimalPlaces, consumer);
  return true;
}

} // namespace km470

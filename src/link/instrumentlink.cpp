#include "link/instrumentlink.h"

namespace km470 {
namespace {

void Send(std::string_view command) {
  ucom::TransmitText.append(command);
  ucom::ComWrite();
}

std::string TakeReceived() {
  std::string reply;
  reply.swap(ucom::ReceiveText);
  return reply;
}

std::string Identification; // the last reply that named the unit

} // namespace

void SendStartCommand() {
  Send(kStartCommand);
}

void SendStopCommand() {
  Send(kStopCommand);
}

void QueryDecimals(int& decimalPlaces) {
  Send(kDecimalsCommand);
  ucom::DelaySeconds(0.5);
  ucom::ComRead();
  decimalPlaces = DecimalsFromReply(TakeReceived(), decimalPlaces);
}

bool IdentifyInstrument() {
  Send(kStopCommand);
  Send(kStopCommand);
  ucom::DelaySeconds(0.1);
  ucom::ComRead();
  TakeReceived(); // frames still in flight, replies to the stop commands
  Send(kIdentifyCommand);
  ucom::DelaySeconds(0.1);
  ucom::ComRead();
  std::string reply = TakeReceived();
  if (!ReplyIdentifiesInstrument(reply))
    return false;
  Identification = std::move(reply);
  return true;
}

const std::string& InstrumentIdentification() {
  return Identification;
}

void CloseInstrumentLink() {
  Send(kStopCommand);
  ucom::DelaySeconds(0.2);
  ucom::ComClose();
}

} // namespace km470

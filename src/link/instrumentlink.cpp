#include "link/instrumentlink.h"

namespace km470 {
namespace {

std::string LastInstrumentReply; // the last reply that named the unit

void Send(std::string_view command) {
  ucom::TransmitText.append(command);
  ucom::ComWrite();
}

std::string TakeReceived() {
  std::string reply;
  reply.swap(ucom::ReceiveText);
  return reply;
}

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
  const bool named = ReplyIdentifiesInstrument(reply);
  if (named)
    LastInstrumentReply = std::move(reply);
  return named;
}

const std::string& InstrumentReply() {
  return LastInstrumentReply;
}

void CloseInstrumentLink() {
  Send(kStopCommand);
  ucom::DelaySeconds(0.2);
  ucom::ComClose();
}

} // namespace km470

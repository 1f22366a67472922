#include "link/ucom.h"

#include "base/handles.h"
#include "base/messageloop.h"
#include "link/portorder.h"

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ucom {

std::string ReceiveText;
std::string TransmitText;

namespace {

constexpr DWORD kMaxRead = 255;
constexpr size_t kMaxWrite = 998;
constexpr DWORD kReadCompletionMs = 1000;

base::UniqueFile PortHandle;
int PortBaud = 0;
std::string LastPortName; // and LastBaud: what ComReopen opens
int LastBaud = 0;
bool LastOpenFoundNoPort = false;
// The read's completion event. The bytes asked for are already queued, so a read completes at
// once; but a system may still report it pending (Wine always does), and a pending read must be
// completed, or its bytes are lost.
base::UniqueHandle ReadEvent;
unsigned char ReceiveBuffer[1000];
unsigned char TransmitBuffer[1000];
OVERLAPPED ReadRecord;
OVERLAPPED WriteRecord;
// A write is started and never awaited; the transmit buffer and its record must not be reused
// while it is still in flight.
bool WriteStarted = false;

std::string SystemMessageText(DWORD code) {
  char buffer[81] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, buffer, 80, nullptr);
  std::string text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
    text.pop_back();
  // Callers only test whether the text is empty; a failure must never read as success.
  if (text.empty())
    text = "Systemfehler " + std::to_string(code);
  return text;
}

bool WriteInFlight() {
  return WriteStarted && !HasOverlappedIoCompleted(&WriteRecord);
}

} // namespace

void DelaySeconds(double seconds) {
  base::Delay(seconds > 0 ? static_cast<std::uint64_t>(std::ceil(seconds * 1000)) : 0);
}

void ComOpen(const std::string& portName, int baud, std::string& errorText) {
  errorText.clear();
  ComClose();
  ReceiveText.clear();
  TransmitText.clear();
  LastPortName = portName;
  LastBaud = baud;

  // A port is opened by its device name: "COM10" and up open only so, the others just as well.
  const int port = km470::PortNumber(portName);
  char name[81] = {};
  std::strncpy(name, port ? km470::PortDevicePath(port).c_str() : portName.c_str(), 80);
  PortHandle.reset(CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OVERLAPPED, nullptr));
  const DWORD openError = PortHandle ? ERROR_SUCCESS : GetLastError();
  LastOpenFoundNoPort = openError == ERROR_FILE_NOT_FOUND || openError == ERROR_PATH_NOT_FOUND;
  DCB dcb{};
  dcb.DCBlength = sizeof(dcb);
  if (!GetCommState(PortHandle.get(), &dcb)) {
    const DWORD error = GetLastError();
    // A name that opens but leads to no serial device is no port either: Wine opens a port it
    // was given at start even when nothing is linked behind it.
    LastOpenFoundNoPort = LastOpenFoundNoPort || error == ERROR_INVALID_FUNCTION;
    errorText = SystemMessageText(error);
    return;
  }
  const std::string settings =
      portName + ": baud=" + std::to_string(baud) + " parity=n data=8 stop=1";
  std::strncpy(name, settings.c_str(), 80);
  if (!BuildCommDCBA(name, &dcb)) {
    errorText = SystemMessageText(GetLastError());
    return;
  }
  if (!SetCommState(PortHandle.get(), &dcb)) {
    errorText = SystemMessageText(GetLastError());
    return;
  }
  PortBaud = baud;
}

void ComReopen(std::string& errorText) {
  if (LastPortName.empty()) {
    errorText = "kein Anschluss geöffnet";
    return;
  }
  const std::string name = LastPortName; // ComOpen takes its argument by reference
  ComOpen(name, LastBaud, errorText);
}

void ComRead() {
  if (!PortHandle)
    return;
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(PortHandle.get(), &errors, &status);
  DWORD n = std::min<DWORD>(status.cbInQue, kMaxRead);
  if (n == 0)
    return;
  if (!ReadEvent)
    ReadEvent.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::memset(&ReadRecord, 0, sizeof(ReadRecord));
  ReadRecord.hEvent = ReadEvent.get();
  DWORD got = 0;
  if (!ReadFile(PortHandle.get(), ReceiveBuffer, n, &got, &ReadRecord)) {
    got = 0;
    if (GetLastError() == ERROR_IO_PENDING) {
      // The bytes are queued, so this returns at once; the bound only guards against a driver
      // that never completes. A read that cannot complete is cancelled rather than left to
      // write into the buffer later.
      if (WaitForSingleObject(ReadEvent.get(), kReadCompletionMs) != WAIT_OBJECT_0)
        CancelIoEx(PortHandle.get(), &ReadRecord);
      if (!GetOverlappedResult(PortHandle.get(), &ReadRecord, &got, TRUE))
        got = 0;
    }
  }
  ReceiveText.append(reinterpret_cast<const char*>(ReceiveBuffer), got);
}

void ComWrite() {
  if (!PortHandle)
    return;
  DWORD errors = 0;
  COMSTAT status{};
  ClearCommError(PortHandle.get(), &errors, &status);
  const size_t len = std::min(TransmitText.size(), kMaxWrite);
  if (len == 0)
    return;
  if (status.cbOutQue != 0 || WriteInFlight())
    return; // sent by a later call, once the earlier write has left
  std::memset(&WriteRecord, 0, sizeof(WriteRecord));
  std::memcpy(TransmitBuffer, TransmitText.data(), len);
  DWORD written = 0;
  WriteFile(PortHandle.get(), TransmitBuffer, static_cast<DWORD>(len), &written, &WriteRecord);
  WriteStarted = true;
  TransmitText.erase(0, len);
}

void ComClose() {
  if (!PortHandle)
    return;
  if (WriteInFlight())
    CancelIoEx(PortHandle.get(), &WriteRecord);
  WriteStarted = false;
  PortHandle.reset();
  PortBaud = 0;
}

bool ComIsOpen() {
  return PortHandle.valid();
}

int ComBaud() {
  return PortHandle.valid() ? PortBaud : 0;
}

bool ComPortMissing() {
  return LastOpenFoundNoPort;
}

std::string ComPortName() {
  return LastPortName;
}

} // namespace ucom

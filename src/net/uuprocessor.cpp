#include "net/uuprocessor.h"

#include <stdexcept>

void TUUProcessor::FillAlphabet() {
  static constexpr char kMime[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < 64; ++i) {
    if (Method == UUMethods::uuMime)
      alphabet_[i] = kMime[i];
    else // uuencode: the grave accent stands for 0, codes 33 to 95 for 1 to 63
      alphabet_[i] = i == 0 ? '`' : static_cast<char>(32 + i);
  }
}

void TUUProcessor::EncodeLine(const unsigned char* b, std::size_t count) {
  std::ostream& out = *TargetStream;
  if (Method == UUMethods::uuCode)
    out.put(alphabet_[count]);
  std::size_t i = 0;
  for (; i + 3 <= count; i += 3) {
    out.put(alphabet_[b[i] >> 2]);
    out.put(alphabet_[((b[i] & 0x03) << 4) | (b[i + 1] >> 4)]);
    out.put(alphabet_[((b[i + 1] & 0x0F) << 2) | (b[i + 2] >> 6)]);
    out.put(alphabet_[b[i + 2] & 0x3F]);
  }
  const std::size_t rest = count - i;
  if (rest == 1) {
    out.put(alphabet_[b[i] >> 2]);
    out.put(alphabet_[(b[i] & 0x03) << 4]);
    if (Method == UUMethods::uuMime)
      out << "==";
  } else if (rest == 2) {
    out.put(alphabet_[b[i] >> 2]);
    out.put(alphabet_[((b[i] & 0x03) << 4) | (b[i + 1] >> 4)]);
    out.put(alphabet_[(b[i + 1] & 0x0F) << 2]);
    if (Method == UUMethods::uuMime)
      out.put('=');
  }
  out << "\r\n";
}

void TUUProcessor::Encode() {
  if (SourceStream == nullptr || TargetStream == nullptr)
    throw std::invalid_argument("TUUProcessor: Quelle oder Ziel fehlt");
  SourceStream->clear();
  SourceStream->seekg(0);
  if (OnBeginEncode)
    OnBeginEncode(*this);
  // The end event comes also when encoding fails, so that a caller's begin/end pairing holds.
  const auto finish = [this] {
    TargetStream->clear();
    TargetStream->seekp(0);
    TargetStream->seekg(0);
    if (OnEndEncode)
      OnEndEncode(*this);
  };
  try {
    FillAlphabet();
    unsigned char line[45];
    for (;;) {
      SourceStream->read(reinterpret_cast<char*>(line), sizeof line);
      const auto got = static_cast<std::size_t>(SourceStream->gcount());
      if (got == 0)
        break;
      EncodeLine(line, got);
      if (got < sizeof line)
        break;
    }
    if (Method == UUMethods::uuCode) {
      TargetStream->put(alphabet_[0]);
      *TargetStream << "\r\n";
    }
  } catch (...) {
    try {
      finish();
    } catch (...) {
      // The encoding failure is the one to report.
    }
    throw;
  }
  finish();
}

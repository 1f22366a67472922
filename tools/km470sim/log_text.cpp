#include "log_text.h"

namespace km470sim {

namespace {
constexpr char kHex[] = "0123456789abcdef";

void appendHex(std::string& out, unsigned char c) {
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 0x0F]);
}
} // namespace

std::string hexBytes(std::string_view bytes) {
  std::string out;
  for (const char ch : bytes) {
    if (!out.empty())
      out.push_back(' ');
    appendHex(out, static_cast<unsigned char>(ch));
  }
  return out;
}

std::string printable(std::string_view text) {
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(ch);
    } else {
      out += "\\x";
      appendHex(out, c);
    }
  }
  return out;
}

std::string frameLine(std::uint64_t index, int count, std::uint8_t status) {
  std::string out = "frame " + std::to_string(index) + ' ' + std::to_string(count) + ' ';
  appendHex(out, status);
  return out;
}

std::string itemLine(const LogItem& item, std::uint64_t& nextFrameIndex) {
  switch (item.kind) {
  case LogItem::Kind::Frame:
    return frameLine(nextFrameIndex++, item.count, item.status);
  case LogItem::Kind::Noise:
    return "noise " + hexBytes(item.bytes);
  case LogItem::Kind::Reply:
    return "tx " + printable(item.bytes);
  case LogItem::Kind::Echo:
    return "echo " + hexBytes(item.bytes);
  }
  return {};
}

} // namespace km470sim

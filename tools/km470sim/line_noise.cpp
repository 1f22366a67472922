#include "line_noise.h"

namespace km470sim {

namespace {

std::string toString(const FrameBytes& f) {
  return std::string(f.begin(), f.end());
}

LogItem noiseItem(std::string bytes) {
  LogItem item;
  item.kind = LogItem::Kind::Noise;
  item.bytes = std::move(bytes);
  return item;
}

LogItem frameItem(const Sample& sample, const FrameBytes& f) {
  LogItem item;
  item.kind = LogItem::Kind::Frame;
  item.count = sample.count;
  item.status = f[0];
  return item;
}

} // namespace

std::string LineNoise::strayText(int minBytes, int maxBytes) {
  std::string text;
  const int n = rng_.between(minBytes, maxBytes);
  for (int i = 0; i < n; ++i)
    text.push_back(static_cast<char>(rng_.between(0x00, 0x7F)));
  return text;
}

Piece LineNoise::render(const Sample& sample) {
  const FrameBytes f = encodeFrame(sample);
  Piece piece;
  piece.stream = true;

  const int roll = enabled_ ? rng_.between(0, 999) : 999;
  const bool mayDamage = !lastDamaged_;
  lastDamaged_ = false;

  if (roll < 25) {
    // Stray text between frames: a receiver drops it.
    std::string text = strayText(1, 4);
    piece.bytes = text + toString(f);
    piece.items = {noiseItem(std::move(text)), frameItem(sample, f)};
  } else if (roll < 45) {
    // Stray text inside the frame: still decodes, since text bytes are dropped before framing.
    std::string text = strayText(1, 2);
    const std::size_t at = static_cast<std::size_t>(rng_.between(1, 2));
    piece.bytes = toString(f);
    piece.bytes.insert(at, text);
    piece.items = {noiseItem(std::move(text)), frameItem(sample, f)};
  } else if (roll < 57 && mayDamage) {
    // A lost byte: the rest of the frame is worthless.
    piece.bytes = toString(f);
    piece.bytes.erase(static_cast<std::size_t>(rng_.between(0, 2)), 1);
    piece.items = {noiseItem(piece.bytes)};
    lastDamaged_ = true;
  } else if (roll < 67 && mayDamage) {
    // A broken frame: a status byte where the value's high bits belong.
    FrameBytes broken = f;
    broken[1] = static_cast<std::uint8_t>(0xC0 | rng_.between(0, 0x3F));
    piece.bytes = toString(broken);
    piece.items = {noiseItem(piece.bytes)};
    lastDamaged_ = true;
  } else if (roll < 77 && mayDamage) {
    // Well formed, but the count is beyond the valid range.
    const FrameBytes over = encodeRaw(f[0], rng_.between(kMaxCount + kRawOffset + 1, kMaxRaw));
    piece.bytes = toString(over);
    piece.items = {noiseItem(piece.bytes)};
    lastDamaged_ = true;
  } else {
    piece.bytes = toString(f);
    piece.items = {frameItem(sample, f)};
  }
  return piece;
}

} // namespace km470sim

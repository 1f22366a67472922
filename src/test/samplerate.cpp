#include "test/samplerate.h"

namespace dynlog {

namespace {

struct RateRow {
  std::string_view text;
  int skipAt19200; // 320 / rate - 1
};

constexpr RateRow kRates[] = {
    {"320", 0}, {"160", 1}, {"80", 3}, {"40", 7}, {"20", 15}, {"10", 31}, {"5", 63}, {"2,5", 127},
};

const RateRow& Row(SampleRate rate) {
  const auto i = static_cast<unsigned>(rate);
  // An out-of-range enum value falls back to the program's default rate of 10 per second.
  return i < std::size(kRates) ? kRates[i] : kRates[static_cast<unsigned>(SampleRate::Hz10)];
}

} // namespace

std::string_view RateText(SampleRate rate) {
  return Row(rate).text;
}

int FramesPerSecond(int baud) {
  return baud == 9600 ? 160 : 320;
}

int ReloadValue(SampleRate rate, int framesPerSecond) {
  const int n = Row(rate).skipAt19200;
  // C++ integer division truncates toward zero, which is what turns 0 into (0 + 1) / 2 - 1 = -1.
  return framesPerSecond < 320 ? (n + 1) / 2 - 1 : n;
}

SampleRate KeptRate(SampleRate rate, int framesPerSecond) {
  return framesPerSecond < 320 && rate == SampleRate::Hz320 ? SampleRate::Hz160 : rate;
}

double RatePerSecond(SampleRate rate) {
  return 320.0 / (Row(rate).skipAt19200 + 1);
}

} // namespace dynlog

// Prints what the measurement window's hot path costs: time per emitted value (decimation,
// averaging, recording, caption text, chart geometry), heap allocations per value once warm, and
// the time to build the text of a full 10000-value file. Not a pass/fail test.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "window/acquisition.h"
#include "window/forcechart.h"
#include "window/measurementfile.h"
#include "window/numberformat.h"
#include "window/samplerate.h"

namespace {
long g_allocations = 0;
}

void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

int main() {
  using Clock = std::chrono::steady_clock;
  using namespace dynlog;
  const NumberSeparators german = GermanSeparators();
  auto acq = std::make_unique<Acquisition>();
  ForceChart chart;
  std::string caption;
  long checksum = 0;

  // A signal like the unit's: counts -1000..10000 at two decimal places.
  auto frameValue = [](long i) { return static_cast<double>((i * 7919) % 11001 - 1000) / 100.0; };
  auto run = [&](long frames, SampleRate rate, bool averaging) {
    long emitted = 0;
    for (long i = 0; i < frames; ++i) {
      if (auto v = acq->TakeFrameValue(frameValue(i), ReloadValue(rate, 320), averaging)) {
        FormatValueCaption(caption, *v, 2, german);
        const ChartDrawing d = chart.ShowValue(*v);
        checksum += static_cast<long>(caption.size()) + (d.trace ? d.trace->to.y : 0);
        ++emitted;
      }
    }
    return emitted;
  };

  run(1000, SampleRate::Hz320, false); // warm up: the caption string reaches its size
  const long before = g_allocations;
  const auto t0 = Clock::now();
  const long emitted = run(200000, SampleRate::Hz320, false);
  const auto t1 = Clock::now();
  const long allocations = g_allocations - before;
  const double nsPerValue = std::chrono::duration<double, std::nano>(t1 - t0).count() / emitted;

  const auto t2 = Clock::now();
  const long emittedAveraged = run(320000, SampleRate::Hz10, true);
  const auto t3 = Clock::now();
  const double nsPerFrameAveraged =
      std::chrono::duration<double, std::nano>(t3 - t2).count() / 320000;

  acq->StartRecording();
  run(20000, SampleRate::Hz320, false);
  const auto t4 = Clock::now();
  const std::string file = BuildMeasurementFile(
      {"06.12.2026 09:15:05", SampleRate::Hz320, false, acq->Recording(), 2, german});
  const auto t5 = Clock::now();

  std::printf("emitted value (320/s, no averaging): %.0f ns each, %ld values\n", nsPerValue,
              emitted);
  std::printf("heap allocations in the hot path once warm: %ld\n", allocations);
  std::printf("frame at 10/s with averaging: %.0f ns each, %ld values emitted\n",
              nsPerFrameAveraged, emittedAveraged);
  std::printf("full file text (%u values, %zu bytes): %.2f ms\n", acq->SampleCount(), file.size(),
              std::chrono::duration<double, std::milli>(t5 - t4).count());
  std::printf("checksum %ld\n", checksum);
  return 0;
}

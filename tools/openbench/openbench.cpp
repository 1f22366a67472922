// openbench write FILE SECONDS [RATE]
//   A CSV as --stream writes it: head, SECONDS of values of the simulated unit's signal at RATE
//   values per second (320) with their times and lamps, a pause of 2.5 s in the middle, and the
//   end lines.
// openbench open FILE [COLUMNS]
//   Opens FILE with the program's reader and prints the time to open it, then the time of each
//   zoom step of the whole-test view at COLUMNS columns (1000): the columns and the stretch's
//   figures as the view takes them from the test's column source, from the whole test halved
//   step by step down to a few values and back out.
#ifndef OPENBENCH_OPEN_ONLY
#include "force_signal.h"
#endif
#include "chart/overlaychart.h"
#include "files/csvfile.h"
#include "files/reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

#ifndef OPENBENCH_OPEN_ONLY
int Write(const char* path, double seconds, int rate) {
  std::FILE* out = std::fopen(path, "wb");
  if (!out) {
    std::perror(path);
    return 1;
  }
  const dynlog::NumberSeparators de = dynlog::GermanSeparators();
  dynlog::CsvHead head{
      {2026, 12, 8, 6, 0, 0, 60}, static_cast<double>(rate), false, 1, "KM470 V1.2", "COM3"};
  head.test = {dynlog::ForceUnit::N, {"Feder-0001", "Bank", "A-7", "Dauerlauf"}, {{}, 1000.0}};
  std::string text = dynlog::CsvHeadText(head, de);
  dynlog::CsvLines lines(rate, 1, de);
  km470sim::ForceSignal signal(1, rate);
  dynlog::TestResults results;
  const auto count = static_cast<std::uint64_t>(seconds * rate);
  for (std::uint64_t i = 0; i < count; ++i) {
    const km470sim::Sample s = signal.next();
    const float value = static_cast<float>(s.count / 10.0);
    const double t = static_cast<double>(i) / rate + (i >= count / 2 ? 2.5 : 0.0);
    const dynlog::Lamps lamps = static_cast<dynlog::Lamps>(
        (s.trigger << 5) | (s.pageSelect ? (s.bit3 << 3) | (s.bit4 << 4) : s.bit3 | (s.bit4 << 1)));
    lines.Append(text, value, t, lamps);
    results.Add(value, t);
    if (text.size() > (1 << 20)) {
      std::fwrite(text.data(), 1, text.size(), out);
      text.clear();
    }
  }
  const dynlog::CsvSummary summary{dynlog::AddSeconds(head.start, results.LastSeconds()), results,
                                   dynlog::JudgeMaximum(results.Max(), head.test.limits, 1)};
  text += dynlog::CsvSummaryText(head, summary, de);
  std::fwrite(text.data(), 1, text.size(), out);
  return std::fclose(out) == 0 ? 0 : 1;
}

#endif

int Open(const char* path, int columns) {
  std::FILE* in = std::fopen(path, "rb");
  if (!in) {
    std::perror(path);
    return 1;
  }
  const auto start = Clock::now();
  const dynlog::OpenedTest test = dynlog::ReadTestFile(
      [in](char* buffer, std::size_t size) { return std::fread(buffer, 1, size, in); },
      dynlog::GermanSeparators());
  const double open = SecondsSince(start);
  std::fclose(in);
  const dynlog::TestValues& v = test.values;
  std::printf("values: %llu, gaps: %zu, rate: %g/s, unread line: %s\n",
              static_cast<unsigned long long>(v.Count()), v.Gaps(), test.head.valuesPerSecond,
              test.unread ? dynlog::UnreadLineText(*test.unread).c_str() : "none");
  std::printf("open: %.3f s\n", open);

  // Zoom in by halves around a point that wanders, down to fewer values than columns, then out
  // again to the whole test: every step fits the columns and takes the stretch's figures.
  std::vector<double> steps;
  const dynlog::TestValuesColumns source(v);
  const std::vector<dynlog::ShownCurve> curves{
      {"", &source, {v.ValuesPerSecond(), 1, dynlog::GermanSeparators()}, {}, {}, &test}};
  std::uint64_t from = 0, to = v.Count();
  std::size_t drawn = 0;
  for (int step = 0; step < 64; ++step) {
    const auto t0 = Clock::now();
    const dynlog::TimeWindow window = dynlog::ViewWindow(source, from, to, columns);
    drawn += dynlog::FitCurves(curves, window).curves[0].size();
    drawn += dynlog::CurveStretch(curves[0], window).count > 0;
    steps.push_back(SecondsSince(t0));
    if (to - from > static_cast<std::uint64_t>(columns) / 4 && step < 40) {
      const std::uint64_t width = (to - from) / 2;
      from += (to - from - width) * static_cast<std::uint64_t>(step % 3) / 2;
      to = from + width;
    } else if (from > 0 || to < v.Count()) {
      from = from / 2;
      to = std::min<std::uint64_t>(v.Count(), to + (v.Count() - to + 1) / 2 + (to - from));
    } else {
      break;
    }
  }
  double total = 0, worst = 0;
  for (const double s : steps) {
    total += s;
    worst = std::max(worst, s);
  }
  std::printf("zoom steps: %zu at %d columns, mean %.2f ms, slowest %.2f ms (%zu columns drawn)\n",
              steps.size(), columns, 1000 * total / steps.size(), 1000 * worst, drawn);
  return 0;
}

} // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
#ifndef OPENBENCH_OPEN_ONLY
  if (mode == "write" && argc >= 4)
    return Write(argv[2], std::atof(argv[3]), argc > 4 ? std::atoi(argv[4]) : 320);
#endif
  if (mode == "open" && argc >= 3)
    return Open(argv[2], argc > 3 ? std::atoi(argv[3]) : 1000);
  std::fprintf(stderr, "usage: openbench write FILE SECONDS [RATE] | open FILE [COLUMNS]\n");
  return 2;
}

// Tests laid over each other in the whole-test view: each on its own times within one window, the
// figures of a stretch from the recording's values and from an opened test's blocks alike.
#include "chart/overlaychart.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace dynlog {
namespace {

const NumberSeparators de = GermanSeparators();

TEST(OverlayTest, CurvesKeepTheirOwnTimesAndStretchFiguresAgree) {
  // The same signal kept at 320 values/s in memory (with a pause of 2 s after value 1000) and at
  // 320/s in an opened file; a spike of one value at 1.5 s in the file.
  std::vector<float> recorded;
  TestValues file(320);
  for (int i = 0; i < 3200; ++i) {
    recorded.push_back(static_cast<float>(std::sin(i / 50.0) * 100));
    file.Append(i == 480 ? 500.0f : recorded.back());
  }
  file.Finish();
  const SpanColumns memory(recorded,
                           [](std::uint64_t i) { return i / 320.0 + (i > 1000 ? 2 : 0); });
  const TestValuesColumns opened(file);
  for (const auto& [first, last] :
       {std::pair{0.0, memory.LastSeconds()}, {1.2, 3.9}, {1.49, 1.51}}) {
    SCOPED_TRACE(first);
    const TimeWindow window{first, last, 600};
    // The curve the window is counted on draws as the whole-test view always drew it.
    const auto [from, to] = IndicesInWindow(memory, window);
    const TimeWindow own{memory.SecondsOf(from), memory.SecondsOf(to - 1), 600};
    const auto columns = ColumnsInWindow(memory, own);
    const auto direct = FitColumns(std::span(recorded).subspan(from, to - from), 600, from,
                                   [&](std::uint64_t i) { return memory.SecondsOf(i); });
    ASSERT_EQ(columns.size(), direct.size());
    for (std::size_t i = 0; i < columns.size(); ++i)
      EXPECT_EQ(std::tie(columns[i].column, columns[i].min, columns[i].max),
                std::tie(direct[i].column, direct[i].min, direct[i].max));
    // The other curve's spike lies in the column of its time, 1.5 s, on the same window.
    const int spike = static_cast<int>(std::lround(own.ColumnOf(1.5)));
    for (const ChartColumn& c : ColumnsInWindow(opened, own))
      EXPECT_EQ(c.max == 500.0f, c.column == spike) << c.column;
  }
  // The figures of a stretch: the recording's by a pass, the file's from its blocks.
  const SpanColumns evenly(recorded, [](std::uint64_t i) { return i / 320.0; });
  const auto [a, b] = IndicesInWindow(opened, {2.0, 3.0, 600});
  const StretchFigures pass = evenly.Stretch(a, b), blocks = file.Stretch(a, b);
  EXPECT_EQ(std::tie(pass.count, pass.max, pass.maxSeconds, pass.min, pass.minSeconds),
            std::tie(blocks.count, blocks.max, blocks.maxSeconds, blocks.min, blocks.minSeconds));
  EXPECT_NEAR(pass.mean, blocks.mean, 1e-4);
}

TEST(OverlayTest, FiveCurvesAtMostOneReferenceAndTheirTexts) {
  ComparedTests compared;
  compared.ShowRecording(true);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(compared.Add(std::string("T").append(std::to_string(i)).append(".csv"), OpenedTest()),
              i < 4);
  compared.ToggleReference(2);
  compared.ToggleReference(2);
  compared.ToggleReference(3);
  Recording recording;
  const auto curves = compared.Curves(recording, de);
  ASSERT_EQ(curves.size(), 5u);
  EXPECT_EQ(MainCurve(curves, compared.Reference()), 3u);
  EXPECT_EQ(LegendText(curves[3], true), "T2.csv (Referenz)");
  OpenedTest damaged;
  damaged.timesFromRate = true;
  damaged.values.SetRate(10);
  damaged.unread = UnreadLine{12, "kein Messwert"};
  EXPECT_EQ(OpenedTestNote({"m.txt", nullptr, {10, 1, de}, {}, {}, &damaged}, de),
            "Datei m.txt \xC2\xB7 Zeile 12 nicht lesbar: kein Messwert \xC2\xB7 " +
                TimesFromRateText(10, de));
  EXPECT_EQ(
      StretchLine({3, 1.0, 1.5, 7.25f, -2, 1.25, 1.0, 3.5}, {320, 2, de, ForceUnit::N}),
      "Ausschnitt 3 Werte in 0,503125 s   Max. 7,25 N bei 1,25 s   Min. -2,00 N   Mittel 3,50 N");
}

} // namespace
} // namespace dynlog

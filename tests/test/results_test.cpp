#include "test/results.h"

#include <gtest/gtest.h>

#include <vector>

namespace dynlog {
namespace {

TEST(TestResultsTest, FiguresAreTheRecordedValuesRoundedAsTheFileWritesThem) {
  TestResults r;
  EXPECT_EQ(ResultsLine(r, {10, 0, GermanSeparators()}), "");
  // Times as the recording gives them: the fourth value after a gap of 4 s.
  const std::vector<std::pair<float, double>> values{
      {3.0f, 0}, {1202.0f, 0.1}, {-5.0f, 0.2}, {1202.4f, 4.3}, {0.0f, 4.4}};
  for (const auto& [v, t] : values)
    r.Add(v, t);
  r.Add(1202.4f, 4.5); // a later equal maximum keeps the first one's time
  EXPECT_EQ(ResultsLine(r, {10, 0, GermanSeparators()}),
            "6 Werte in 4,6 s   Max. 1.202 bei 4,3 s   Min. -5   Mittel 601");
  EXPECT_EQ(ResultsReport(r, {320, 1, {",", ""}}, {1, 4.0125}),
            "Werte: 6\r\nDauer: 4,503125 s\r\nMaximum: 1202,4 bei 4,300000 s\r\n"
            "Minimum: -5,0 bei 0,200000 s\r\nMittelwert: 600,8\r\n"
            "L\xC3\xBC"
            "cken: 1, zusammen 4,013 s\r\n");
}

} // namespace
} // namespace dynlog

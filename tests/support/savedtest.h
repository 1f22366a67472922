#pragma once
// A saved test as the program opens it: the CSV of given values (at 100 values a second, one
// decimal, in N) with the head given (a start when it has none), read back by the program's own
// reader.
#include "window/csvfile.h"
#include "window/testfilereader.h"

#include <vector>

namespace testsupport {

inline dynlog::OpenedTest SavedTest(const std::vector<float>& values, dynlog::CsvHead head) {
  if (head.start.year == 0)
    head.start = {2026, 12, 8, 6, 0, 0, 60};
  head.valuesPerSecond = 100;
  head.decimalPlaces = 1;
  head.test.unit = dynlog::ForceUnit::N;
  const auto secondsOf = [](std::uint64_t i) { return static_cast<double>(i) / 100; };
  dynlog::TestResults results;
  for (std::size_t i = 0; i < values.size(); ++i)
    results.Add(values[i], secondsOf(i));
  head.summary = dynlog::CsvSummary{head.start, results,
                                    dynlog::JudgeMaximum(results.Max(), head.test.limits, 1)};
  const auto de = dynlog::GermanSeparators();
  return dynlog::ReadTestBytes(dynlog::BuildCsvFile(head, {values, {}, secondsOf}, de), de);
}

// A load that rises to 500 and falls back, with a one-value spike to `spike` at value `at`.
inline std::vector<float> LoadWithSpike(std::size_t count, std::size_t at, float spike) {
  std::vector<float> values(count);
  for (std::size_t i = 0; i < count; ++i)
    values[i] = 500.0f * static_cast<float>(i < count / 2 ? i : count - i) / (count / 2);
  values[at] = spike;
  return values;
}

} // namespace testsupport

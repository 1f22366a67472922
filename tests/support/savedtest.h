#pragma once
// A saved test as the program opens it: the CSV of a load rising to 500 and falling back, with a
// one-value spike at value `at`, at 100 values a second in N, read back by the program's reader.
#include "files/csvfile.h"
#include "files/reader.h"

namespace testsupport {

inline dynlog::OpenedTest SavedTest(int count, int at, float spike, dynlog::CsvHead head,
                                    double first = 0) {
  std::vector<float> values;
  for (int i = 0; i < count; ++i)
    values.push_back(i == at ? spike : 1000.0f * std::min(i, count - i) / count);
  head = {{2026, 12, 8, 6, 0, 0, 60},
          100,
          head.averaging,
          1,
          head.identification,
          head.port,
          {dynlog::ForceUnit::N, head.test.trace, head.test.limits}};
  const auto secondsOf = [first](std::uint64_t i) { return first + static_cast<double>(i) / 100; };
  const auto de = dynlog::GermanSeparators();
  return dynlog::ReadTestBytes(dynlog::BuildCsvFile(head, {values, {}, secondsOf}, de), de);
}

} // namespace testsupport

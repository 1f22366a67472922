#pragma once
// The CSV head of a recording: what the file says of the test before its values (start, rate,
// unit, description, conditions, zero) and, once the values are in, its summary.

#include "files/csvfile.h"
#include "test/recording.h"

namespace dynlog {

// The head as a stream writes it before its values, without the summary.
CsvHead CsvHeadOf(const Recording& r);
// The head of a file holding values with these results: with the summary.
CsvHead CsvHeadOf(const Recording& r, const TestResults& saved);
// The end of results' last value, the results and their verdict.
CsvSummary CsvSummaryOf(const Recording& r, const TestResults& results);

} // namespace dynlog

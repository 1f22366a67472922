#include "files/recordedtest.h"
#include "files/recordinghead.h"

namespace dynlog {

OpenedTest RecordedTest(const Recording& recording) {
  OpenedTest test;
  test.kind = TestFileKind::Csv;
  test.head = CsvHeadOf(recording, recording.Results());
  const double rate = recording.Setting().ValuesPerSecond();
  test.values.SetRate(rate);
  const ValueSeries values = recording.SavedValues();
  // A value off the rate's clock by more than half an interval follows a gap.
  const double tolerance = rate > 0 ? 0.5 / rate : 0.0;
  for (std::size_t i = 0; i < values.values.size(); ++i)
    test.values.AppendAt(values.values[i], i < values.lamps.size() ? values.lamps[i] : Lamps{0},
                         values.secondsOf(i), tolerance);
  test.values.Finish();
  return test;
}

} // namespace dynlog

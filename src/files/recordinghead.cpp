#include "files/recordinghead.h"

#include "test/acquisition.h"

namespace dynlog {

CsvSummary CsvSummaryOf(const Recording& r, const TestResults& results) {
  // The start is the test's 0 s, which a pre-trigger's values come before.
  const double end =
      results.Count() ? results.LastSeconds() + 1 / r.Setting().ValuesPerSecond() : 0;
  return {AddSeconds(r.StartTime(), end), results, r.Judge(results),
          r.EndReason() ? EndCause(*r.EndReason(), r.ConditionsInForce(), r.Setting().decimalPlaces)
                        : std::string(),
          results.FromFrames() ? r.PeakFramesPerSecond() : 0};
}

CsvHead CsvHeadOf(const Recording& r) {
  // Averaging is named only where frames were really put together: at a rate that keeps every
  // frame there is nothing between two values to average.
  const bool averaged = r.Setting().averaging &&
                        ReloadValue(r.Setting().chosenRate, FramesPerSecond(r.Setting().baud)) > 0;
  const StartCondition& start = r.ConditionsInForce().start;
  const bool byItself = r.ConditionsInForce().StartsByItself();
  return {r.StartTime(),
          r.Setting().ValuesPerSecond(),
          averaged,
          r.Setting().decimalPlaces,
          r.Setting().identification,
          r.Setting().port,
          r.Description(),
          byItself ? StartConditionText(start, r.Setting().decimalPlaces) : std::string(),
          byItself ? start.preSeconds : 0,
          r.TestZero(),
          std::nullopt};
}

CsvHead CsvHeadOf(const Recording& r, const TestResults& saved) {
  CsvHead head = CsvHeadOf(r);
  head.summary = CsvSummaryOf(r, saved);
  return head;
}

} // namespace dynlog

#pragma once
// The tests the whole-test view shows together: the recording in memory and tests opened from
// their files, at most five, each in its own colour, aligned at their 0 s on one force scale. One
// of them may be the reference the others are judged against. An opened test is kept here, never
// in the recording: opening a file leaves the recording and its question as they were.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "chart/columnsource.h"
#include "files/reader.h"
#include "test/recording.h"

namespace dynlog {

inline constexpr std::size_t kMostCurves = 5;

// One curve of the view, as the chart, its legend and its lines read it.
struct ShownCurve {
  std::string name; // the legend's: the file's name, or the recording's part
  const ColumnSource* source = nullptr;
  ResultsFormat format;
  TestResults results; // of the whole test
  ForceLimits limits;
  const OpenedTest* opened = nullptr; // none for the recording
};

class ComparedTests {
public:
  // Whether the recording is among the curves, as the first.
  void ShowRecording(bool shown) { withRecording_ = shown; }
  bool RecordingShown() const { return withRecording_; }
  // An opened test laid over the others; false, and nothing kept, when five are shown.
  bool Add(std::string utf8Name, OpenedTest test);
  // No opened test, no recording, no reference.
  void Clear();
  std::size_t Size() const { return files_.size() + (withRecording_ ? 1 : 0); }
  std::size_t Files() const { return files_.size(); }

  // Curve i becomes the reference, or stops being it.
  void ToggleReference(std::size_t i);
  std::optional<std::size_t> Reference() const { return reference_; }

  // The curves, the recording's first; valid until this or the recording changes.
  std::vector<ShownCurve> Curves(const Recording& recording,
                                 const NumberSeparators& separators) const;

private:
  struct File {
    std::string name;
    OpenedTest test;
    TestValuesColumns source{test.values};
  };
  bool withRecording_ = false;
  std::vector<std::unique_ptr<File>> files_; // never moved: their sources point into them
  std::optional<std::size_t> reference_;
  mutable std::unique_ptr<SpanColumns> recordingSource_;
};

// The curve the figures and the readout are of: the reference, else the first.
std::size_t MainCurve(const std::vector<ShownCurve>& curves, std::optional<std::size_t> reference);
// The curve that lasts longest: the time scale runs to its end.
std::size_t LongestCurve(const std::vector<ShownCurve>& curves);

// The legend's line of a curve: "P-001_0002.csv  Max. 251,6 N", and " (Referenz)" for it.
std::string LegendText(const ShownCurve& curve, bool reference);

// What an opened test's head says, for the line below its results: "Datei P-001.csv ·
// Prüfling P-001 · 320 Werte/s · Grenzen … · i.O.", then where its times come from when it has
// no time column, and the first line that could not be read.
std::string OpenedTestNote(const ShownCurve& curve, const NumberSeparators& separators);

} // namespace dynlog

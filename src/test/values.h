#pragma once
// The values of a test opened from its file, kept compactly for files of millions of values: the
// values as floats in pages (a page is never moved, so the store grows without a copy of what it
// holds), the lamps of each only where a page has any, and the times as runs on the file's clock
// (value i of a run at the run's start plus i / rate; a new run after each gap), so that a value
// costs 4 bytes and a lit lamp page one more.
//
// Once all values are in, Finish keeps the minimum, maximum and sum of each block of 8, 64, 512 ...
// values. The columns of a view and the figures of a stretch then read at most 7 blocks at each
// end per level and the few of the top level, instead of every value; a stretch narrow enough
// reads its values themselves.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "test/lamps.h"
#include "test/results.h"
#include "test/valuecolumns.h"

namespace dynlog {

// Values as a file takes them: value i with its lamps at secondsOf(i) seconds since Start.
struct ValueSeries {
  std::span<const float> values;
  std::span<const Lamps> lamps; // one for each value; missing ones are dark
  std::function<double(std::uint64_t)> secondsOf;
};

// The figures of a stretch of values: as TestResults gives them for a whole test.
struct StretchFigures {
  std::uint64_t count = 0;
  double firstSeconds = 0, lastSeconds = 0;
  float max = 0, min = 0;
  double maxSeconds = 0, minSeconds = 0; // of the first value that reached it
  double mean = 0;
  // From the first value's time to the end of the last value's interval.
  double Duration(double valuesPerSecond) const {
    return count == 0 ? 0.0 : lastSeconds - firstSeconds + 1.0 / valuesPerSecond;
  }
};

class TestValues {
public:
  explicit TestValues(double valuesPerSecond = 0) : rate_(valuesPerSecond) {}
  TestValues(TestValues&&) = default;
  TestValues& operator=(TestValues&&) = default;

  // The file's rate, before the first value; 0 when it does not say (the first two times of a
  // file with a time column give it then).
  void SetRate(double valuesPerSecond) { rate_ = valuesPerSecond; }
  double ValuesPerSecond() const { return rate_; }

  // A value at the next time of the rate (a file without a time column).
  void Append(float value, Lamps lamps = 0);
  // A value with the time its file gives: on the rate's clock when it is within `tolerance` of
  // it, the start of a new run (a gap) otherwise. False, and nothing kept, for a time that is not
  // later than the one before.
  bool AppendAt(float value, Lamps lamps, double seconds, double tolerance);
  // Builds the blocks' minima, maxima and sums, after the last value.
  void Finish();

  std::uint64_t Count() const { return count_; }
  float Value(std::uint64_t i) const { return pages_[i >> kPageBits][i & kPageMask]; }
  Lamps LampsOf(std::uint64_t i) const {
    const auto& page = lampPages_[i >> kPageBits];
    return page ? page[i & kPageMask] : Lamps{0};
  }
  double SecondsOf(std::uint64_t i) const;
  // Pauses the times went on across: the runs after the first.
  std::size_t Gaps() const { return runs_.empty() ? 0 : runs_.size() - 1; }

  // The results of the whole test, as the recording keeps them.
  TestResults Results() const;

  // The values [from, to) fitted to `columns` columns as FitColumns places them by their times:
  // each column that holds values with its first, last, minimum and maximum. Needs Finish.
  std::vector<ChartColumn> Columns(std::uint64_t from, std::uint64_t to, int columns) const;
  // The figures of the values [from, to). Needs Finish.
  StretchFigures Stretch(std::uint64_t from, std::uint64_t to) const;

private:
  static constexpr int kPageBits = 16;
  static constexpr std::uint64_t kPageMask = (1u << kPageBits) - 1;
  static constexpr int kFanBits = 3; // 8 blocks of a level make one of the next

  struct Run {
    std::uint64_t first = 0;
    double seconds = 0;
  };
  struct Block {
    float min = 0, max = 0;
    double sum = 0;
  };
  // A piece of a stretch: block `index` of `level` (level 0: the values themselves).
  struct Piece {
    int level = 0;
    std::uint64_t index = 0;
  };
  // The pieces that tile [from, to) exactly, left to right; at most 7 at each end per level and
  // the top level's few.
  template <typename Visit> void Tile(std::uint64_t from, std::uint64_t to, Visit&& visit) const;
  Block BlockAt(const Piece& piece) const;
  std::uint64_t LevelCount(int level) const;
  // The first value of the piece equal to `target` (its maximum or minimum).
  std::uint64_t FirstEqual(Piece piece, float target, bool maximum) const;

  double rate_ = 0;
  std::uint64_t count_ = 0;
  std::vector<std::unique_ptr<float[]>> pages_;
  std::vector<std::unique_ptr<Lamps[]>> lampPages_; // empty where a page's lamps are all dark
  std::vector<Run> runs_;
  double lastSeconds_ = 0;
  std::vector<std::vector<Block>> levels_; // levels_[k]: blocks of 8^(k + 1) values
};

} // namespace dynlog

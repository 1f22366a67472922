#include "test/values.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

namespace dynlog {

namespace {

constexpr std::uint64_t kPageSize = std::uint64_t{1} << 16;

} // namespace

void TestValues::Append(float value, Lamps lamps) {
  if (runs_.empty())
    runs_.push_back({0, 0.0});
  if ((count_ & kPageMask) == 0) {
    pages_.push_back(std::unique_ptr<float[]>(new float[kPageSize]));
    lampPages_.emplace_back();
  }
  pages_.back()[count_ & kPageMask] = value;
  if (lamps != 0) {
    auto& page = lampPages_.back();
    if (!page)
      page = std::make_unique<Lamps[]>(kPageSize);
    page[count_ & kPageMask] = lamps;
  }
  ++count_;
}

bool TestValues::AppendAt(float value, Lamps lamps, double seconds, double tolerance) {
  // Compared with the time kept for the value before (its run's, which may differ from its
  // file's by the tolerance): the times rise, as a view that halves by them needs.
  if (count_ > 0 && !(seconds > lastSeconds_))
    return false;
  if (runs_.empty()) {
    runs_.push_back({0, seconds});
  } else {
    // A file that does not name its rate is taken at the pace of its first two values.
    if (!(rate_ > 0) && count_ == 1)
      rate_ = 1.0 / (seconds - lastSeconds_);
    const Run& run = runs_.back();
    const double onClock = run.seconds + static_cast<double>(count_ - run.first) / rate_;
    if (std::abs(seconds - onClock) <= tolerance && onClock > lastSeconds_)
      seconds = onClock;
    else
      runs_.push_back({count_, seconds});
  }
  lastSeconds_ = seconds;
  Append(value, lamps);
  return true;
}

double TestValues::SecondsOf(std::uint64_t i) const {
  const auto after = std::upper_bound(
      runs_.begin(), runs_.end(), i, [](std::uint64_t v, const Run& run) { return v < run.first; });
  const Run& run = *std::prev(after);
  return i == run.first ? run.seconds : run.seconds + static_cast<double>(i - run.first) / rate_;
}

TestResults TestValues::Results() const {
  TestResults results;
  std::size_t run = 0;
  for (std::uint64_t i = 0; i < count_; ++i) {
    while (run + 1 < runs_.size() && runs_[run + 1].first <= i)
      ++run;
    const Run& r = runs_[run];
    results.Add(Value(i),
                i == r.first ? r.seconds : r.seconds + static_cast<double>(i - r.first) / rate_);
  }
  return results;
}

void TestValues::Finish() {
  levels_.clear();
  for (std::uint64_t below = count_; below > 8;) {
    const int level = static_cast<int>(levels_.size()) + 1;
    std::vector<Block> blocks((below + 7) >> kFanBits);
    for (std::uint64_t b = 0; b < blocks.size(); ++b) {
      const std::uint64_t first = b << kFanBits, end = std::min(first + 8, below);
      Block block = BlockAt({level - 1, first});
      for (std::uint64_t c = first + 1; c < end; ++c) {
        const Block child = BlockAt({level - 1, c});
        block.min = std::min(block.min, child.min);
        block.max = std::max(block.max, child.max);
        block.sum += child.sum;
      }
      blocks[b] = block;
    }
    below = blocks.size();
    levels_.push_back(std::move(blocks));
  }
}

std::uint64_t TestValues::LevelCount(int level) const {
  return level == 0 ? count_ : levels_[level - 1].size();
}

TestValues::Block TestValues::BlockAt(const Piece& piece) const {
  if (piece.level > 0)
    return levels_[piece.level - 1][piece.index];
  const float v = Value(piece.index);
  return {v, v, v};
}

template <typename Visit>
void TestValues::Tile(std::uint64_t from, std::uint64_t to, Visit&& visit) const {
  // Upwards from the values: at each level the ends are brought to the next level's block
  // borders (the end of the values counts as one), then the top level takes what is left. The
  // right end's pieces are kept to be visited last, in order.
  std::array<Piece, 7 * 24> right;
  std::size_t rightCount = 0;
  const int top = static_cast<int>(levels_.size());
  std::uint64_t lo = from, hi = to;
  for (int level = 0; level < top && lo < hi; ++level) {
    const std::uint64_t size = std::uint64_t{1} << (kFanBits * level), next = size << kFanBits;
    for (; lo < hi && lo % next != 0; lo += size)
      visit(Piece{level, lo / size});
    while (lo < hi && hi % next != 0 && hi != count_) {
      hi -= size;
      right[rightCount++] = Piece{level, hi / size};
    }
  }
  const std::uint64_t size = std::uint64_t{1} << (kFanBits * top);
  for (std::uint64_t i = lo / size; lo < hi && i * size < hi; ++i)
    visit(Piece{top, i});
  while (rightCount > 0)
    visit(right[--rightCount]);
}

std::uint64_t TestValues::FirstEqual(Piece piece, float target, bool maximum) const {
  while (piece.level > 0) {
    const std::uint64_t first = piece.index << kFanBits;
    const std::uint64_t end = std::min(first + 8, LevelCount(piece.level - 1));
    for (std::uint64_t c = first; c < end; ++c) {
      const Block b = BlockAt({piece.level - 1, c});
      if ((maximum ? b.max : b.min) == target) {
        piece = {piece.level - 1, c};
        break;
      }
    }
  }
  return piece.index;
}

std::vector<ChartColumn> TestValues::Columns(std::uint64_t from, std::uint64_t to,
                                             int columns) const {
  std::vector<ChartColumn> fitted;
  to = std::min(to, count_);
  if (from >= to)
    return fitted;
  fitted.reserve(static_cast<std::size_t>(std::max(columns, 1)));
  const double first = SecondsOf(from), last = SecondsOf(to - 1);
  const auto columnOf = [&](std::uint64_t i) {
    return ColumnOfTime(SecondsOf(i), first, last, columns);
  };
  for (std::uint64_t start = from; start < to;) {
    const int column = columnOf(start);
    // The columns rise with the times: the column's end is found by halving.
    std::uint64_t lo = start + 1, hi = to;
    while (lo < hi) {
      const std::uint64_t mid = lo + (hi - lo) / 2;
      if (columnOf(mid) > column)
        hi = mid;
      else
        lo = mid + 1;
    }
    ChartColumn c{column, Value(start), Value(lo - 1), Value(start), Value(start)};
    Tile(start, lo, [&](const Piece& piece) {
      const Block b = BlockAt(piece);
      c.min = std::min(c.min, b.min);
      c.max = std::max(c.max, b.max);
    });
    fitted.push_back(c);
    start = lo;
  }
  return fitted;
}

StretchFigures TestValues::Stretch(std::uint64_t from, std::uint64_t to) const {
  StretchFigures f;
  to = std::min(to, count_);
  if (from >= to)
    return f;
  f.count = to - from;
  f.firstSeconds = SecondsOf(from);
  f.lastSeconds = SecondsOf(to - 1);
  Piece maxPiece, minPiece;
  double sum = 0;
  bool any = false;
  // The pieces come left to right, so the first that reaches the extreme holds its first value.
  Tile(from, to, [&](const Piece& piece) {
    const Block b = BlockAt(piece);
    sum += b.sum;
    if (!any || b.max > f.max) {
      f.max = b.max;
      maxPiece = piece;
    }
    if (!any || b.min < f.min) {
      f.min = b.min;
      minPiece = piece;
    }
    any = true;
  });
  f.maxSeconds = SecondsOf(FirstEqual(maxPiece, f.max, true));
  f.minSeconds = SecondsOf(FirstEqual(minPiece, f.min, false));
  f.mean = sum / static_cast<double>(f.count);
  return f;
}

} // namespace dynlog

#include "base/numberformat.h"
#include "test/acquisition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <random>
#include <vector>

namespace dynlog {
namespace {

const NumberSeparators kGerman = GermanSeparators();

std::string Display(double v, int decimals) {
  return FormatNumber(v, decimals, kDisplaySignificantDigits, kGerman);
}
// The recording keeps single precision.
std::string File(float v, int decimals) {
  return FormatNumber(v, decimals, kFileSignificantDigits, kGerman);
}

// The reference: sum / n rounded half away from zero to `decimals` places of the unit's scale,
// in integer arithmetic only, then written with German separators.
std::string ExactMeanText(std::int64_t sum, std::int64_t n, int decimals) {
  const std::int64_t q = (2 * std::llabs(sum) + n) / (2 * n); // |sum| / n, half up
  std::string digits = std::to_string(q);
  if (digits.size() <= static_cast<size_t>(decimals))
    digits.insert(0, decimals + 1 - digits.size(), '0');
  const size_t whole = digits.size() - decimals;
  std::string out = sum < 0 && q != 0 ? "-" : "";
  for (size_t i = 0; i < whole; ++i) {
    if (i > 0 && (whole - i) % 3 == 0)
      out += '.';
    out += digits[i];
  }
  if (decimals > 0) {
    out += ',';
    out.append(digits, whole);
  }
  return out;
}

// Thousands grouped, exactly the decimals asked for, at most the significant digits (the file's 5
// before the decimals), and no sign on a zero.
TEST(NumberFormatTest, GroupsThousandsWritesTheDecimalsAndNoSignOnZero) {
  const struct {
    double value;
    int decimals;
    const char* display; // 11 significant digits
    const char* file;    // 5, from the single-precision value
  } rows[] = {
      {1234.5, 1, "1.234,5", "1.234,5"},
      {0, 3, "0,000", "0,000"},
      {-12.5, 1, "-12,5", "-12,5"},
      {-1000, 0, "-1.000", "-1.000"},
      {10000, 0, "10.000", "10.000"},
      {999, 0, "999", "999"},
      {1234567.25, 2, "1.234.567,25", "1.234.600,00"},
      {-123456789, 0, "-123.456.789", "-123.460.000"},
      {99999.5, 1, "99.999,5", "100.000,0"},
      {12345.67, 2, "12.345,67", "12.346,00"},
      {0.00123456, 5, "0,00123", "0,00123"},
      {10000.5, 0, "10.001", "10.001"},
      {0.1 + 0.2, 2, "0,30", "0,30"},
      {-0.0, 2, "0,00", "0,00"},
      {-0.04, 1, "0,0", "0,0"},
      {-0.4, 0, "0", "0"},
      {-1e-9, 3, "0,000", "0,000"},
      {-0.5, 0, "-1", "-1"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Display(r.value, r.decimals), r.display) << r.value;
    EXPECT_EQ(File(static_cast<float>(r.value), r.decimals), r.file) << r.value;
  }
  EXPECT_EQ(FormatNumber(1234.5, 1, 11, {".", ","}), "1,234.5");
  EXPECT_EQ(FormatNumber(1234567.5, 1, 11, {",", ""}), "1234567,5");
  EXPECT_EQ(FormatNumber(1234567.0, 0, 11, {",", "\xC2\xA0"}), "1\xC2\xA0"
                                                               "234\xC2\xA0"
                                                               "567");
}

TEST(NumberFormatTest, RoundsHalvesAwayFromZeroAfterRemovingBinaryNoise) {
  const struct {
    double value;
    int decimals;
    const char* display;
  } doubles[] = {
      {2.5, 0, "3"},
      {-2.5, 0, "-3"},
      {3.5, 0, "4"},
      {1234.45, 1, "1.234,5"}, // stored as 1234.4500000000000455
      {0.15, 1, "0,2"},        // stored as 0.1499999999999999944
      {0.05, 1, "0,1"},
      {1.005, 2, "1,01"}, // stored as 1.00499999999999989
      {0.6, 0, "1"},
      {0.004, 2, "0,00"},
      {0.005, 2, "0,01"},
      {999.96, 1, "1.000,0"},
      // Means of 64 frames: rounded once, never first to five digits and then again.
      {1234.46875, 0, "1.234"},
      {123.446875, 1, "123,4"},
      {12.3446875, 2, "12,34"},
      {1.23446875, 3, "1,234"},
      {1.2344875, 3, "1,234"},
      {9999.46875, 0, "9.999"},
  };
  for (const auto& c : doubles) {
    EXPECT_EQ(Display(c.value, c.decimals), c.display) << c.value;
    EXPECT_EQ(File(static_cast<float>(c.value), c.decimals), c.display) << c.value;
  }
  const struct {
    float value;
    int decimals;
    const char* file;
  } floats[] = {
      {0.15f, 1, "0,2"},         {12.34f, 2, "12,34"}, {-0.7f, 1, "-0,7"},
      {9999.9f, 1, "9.999,9"},   {1.015f, 2, "1,02"}, // 1.01499998569 reads back from "1.015"
      {123.446875f, 1, "123,4"},
  };
  for (const auto& c : floats)
    EXPECT_EQ(File(c.value, c.decimals), c.file) << c.value;
}

// Means the averaging produces near each rounding boundary, through the acquisition as the window
// runs it: n frames of counts k and k + 1, mixed, whose sums sweep one count's width in steps of
// 1/n, for every n up to 40 and around each rate's frame count up to the 181 slots, at counts
// spread over -1000..10000 and at every decimal place. The file
// (the recorded single-precision value) and the value display (the double) both agree with the
// exact decimal result. For means of at most 181 counts no case exists where storing in single
// precision moves a value across a rounding boundary: a mean that is not a half lies at least
// 1/362 of a count from it, while a float's shortest text is within 1/800 of a count of the mean
// (two half-steps of 2^-24 relative, at counts up to 10000).
TEST(NumberFormatTest, EveryMeanIsRoundedOnceLikeExactDecimalArithmetic) {
  std::mt19937 random(470615);
  std::vector<std::int64_t> counts = {-1000, -501, -1, 0, 1, 499, 1234, 9998, 9999};
  std::uniform_int_distribution<std::int64_t> anyCount(-1000, 9999);
  for (int i = 0; i < 4; ++i)
    counts.push_back(anyCount(random));
  std::vector<std::int64_t> frameCounts;
  for (std::int64_t n = 1; n <= 40; ++n)
    frameCounts.push_back(n);
  for (const std::int64_t n : {63, 64, 65, 127, 128, 129, 181})
    frameCounts.push_back(n);
  const double scale[] = {1, 10, 100, 1000};
  auto acq = std::make_unique<Acquisition>();
  int checked = 0;
  for (int decimals = 0; decimals <= 3; ++decimals) {
    for (const std::int64_t n : frameCounts) {
      // Count down what is left of the last setting, so that every n frames give one value.
      while (!acq->TakeFrameValue(0, static_cast<int>(n - 1), false)) {
      }
      for (const std::int64_t count : counts) {
        for (std::int64_t above = 0; above <= n; ++above) { // frames that read count + 1
          std::optional<double> mean;
          for (std::int64_t i = 0; i < n; ++i) {
            const bool up = (i + 1) * above / n != i * above / n;
            const double value = static_cast<double>(count + up) / scale[decimals];
            mean = acq->TakeFrameValue(value, static_cast<int>(n - 1), true);
          }
          ASSERT_TRUE(mean.has_value());
          const std::string expected = ExactMeanText(count * n + above, n, decimals);
          ASSERT_EQ(File(static_cast<float>(*mean), decimals), expected)
              << count << "+" << above << "/" << n << " at " << decimals;
          ASSERT_EQ(Display(*mean, decimals), expected)
              << count << "+" << above << "/" << n << " at " << decimals;
          ++checked;
        }
      }
    }
  }
  EXPECT_GT(checked, 50000);

  // Frames far apart whose mean lands on a half near zero: binary noise of the large values must
  // not reach the small mean.
  const struct {
    std::vector<std::int64_t> counts;
    int decimals;
  } spread[] = {{{-5000, 5001}, 1}, {{-1000, 9999, -8998}, 3}, {{9999, -9998}, 2}};
  for (const auto& c : spread) {
    const auto n = static_cast<std::int64_t>(c.counts.size());
    while (!acq->TakeFrameValue(0, static_cast<int>(n - 1), false)) {
    }
    std::optional<double> mean;
    std::int64_t sum = 0;
    for (const std::int64_t count : c.counts) {
      mean = acq->TakeFrameValue(static_cast<double>(count) / scale[c.decimals],
                                 static_cast<int>(n - 1), true);
      sum += count;
    }
    ASSERT_TRUE(mean.has_value());
    EXPECT_EQ(Display(*mean, c.decimals), ExactMeanText(sum, n, c.decimals)) << sum;
    EXPECT_EQ(File(static_cast<float>(*mean), c.decimals), ExactMeanText(sum, n, c.decimals));
  }
}

TEST(NumberFormatTest, ExtremeInputsStayWellFormed) {
  EXPECT_EQ(Display(std::numeric_limits<double>::denorm_min(), 3), "0,000");
  const std::string big = Display(std::numeric_limits<double>::max(), 0);
  EXPECT_EQ(big.size(), 309u + 102u);
  EXPECT_EQ(big.substr(0, 16), "179.769.313.490.");
  EXPECT_EQ(Display(1.5, -2), "2");
  EXPECT_EQ(Display(1.5, 99).size(), 2u + 20u);
  EXPECT_EQ(FormatNumber(123456.0, 0, 0, kGerman), "100.000"); // at least one significant digit
  EXPECT_EQ(Display(1234567890123.4, 1), "1.234.567.890.100,0");
  EXPECT_EQ(Display(std::nan(""), 1), "NAN");
  EXPECT_EQ(Display(-std::numeric_limits<double>::infinity(), 1), "-INF");
}

TEST(ValueCaptionTest, PadsToEightCharactersAndFramesWithBlanks) {
  std::string caption;
  FormatValueCaption(caption, 1234.5, 1, kGerman);
  EXPECT_EQ(caption, "  1.234,5 ");
  FormatValueCaption(caption, 0, 0, kGerman);
  EXPECT_EQ(caption, "        0 ");
  FormatValueCaption(caption, -12.5, 1, kGerman);
  EXPECT_EQ(caption, "    -12,5 ");
  FormatValueCaption(caption, 123456789.125, 3, kGerman); // 11 significant digits
  EXPECT_EQ(caption, " 123.456.789,130 ");
  // Characters count, not bytes: a no-break space as thousands separator is one character.
  FormatValueCaption(caption, 1234, 0, {",", "\xC2\xA0"});
  EXPECT_EQ(caption, "    1\xC2\xA0"
                     "234 ");
}

} // namespace
} // namespace dynlog

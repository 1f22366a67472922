#include "window/numberformat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace dynlog {
namespace {

const NumberSeparators kGerman = GermanSeparators();

std::string Display(double v, int decimals) {
  return FormatNumber(v, decimals, kDisplaySignificantDigits, kGerman);
}
std::string File(double v, int decimals) {
  return FormatNumber(v, decimals, kFileSignificantDigits, kGerman);
}

TEST(NumberFormatTest, GroupsThousandsAndWritesExactlyTheDecimals) {
  EXPECT_EQ(Display(1234.5, 1), "1.234,5");
  EXPECT_EQ(Display(0, 0), "0");
  EXPECT_EQ(Display(0, 3), "0,000");
  EXPECT_EQ(Display(-12.5, 1), "-12,5");
  EXPECT_EQ(File(1234, 0), "1.234");
  EXPECT_EQ(File(12.5, 2), "12,50");
  EXPECT_EQ(File(-1000, 0), "-1.000");
  EXPECT_EQ(File(10000, 0), "10.000");
  EXPECT_EQ(File(999, 0), "999");
  EXPECT_EQ(File(0.5, 3), "0,500");
  EXPECT_EQ(Display(1234567.25, 2), "1.234.567,25");
  EXPECT_EQ(Display(-123456789, 0), "-123.456.789");
  EXPECT_EQ(FormatNumber(1234.5, 1, 11, {".", ","}), "1,234.5");
  EXPECT_EQ(FormatNumber(1234567.5, 1, 11, {",", ""}), "1234567,5");
  EXPECT_EQ(FormatNumber(1234567, 0, 11, {",", "\xC2\xA0"}), "1\xC2\xA0"
                                                             "234\xC2\xA0"
                                                             "567");
}

TEST(NumberFormatTest, RoundsHalvesAwayFromZeroAfterRemovingBinaryNoise) {
  EXPECT_EQ(Display(2.5, 0), "3");
  EXPECT_EQ(Display(-2.5, 0), "-3");
  EXPECT_EQ(Display(3.5, 0), "4");
  EXPECT_EQ(Display(1234.45, 1), "1.234,5"); // stored as 1234.4500000000000455
  EXPECT_EQ(Display(0.15, 1), "0,2");        // stored as 0.1499999999999999944
  EXPECT_EQ(Display(0.05, 1), "0,1");
  EXPECT_EQ(Display(1.005, 2), "1,01"); // stored as 1.00499999999999989
  EXPECT_EQ(Display(0.6, 0), "1");
  EXPECT_EQ(Display(0.004, 2), "0,00");
  EXPECT_EQ(Display(0.005, 2), "0,01");
  EXPECT_EQ(Display(999.96, 1), "1.000,0");
  // Recorded values are single precision.
  EXPECT_EQ(File(0.15f, 1), "0,2");
  EXPECT_EQ(File(12.34f, 2), "12,34");
  EXPECT_EQ(File(-0.7f, 1), "-0,7");
  EXPECT_EQ(File(9999.9f, 1), "9.999,9");
  EXPECT_EQ(File(1.015f, 2), "1,02"); // 1.01499998569 is 1.0150 at five digits
}

TEST(NumberFormatTest, SignificantDigitsComeBeforeDecimals) {
  EXPECT_EQ(File(99999.5, 0), "100.000");
  EXPECT_EQ(File(99999.5, 1), "100.000,0");
  EXPECT_EQ(File(12345.67, 2), "12.346,00");
  EXPECT_EQ(File(1234.567, 3), "1.234,600");
  EXPECT_EQ(File(0.000123456, 3), "0,000");
  EXPECT_EQ(File(0.00123456, 5), "0,00123");
  EXPECT_EQ(File(10000.5, 0), "10.001");
  EXPECT_EQ(Display(1234567890123.4, 1), "1.234.567.890.100,0");
  EXPECT_EQ(Display(0.1 + 0.2, 2), "0,30");
}

TEST(NumberFormatTest, ZeroHasNoSign) {
  EXPECT_EQ(Display(-0.0, 0), "0");
  EXPECT_EQ(Display(-0.0, 2), "0,00");
  EXPECT_EQ(Display(-0.04, 1), "0,0");
  EXPECT_EQ(Display(-0.4, 0), "0");
  EXPECT_EQ(File(-1e-9, 3), "0,000");
  EXPECT_EQ(Display(-0.5, 0), "-1");
}

TEST(NumberFormatTest, ExtremeInputsStayWellFormed) {
  EXPECT_EQ(Display(std::numeric_limits<double>::denorm_min(), 3), "0,000");
  const std::string big = Display(std::numeric_limits<double>::max(), 0);
  EXPECT_EQ(big.size(), 309u + 102u);
  EXPECT_EQ(big.substr(0, 16), "179.769.313.490.");
  EXPECT_EQ(Display(1.5, -2), "2");
  EXPECT_EQ(Display(1.5, 99).size(), 2u + 20u);
  EXPECT_EQ(FormatNumber(123456, 0, 0, kGerman), "100.000"); // at least one significant digit
  EXPECT_EQ(Display(std::nan(""), 1), "NAN");
  EXPECT_EQ(Display(-std::numeric_limits<double>::infinity(), 1), "-INF");
}

TEST(ValueCaptionTest, PadsToEightCharactersAndFramesWithBlanks) {
  EXPECT_EQ(ValueCaption("1.234,5"), "  1.234,5 ");
  EXPECT_EQ(ValueCaption("0"), "        0 ");
  EXPECT_EQ(ValueCaption("-12,5"), "    -12,5 ");
  EXPECT_EQ(ValueCaption("10.000,00"), " 10.000,00 ");
  // Characters count, not bytes: a no-break space as thousands separator is one character.
  EXPECT_EQ(ValueCaption("1\xC2\xA0"
                         "234"),
            "    1\xC2\xA0"
            "234 ");

  std::string caption;
  FormatValueCaption(caption, 1234.5, 1, kGerman);
  EXPECT_EQ(caption, "  1.234,5 ");
  FormatValueCaption(caption, 0, 0, kGerman);
  EXPECT_EQ(caption, "        0 ");
  FormatValueCaption(caption, -12.5, 1, kGerman);
  EXPECT_EQ(caption, "    -12,5 ");
  FormatValueCaption(caption, 123456789.125, 3, kGerman); // 11 significant digits
  EXPECT_EQ(caption, " 123.456.789,130 ");
}

} // namespace
} // namespace dynlog

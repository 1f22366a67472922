// Runs in the project's Wine prefix, whose user locale is German with the separators and formats
// set explicitly (decimal ",", thousands ".", dd.MM.yyyy, HH:mm:ss).
#include "base/localeformat.h"

#include <gtest/gtest.h>

namespace dynlog {
namespace {

SYSTEMTIME At(WORD h, WORD m, WORD s, WORD ms) {
  SYSTEMTIME t{};
  t.wYear = 2026;
  t.wMonth = 12;
  t.wDay = 6;
  t.wDayOfWeek = 0;
  t.wHour = h;
  t.wMinute = m;
  t.wSecond = s;
  t.wMilliseconds = ms;
  return t;
}

TEST(LocaleFormatTest, SeparatorsComeFromTheUserLocale) {
  const NumberSeparators s = SystemNumberSeparators();
  EXPECT_EQ(s.decimal, ",");
  EXPECT_EQ(s.thousands, ".");
  EXPECT_EQ(FormatNumber(-1234.5, 1, kFileSignificantDigits, s), "-1.234,5");
}

TEST(LocaleFormatTest, ShortDateBlankLongTimeAndNoTimeAtMidnight) {
  EXPECT_EQ(FormatDateTime(At(9, 15, 5, 0)), "06.12.2026 09:15:05");
  EXPECT_EQ(FormatDateTime(At(23, 59, 59, 999)), "06.12.2026 23:59:59");
  EXPECT_EQ(FormatDateTime(At(0, 0, 0, 0)), "06.12.2026");
  EXPECT_EQ(FormatDateTime(At(0, 0, 0, 1)), "06.12.2026 00:00:00");
  EXPECT_EQ(FormatDateTime(At(0, 0, 1, 0)), "06.12.2026 00:00:01");
}

} // namespace
} // namespace dynlog

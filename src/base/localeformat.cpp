#include "base/localeformat.h"

#include <iterator>

#include "base/text.h"

namespace dynlog {

namespace {

std::string LocaleText(LCTYPE type) {
  wchar_t buf[16] = {}; // the system allows at most 4 characters with the end mark for both
  const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, static_cast<int>(std::size(buf)));
  return n > 1 ? base::Narrow(std::wstring_view(buf, static_cast<std::size_t>(n - 1)))
               : std::string();
}

std::string DatePart(const SYSTEMTIME& t) {
  wchar_t buf[128] = {};
  const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, buf,
                               static_cast<int>(std::size(buf)));
  return n > 1 ? base::Narrow(std::wstring_view(buf, static_cast<std::size_t>(n - 1)))
               : std::string();
}

std::string TimePart(const SYSTEMTIME& t) {
  wchar_t buf[128] = {};
  const int n =
      GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, buf, static_cast<int>(std::size(buf)));
  return n > 1 ? base::Narrow(std::wstring_view(buf, static_cast<std::size_t>(n - 1)))
               : std::string();
}

} // namespace

NumberSeparators SystemNumberSeparators() {
  NumberSeparators s{LocaleText(LOCALE_SDECIMAL), LocaleText(LOCALE_STHOUSAND)};
  // Without a decimal separator 1,5 and 15 would read alike; the thousands one may be empty.
  if (s.decimal.empty())
    s.decimal.assign(1, '.'); // (a literal here trips a false -Wrestrict of GCC 12)
  return s;
}

std::string FormatDateTime(const SYSTEMTIME& time) {
  std::string text = DatePart(time);
  if (time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0 && time.wMilliseconds == 0)
    return text;
  text += ' ';
  text += TimePart(time);
  return text;
}

std::string CurrentDateTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return FormatDateTime(now);
}

} // namespace dynlog

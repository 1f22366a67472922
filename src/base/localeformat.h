#pragma once
// The user's number separators and date and time formats, from the system's locale settings.

#include <string>
#include <string_view>
#include <windows.h>

#include "base/numberformat.h"

namespace dynlog {

// Decimal and thousands separators of the user's locale, as UTF-8.
NumberSeparators SystemNumberSeparators();

// Short date, one blank, long time, in the user's formats (06.12.2026 09:15:05 on a German
// system). At exactly midnight (00:00:00.000) only the date.
std::string FormatDateTime(const SYSTEMTIME& time);

// FormatDateTime of the local clock now.
std::string CurrentDateTimeText();

} // namespace dynlog

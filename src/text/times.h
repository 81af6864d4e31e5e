#pragma once
// Date and time texts: the lookup service's time stamps, locale-style date formatting and the
// review requests' time stamp.

#include <chrono>
#include <string>
#include <string_view>

namespace quillet {

// A 10-character stamp is seconds shown in UTC+8 as "yyyy-M-dd HH:mm:ss" (hh:mm:ss, without
// an AM/PM marker, when the locale uses a 12-hour clock); any other stamp is milliseconds
// shown in the machine's time zone as "yyyy-M-d HH:mm:ss". Empty when the stamp is no number.
std::string FormatServiceTime(std::string_view stamp);
std::string FormatServiceTime(std::string_view stamp, bool uses24Hour);

// Formats a wall-clock time, given as seconds since 1970-01-01 00:00:00 of the same clock,
// with picture letters: d dd ddd dddd M MM MMM MMMM y yy yyyy in the date pattern, h hh H HH m
// mm s ss t tt in the time pattern, text in apostrophes and other characters copied. A
// pattern shorter than 3 characters gives no part; force24 shows h as H and drops AM/PM.
// Empty outside the years 100 to 9999.
std::string FormatDateTime(long long wallSeconds, std::string_view datePattern,
                           std::string_view timePattern, bool force24 = false);

// True when the user's locale (LC_ALL, LC_TIME, LANG) writes times on a 24-hour clock.
bool LocaleUses24Hour();
// The same judgement on a strftime time format such as "%r" or "%H:%M:%S".
bool TimeFormatUses24Hour(std::string_view strftimeFormat);

// Local seconds since 1970-01-01 08:00:00 local time, then the milliseconds in three digits,
// padded on the right with "0" to at least 13 characters.
std::string RequestTimestamp();
std::string RequestTimestamp(std::chrono::system_clock::time_point now);

}  // namespace quillet

#include "text/times.h"

#include <langinfo.h>
#include <locale.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <vector>

#include "text/codepage.h"
#include "text/read_int.h"

namespace quillet {
namespace {

constexpr const char* kMonthAbbreviations[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};
constexpr const char* kDayAbbreviations[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};

struct Civil {
    long long year;
    int month;  // 1..12
    int day;    // 1..31
    int hour, minute, second;
    int weekday;  // 0 = Sunday
};

long long floorDiv(long long a, long long b) {
    long long q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

// Days since 1970-01-01 to a proleptic Gregorian date.
Civil civilFromSeconds(long long seconds) {
    long long days = floorDiv(seconds, 86400);
    long long rest = seconds - days * 86400;
    Civil c{};
    c.hour = static_cast<int>(rest / 3600);
    c.minute = static_cast<int>(rest / 60 % 60);
    c.second = static_cast<int>(rest % 60);
    c.weekday = static_cast<int>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
    long long z = days + 719468;
    long long era = floorDiv(z, 146097);
    long long doe = z - era * 146097;
    long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    long long mp = (5 * doy + 2) / 153;
    c.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    c.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    c.year = yoe + era * 400 + (c.month <= 2 ? 1 : 0);
    return c;
}

std::string twoDigits(long long v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02lld", v);
    return buf;
}

// Runs of one picture letter, texts in apostrophes, everything else copied.
std::string formatPicture(std::string_view pattern, const Civil& c, bool datePart, bool force24) {
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        char ch = pattern[i];
        if (ch == '\'') {
            // Quoted text; two apostrophes stand for one, inside quotes or out.
            ++i;
            if (i < pattern.size() && pattern[i] == '\'') {
                out.push_back('\'');
                ++i;
                continue;
            }
            while (i < pattern.size()) {
                if (pattern[i] == '\'') {
                    if (i + 1 < pattern.size() && pattern[i + 1] == '\'') {
                        out.push_back('\'');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                out.push_back(pattern[i++]);
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == ch) {
            ++run;
        }
        std::string piece;
        bool handled = true;
        if (datePart && ch == 'd') {
            piece = run == 1   ? std::to_string(c.day)
                    : run == 2 ? twoDigits(c.day)
                    : run == 3 ? kDayAbbreviations[c.weekday]
                               : kDayNames[c.weekday];
        } else if (datePart && ch == 'M') {
            piece = run == 1   ? std::to_string(c.month)
                    : run == 2 ? twoDigits(c.month)
                    : run == 3 ? kMonthAbbreviations[c.month - 1]
                               : kMonthNames[c.month - 1];
        } else if (datePart && ch == 'y') {
            piece = run == 1   ? std::to_string(c.year % 100)
                    : run == 2 ? twoDigits(c.year % 100)
                               : std::to_string(c.year);
        } else if (!datePart && (ch == 'h' || ch == 'H')) {
            int hour = c.hour;
            if (ch == 'h' && !force24) {
                hour = hour % 12 == 0 ? 12 : hour % 12;
            }
            piece = run == 1 ? std::to_string(hour) : twoDigits(hour);
        } else if (!datePart && ch == 'm') {
            piece = run == 1 ? std::to_string(c.minute) : twoDigits(c.minute);
        } else if (!datePart && ch == 's') {
            piece = run == 1 ? std::to_string(c.second) : twoDigits(c.second);
        } else if (!datePart && ch == 't') {
            if (!force24) {
                piece = run == 1 ? (c.hour < 12 ? "A" : "P") : (c.hour < 12 ? "AM" : "PM");
            }
        } else {
            handled = false;
        }
        if (handled) {
            out += piece;
        } else {
            out.append(pattern.substr(i, run));
        }
        i += run;
    }
    return out;
}

// ECMAScript white space and line terminators, which ToNumber trims.
bool isScriptSpace(char32_t c) {
    return c == 0x09 || c == 0x0B || c == 0x0C || c == 0x20 || c == 0xA0 || c == 0x0A ||
           c == 0x0D || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// ToNumber of a string; nullopt for NaN.
std::optional<double> scriptToNumber(std::string_view text) {
    std::u16string wide = toWide(text);
    std::size_t b = 0;
    std::size_t e = wide.size();
    while (b < e && isScriptSpace(wide[b])) {
        ++b;
    }
    while (e > b && isScriptSpace(wide[e - 1])) {
        --e;
    }
    std::string s;
    for (std::size_t i = b; i < e; ++i) {
        if (wide[i] > 0x7F) {
            return std::nullopt;
        }
        s.push_back(static_cast<char>(wide[i]));
    }
    if (s.empty()) {
        return 0.0;
    }
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        double value = 0;
        for (std::size_t i = 2; i < s.size(); ++i) {
            char c = s[i];
            int digit = (c >= '0' && c <= '9')   ? c - '0'
                        : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                        : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                 : -1;
            if (digit < 0) {
                return std::nullopt;
            }
            value = value * 16 + digit;
        }
        return value;
    }
    std::string_view rest = s;
    bool negative = false;
    if (rest.front() == '+' || rest.front() == '-') {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    if (rest == "Infinity") {
        return negative ? -HUGE_VAL : HUGE_VAL;
    }
    // StrDecimalLiteral: digits [. digits] [e [sign] digits], or . digits [exponent].
    std::size_t i = 0;
    std::size_t intDigits = 0;
    std::size_t fracDigits = 0;
    while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
        ++i;
        ++intDigits;
    }
    if (i < rest.size() && rest[i] == '.') {
        ++i;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
            ++i;
            ++fracDigits;
        }
    }
    if (intDigits + fracDigits == 0) {
        return std::nullopt;
    }
    if (i < rest.size() && (rest[i] == 'e' || rest[i] == 'E')) {
        ++i;
        if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) {
            ++i;
        }
        std::size_t expDigits = 0;
        while (i < rest.size() && rest[i] >= '0' && rest[i] <= '9') {
            ++i;
            ++expDigits;
        }
        if (expDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != rest.size()) {
        return std::nullopt;
    }
    double value = std::strtod(std::string(rest).c_str(), nullptr);
    return negative ? -value : value;
}

// The stamp's length as the system counts it: bytes of its GBK form.
std::size_t gbkLength(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return utf8ToGbk(text).size();
        }
    }
    return text.size();
}

std::string formatMilliseconds(std::string_view stamp) {
    // The stamp sits between apostrophes in script source: these would not compile there.
    if (stamp.find_first_of("'\\\r\n") != std::string_view::npos) {
        return {};
    }
    std::optional<double> number = scriptToNumber(stamp);
    if (!number || !std::isfinite(*number) || std::fabs(*number) > 8.64e15) {
        return {};
    }
    long long ms = static_cast<long long>(std::trunc(*number));
    std::time_t seconds = static_cast<std::time_t>(floorDiv(ms, 1000));
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr) {
        return {};
    }
    long long year = static_cast<long long>(local.tm_year) + 1900;
    if (year <= 0) {
        year = 1 - year;  // the engine writes such years as "B.C." years
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "%lld-%d-%d %02d:%02d:%02d", year, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return buf;
}

}  // namespace

std::string FormatDateTime(long long wallSeconds, std::string_view datePattern,
                           std::string_view timePattern, bool force24) {
    // Stay well inside the range where seconds and days cannot overflow.
    if (wallSeconds < -400000000000LL || wallSeconds > 400000000000LL) {
        return {};
    }
    Civil c = civilFromSeconds(wallSeconds);
    if (c.year < 100 || c.year > 9999) {
        return {};
    }
    constexpr std::size_t kMaxPart = 49;  // the 50-byte buffers hold 49 bytes and the NUL
    std::string date;
    if (datePattern.size() >= 3) {
        date = formatPicture(datePattern, c, true, force24);
        if (date.size() > kMaxPart) {
            date.clear();
        }
    }
    std::string time;
    if (timePattern.size() >= 3) {
        time = formatPicture(timePattern, c, false, force24);
        if (time.size() > kMaxPart) {
            time.clear();
        }
    }
    return date + time;
}

std::string FormatServiceTime(std::string_view stamp, bool uses24Hour) {
    if (gbkLength(stamp) == 10) {
        long long wall = ReadInt(stamp) + 8 * 3600;
        return FormatDateTime(wall, "yyyy-M-dd ", uses24Hour ? "HH:mm:ss" : "hh:mm:ss");
    }
    return formatMilliseconds(stamp);
}

std::string FormatServiceTime(std::string_view stamp) {
    return FormatServiceTime(stamp, LocaleUses24Hour());
}

bool TimeFormatUses24Hour(std::string_view format) {
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        char spec = format[i + 1];
        if (spec == 'E' || spec == 'O') {
            if (i + 2 >= format.size()) {
                break;
            }
            spec = format[i + 2];
        }
        if (spec == 'I' || spec == 'l' || spec == 'r' || spec == 'p' || spec == 'P') {
            return false;
        }
        if (spec == '%') {
            ++i;
        }
    }
    return true;
}

bool LocaleUses24Hour() {
    locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (locale == static_cast<locale_t>(0)) {
        return true;  // an unknown locale falls back to C, which uses 24 hours
    }
    bool uses24 = TimeFormatUses24Hour(nl_langinfo_l(T_FMT, locale));
    freelocale(locale);
    return uses24;
}

std::string RequestTimestamp(std::chrono::system_clock::time_point now) {
    using namespace std::chrono;
    long long ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
    std::time_t seconds = static_cast<std::time_t>(floorDiv(ms, 1000));
    std::tm local{};
    long long offset = 0;
    if (localtime_r(&seconds, &local) != nullptr) {
        offset = local.tm_gmtoff;
    }
    long long sinceBase = static_cast<long long>(seconds) + offset - 8 * 3600;
    long long millis = ms - floorDiv(ms, 1000) * 1000;
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld%03lld", sinceBase, millis);
    std::string out = buf;
    while (out.size() < 13) {
        out.push_back('0');
    }
    return out;
}

std::string RequestTimestamp() {
    return RequestTimestamp(std::chrono::system_clock::now());
}

}  // namespace quillet

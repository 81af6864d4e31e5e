#include "text/times.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace quillet {
namespace {

// Sets the process time zone for one test and restores it afterwards.
class TimeZone : public ::testing::Test {
protected:
    void TearDown() override {
        if (saved_) {
            setenv("TZ", saved_->c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
    }
    void use(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }

private:
    std::optional<std::string> saved_ =
        std::getenv("TZ") ? std::optional<std::string>(std::getenv("TZ")) : std::nullopt;
};

// 2017-07-08 09:15:00 UTC.
constexpr const char* kSeconds = "1499505300";
constexpr const char* kMillis = "1499505300000";

TEST_F(TimeZone, SecondStampsAreShownInUtcPlus8Everywhere) {
    for (const char* tz : {"UTC0", "CST-8", "EST5EDT,M3.2.0,M11.1.0", "America/Los_Angeles"}) {
        use(tz);
        EXPECT_EQ(FormatServiceTime(kSeconds, true), "2017-7-08 17:15:00") << tz;
        EXPECT_EQ(FormatServiceTime(kSeconds, false), "2017-7-08 05:15:00") << tz;
    }
}

TEST_F(TimeZone, MillisecondStampsAreShownInTheLocalZone) {
    struct Case {
        const char* tz;
        std::string stamp, text;
    };
    const Case cases[] = {
        {"CST-8", kMillis, "2017-7-8 17:15:00"},
        {"UTC0", kMillis, "2017-7-8 09:15:00"},
        {"EST5EDT,M3.2.0,M11.1.0", kMillis, "2017-7-8 05:15:00"},  // summer time applies
        {"CST-8", "", "1970-1-1 08:00:00"},                        // an empty stamp is 0
        {"CST-8", "14995053000", "1970-6-23 21:17:33"},            // 11 digits: milliseconds
        {"CST-8", "149950530000", "1974-10-2 20:55:30"},           // 12 digits: milliseconds
        {"CST-8", " 1499505300999 ", "2017-7-8 17:15:00"},         // spaces trimmed, ms dropped
        {"CST-8", "0x10", "1970-1-1 08:00:00"},
        {"CST-8", "-1", "1970-1-1 07:59:59"},
        {"CST-8", "1.5e3", "1970-1-1 08:00:01"},
        {"CST-8", "12ab", ""},              // not a number
        {"CST-8", "Infinity", ""},          // no valid date
        {"CST-8", "8640000000000001", ""},  // beyond the date range
        {"CST-8", "1'0", ""},               // would not compile as script
        {"CST-8", "1\\0", ""},
    };
    for (const Case& c : cases) {
        use(c.tz);
        EXPECT_EQ(FormatServiceTime(c.stamp, true), c.text) << c.tz << " " << c.stamp;
    }
}

TEST_F(TimeZone, TenCharacterStampsThatAreNoNumber) {
    use("UTC0");
    EXPECT_EQ(FormatServiceTime("abcdefghij", true), "1970-1-01 08:00:00");
    EXPECT_EQ(FormatServiceTime("12345abcde", true), "1970-1-01 11:25:45");
    // Full-width digits are read by int(x); three of them already make nine GBK bytes.
    EXPECT_EQ(FormatServiceTime("\xEF\xBC\x91\xEF\xBC\x92\xEF\xBC\x93"
                                "4567",
                                true),
              "1970-1-15 14:56:07");
}

TEST(FormatDateTime, Pictures) {
    const long long t = 1499505300 + 8 * 3600;  // 2017-07-08 17:15:00 wall clock, a Saturday
    struct Case {
        std::string date, time;
        bool force24;
        std::string text;
    };
    const Case cases[] = {
        {"yyyy-M-dd ", "HH:mm:ss", false, "2017-7-08 17:15:00"},
        {"yyyy-M-dd ", "hh:mm:ss", false, "2017-7-08 05:15:00"},
        {"yyyy-M-dd ", "hh:mm:ss", true, "2017-7-08 17:15:00"},
        {"yy/MM/d", "h:m:s tt", false,
         "17/07/8"
         "5:15:0 PM"},
        {"ddd, MMM d ''yy", "H 'o''clock'", false,
         "Sat, Jul 8 '17"
         "17 o'clock"},
        {"dddd MMMM", "t", false, "Saturday July"},  // a time pattern under 3 characters
        {"dd", "HH:mm", false, "17:15"},
        {"yyyy", "", false, "2017"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatDateTime(t, c.date, c.time, c.force24), c.text) << c.date << c.time;
    }
    // Fields the pictures can hold, and times outside the years 100..9999.
    EXPECT_EQ(FormatDateTime(0, "yyyy-MM-dd", " HH:mm:ss"), "1970-01-01 00:00:00");
    EXPECT_EQ(FormatDateTime(-62135596800LL, "yyyy-MM-dd", ""), "");  // year 1
    EXPECT_EQ(FormatDateTime(253402300799LL, "yyyy-MM-dd", " HH:mm:ss"), "9999-12-31 23:59:59");
    EXPECT_EQ(FormatDateTime(253402300800LL, "yyyy", ""), "");
    // A part longer than its 50-byte buffer is dropped.
    EXPECT_EQ(FormatDateTime(t, std::string(60, '-'), "HH"), "");
    EXPECT_EQ(FormatDateTime(t, "yyyy", std::string(60, '-')), "2017");
}

TEST(LocaleClock, StrftimeFormats) {
    struct Case {
        const char* format;
        bool uses24;
    };
    const Case cases[] = {
        {"%H:%M:%S", true}, {"%T", true},      {"%r", false},    {"%I:%M:%S %p", false},
        {"%l:%M", false},   {"%OI:%M", false}, {"%%I %H", true}, {"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimeFormatUses24Hour(c.format), c.uses24) << c.format;
    }
}

TEST_F(TimeZone, LocaleClockFollowsTheEnvironment) {
    const char* saved = std::getenv("LC_ALL");
    std::string savedText = saved ? saved : "";
    setenv("LC_ALL", "C", 1);
    EXPECT_TRUE(LocaleUses24Hour());
    setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1);  // unknown: C's 24-hour clock
    EXPECT_TRUE(LocaleUses24Hour());
    if (saved) {
        setenv("LC_ALL", savedText.c_str(), 1);
    } else {
        unsetenv("LC_ALL");
    }
}

TEST_F(TimeZone, RequestTimestamp) {
    using namespace std::chrono;
    const auto moment = system_clock::time_point(milliseconds(1499505300042LL));
    use("CST-8");
    EXPECT_EQ(RequestTimestamp(moment), "1499505300042");
    use("UTC0");
    EXPECT_EQ(RequestTimestamp(moment), "1499476500042");
    // Nine digits of seconds are padded on the right to 13 characters.
    EXPECT_EQ(RequestTimestamp(system_clock::time_point(milliseconds(123456789005LL))),
              "1234279890050");
    use("CST-8");
    const std::string now = RequestTimestamp();
    EXPECT_EQ(now.size(), 13u);
    EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos);
}

}  // namespace
}  // namespace quillet

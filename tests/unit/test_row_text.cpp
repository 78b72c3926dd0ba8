#include "snapshot/row_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(UserNameValue, FallsBackWhenUnreadOrWhenTheReportedSizeReaches1022)
{
    struct Case {
        bool queried;
        uint32_t reportedSize;
        const char* expected;
    };
    const Case cases[] = {
        {true, 6, "alice"},
        {true, 1021, "alice"},
        {true, 1022, "UNKNOWN USER"},
        {true, 1024, "UNKNOWN USER"},
        {true, UINT32_MAX, "UNKNOWN USER"},
        {false, 6, "UNKNOWN USER"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(UserNameValue(c.queried, "alice", c.reportedSize), c.expected)
            << "queried " << c.queried << ", size " << c.reportedSize;
    }
    EXPECT_STREQ(UserNameValue(true, nullptr, 1), "UNKNOWN USER");
}

TEST(ComputerNameValue, FallsBackWhenUnreadOrWhenTheReportedLengthReaches1022)
{
    struct Case {
        bool queried;
        uint32_t reportedLength;
        const char* expected;
    };
    const Case cases[] = {
        {true, 13, "WORKSTATION-7"},
        {true, 1021, "WORKSTATION-7"},
        {true, 1022, "UNKNOWN COMPUTER"},
        {true, UINT32_MAX, "UNKNOWN COMPUTER"},
        {false, 13, "UNKNOWN COMPUTER"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(ComputerNameValue(c.queried, "WORKSTATION-7", c.reportedLength), c.expected)
            << "queried " << c.queried << ", length " << c.reportedLength;
    }
    EXPECT_STREQ(ComputerNameValue(true, nullptr, 1), "UNKNOWN COMPUTER");
}

struct tm LocalTime(int year, int month, int day, int hour, int minute)
{
    struct tm time {};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = 59;
    return time;
}

TEST(FormatDateTime, WritesYearFullMonthTwoDigitDayAnd24HourTime)
{
    struct Case {
        struct tm time;
        const char* expected;
    };
    const Case cases[] = {
        {LocalTime(2024, 3, 5, 14, 7), "2024 March 05 - 14:07"},
        {LocalTime(1999, 12, 31, 23, 59), "1999 December 31 - 23:59"},
        {LocalTime(2038, 1, 1, 0, 0), "2038 January 01 - 00:00"},
        {LocalTime(2000, 9, 10, 9, 5), "2000 September 10 - 09:05"},
    };
    for (const Case& c : cases) {
        char out[2048];
        ASSERT_TRUE(FormatDateTime(c.time, out, sizeof(out))) << c.expected;
        EXPECT_EQ(std::string(out), c.expected);
    }
}

TEST(FormatDateTime, ReportsAnEmptyTextWhenTheBufferIsTooSmall)
{
    const struct tm time = LocalTime(2024, 3, 5, 14, 7);
    char out[21];  // one short of "2024 March 05 - 14:07" and its terminator
    std::memset(out, 'x', sizeof(out));

    EXPECT_FALSE(FormatDateTime(time, out, sizeof(out)));
    EXPECT_EQ(std::string(out), "");

    char exact[22];
    EXPECT_TRUE(FormatDateTime(time, exact, sizeof(exact)));
    EXPECT_EQ(std::string(exact), "2024 March 05 - 14:07");
}

TEST(FormatUptime, CountsDaysHoursMinutesWithSingularOnlyForOne)
{
    struct Case {
        uint64_t milliseconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 Days 0 Hours 0 Minutes"},
        {59999, "0 Days 0 Hours 0 Minutes"},
        {60000, "0 Days 0 Hours 1 Minute"},
        {120000, "0 Days 0 Hours 2 Minutes"},
        {3600000, "0 Days 1 Hour 0 Minutes"},
        {86399999, "0 Days 23 Hours 59 Minutes"},
        {86400000, "1 Day 0 Hours 0 Minutes"},
        {90061000, "1 Day 1 Hour 1 Minute"},
        {3 * 86400000ull + 3600000, "3 Days 1 Hour 0 Minutes"},
        // Past 2^32 ms the count goes on instead of starting again.
        {4294967296ull, "49 Days 17 Hours 2 Minutes"},
        {5184000000ull, "60 Days 0 Hours 0 Minutes"},
        {UINT64_MAX, "213503982334 Days 14 Hours 25 Minutes"},
    };
    for (const Case& c : cases) {
        char out[2048];
        FormatUptime(c.milliseconds, out, sizeof(out));
        EXPECT_EQ(std::string(out), c.expected) << c.milliseconds << " ms";
    }
}

TEST(FormatProcessorValue, TrimsTheNameAndAppendsTheClock)
{
    struct Case {
        const char* name;
        uint32_t mhz;
        const char* expected;
    };
    const Case cases[] = {
        {"Example CPU 3.00GHz", 2993, "Example CPU 3.00GHz [@~2993MHz]"},
        {"        Example CPU 3.00GHz", 2993, "Example CPU 3.00GHz [@~2993MHz]"},
        {"\t Example CPU 3.00GHz \n", 2993, "Example CPU 3.00GHz [@~2993MHz]"},
        {"Example  CPU", 2993, "Example  CPU [@~2993MHz]"},
        {"Example CPU", 0, "Example CPU [@~0MHz]"},
        {"Example CPU", UINT32_MAX, "Example CPU [@~4294967295MHz]"},
        {nullptr, 2993, "Unknown CPU [@~2993MHz]"},
        {nullptr, 0, "Unknown CPU [@~0MHz]"},
    };
    for (const Case& c : cases) {
        char out[2048];
        FormatProcessorValue(c.name, c.mhz, out, sizeof(out));
        EXPECT_EQ(std::string(out), c.expected) << "name \"" << (c.name ? c.name : "(null)") << "\"";
    }
}

TEST(FormatProcessorValue, ReadsAtMost1023CharactersOfTheName)
{
    // Unterminated within its buffer: the copy must stop on its own.
    char name[1024];
    std::memset(name, 'x', sizeof(name));
    char out[2048];

    FormatProcessorValue(name, 1, out, sizeof(out));

    EXPECT_EQ(std::string(out), std::string(1023, 'x') + " [@~1MHz]");
}

TEST(FormatProcessorValue, CutsTheTextToTheBuffer)
{
    char out[12];
    FormatProcessorValue("Example CPU", 2993, out, sizeof(out));
    EXPECT_EQ(std::string(out), "Example CPU");
}

}  // namespace

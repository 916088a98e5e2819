#include "platform/WinBase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

namespace {

ULONGLONG Ticks(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks)
{
    return FILETIME { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
}

// Sets TZ for one test and puts it back.
class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        const char* old = getenv("TZ");
        m_had = old != nullptr;
        m_old = old ? old : "";
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had;
    std::string m_old;
};

}  // namespace

TEST(Time, FileTimeAndSystemTimeBothWays)
{
    struct Case {
        ULONGLONG ticks;
        SYSTEMTIME time;  // year, month, day of week, day, hour, minute, second, milliseconds
    };
    const Case cases[] = {
        { 0, { 1601, 1, 1, 1, 0, 0, 0, 0 } },
        { 116444736000000000ULL, { 1970, 1, 4, 1, 0, 0, 0, 0 } },
        { 133536836967890000ULL, { 2024, 2, 4, 29, 12, 34, 56, 789 } },
    };
    for (const Case& c : cases) {
        SYSTEMTIME got {};
        const FILETIME file = FromTicks(c.ticks);
        ASSERT_TRUE(FileTimeToSystemTime(&file, &got));
        EXPECT_EQ(got.wYear, c.time.wYear);
        EXPECT_EQ(got.wMonth, c.time.wMonth);
        EXPECT_EQ(got.wDayOfWeek, c.time.wDayOfWeek);
        EXPECT_EQ(got.wDay, c.time.wDay);
        EXPECT_EQ(got.wHour * 3600 + got.wMinute * 60 + got.wSecond, c.time.wHour * 3600 + c.time.wMinute * 60 + c.time.wSecond);
        EXPECT_EQ(got.wMilliseconds, c.time.wMilliseconds);
        FILETIME back {};
        ASSERT_TRUE(SystemTimeToFileTime(&c.time, &back));
        EXPECT_EQ(Ticks(back), c.ticks);
    }
    const SYSTEMTIME notADay { 2023, 2, 0, 29, 0, 0, 0, 0 };
    FILETIME ignored {};
    EXPECT_FALSE(SystemTimeToFileTime(&notADay, &ignored));
    const FILETIME tooLate = FromTicks(0x8000000000000000ULL);
    SYSTEMTIME unused {};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &unused));
}

TEST(Time, LocalTimeFollowsTheZone)
{
    ZoneScope zone("CST-8");  // China Standard Time, no daylight saving
    const FILETIME utc = FromTicks(133536836967890000ULL);
    FILETIME local {}, back {};
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(Ticks(local) - Ticks(utc), 8ULL * 3600 * 10000000);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(Ticks(back), Ticks(utc));

    SYSTEMTIME now {}, nowUtc {};
    GetLocalTime(&now);
    GetSystemTime(&nowUtc);
    const int localSeconds = now.wHour * 3600 + now.wMinute * 60 + now.wSecond;
    const int utcSeconds = nowUtc.wHour * 3600 + nowUtc.wMinute * 60 + nowUtc.wSecond;
    EXPECT_NEAR((localSeconds - utcSeconds + 86400) % 86400, 8 * 3600, 2);
    FILETIME stamp {};
    GetSystemTimeAsFileTime(&stamp);
    EXPECT_NEAR(static_cast<double>(UnixSecondsFromFileTime(stamp)), static_cast<double>(time(nullptr)), 2.0);
}

// Wall-clock time and FILETIME/SYSTEMTIME conversions.

#include "platform/WinBase.h"
#include "platform/base/LastError.h"

#include <ctime>

namespace {

constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600LL;
constexpr ULONGLONG kTicksPerSecond = 10000000ULL;
constexpr ULONGLONG kLargestFileTime = 0x7FFFFFFFFFFFFFFFULL;  // Windows refuses the upper half

ULONGLONG TicksOf(const FILETIME& time)
{
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME FromTicks(ULONGLONG ticks)
{
    return FILETIME { static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32) };
}

SYSTEMTIME FromBrokenDown(const tm& parts, long milliseconds)
{
    SYSTEMTIME out {};
    out.wYear = static_cast<WORD>(parts.tm_year + 1900);
    out.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    out.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    out.wDay = static_cast<WORD>(parts.tm_mday);
    out.wHour = static_cast<WORD>(parts.tm_hour);
    out.wMinute = static_cast<WORD>(parts.tm_min);
    out.wSecond = static_cast<WORD>(parts.tm_sec);
    out.wMilliseconds = static_cast<WORD>(milliseconds);
    return out;
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

bool IsValid(const SYSTEMTIME& time)
{
    static const int kDays[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12)
        return false;
    const int days = kDays[time.wMonth - 1] + (time.wMonth == 2 && IsLeapYear(time.wYear) ? 1 : 0);
    return time.wDay >= 1 && time.wDay <= days && time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60
        && time.wMilliseconds < 1000;
}

// The local time's distance from UTC at the given moment, in seconds.
long LocalOffsetAt(time_t moment)
{
    tm local {};
    localtime_r(&moment, &local);
    return local.tm_gmtoff;
}

}  // namespace

void FileTimeFromUnix(int64_t seconds, long nanoseconds, FILETIME* out)
{
    const auto ticks = static_cast<ULONGLONG>((seconds + kUnixEpochInFileTimeSeconds) * static_cast<int64_t>(kTicksPerSecond) + nanoseconds / 100);
    *out = FromTicks(ticks);
}

int64_t UnixSecondsFromFileTime(const FILETIME& time)
{
    return static_cast<int64_t>(TicksOf(time) / kTicksPerSecond) - kUnixEpochInFileTimeSeconds;
}

void GetSystemTimeAsFileTime(FILETIME* time)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    FileTimeFromUnix(now.tv_sec, now.tv_nsec, time);
}

void GetSystemTime(SYSTEMTIME* time)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts {};
    gmtime_r(&now.tv_sec, &parts);
    *time = FromBrokenDown(parts, now.tv_nsec / 1000000);
}

void GetLocalTime(SYSTEMTIME* time)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    tm parts {};
    localtime_r(&now.tv_sec, &parts);
    *time = FromBrokenDown(parts, now.tv_nsec / 1000000);
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (fileTime == nullptr || systemTime == nullptr || TicksOf(*fileTime) > kLargestFileTime)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    const ULONGLONG ticks = TicksOf(*fileTime);
    const time_t seconds = static_cast<time_t>(ticks / kTicksPerSecond) - kUnixEpochInFileTimeSeconds;
    tm parts {};
    if (gmtime_r(&seconds, &parts) == nullptr)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    *systemTime = FromBrokenDown(parts, static_cast<long>((ticks % kTicksPerSecond) / 10000));
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime)
{
    if (systemTime == nullptr || fileTime == nullptr || !IsValid(*systemTime))
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    tm parts {};
    parts.tm_year = systemTime->wYear - 1900;
    parts.tm_mon = systemTime->wMonth - 1;
    parts.tm_mday = systemTime->wDay;
    parts.tm_hour = systemTime->wHour;
    parts.tm_min = systemTime->wMinute;
    parts.tm_sec = systemTime->wSecond;
    const time_t seconds = timegm(&parts);
    FileTimeFromUnix(seconds, static_cast<long>(systemTime->wMilliseconds) * 1000000L, fileTime);
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, FILETIME* localFileTime)
{
    if (fileTime == nullptr || localFileTime == nullptr)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    const long offset = LocalOffsetAt(static_cast<time_t>(UnixSecondsFromFileTime(*fileTime)));
    *localFileTime = FromTicks(TicksOf(*fileTime) + static_cast<ULONGLONG>(static_cast<int64_t>(offset) * static_cast<int64_t>(kTicksPerSecond)));
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* localFileTime, FILETIME* fileTime)
{
    if (localFileTime == nullptr || fileTime == nullptr)
        return platform::FailWith(ERROR_INVALID_PARAMETER);
    // The offset that applies at the local reading taken as if it were UTC is the one to remove
    // (exact except within the hour around a daylight-saving change, as on Windows).
    const long offset = LocalOffsetAt(static_cast<time_t>(UnixSecondsFromFileTime(*localFileTime)));
    *fileTime = FromTicks(TicksOf(*localFileTime) - static_cast<ULONGLONG>(static_cast<int64_t>(offset) * static_cast<int64_t>(kTicksPerSecond)));
    return TRUE;
}

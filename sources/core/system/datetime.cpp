#include "core/system/datetime.h"

#include <algorithm>
#include <ctime>
#include <limits>

namespace
{
// Seconds from 1601-01-01 to 1970-01-01.
constexpr i64 kEpochSeconds = static_cast<i64>(FILETIME_UNIX_EPOCH / FILETIME_PER_SECOND);

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
i64 DaysFromCivil(i64 year, u32 month, u32 day)
{
    year -= month <= 2;
    const i64 era = (year >= 0 ? year : year - 399) / 400;
    const u32 yearOfEra = static_cast<u32>(year - era * 400);
    const u32 dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const u32 dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<i64>(dayOfEra) - 719468;
}

bool IsLeap(u32 year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

u32 DaysInMonth(u32 year, u32 month)
{
    static const u8 kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

u64 FromUnix(i64 seconds, i64 nanoseconds)
{
    return static_cast<u64>(seconds + kEpochSeconds) * FILETIME_PER_SECOND +
           static_cast<u64>(nanoseconds / 100);
}
} // namespace

u64 TDateTime::ToFileTime() const
{
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59 || milliseconds > 999)
        return 0;
    const i64 seconds = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
    return static_cast<u64>(seconds + kEpochSeconds) * FILETIME_PER_SECOND + milliseconds * 10000ull;
}

void TDateTime::FromFileTime(u64 fileTime)
{
    const i64 totalSeconds = static_cast<i64>(fileTime / FILETIME_PER_SECOND) - kEpochSeconds;
    i64 days = totalSeconds / 86400;
    i64 rest = totalSeconds % 86400;
    if (rest < 0)
    {
        rest += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01.
    const i64 z = days + 719468;
    const i64 era = (z >= 0 ? z : z - 146096) / 146097;
    const u32 dayOfEra = static_cast<u32>(z - era * 146097);
    const u32 yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const u32 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const u32 mp = (5 * dayOfYear + 2) / 153;
    const u32 civilDay = dayOfYear - (153 * mp + 2) / 5 + 1;
    const u32 civilMonth = mp < 10 ? mp + 3 : mp - 9;
    const i64 civilYear = static_cast<i64>(yearOfEra) + era * 400 + (civilMonth <= 2);

    year = static_cast<u16>(civilYear);
    month = static_cast<u8>(civilMonth);
    day = static_cast<u8>(civilDay);
    dayOfWeek = static_cast<u8>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    hour = static_cast<u8>(rest / 3600);
    minute = static_cast<u8>(rest / 60 % 60);
    second = static_cast<u8>(rest % 60);
    milliseconds = static_cast<u16>(fileTime % FILETIME_PER_SECOND / 10000);
}

f64 TDateTime::SecondsTo(const TDateTime& other) const
{
    return (static_cast<f64>(other.ToFileTime()) - static_cast<f64>(ToFileTime())) * 1e-7;
}

u64 GetSystemFileTime()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return FromUnix(now.tv_sec, now.tv_nsec);
}

u64 FileTimeToLocal(u64 fileTime)
{
    // The zone's offset at that moment (time_t may be 32 bits: moments beyond it take the
    // offset of its nearest end).
    const i64 unixSeconds = static_cast<i64>(fileTime / FILETIME_PER_SECOND) -
                            static_cast<i64>(FILETIME_UNIX_EPOCH / FILETIME_PER_SECOND);
    const time_t seconds = static_cast<time_t>(std::clamp<i64>(unixSeconds, std::numeric_limits<time_t>::min(),
                                                                std::numeric_limits<time_t>::max()));
    tm local;
    localtime_r(&seconds, &local);
    const i64 offset = static_cast<i64>(local.tm_gmtoff) * static_cast<i64>(FILETIME_PER_SECOND);
    if (offset < 0 && fileTime < static_cast<u64>(-offset))
        return 0;
    return fileTime + static_cast<u64>(offset);
}

u64 GetLocalFileTime()
{
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t seconds = now.tv_sec;
    tm local;
    localtime_r(&seconds, &local);
    return FromUnix(static_cast<i64>(now.tv_sec) + local.tm_gmtoff, now.tv_nsec);
}

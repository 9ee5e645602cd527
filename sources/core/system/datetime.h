#pragma once
// TDateTime: a calendar date and time, and its 64-bit file time (100-nanosecond units since
// 1601-01-01). Conversions apply no time zone.
#include "core/system/types.h"

struct TDateTime
{
    u16 year;
    u8 month;     // 1..12
    u8 dayOfWeek; // 0 Sunday
    u8 day;
    u8 hour;
    u8 minute;
    u8 second;
    u16 milliseconds;

    // 0 for a date that does not exist or lies before 1601.
    u64 ToFileTime() const;
    void FromFileTime(u64 fileTime);
    // Seconds from this time to other.
    f64 SecondsTo(const TDateTime& other) const;
};

static_assert(sizeof(TDateTime) == 10);

// The current time as a file time: UTC, and the local time of the user's time zone.
u64 GetSystemFileTime();
u64 GetLocalFileTime();
// A file time (UTC) as the local time of the user's time zone at that moment; times whose
// offset would take them below 0 give 0.
u64 FileTimeToLocal(u64 fileTime);

// File times of the Unix epoch and per second.
constexpr u64 FILETIME_UNIX_EPOCH = 116444736000000000ull;
constexpr u64 FILETIME_PER_SECOND = 10000000ull;

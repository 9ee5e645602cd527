#pragma once
// The in-game screen's number and time texts: money grouped by "." every three digits, and
// durations as minutes, hours or days with their seconds.
#include "core/system/types.h"

#include <string>

// "%d" of the value with "." before every third digit from the right, never before the first
// digit nor right after the sign: 1234 gives "1.234", -1234567 gives "-1.234.567".
std::u16string FormatGroupedInteger(i64 value);
// The sign, then the grouped absolute value (taken in 64 bits: the smallest integer has one).
std::u16string FormatMoney(i32 value);
// Whole seconds as "m:ss", "h:mm:ss" or "d:hh:mm:ss", after "-" when negative; cut to the
// capacity (128 or 32 characters with their terminator).
std::u16string FormatDuration(f32 seconds, bool negative, u32 capacity = 128);

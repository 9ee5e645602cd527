#pragma once
// The in-game screen's number and time texts: money grouped by "." every three digits,
// durations as minutes, hours or days with their seconds, and the language's printf masks.
#include "core/system/types.h"

#include <initializer_list>
#include <string>
#include <variant>

// "%d" of the value with "." before every third digit from the right, never before the first
// digit nor right after the sign: 1234 gives "1.234", -1234567 gives "-1.234.567".
std::u16string FormatGroupedInteger(i64 value);
// The sign, then the grouped absolute value (taken in 64 bits: the smallest integer has one).
std::u16string FormatMoney(i32 value);
// Whole seconds as "m:ss", "h:mm:ss" or "d:hh:mm:ss", after "-" when negative; cut to the
// capacity (128 or 32 characters with their terminator).
std::u16string FormatDuration(f32 seconds, bool negative, u32 capacity = 128);

// An argument of a language mask: a number for "%d", a text for "%s".
using TMaskArgument = std::variant<i64, std::u16string>;
// The mask with its conversions ("%d", "%i", "%s", "%ls" with flags, width and precision; "%%"
// is a percent sign) replaced by the arguments in order, cut to the capacity (characters with
// the terminator). False, and nothing written, when the conversions do not match the arguments
// in count or kind: the mask comes from a language file and is not trusted.
bool FormatMaskText(const std::u16string& mask, std::initializer_list<TMaskArgument> arguments, u32 capacity,
                    std::u16string& text);
// The language's text of the key as a mask with the arguments; a mask refused is logged once
// and its key shown instead.
std::u16string FormatMask(const char* key, std::initializer_list<TMaskArgument> arguments, u32 capacity = 128);
// The language's text of the key, the key itself when the language has none.
std::u16string LocalizedText(const char* key);

#pragma once
// NumStr: a number with a fixed count of decimals, the language's decimal separator and, with
// NUMSTR_GROUPING, a grouping separator every three integer digits; the sign first. The result
// is one static text (and its wide twin), overwritten by the next call. The language's key
// "isDecimalSeparatorPeriod" chooses "1,234.5" (1) or "1.234,5" (0).
#include "core/system/types.h"

constexpr u32 NUMSTR_GROUPING = 4;
// The result's room, terminator included.
constexpr u32 NUMSTR_CAPACITY = 32;
// More decimals than a format's one digit names are taken as this many.
constexpr u32 NUMSTR_MAX_DECIMALS = 9;

// Built into the bounded result: a grouped text that does not fit is given without grouping, a
// number whose plain text does not fit in exponent form.
const char* NumStr(f64 value, u32 decimals, u32 flags);
// The same text widened character by character.
const char16_t* NumStrW(f64 value, u32 decimals, u32 flags);

#pragma once
// Money as the menus show it: whole euros with "," between groups of three digits.
#include "core/system/types.h"

// The amount without decimals, grouped ("1234567" becomes "1,234,567"); in a static buffer of
// 32 characters, valid until the next call.
const char16_t* FormatThousands(f64 amount);
// "€1,234,567", "-€1,500", "€0"; in a static buffer, valid until the next call.
const char16_t* FormatEuroAmount(f64 amount);

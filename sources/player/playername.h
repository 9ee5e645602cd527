#pragma once
// Profile names: how they compare, and which of them may name a folder below the player root.
#include "core/system/types.h"

// ASCII letters compared without regard to case; every other unit exactly.
bool EqualsIgnoringAsciiCase(const char16_t* a, const char16_t* b);
char16_t LowerAscii(char16_t unit);

// A name is a folder of its own below the player root: 1 to 31 characters, no "/", "\" or
// control characters, not "." or "..", not ending in a dot or a blank (which some file
// systems drop, so that two names would share one folder).
bool IsValidProfileName(const char16_t* name);

#pragma once
// 16-bit (UTF-16) text helpers. Stored 16-bit text is char16_t: wchar_t is 4 bytes here.
#include "core/system/types.h"

// Number of units before the NUL.
i32 UniLength(const char16_t* text);

// Converts length units (-1: up to the NUL) into a NUL-terminated UTF-8 text of at most
// room bytes with the NUL; a sequence that does not fit whole is left out. Returns the bytes
// written without the NUL.
i32 Utf16ToUtf8(char* out, i32 room, const char16_t* text, i32 length = -1);

// Converts length bytes (-1: up to the NUL) of UTF-8 into a NUL-terminated UTF-16 text of at
// most room units with the NUL. Invalid bytes become U+FFFD. Returns the units written.
i32 Utf8ToUtf16(char16_t* out, i32 room, const char* text, i32 length = -1);

#pragma once
// printf-style formatting into fixed buffers. The output is cut silently to the room of the
// buffer and always NUL-terminated. Formats written for the Windows run time are accepted:
// "%I64d" (and "%I64u", "%I64x", ...) take a 64-bit integer, "%S" a 16-bit text (char16_t*)
// in a narrow format, and "%s" a 16-bit text in the UTF-16 format.
#include "core/system/types.h"

#include <cstdarg>

constexpr i32 STRING_FORMAT_BUFFERS = 8;
constexpr i32 STRING_FORMAT_SIZE = 2048;

// Formats into room bytes (NUL included); returns the characters written without the NUL.
i32 FormatStringV(char* out, i32 room, const char* format, va_list args);
i32 FormatStringN(char* out, i32 room, const char* format, ...);

i32 FormatString32(char* out, const char* format, ...);
// Format to a caller text of 256 characters.
i32 FormatString256(char* out, const char* format, ...);
// Directory-scan paths.
i32 FormatString512(char* out, const char* format, ...);
// Line decoration (log lines, abort box lines).
i32 FormatString1024(char* out, const char* format, ...);
// Message-box texts.
i32 FormatString4000(char* out, const char* format, ...);
// UTF-16 format into 2,048 units: "%s" and "%ls" take char16_t*, "%S" and "%hs" char*.
i32 FormatStringW(char16_t* out, const char16_t* format, ...);

// Formats into the next of a ring of eight static 2,048-byte buffers: the result stays valid
// until eight further calls.
char* StringFormat(const char* format, ...);
char* StringFormatV(const char* format, va_list args);

// Whether two texts are the same, ASCII letters in either case alike.
bool EqualsIgnoringCase(const char* a, const char* b);

// Copies text into room bytes (NUL included) as one printable line: control bytes and bytes
// that are not part of well-formed UTF-8 (or are C1 controls) become "\xNN", so damaged input
// quoted in a message cannot break the line. An escape that does not fit is left out whole.
// Returns the characters written without the NUL.
i32 EscapeUnprintable(char* out, i32 room, const char* text);

// Splits a writable text in place at the first "." outside double quotes (the dot becomes a
// NUL) into at most 2 parts; returns the number of parts (1 or 2). parts[1] is null when 1.
i32 SplitDotted(char* text, char* parts[2]);

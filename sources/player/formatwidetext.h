#pragma once
// FormatWideText: printf-style formatting of a wide format string and its arguments ("%s" takes
// char16_t texts) into a text object: emptied, then given the result, 2,047 characters at most
// and the terminator. Returns the text object. Any text object with SetText(const char16_t*)
// takes it (the UX library's texts): the formatting needs nothing of theirs.
#include "core/system/string.h"

constexpr i32 FORMAT_WIDE_TEXT_SIZE = 2048;

template <class TText, class... A> TText& FormatWideText(TText& out, const char16_t* format, A... arguments)
{
    out.SetText(nullptr);
    char16_t buffer[FORMAT_WIDE_TEXT_SIZE];
    FormatStringW(buffer, format, arguments...);
    out.SetText(buffer);
    return out;
}

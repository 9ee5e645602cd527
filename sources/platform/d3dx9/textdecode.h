#pragma once
// Texts of the Windows "A" calls (Windows-1252 bytes) and "W" calls (UTF-16) as code points.
// A count of -1 reads up to the terminator.
#include "platform/windef/windef.h"

#include <string>

std::u32string DecodeAnsiText(LPCSTR text, int count);
std::u32string DecodeWideText(LPCWSTR text, int count);

#pragma once
// UTF-8 and UTF-16 conversions for window titles and typed text. Malformed input (a bad UTF-8
// sequence, an unpaired surrogate) becomes U+FFFD rather than being dropped silently.
#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

#include "platform/d3dx9/textdecode.h"

namespace
{
// Windows-1252 0x80-0x9F; the rest of the code page is Latin-1. Unassigned bytes stay as they are.
const char16_t kWindows1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

constexpr char32_t kReplacement = 0xFFFD;
} // namespace

std::u32string DecodeAnsiText(LPCSTR text, int count)
{
    std::u32string decoded;
    if (!text)
        return decoded;
    for (int i = 0; count < 0 ? text[i] != 0 : i < count; ++i)
    {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        decoded.push_back(byte >= 0x80 && byte < 0xA0 ? char32_t(kWindows1252[byte - 0x80]) : char32_t(byte));
    }
    return decoded;
}

std::u32string DecodeWideText(LPCWSTR text, int count)
{
    std::u32string decoded;
    if (!text)
        return decoded;
    for (int i = 0; count < 0 ? text[i] != 0 : i < count; ++i)
    {
        const char16_t unit = text[i];
        const bool high = unit >= 0xD800 && unit < 0xDC00;
        const bool hasNext = count < 0 ? text[i + 1] != 0 : i + 1 < count;
        if (high && hasNext && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        {
            decoded.push_back(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        }
        else
        {
            decoded.push_back(unit >= 0xD800 && unit < 0xE000 ? kReplacement : char32_t(unit));
        }
    }
    return decoded;
}

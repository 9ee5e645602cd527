#include "core/system/unistring.h"

i32 UniLength(const char16_t* text)
{
    i32 length = 0;
    while (text[length])
        ++length;
    return length;
}

i32 Utf16ToUtf8(char* out, i32 room, const char16_t* text, i32 length)
{
    if (room <= 0)
        return 0;
    if (length < 0)
        length = UniLength(text);
    i32 written = 0;
    for (i32 i = 0; i < length; ++i)
    {
        u32 c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        else if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        char bytes[4];
        i32 n;
        if (c < 0x80)
        {
            bytes[0] = static_cast<char>(c);
            n = 1;
        }
        else if (c < 0x800)
        {
            bytes[0] = static_cast<char>(0xC0 | (c >> 6));
            bytes[1] = static_cast<char>(0x80 | (c & 0x3F));
            n = 2;
        }
        else if (c < 0x10000)
        {
            bytes[0] = static_cast<char>(0xE0 | (c >> 12));
            bytes[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | (c & 0x3F));
            n = 3;
        }
        else
        {
            bytes[0] = static_cast<char>(0xF0 | (c >> 18));
            bytes[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            bytes[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            bytes[3] = static_cast<char>(0x80 | (c & 0x3F));
            n = 4;
        }
        if (written + n >= room)
            break;
        for (i32 k = 0; k < n; ++k)
            out[written++] = bytes[k];
    }
    out[written] = 0;
    return written;
}

i32 Utf8ToUtf16(char16_t* out, i32 room, const char* text, i32 length)
{
    if (room <= 0)
        return 0;
    const u8* s = reinterpret_cast<const u8*>(text);
    if (length < 0)
    {
        length = 0;
        while (s[length])
            ++length;
    }
    i32 written = 0;
    i32 i = 0;
    while (i < length)
    {
        u32 c = s[i];
        i32 extra = c < 0x80             ? 0
                    : (c & 0xE0) == 0xC0 ? 1
                    : (c & 0xF0) == 0xE0 ? 2
                    : (c & 0xF8) == 0xF0 ? 3
                                         : -1;
        if (extra < 0 || i + extra >= length)
        {
            c = 0xFFFD;
            extra = 0;
        }
        else if (extra > 0)
        {
            c &= 0x3F >> extra;
            for (i32 k = 1; k <= extra; ++k)
            {
                if ((s[i + k] & 0xC0) != 0x80)
                {
                    c = 0xFFFD;
                    extra = k - 1;
                    break;
                }
                c = (c << 6) | (s[i + k] & 0x3F);
            }
        }
        i += extra + 1;
        i32 n = c >= 0x10000 && c != 0xFFFD ? 2 : 1;
        if (written + n >= room)
            break;
        if (n == 2)
        {
            c -= 0x10000;
            out[written++] = static_cast<char16_t>(0xD800 + (c >> 10));
            out[written++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
        else
            out[written++] = static_cast<char16_t>(c > 0x10FFFF ? 0xFFFD : c);
    }
    out[written] = 0;
    return written;
}

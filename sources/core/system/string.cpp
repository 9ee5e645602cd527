#include "core/system/string.h"

#include "core/system/unistring.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace
{

// Room for one 16-bit text argument after conversion to UTF-8.
constexpr i32 kConvertRoom = 4096;
// Widths and precisions are clamped: no buffer here is longer.
constexpr int kMaxField = 8192;

struct TOutput
{
    char* text;
    i32 room;
    i32 length;

    // Formats one conversion behind what is already written, cutting at the room.
    template <class V> void Put(const char* directive, V value)
    {
        i32 left = room - length;
        if (left <= 1)
            return;
        int n = std::snprintf(text + length, left, directive, value);
        if (n > 0)
            length += n < left ? n : left - 1;
    }

    void PutText(const char* s, i32 n)
    {
        i32 left = room - 1 - length;
        if (n > left)
            n = left;
        if (n > 0)
        {
            std::memcpy(text + length, s, n);
            length += n;
        }
    }
};

enum class TLength
{
    Default,
    Char,
    Short,
    Long,
    LongLong,
    LongDouble,
    Size,
    Max,
    PtrDiff,
};

// The driver behind every narrow and wide format: each conversion is parsed and handed to the
// C run time on its own, so that the Windows-only forms can be translated on the way.
// wideDefault: "%s" and "%c" take 16-bit arguments (the UTF-16 format).
i32 FormatDriver(char* out, i32 room, const char* format, va_list args, bool wideDefault)
{
    if (room <= 0)
        return 0;
    TOutput o{out, room, 0};
    out[0] = 0;
    const char* f = format ? format : "";
    while (*f)
    {
        if (*f != '%')
        {
            const char* start = f;
            while (*f && *f != '%')
                ++f;
            o.PutText(start, static_cast<i32>(f - start));
            continue;
        }
        const char* directiveStart = f++;
        if (*f == '%')
        {
            o.PutText("%", 1);
            ++f;
            continue;
        }
        char directive[48];
        i32 s = 0;
        directive[s++] = '%';
        while (*f && std::strchr("-+ #0", *f) && s < 8)
            directive[s++] = *f++;
        if (*f == '*')
        {
            s += std::snprintf(directive + s, sizeof directive - s, "%d", va_arg(args, int));
            ++f;
        }
        else if (*f >= '1' && *f <= '9')
        {
            int width = 0;
            while (*f >= '0' && *f <= '9')
                width = width < kMaxField ? width * 10 + (*f++ - '0') : (++f, width);
            s += std::snprintf(directive + s, sizeof directive - s, "%d", width);
        }
        if (*f == '.')
        {
            ++f;
            int precision = 0;
            if (*f == '*')
            {
                precision = va_arg(args, int);
                ++f;
            }
            else
                while (*f >= '0' && *f <= '9')
                    precision = precision < kMaxField ? precision * 10 + (*f++ - '0') : (++f, precision);
            if (precision >= 0)
                s += std::snprintf(directive + s, sizeof directive - s, ".%d", precision);
        }
        TLength length = TLength::Default;
        bool wide = wideDefault;
        bool wideSet = false;
        if (f[0] == 'I' && f[1] == '6' && f[2] == '4')
        {
            length = TLength::LongLong;
            f += 3;
        }
        else if (f[0] == 'I' && f[1] == '3' && f[2] == '2')
            f += 3;
        else if (f[0] == 'I')
            ++f; // pointer-sized: 32 bits here
        else if (f[0] == 'h' && f[1] == 'h')
        {
            length = TLength::Char;
            f += 2;
        }
        else if (f[0] == 'h')
        {
            length = TLength::Short;
            wide = false;
            wideSet = true;
            ++f;
        }
        else if (f[0] == 'l' && f[1] == 'l')
        {
            length = TLength::LongLong;
            f += 2;
        }
        else if (f[0] == 'l' || f[0] == 'w')
        {
            length = TLength::Long;
            wide = true;
            wideSet = true;
            ++f;
        }
        else if (f[0] == 'L')
        {
            length = TLength::LongDouble;
            ++f;
        }
        else if (f[0] == 'z')
        {
            length = TLength::Size;
            ++f;
        }
        else if (f[0] == 'j')
        {
            length = TLength::Max;
            ++f;
        }
        else if (f[0] == 't')
        {
            length = TLength::PtrDiff;
            ++f;
        }
        const char conversion = *f;
        if (!conversion)
            break;
        ++f;
        switch (conversion)
        {
        case 'd':
        case 'i':
        case 'u':
        case 'o':
        case 'x':
        case 'X': {
            const bool isSigned = conversion == 'd' || conversion == 'i';
            if (length == TLength::LongLong || length == TLength::Max)
            {
                std::memcpy(directive + s, "ll", 2);
                directive[s + 2] = conversion;
                directive[s + 3] = 0;
                if (isSigned)
                    o.Put(directive, va_arg(args, long long));
                else
                    o.Put(directive, va_arg(args, unsigned long long));
                break;
            }
            if (length == TLength::Char)
                directive[s++] = 'h', directive[s++] = 'h';
            else if (length == TLength::Short)
                directive[s++] = 'h';
            directive[s++] = conversion;
            directive[s] = 0;
            // int, long, size_t and ptrdiff_t are all 32 bits here.
            if (isSigned)
                o.Put(directive, va_arg(args, int));
            else
                o.Put(directive, va_arg(args, unsigned int));
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            if (length == TLength::LongDouble)
            {
                directive[s++] = 'L';
                directive[s++] = conversion;
                directive[s] = 0;
                o.Put(directive, va_arg(args, long double));
            }
            else
            {
                directive[s++] = conversion;
                directive[s] = 0;
                o.Put(directive, va_arg(args, double));
            }
            break;
        case 'p':
            directive[s++] = 'p';
            directive[s] = 0;
            o.Put(directive, va_arg(args, void*));
            break;
        case 'c':
        case 'C': {
            // "%C" swaps the width of the argument against the format's own.
            const bool wideChar = conversion == 'C' ? (wideSet ? wide : !wideDefault) : wide;
            const int value = va_arg(args, int);
            char text[8];
            if (wideChar)
            {
                const char16_t unit[2] = {static_cast<char16_t>(value), 0};
                Utf16ToUtf8(text, sizeof text, unit, 1);
            }
            else
            {
                text[0] = static_cast<char>(value);
                text[1] = 0;
            }
            directive[s++] = 's';
            directive[s] = 0;
            o.Put(directive, static_cast<const char*>(text));
            break;
        }
        case 's':
        case 'S': {
            // "%S" swaps the width of the text argument against the format's own.
            const bool wideText = conversion == 'S' ? (wideSet ? wide : !wideDefault) : wide;
            directive[s++] = 's';
            directive[s] = 0;
            if (wideText)
            {
                const char16_t* text = va_arg(args, const char16_t*);
                if (!text)
                {
                    o.Put(directive, "(null)");
                    break;
                }
                char converted[kConvertRoom];
                Utf16ToUtf8(converted, kConvertRoom, text);
                o.Put(directive, static_cast<const char*>(converted));
            }
            else
            {
                const char* text = va_arg(args, const char*);
                o.Put(directive, text ? text : "(null)");
            }
            break;
        }
        case 'n':
            // Writing through an argument is refused: formats may come from data.
            (void)va_arg(args, void*);
            break;
        default:
            // Not a conversion: copied as written.
            o.PutText(directiveStart, static_cast<i32>(f - directiveStart));
            break;
        }
    }
    out[o.length] = 0;
    return o.length;
}

} // namespace

i32 FormatStringV(char* out, i32 room, const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    i32 n = FormatDriver(out, room, format, copy, false);
    va_end(copy);
    return n;
}

#define FORMAT_INTO(out, room)                                                                               \
    va_list args;                                                                                            \
    va_start(args, format);                                                                                  \
    i32 n = FormatDriver(out, room, format, args, false);                                                    \
    va_end(args);                                                                                            \
    return n

i32 FormatStringN(char* out, i32 room, const char* format, ...)
{
    FORMAT_INTO(out, room);
}

i32 FormatString32(char* out, const char* format, ...)
{
    FORMAT_INTO(out, 32);
}

i32 FormatString256(char* out, const char* format, ...)
{
    FORMAT_INTO(out, 256);
}

i32 FormatString512(char* out, const char* format, ...)
{
    FORMAT_INTO(out, 512);
}

i32 FormatString1024(char* out, const char* format, ...)
{
    FORMAT_INTO(out, 1024);
}

i32 FormatString4000(char* out, const char* format, ...)
{
    FORMAT_INTO(out, 4000);
}

#undef FORMAT_INTO

i32 FormatStringW(char16_t* out, const char16_t* format, ...)
{
    constexpr i32 kRoom = 2048;
    // Worst case: every unit takes three UTF-8 bytes.
    char narrowFormat[kRoom * 3];
    char narrow[kRoom * 3];
    Utf16ToUtf8(narrowFormat, sizeof narrowFormat, format);
    va_list args;
    va_start(args, format);
    FormatDriver(narrow, sizeof narrow, narrowFormat, args, true);
    va_end(args);
    return Utf8ToUtf16(out, kRoom, narrow);
}

char* StringFormatV(const char* format, va_list args)
{
    static char s_aBuffer[STRING_FORMAT_BUFFERS][STRING_FORMAT_SIZE];
    static std::atomic<u32> s_nNext{0};
    char* buffer = s_aBuffer[s_nNext.fetch_add(1, std::memory_order_relaxed) % STRING_FORMAT_BUFFERS];
    FormatDriver(buffer, STRING_FORMAT_SIZE, format, args, false);
    return buffer;
}

char* StringFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    char* buffer = StringFormatV(format, args);
    va_end(args);
    return buffer;
}

bool EqualsIgnoringCase(const char* a, const char* b)
{
    for (;; ++a, ++b)
    {
        const char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a + 32) : *a;
        const char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b + 32) : *b;
        if (x != y)
            return false;
        if (!x)
            return true;
    }
}

namespace
{
// The length of the well-formed UTF-8 sequence at text that is not a C1 control, or 0.
i32 PrintableUtf8Length(const unsigned char* text)
{
    const unsigned char lead = text[0];
    i32 length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80; // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    else
        return 0;
    if (text[1] < low || text[1] > high)
        return 0;
    for (i32 i = 2; i < length; ++i)
        if (text[i] < 0x80 || text[i] > 0xBF)
            return 0;
    if (lead == 0xC2 && text[1] <= 0x9F)
        return 0;
    return length;
}
} // namespace

i32 EscapeUnprintable(char* out, i32 room, const char* text)
{
    if (room <= 0)
        return 0;
    const unsigned char* in = reinterpret_cast<const unsigned char*>(text ? text : "");
    i32 written = 0;
    while (*in)
    {
        i32 length = 1;
        bool raw = *in >= 0x20 && *in < 0x7F;
        if (*in >= 0x80)
        {
            length = PrintableUtf8Length(in);
            raw = length != 0;
            length = raw ? length : 1;
        }
        const i32 needed = raw ? length : 4;
        if (written + needed > room - 1)
            break;
        if (raw)
            for (i32 i = 0; i < length; ++i)
                out[written++] = static_cast<char>(*in++);
        else
        {
            static const char s_aDigits[] = "0123456789abcdef";
            out[written++] = '\\';
            out[written++] = 'x';
            out[written++] = s_aDigits[*in >> 4];
            out[written++] = s_aDigits[*in & 15];
            ++in;
        }
    }
    out[written] = 0;
    return written;
}

i32 SplitDotted(char* text, char* parts[2])
{
    parts[0] = text;
    parts[1] = nullptr;
    bool quoted = false;
    for (char* c = text; *c; ++c)
    {
        if (*c == '"')
            quoted = !quoted;
        else if (*c == '.' && !quoted)
        {
            *c = 0;
            parts[1] = c + 1;
            return 2;
        }
    }
    return 1;
}

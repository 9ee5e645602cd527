#include "platform/window/textconversion.h"

namespace
{
constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Decodes one code point at `position` and advances past it.
char32_t DecodeUtf8(std::string_view text, std::size_t& position)
{
    const unsigned char lead = static_cast<unsigned char>(text[position++]);
    int length;
    char32_t value;
    char32_t minimum;
    if (lead < 0x80)
        return lead;
    if ((lead & 0xE0) == 0xC0)
        length = 1, value = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 2, value = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 3, value = lead & 0x07, minimum = 0x10000;
    else
        return kReplacement;
    for (int i = 0; i < length; ++i)
    {
        if (position >= text.size() || !IsContinuation(static_cast<unsigned char>(text[position])))
            return kReplacement;
        value = (value << 6) | (static_cast<unsigned char>(text[position++]) & 0x3F);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    if (value < minimum || value > 0x10FFFF || surrogate)
        return kReplacement;
    return value;
}

void EncodeUtf8(char32_t value, std::string& out)
{
    if (value < 0x80)
    {
        out += static_cast<char>(value);
    }
    else if (value < 0x800)
    {
        out += static_cast<char>(0xC0 | (value >> 6));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
    else if (value < 0x10000)
    {
        out += static_cast<char>(0xE0 | (value >> 12));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (value >> 18));
        out += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (value & 0x3F));
    }
}
} // namespace

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    std::size_t position = 0;
    while (position < text.size())
    {
        const char32_t value = DecodeUtf8(text, position);
        if (value < 0x10000)
        {
            out += static_cast<char16_t>(value);
        }
        else
        {
            out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        char32_t value = text[i];
        if (value >= 0xD800 && value <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            value = 0x10000 + ((value - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        else if (value >= 0xD800 && value <= 0xDFFF)
        {
            value = kReplacement;
        }
        EncodeUtf8(value, out);
    }
    return out;
}

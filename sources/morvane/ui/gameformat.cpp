#include "morvane/ui/gameformat.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>

namespace
{
std::u16string Widen(const char* text)
{
    std::u16string wide;
    for (const char* c = text; *c; ++c)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(*c)));
    return wide;
}
} // namespace

std::u16string FormatGroupedInteger(i64 value)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "%" PRId64, value);
    const std::u16string plain = Widen(digits);
    const size_t first = plain[0] == u'-' ? 1 : 0;
    std::u16string grouped = plain.substr(0, first);
    const size_t count = plain.size() - first;
    for (size_t i = 0; i < count; ++i)
    {
        if (i > 0 && (count - i) % 3 == 0)
            grouped.push_back(u'.');
        grouped.push_back(plain[first + i]);
    }
    return grouped;
}

std::u16string FormatMoney(i32 value)
{
    const i64 wide = value;
    return (wide < 0 ? u"-" : u"") + FormatGroupedInteger(wide < 0 ? -wide : wide);
}

std::u16string FormatDuration(f32 seconds, bool negative, u32 capacity)
{
    // Whole seconds; beyond what an i64 holds (and infinity) the largest.
    constexpr f32 kLargest = 9.2233715e18f;
    const i64 t = !(seconds > 0.0f) ? 0 : seconds >= kLargest ? INT64_MAX : static_cast<i64>(seconds);
    const i64 days = t / 86400;
    const i64 hours = t % 86400 / 3600;
    const i64 minutes = t / 60 % 60;
    const i64 rest = t % 60;
    const char* sign = negative ? "-" : "";
    char text[128];
    if (days > 0)
        std::snprintf(text, sizeof text, "%s%" PRId64 ":%02" PRId64 ":%02" PRId64 ":%02" PRId64, sign, days, hours,
                      minutes, rest);
    else if (hours == 0)
        std::snprintf(text, sizeof text, "%s%" PRId64 ":%02" PRId64, sign, minutes, rest);
    else
        std::snprintf(text, sizeof text, "%s%" PRId64 ":%02" PRId64 ":%02" PRId64, sign, hours, minutes, rest);
    std::u16string wide = Widen(text);
    if (capacity > 0 && wide.size() > capacity - 1)
        wide.resize(capacity - 1);
    return wide;
}

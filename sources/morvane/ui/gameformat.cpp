#include "morvane/ui/gameformat.h"

#include "core/system/log.h"
#include "engine/localization/localization.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>

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

bool FormatMaskText(const std::u16string& mask, std::initializer_list<TMaskArgument> arguments, u32 capacity,
                    std::u16string& text)
{
    std::u16string out;
    const TMaskArgument* next = arguments.begin();
    for (size_t i = 0; i < mask.size(); ++i)
    {
        if (mask[i] != u'%')
        {
            out.push_back(mask[i]);
            continue;
        }
        if (i + 1 < mask.size() && mask[i + 1] == u'%')
        {
            out.push_back(u'%');
            ++i;
            continue;
        }
        // "%" [flags] [width] [.precision] ["l"] conversion, rebuilt narrow for snprintf; a
        // width or precision beyond any text's room is refused.
        std::string narrow = "%";
        size_t at = i + 1;
        auto take = [&](const char* set, size_t most) {
            for (size_t n = 0; n < most && at < mask.size() && mask[at] > 0 && mask[at] < 128 &&
                               std::strchr(set, static_cast<char>(mask[at]));
                 ++n)
                narrow.push_back(static_cast<char>(mask[at++]));
        };
        take("-+ 0#", 5);
        take("0123456789", 2);
        if (at < mask.size() && mask[at] == u'.')
        {
            take(".", 1);
            take("0123456789", 2);
        }
        if (at < mask.size() && mask[at] == u'l')
            ++at;
        if (at >= mask.size() || next == arguments.end())
            return false;
        const char16_t conversion = mask[at];
        char buffer[128];
        if ((conversion == u'd' || conversion == u'i') && std::holds_alternative<i64>(*next))
        {
            narrow += PRId64;
            std::snprintf(buffer, sizeof buffer, narrow.c_str(), std::get<i64>(*next));
            out += Widen(buffer);
        }
        else if (conversion == u's' && std::holds_alternative<std::u16string>(*next))
        {
            // Width and precision count characters; the text is wide, so they apply here.
            std::u16string value = std::get<std::u16string>(*next);
            const size_t point = narrow.find('.');
            if (point != std::string::npos)
                value.resize(std::min<size_t>(value.size(), std::strtoul(narrow.c_str() + point + 1, nullptr, 10)));
            const size_t digits = narrow.find_first_of("123456789");
            const size_t width = digits < point ? std::strtoul(narrow.c_str() + digits, nullptr, 10) : 0;
            const std::u16string pad(width > value.size() ? width - value.size() : 0, u' ');
            out += narrow.find('-') != std::string::npos ? value + pad : pad + value;
        }
        else
            return false;
        ++next;
        i = at;
    }
    if (next != arguments.end())
        return false;
    if (capacity > 0 && out.size() > capacity - 1)
        out.resize(capacity - 1);
    text = std::move(out);
    return true;
}

std::u16string LocalizedText(const char* key)
{
    char16_t buffer[256];
    return TLocalizationManager::Instance().GetText(buffer, 256, TName(key, true), false);
}

std::u16string FormatMask(const char* key, std::initializer_list<TMaskArgument> arguments, u32 capacity)
{
    std::u16string text;
    if (FormatMaskText(LocalizedText(key), arguments, capacity, text))
        return text;
    static std::mutex s_Lock;
    static std::set<std::string> s_aRefused;
    const std::lock_guard<std::mutex> lock(s_Lock);
    if (s_aRefused.insert(key).second)
        TLog::Print(g_pSystemLog, LOG_ERROR, "FormatMask(): error: ",
                    "the mask of '%s' does not take %u argument(s) of their kinds", key,
                    static_cast<u32>(arguments.size()));
    return Widen(key);
}

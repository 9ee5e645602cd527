#include "morvane/ui/numstr.h"

#include "core/system/log.h"
#include "engine/localization/localization.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
char s_aText[NUMSTR_CAPACITY];
char16_t s_aWide[NUMSTR_CAPACITY];

// The current language's separators; '.' and ',' before a language is set (logged once).
void Separators(char& decimal, char& grouping)
{
    decimal = '.';
    grouping = ',';
    TLocalizationManager& texts = TLocalizationManager::Instance();
    if (texts.GetCurrentLanguage() < 0)
    {
        static bool s_bTold = false;
        if (!s_bTold)
            TLog::Print(g_pSystemLog, LOG_ERROR, "NumStr(): error: ",
                        "Language not set yet. NumStr(...) should not be called before initialize");
        s_bTold = true;
        return;
    }
    char16_t flag[8];
    texts.GetText(flag, 8, TName("isDecimalSeparatorPeriod", true), false);
    if (flag[0] == u'0')
    {
        decimal = ',';
        grouping = '.';
    }
}
} // namespace

const char* NumStr(f64 value, u32 decimals, u32 flags)
{
    if (decimals > NUMSTR_MAX_DECIMALS)
        decimals = NUMSTR_MAX_DECIMALS;
    char decimal, grouping;
    Separators(decimal, grouping);
    const bool negative = std::signbit(value) && !std::isnan(value);
    const char* sign = negative ? "-" : "";
    if (!std::isfinite(value))
    {
        std::snprintf(s_aText, sizeof s_aText, "%s%s", sign, std::isnan(value) ? "nan" : "inf");
        return s_aText;
    }
    char plain[NUMSTR_CAPACITY * 2];
    char format[8] = "%.0f";
    format[2] = static_cast<char>('0' + decimals);
    const i32 length = std::snprintf(plain, sizeof plain, format, std::fabs(value));
    if (length < 0 || static_cast<u32>(length) + (negative ? 1 : 0) >= NUMSTR_CAPACITY)
    {
        std::snprintf(s_aText, sizeof s_aText, "%s%.*e", sign, static_cast<int>(decimals), std::fabs(value));
        return s_aText;
    }
    // The integer digits end at the point (the whole text without decimals).
    const u32 integer = decimals ? static_cast<u32>(length) - (decimals + 1) : static_cast<u32>(length);
    if (decimals)
        plain[integer] = decimal;
    const bool digits = integer > 0 && plain[0] >= '0' && plain[0] <= '9';
    const u32 groups = (flags & NUMSTR_GROUPING) && digits ? (integer - 1) / 3 : 0;
    if (static_cast<u32>(length) + groups + (negative ? 1 : 0) >= NUMSTR_CAPACITY)
    {
        std::snprintf(s_aText, sizeof s_aText, "%s%s", sign, plain);
        return s_aText;
    }
    char* out = s_aText;
    if (negative)
        *out++ = '-';
    for (u32 i = 0; i < integer; ++i)
    {
        if (groups && i > 0 && (integer - i) % 3 == 0)
            *out++ = grouping;
        *out++ = plain[i];
    }
    std::strcpy(out, plain + integer);
    return s_aText;
}

const char16_t* NumStrW(f64 value, u32 decimals, u32 flags)
{
    const char* text = NumStr(value, decimals, flags);
    u32 i = 0;
    for (; text[i] && i + 1 < NUMSTR_CAPACITY; ++i)
        s_aWide[i] = static_cast<char16_t>(static_cast<unsigned char>(text[i]));
    s_aWide[i] = 0;
    return s_aWide;
}

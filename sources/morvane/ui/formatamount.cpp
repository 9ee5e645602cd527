#include "morvane/ui/formatamount.h"

#include <cmath>
#include <cstdio>

namespace
{
constexpr u32 AMOUNT_CAPACITY = 32;
constexpr char16_t EURO_SIGN = u'\u20AC';
} // namespace

const char16_t* FormatThousands(f64 amount)
{
    static char16_t s_aText[AMOUNT_CAPACITY];
    char digits[AMOUNT_CAPACITY];
    const int length = std::snprintf(digits, sizeof(digits), "%.0f", amount);
    // An amount too long for the buffer shows as far as it fits, ungrouped.
    if (length < 0 || length >= static_cast<int>(sizeof(digits)))
    {
        u32 i = 0;
        for (; i + 1 < AMOUNT_CAPACITY && digits[i]; ++i)
            s_aText[i] = static_cast<char16_t>(digits[i]);
        s_aText[i] = 0;
        return s_aText;
    }
    const int sign = digits[0] == '-' ? 1 : 0;
    u32 out = 0;
    for (int i = 0; i < length && out + 1 < AMOUNT_CAPACITY; ++i)
    {
        const int fromRight = length - i;
        if (i > sign && fromRight % 3 == 0)
            s_aText[out++] = u',';
        if (out + 1 < AMOUNT_CAPACITY)
            s_aText[out++] = static_cast<char16_t>(digits[i]);
    }
    s_aText[out] = 0;
    return s_aText;
}

const char16_t* FormatEuroAmount(f64 amount)
{
    static char16_t s_aText[AMOUNT_CAPACITY + 2];
    u32 out = 0;
    if (amount < 0.0)
        s_aText[out++] = u'-';
    s_aText[out++] = EURO_SIGN;
    for (const char16_t* digit = FormatThousands(std::fabs(amount)); *digit; ++digit)
        s_aText[out++] = *digit;
    s_aText[out] = 0;
    return s_aText;
}

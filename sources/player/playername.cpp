#include "player/playername.h"

#include "core/system/unistring.h"
#include "player/playercontainer.h"

char16_t LowerAscii(char16_t unit)
{
    return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit - u'A' + u'a') : unit;
}

bool EqualsIgnoringAsciiCase(const char16_t* a, const char16_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b))
            return false;
    return *a == *b;
}

bool IsValidProfileName(const char16_t* name)
{
    const i32 length = UniLength(name);
    if (length == 0 || length > static_cast<i32>(PLAYER_NAME_LENGTH))
        return false;
    for (i32 i = 0; i < length; ++i)
    {
        const char16_t unit = name[i];
        if (unit == u'/' || unit == u'\\' || unit < 0x20 || (unit >= 0x7F && unit < 0xA0))
            return false;
    }
    // "." and ".." end in a dot too.
    return name[length - 1] != u'.' && name[length - 1] != u' ';
}

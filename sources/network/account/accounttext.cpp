#include "network/account/accounttext.h"

#include "core/system/hash.h"
#include "core/system/platform.h"
#include "core/system/unistring.h"

#include <cstring>

bool AccountUtf8(char* out, u32 room, const char16_t* text)
{
    if (WideToUtf8(out, static_cast<i32>(room), text ? text : u"", -1) == 0)
        return true;
    out[0] = 0;
    return false;
}

void NormalizeUsername(char* text)
{
    size_t start = 0;
    while (text[start] == ' ')
        ++start;
    size_t end = std::strlen(text);
    while (end > start && text[end - 1] == ' ')
        --end;
    std::memmove(text, text + start, end - start);
    text[end - start] = 0;
    for (char* c = text; *c; ++c)
        if (*c >= 'A' && *c <= 'Z')
            *c = static_cast<char>(*c - 'A' + 'a');
}

u32 Utf8CutLength(const char* text, u32 length, u32 limit)
{
    if (length <= limit)
        return length;
    // Back over continuation bytes to the start of the character the limit falls in.
    u32 cut = limit;
    while (cut > 0 && (static_cast<u8>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

void SetAccountText(SArray<char16_t, 32, 0>& out, const char* text, u32 length)
{
    char16_t wide[256 + 1];
    const i32 units = Utf8ToUtf16(wide, 256 + 1, text, static_cast<i32>(length));
    i32 keep = units < static_cast<i32>(ACCOUNT_TEXT_LENGTH) ? units : static_cast<i32>(ACCOUNT_TEXT_LENGTH);
    // A pair of surrogates is one character: never kept in half.
    if (keep > 0 && keep < units && wide[keep - 1] >= 0xD800 && wide[keep - 1] < 0xDC00)
        --keep;
    wide[keep] = 0;
    out = wide;
}

void HashPasswordUtf8(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char* password)
{
    // The context holds the password's block to the end: wiped, not left on the stack.
    TSha2Context context;
    Sha2Init(&context, ACCOUNT_DIGEST_SIZE);
    Sha2Update(&context, password, static_cast<u32>(std::strlen(password)));
    Sha2Final(&context, digest);
    WipeSecret(&context, sizeof context);
}

bool HashPassword(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char16_t* password)
{
    const char16_t* text = password ? password : u"";
    if (UniLength(text) > static_cast<i32>(ACCOUNT_PASSWORD_ROOM) - 1)
        return false;
    char utf8[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    if (!AccountUtf8(utf8, sizeof utf8, text))
        return false;
    HashPasswordUtf8(digest, utf8);
    WipeSecret(utf8, sizeof utf8);
    return true;
}

bool IsValidPassword(const char* password)
{
    const size_t length = std::strlen(password);
    if (length < 6 || length > ACCOUNT_PASSWORD_ROOM)
        return false;
    bool digit = false;
    bool letter = false;
    for (size_t i = 0; i < length; ++i)
    {
        const signed char c = static_cast<signed char>(password[i]);
        if (c < 33 || c == 127)
            return false;
        digit = digit || (c >= '0' && c <= '9');
        letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    return digit && letter;
}

bool IsValidPassword(const char16_t* password)
{
    if (!password || UniLength(password) > static_cast<i32>(ACCOUNT_PASSWORD_ROOM))
        return false;
    char utf8[ACCOUNT_PASSWORD_ROOM * 3 + 1];
    const bool valid = AccountUtf8(utf8, sizeof utf8, password) && IsValidPassword(utf8);
    WipeSecret(utf8, sizeof utf8);
    return valid;
}

void WipeSecret(void* data, u32 size)
{
    volatile u8* bytes = static_cast<volatile u8*>(data);
    for (u32 i = 0; i < size; ++i)
        bytes[i] = 0;
}

#pragma once
// Whether a writable mapping of the process holds the text (narrow or wide). A password a test
// passes as a literal (read-only data) is found only where the code under test copied it.
#include <cstdio>
#include <cstring>
#include <string>

// Whether the bytes lie in a writable mapping anywhere but at `self` (the scan's own pattern).
inline bool HeldBytesInWritableMemory(const void* bytes, size_t size, const void* self = nullptr)
{
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    unsigned long start = 0, end = 0;
    char access[8] = {};
    bool held = false;
    while (!held && std::fscanf(maps, "%lx-%lx %7s%*[^\n]", &start, &end, access) == 3)
    {
        if (access[1] != 'w')
            continue;
        for (const char* at = reinterpret_cast<const char*>(start); !held && at < reinterpret_cast<const char*>(end);)
        {
            const void* hit = memmem(at, reinterpret_cast<const char*>(end) - at, bytes, size);
            if (!hit)
                break;
            held = hit != self;
            at = static_cast<const char*>(hit) + 1;
        }
    }
    std::fclose(maps);
    return held;
}

template <class C> bool HeldInWritableMemory(const C* text)
{
    return HeldBytesInWritableMemory(text, std::char_traits<C>::length(text) * sizeof(C));
}

// Whether the code under test holds an ASCII password: as typed (UTF-8) or widened (UTF-16),
// whole or from its ninth byte on. Freeing a block, the allocator writes its own words over its
// first 8 bytes, which hides the rest of a copy left unwiped there from a whole-text scan: give
// passwords of 16 characters or more, so that what follows those bytes is theirs alone.
inline bool SecretHeld(const char* password)
{
    constexpr size_t kHidden = 8;
    const size_t length = std::strlen(password);
    if (HeldInWritableMemory(password) || (length > kHidden && HeldInWritableMemory(password + kHidden)))
        return true;
    // The wide pattern is the scan's own copy: skipped where it lies, wiped when done.
    char16_t wide[128] = {};
    const size_t count = length < 127 ? length : 127;
    for (size_t i = 0; i < count; ++i)
        wide[i] = static_cast<unsigned char>(password[i]);
    const size_t skipped = kHidden / sizeof(char16_t);
    const bool held = HeldBytesInWritableMemory(wide, count * sizeof(char16_t), wide) ||
                      (count > skipped &&
                       HeldBytesInWritableMemory(wide + skipped, (count - skipped) * sizeof(char16_t), wide + skipped));
    volatile char16_t* bytes = wide;
    for (size_t i = 0; i < count; ++i)
        bytes[i] = 0;
    return held;
}

#pragma once
// Whether a writable mapping of the process holds the text (narrow or wide). A password a test
// passes as a literal (read-only data) is found only where the code under test copied it.
#include <cstdio>
#include <cstring>
#include <string>

template <class C> bool HeldInWritableMemory(const C* text)
{
    std::FILE* maps = std::fopen("/proc/self/maps", "r");
    unsigned long start = 0, end = 0;
    char access[8] = {};
    bool held = false;
    while (!held && std::fscanf(maps, "%lx-%lx %7s%*[^\n]", &start, &end, access) == 3)
        held = access[1] == 'w' && memmem(reinterpret_cast<const void*>(start), end - start, text,
                                             std::char_traits<C>::length(text) * sizeof(C));
    std::fclose(maps);
    return held;
}

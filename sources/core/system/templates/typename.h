#pragma once
// The printed name of a template argument, for the function names of the containers' fatal
// assertions (as "SArray<class TName,16,1>::SetCount"). Only used on the abort path.
#include "core/system/types.h"

#include <cstring>
#include <type_traits>

template <class T> const char* RawTypeSignature()
{
    return __PRETTY_FUNCTION__;
}

// Writes the type's name into out (room bytes, NUL included). 16-bit text units print as
// "wchar_t", the name the engine's own containers were declared with.
template <class T> void TypeNameOf(char* out, i32 room)
{
    if (std::is_same_v<T, char16_t>)
    {
        std::strncpy(out, "wchar_t", room - 1);
        out[room - 1] = 0;
        return;
    }
    // GCC: "... [with T = X]" (or "[with T = X; ...]"), clang: "... [T = X]".
    const char* signature = RawTypeSignature<T>();
    const char* start = std::strstr(signature, "T = ");
    i32 length = 0;
    if (start)
    {
        start += 4;
        i32 depth = 0;
        while (start[length] && !(depth == 0 && (start[length] == ']' || start[length] == ';')))
        {
            depth += start[length] == '<' ? 1 : start[length] == '>' ? -1 : 0;
            ++length;
        }
    }
    i32 n = 0;
    if (std::is_class_v<T>)
        for (const char* p = "class "; *p && n < room - 1; ++p)
            out[n++] = *p;
    for (i32 i = 0; i < length && n < room - 1; ++i)
        out[n++] = start[i];
    out[n] = 0;
}

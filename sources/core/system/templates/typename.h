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

// Appends text to out (room bytes, NUL included) at n, cutting at the room.
inline void AppendTypeText(char* out, i32 room, i32& n, const char* text, i32 length = -1)
{
    for (i32 i = 0; (length < 0 || i < length) && text[i] && n < room - 1; ++i)
        out[n++] = text[i];
    out[n] = 0;
}

// The type's name as the compiler spells it: GCC "... [with T = X]" (or "[with T = X; ...]"),
// clang "... [T = X]".
template <class T> void AppendRawTypeName(char* out, i32 room, i32& n, bool upToArguments)
{
    const char* signature = RawTypeSignature<T>();
    const char* start = std::strstr(signature, "T = ");
    if (!start)
        return;
    start += 4;
    i32 length = 0;
    i32 depth = 0;
    while (start[length] && !(depth == 0 && (start[length] == ']' || start[length] == ';')))
    {
        if (upToArguments && start[length] == '<')
            break;
        depth += start[length] == '<' ? 1 : start[length] == '>' ? -1 : 0;
        ++length;
    }
    AppendTypeText(out, room, n, start, length);
}

template <class T> struct TTypeName
{
    static void Append(char* out, i32 room, i32& n)
    {
        if (std::is_same_v<T, char16_t>)
            return AppendTypeText(out, room, n, "wchar_t");
        if (std::is_class_v<T>)
            AppendTypeText(out, room, n, "class ");
        AppendRawTypeName<T>(out, room, n, false);
    }
};

// A class template of type arguments names each argument the same way, separated by bare
// commas: "class TMapKey<class TName,float>".
template <template <class...> class C, class... A> struct TTypeName<C<A...>>
{
    static void Append(char* out, i32 room, i32& n)
    {
        AppendTypeText(out, room, n, "class ");
        AppendRawTypeName<C<A...>>(out, room, n, true);
        AppendTypeText(out, room, n, "<");
        i32 index = 0;
        ((AppendTypeText(out, room, n, index++ ? "," : ""), TTypeName<A>::Append(out, room, n)), ...);
        AppendTypeText(out, room, n, ">");
    }
};

// Writes the type's name into out (room bytes, NUL included). 16-bit text units print as
// "wchar_t", the name the engine's own containers were declared with.
template <class T> void TypeNameOf(char* out, i32 room)
{
    i32 n = 0;
    out[0] = 0;
    TTypeName<T>::Append(out, room, n);
}

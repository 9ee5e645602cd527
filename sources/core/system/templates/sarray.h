#pragma once
// SArray: a count followed by N elements in place. Exceeding the capacity is the fatal
// assertion "count too big", never a reallocation. F = 1 marks element types with
// constructors and destructors, 0 plain data. Character instances hold text whose count
// includes the NUL (an empty text has count 1).
#include "core/system/abort.h"
#include "core/system/string.h"
#include "core/system/templates/typename.h"
#include "core/system/unistring.h"

#include <cstring>
#include <new>
#include <type_traits>

template <class T, int N, int F> class SArray
{
    static_assert(F == 1 || std::is_trivially_copyable_v<T>,
                  "plain-data SArray of a class with a constructor");

public:
    SArray() : m_nCount(0) {}
    ~SArray()
    {
        if constexpr (F == 1)
            Destroy(0, m_nCount);
    }
    SArray(const SArray& other) : m_nCount(0) { CopyFrom(other); }
    SArray& operator=(const SArray& other)
    {
        if (this != &other)
        {
            SetCount(0);
            CopyFrom(other);
        }
        return *this;
    }

    static constexpr u32 GetCapacity() { return N; }
    u32 GetCount() const { return m_nCount; }
    T* GetData() { return reinterpret_cast<T*>(m_aStorage); }
    const T* GetData() const { return reinterpret_cast<const T*>(m_aStorage); }
    T& operator[](u32 i) { return GetData()[i]; }
    const T& operator[](u32 i) const { return GetData()[i]; }

    void SetCount(u32 n)
    {
        if (n > static_cast<u32>(N))
            Fail("SetCount", __LINE__, "count too big");
        if constexpr (F == 1)
        {
            for (u32 i = m_nCount; i < n; ++i)
                new (GetData() + i) T();
            Destroy(n, m_nCount);
        }
        m_nCount = n;
    }

    // Appends one element (capacity checked).
    T& Add(const T& value)
    {
        u32 i = m_nCount;
        SetCount(i + 1);
        GetData()[i] = value;
        return GetData()[i];
    }

    // Text forms (character instances).
    static constexpr bool kText = std::is_same_v<T, char> || std::is_same_v<T, char16_t>;

    SArray& operator=(const T* text) requires kText
    {
        if (!text)
        {
            SetCount(1);
            GetData()[0] = 0;
            return *this;
        }
        u32 length = TextLength(text);
        SetCount(length + 1);
        std::memmove(GetData(), text, (length + 1) * sizeof(T));
        return *this;
    }

    void Append(const T* text) requires kText
    {
        u32 length = GetLength();
        u32 add = text ? TextLength(text) : 0;
        SetCount(length + add + 1);
        std::memmove(GetData() + length, text ? text : GetData() + length, add * sizeof(T));
        GetData()[length + add] = 0;
    }

    // The text, empty while the array holds nothing.
    const T* GetText() const requires kText
    {
        static const T s_empty = 0;
        return m_nCount ? GetData() : &s_empty;
    }
    u32 GetLength() const requires kText { return m_nCount ? m_nCount - 1 : 0; }

    // Formats into the text, cut to the capacity.
    void Format(const char* format, ...) requires std::is_same_v<T, char>
    {
        va_list args;
        va_start(args, format);
        m_nCount = FormatStringV(GetData(), N, format, args) + 1;
        va_end(args);
    }

private:
    static u32 TextLength(const T* text)
    {
        if constexpr (std::is_same_v<T, char>)
            return static_cast<u32>(std::strlen(text));
        else
            return static_cast<u32>(UniLength(text));
    }

    void CopyFrom(const SArray& other)
    {
        if constexpr (F == 1)
        {
            SetCount(other.m_nCount);
            for (u32 i = 0; i < m_nCount; ++i)
                GetData()[i] = other.GetData()[i];
        }
        else
        {
            m_nCount = other.m_nCount;
            std::memcpy(m_aStorage, other.m_aStorage, m_nCount * sizeof(T));
        }
    }

    void Destroy(u32 from, u32 to)
    {
        for (u32 i = from; i < to; ++i)
            GetData()[i].~T();
    }

    [[noreturn]] static void Fail(const char* method, i32 line, const char* message)
    {
        char type[128];
        char function[256];
        TypeNameOf<T>(type, sizeof type);
        FormatString256(function, "SArray<%s,%d,%d>::%s", type, N, F, method);
        __Abort(function, "core/system/templates/sarray.h", line, "%s", message);
    }

    u32 m_nCount;
    alignas(T) unsigned char m_aStorage[N * sizeof(T)];
};

// A fixed text of N characters, NUL included.
template <int N> using SString = SArray<char, N, 0>;

static_assert(sizeof(SArray<char, 256, 0>) == 260);

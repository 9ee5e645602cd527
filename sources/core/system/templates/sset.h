#pragma once
// SSet: a sorted fixed-capacity set {count, N entries} of TMapKey {key, value} pairs with a
// 32-bit key (a TName or an integer), ordered by the key as a signed 32-bit integer, without
// duplicates, searched by bisection.
#include "core/system/abort.h"
#include "core/system/string.h"
#include "core/system/templates/typename.h"

#include <type_traits>

template <class K, class V> struct TMapKey
{
    K key;
    V value;
};

template <class E, int N, class K, int F> class SSet
{
public:
    SSet() : m_nCount(0), m_aEntry() {}

    static constexpr u32 GetCapacity() { return N; }
    u32 GetCount() const { return m_nCount; }
    bool IsFull() const { return m_nCount >= static_cast<u32>(N); }
    E& operator[](u32 i) { return m_aEntry[i]; }
    const E& operator[](u32 i) const { return m_aEntry[i]; }
    E* GetData() { return m_aEntry; }

    // The key compared as a signed 32-bit integer.
    static i32 KeyValue(const K& key)
    {
        if constexpr (std::is_integral_v<K> || std::is_enum_v<K>)
            return static_cast<i32>(key);
        else
            return static_cast<i32>(key.GetId());
    }

    // Index of the entry with this key, or -1.
    i32 FindKey(const K& key) const
    {
        i32 index = FindIndex(key);
        return index >= 0 ? index : -1;
    }

    // Index of the entry when present; -1 when the key belongs at the end; otherwise
    // -10 - p, p being the position at which the key belongs. The bisection runs in
    // single-precision floats.
    i32 FindIndex(const K& key) const
    {
        if (m_nCount == 0)
            return -1;
        const i32 k = KeyValue(key);
        f32 lo = 0.0f;
        f32 hi = static_cast<f32>(m_nCount);
        f32 mid = hi * 0.5f;
        while (hi - lo > 0.5f)
        {
            const i32 i = static_cast<i32>(mid);
            const i32 ki = KeyValue(m_aEntry[i].key);
            if (k == ki)
                return i;
            if (k < ki)
            {
                if (i == 0)
                    return -10;
                if (KeyValue(m_aEntry[i - 1].key) < k)
                    return -10 - i;
                hi = mid;
            }
            else
            {
                if (i == 0)
                    return -1;
                lo = mid;
            }
            mid = (lo + hi) * 0.5f;
        }
        return -1;
    }

    // 1 when the key is present (nothing changes), else inserts at the key's place and
    // returns 0. Inserting into a full set is the fatal "count too big".
    i32 Insert(const E& entry)
    {
        const i32 index = FindIndex(entry.key);
        if (index >= 0)
            return 1;
        const u32 at = index == -1 ? m_nCount : static_cast<u32>(-10 - index);
        _SetCount(m_nCount + 1);
        for (u32 i = m_nCount - 1; i > at; --i)
            m_aEntry[i] = m_aEntry[i - 1];
        m_aEntry[at] = entry;
        return 0;
    }

    void _SetCount(u32 n)
    {
        if (n > static_cast<u32>(N))
            Fail("_SetCount", __LINE__, "count too big");
        m_nCount = n;
    }

    // The storage is the N entries in place: asking for more is the program's own misuse.
    void _Resize(u32 n)
    {
        if (n > static_cast<u32>(N))
            Fail("_Resize", __LINE__, "invalid operation");
    }

private:
    // The function is named after the whole instance, as "SSet<class TMapKey<int,int>,8,int,0>::_Resize".
    [[noreturn]] static void Fail(const char* method, i32 line, const char* message)
    {
        char entry[128];
        char key[128];
        char function[320];
        TypeNameOf<E>(entry, sizeof entry);
        TypeNameOf<K>(key, sizeof key);
        FormatStringN(function, sizeof function, "SSet<%s,%d,%s,%d>::%s", entry, N, key, F, method);
        __Abort(function, "core/system/templates/sset.h", line, "%s", message);
    }

    u32 m_nCount;
    E m_aEntry[N];
};

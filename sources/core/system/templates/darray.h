#pragma once
// DArray: a heap array {capacity, count, data}. A negative capacity marks storage the array
// does not own (loaded data, a caller's buffer): it is never freed by the array. Growth is
// exact; Add grows a full array to twice its capacity plus one. Character instances hold text
// whose count includes the NUL.
#include "core/system/abort.h"
#include "core/system/memory.h"
#include "core/system/unistring.h"

#include <cstring>
#include <type_traits>

template <class T, int F = 0> class DArray
{
    static_assert(std::is_trivially_copyable_v<T>, "DArray holds plain data");

public:
    DArray() = default;
    ~DArray() { Free(); }
    DArray(const DArray&) = delete;
    DArray& operator=(const DArray&) = delete;

    i32 GetCapacity() const { return m_nCapacity; }
    i32 GetCount() const { return m_nCount; }
    T* GetData() { return m_pData; }
    const T* GetData() const { return m_pData; }
    T* At(i32 i) { return m_pData + i; }
    T& operator[](i32 i) { return m_pData[i]; }
    const T& operator[](i32 i) const { return m_pData[i]; }
    bool IsOwned() const { return m_nCapacity >= 0; }

    // Reallocates to exactly n elements, keeping the first min(count, n). fill: the new
    // storage is filled with the byte 0xCD first (byte arrays, to make stale reads visible).
    void SetCapacity(i32 n, bool fill = false)
    {
        if (!TrySetCapacity(n, fill))
            __Abort("DArray::SetCapacity", "core/system/templates/darray.h", __LINE__,
                    "out of memory (%d elements of %d bytes)", n, static_cast<i32>(sizeof(T)));
    }

    // SetCapacity for sizes that come from data: false, the array unchanged, when the storage
    // cannot be had.
    bool TrySetCapacity(i32 n, bool fill = false)
    {
        if (n == m_nCapacity)
            return true;
        T* data = nullptr;
        i32 keep = m_nCount < n ? m_nCount : n;
        if (n > 0)
        {
            data = static_cast<T*>(MemoryAllocate(static_cast<u32>(n) * sizeof(T)));
            if (!data)
                return false;
            if (fill)
                std::memset(data, 0xCD, static_cast<u32>(n) * sizeof(T));
            if (keep > 0)
                std::memcpy(data, m_pData, keep * sizeof(T));
        }
        else
            keep = 0;
        if (m_nCapacity > 0)
            MemoryFree(m_pData);
        m_pData = data;
        m_nCount = keep;
        m_nCapacity = n;
        return true;
    }

    // Count 0, capacity 0, the storage freed when owned and dropped when foreign.
    void Free()
    {
        if (m_nCapacity > 0)
            MemoryFree(m_pData);
        m_pData = nullptr;
        m_nCount = 0;
        m_nCapacity = 0;
    }

    // Uses count elements at data without owning them.
    void Attach(T* data, i32 count)
    {
        Free();
        m_pData = data;
        m_nCount = count;
        m_nCapacity = -1;
    }

    // Exchanges the storage of two arrays (a whole file's bytes handed on without a copy).
    void Swap(DArray& other)
    {
        const i32 capacity = m_nCapacity;
        const i32 count = m_nCount;
        T* data = m_pData;
        m_nCapacity = other.m_nCapacity;
        m_nCount = other.m_nCount;
        m_pData = other.m_pData;
        other.m_nCapacity = capacity;
        other.m_nCount = count;
        other.m_pData = data;
    }

    // Loaded records: the stored data and count kept, the storage marked foreign without being
    // freed (the stored capacity is the writer's and says nothing here).
    void MarkForeign() { m_nCapacity = -1; }

    // Sets the count, growing the storage exactly when it is too small.
    void SetCount(i32 n)
    {
        if (n > m_nCount && n > m_nCapacity)
            SetCapacity(n);
        m_nCount = n;
    }

    // Appends one element; a full array grows to twice its capacity plus one.
    T& Add(const T& value)
    {
        if (m_nCount >= m_nCapacity)
            SetCapacity(2 * (m_nCapacity > m_nCount ? m_nCapacity : m_nCount) + 1);
        m_pData[m_nCount] = value;
        return m_pData[m_nCount++];
    }

    // Text forms (character instances): the count includes the NUL.
    static constexpr bool kText = std::is_same_v<T, char> || std::is_same_v<T, char16_t>;

    void SetLength(i32 n) requires kText
    {
        if (n + 1 > m_nCount && n + 1 > m_nCapacity)
            SetCapacity(n + 1);
        m_nCount = n + 1;
        m_pData[n] = 0;
    }

    DArray& operator=(const T* text) requires kText
    {
        i32 length = 0;
        if (text)
            while (text[length])
                ++length;
        SetLength(length);
        if (length)
            std::memmove(m_pData, text, length * sizeof(T));
        return *this;
    }

    const T* GetText() const requires kText
    {
        static const T s_empty = 0;
        return m_nCount ? m_pData : &s_empty;
    }

private:
    i32 m_nCapacity = 0;
    i32 m_nCount = 0;
    T* m_pData = nullptr;
};

static_assert(sizeof(DArray<char>) == 12);

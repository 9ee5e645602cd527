#pragma once
// MArray: individually allocated elements {capacity, count, element pointers, first owned
// index}. Elements below the first owned index are foreign (they live in loaded data) and are
// never destroyed; -1 means the array owns none. STEP is the growth of the pointer storage
// when an element is added to a full array. A negative capacity marks pointer storage that
// the array does not own.
#include "core/system/abort.h"
#include "core/system/memory.h"
#include "core/system/string.h"
#include "core/system/templates/typename.h"

#include <cstring>
#include <new>

template <class T, int F, int STEP> class MArray
{
public:
    MArray() = default;
    ~MArray() { DeleteAll(); }
    MArray(const MArray&) = delete;
    MArray& operator=(const MArray&) = delete;

    i32 GetCapacity() const { return m_nCapacity; }
    i32 GetCount() const { return m_nCount; }
    i32 GetFirstOwned() const { return m_nFirstOwned; }
    // Foreign (loaded) elements come first: their count, which is where the made ones start.
    i32 GetForeignCount() const { return m_nFirstOwned < 0 ? m_nCount : m_nFirstOwned; }
    T* operator[](i32 i) const { return m_ppItem[i]; }
    T** GetItems() const { return m_ppItem; }

    // Uses count foreign elements (loaded data) through a pointer table the array does not own.
    void AttachForeign(T** items, i32 count)
    {
        DeleteAll();
        m_ppItem = items;
        m_nCount = count;
        m_nCapacity = -1;
        m_nFirstOwned = -1;
    }

    void SetCount(i32 n)
    {
        if (n == m_nCount)
            return;
        if (n == 0)
        {
            DeleteAll();
            return;
        }
        if (n < m_nCount)
        {
            if (m_nFirstOwned != 0)
                Fail("SetCount", __LINE__, "unable to shrink foreign array");
            DestroyItems(n, m_nCount);
            m_nCount = n;
            Reallocate(n);
            return;
        }
        if (m_nFirstOwned == -1)
            m_nFirstOwned = m_nCount;
        if (n > m_nCapacity)
            Reallocate(n);
        while (m_nCount < n)
            m_ppItem[m_nCount++] = NewItem();
    }

    void DeleteAll()
    {
        if (m_nFirstOwned >= 0)
            DestroyItems(m_nFirstOwned, m_nCount);
        if (m_nCapacity > 0)
            MemoryFree(m_ppItem);
        m_ppItem = nullptr;
        m_nCount = 0;
        m_nCapacity = 0;
        m_nFirstOwned = -1;
    }

    void SetCapacity(i32 n)
    {
        if (n == m_nCapacity)
            return;
        if (n == 0)
        {
            DeleteAll();
            return;
        }
        if (n >= m_nCount)
        {
            if (m_nFirstOwned == -1)
                m_nFirstOwned = m_nCount;
            Reallocate(n);
            return;
        }
        if (m_nFirstOwned < 0 || n < m_nFirstOwned)
            Fail("SetCapacity", __LINE__, "unable to shrink foreign array");
        DestroyItems(n, m_nCount);
        m_nCount = n;
        Reallocate(n);
    }

    // Creates one element at the end: its block is filled with 0xCD before construction.
    T* Add()
    {
        if (m_nCount >= m_nCapacity)
            SetCapacity((m_nCapacity > m_nCount ? m_nCapacity : m_nCount) + STEP);
        T* item = NewItem();
        m_ppItem[m_nCount++] = item;
        return item;
    }

    // Moves n elements inside one block of elements, overlaps allowed: forward, bounded by the
    // room from the destination to roomEnd, when the destination is not above the source; else
    // from the last element backwards.
    template <class E> static void _MoveItems(E* items, i32 destination, i32 roomEnd, i32 source, i32 n)
    {
        if (destination <= source)
        {
            const i32 room = roomEnd - destination;
            for (i32 i = 0; i < n && i < room; ++i)
                items[destination + i] = items[source + i];
            return;
        }
        for (i32 i = n; i-- > 0;)
            items[destination + i] = items[source + i];
    }

private:
    T* NewItem()
    {
        void* block = MemoryAllocate(sizeof(T));
        if (!block)
            Fail("Add", __LINE__, "out of memory");
        std::memset(block, 0xCD, sizeof(T));
        return new (block) T();
    }

    void DestroyItems(i32 from, i32 to)
    {
        for (i32 i = from; i < to; ++i)
        {
            m_ppItem[i]->~T();
            MemoryFree(m_ppItem[i]);
        }
    }

    // Pointer storage of exactly n entries, keeping the first min(count, n).
    void Reallocate(i32 n)
    {
        T** items = static_cast<T**>(MemoryAllocate(static_cast<u32>(n) * sizeof(T*)));
        if (!items)
            Fail("SetCapacity", __LINE__, "out of memory");
        i32 keep = m_nCount < n ? m_nCount : n;
        if (keep > 0)
            std::memcpy(items, m_ppItem, keep * sizeof(T*));
        if (m_nCapacity > 0)
            MemoryFree(m_ppItem);
        m_ppItem = items;
        m_nCapacity = n;
    }

    [[noreturn]] static void Fail(const char* method, i32 line, const char* message)
    {
        char type[128];
        char function[256];
        TypeNameOf<T>(type, sizeof type);
        FormatString256(function, "MArray<%s,%d,%d>::%s", type, F, STEP, method);
        __Abort(function, "core/system/templates/marray.h", line, "%s", message);
    }

    i32 m_nCapacity = 0;
    i32 m_nCount = 0;
    T** m_ppItem = nullptr;
    i32 m_nFirstOwned = -1;
};

static_assert(sizeof(MArray<int, 0, 1024>) == 16);

#pragma once
// TClusterHandle: the run-time reference to a stored object, {u16 element index, u16 type id};
// 0 is the null handle.
#include "core/system/types.h"

class TClusterHandle
{
public:
    TClusterHandle() : m_nHandle(0) {}
    TClusterHandle(u16 index, u16 typeId) : m_nHandle(static_cast<u32>(typeId) << 16 | index) {}

    static TClusterHandle FromWord(u32 word)
    {
        TClusterHandle handle;
        handle.m_nHandle = word;
        return handle;
    }
    // The handle the cluster's user-id table holds for the id; an unknown id is fatal.
    static TClusterHandle FromUserId(u32 userId);

    u32 GetWord() const { return m_nHandle; }
    u16 GetIndex() const { return static_cast<u16>(m_nHandle); }
    u16 GetTypeId() const { return static_cast<u16>(m_nHandle >> 16); }
    bool IsNull() const { return m_nHandle == 0; }
    bool operator==(const TClusterHandle& other) const { return m_nHandle == other.m_nHandle; }

    // The object in its type's registered array; null for the null handle or an index past the
    // array's end.
    void* GetObject() const;

private:
    u32 m_nHandle;
};

static_assert(sizeof(TClusterHandle) == 4);

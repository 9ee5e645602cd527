#pragma once
// The counted allocator every engine object goes through: 16-byte-aligned blocks and three
// global counters (statistics only).
#include "core/system/types.h"

#include <atomic>
#include <new>
#include <utility>

extern std::atomic<u32> g_MemoryAllocations;
extern std::atomic<u32> g_MemoryReleases;
extern std::atomic<u32> g_MemoryBytes;

// Null on failure; the counters are not undone.
void* MemoryAllocate(u32 size);
void MemoryFree(void* block);

// Allocates and constructs an object in a counted block; null when the block cannot be had.
template <class T, class... A> T* MemoryNew(A&&... args)
{
    void* block = MemoryAllocate(sizeof(T));
    return block ? new (block) T(std::forward<A>(args)...) : nullptr;
}

template <class T> void MemoryDelete(T* object)
{
    if (!object)
        return;
    object->~T();
    MemoryFree(object);
}

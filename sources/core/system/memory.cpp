#include "core/system/memory.h"

#include <cstdlib>

std::atomic<u32> g_MemoryAllocations{0};
std::atomic<u32> g_MemoryReleases{0};
std::atomic<u32> g_MemoryBytes{0};

namespace
{
// Each block is preceded by a 16-byte header holding its size, so that MemoryFree can count
// the live bytes and the block itself stays 16-byte aligned.
constexpr u32 kHeader = 16;
} // namespace

void* MemoryAllocate(u32 size)
{
    g_MemoryAllocations.fetch_add(1, std::memory_order_relaxed);
    g_MemoryBytes.fetch_add(size, std::memory_order_relaxed);
    if (size > 0xFFFFFFFFu - kHeader)
        return nullptr;
    void* raw = nullptr;
    if (posix_memalign(&raw, kHeader, size + kHeader) != 0)
        return nullptr;
    *static_cast<u32*>(raw) = size;
    return static_cast<u8*>(raw) + kHeader;
}

void MemoryFree(void* block)
{
    if (!block)
        return;
    u8* raw = static_cast<u8*>(block) - kHeader;
    g_MemoryReleases.fetch_add(1, std::memory_order_relaxed);
    g_MemoryBytes.fetch_sub(*reinterpret_cast<u32*>(raw), std::memory_order_relaxed);
    std::free(raw);
}

#pragma once
// TRepository: where a resource's data blocks live. A least form until repository files are
// read: an image held in memory (not owned), from which blocks are copied or inflated.
#include "core/system/types.h"

class TRepository
{
public:
    TRepository(const void* image, u32 size) : m_pImage(static_cast<const u8*>(image)), m_nSize(size) {}

    // size bytes at offset into target, inflated when compressed; 0 on success, 1 when the range
    // lies outside the image or the block does not inflate to size bytes.
    i32 ReadBlock(void* target, u32 offset, u32 size, bool compressed, u32 storedSize) const;
    // The bytes at offset, null when offset + size leaves the image.
    const u8* GetBlock(u32 offset, u32 size) const;

private:
    const u8* m_pImage;
    u32 m_nSize;
};

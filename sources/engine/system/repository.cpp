#include "engine/system/repository.h"

#include "core/compression/compressedfile.h"

#include <cstring>
#include <zlib.h>

const u8* TRepository::GetBlock(u32 offset, u32 size) const
{
    if (offset > m_nSize || size > m_nSize - offset)
        return nullptr;
    return m_pImage + offset;
}

i32 TRepository::ReadBlock(void* target, u32 offset, u32 size, bool compressed, u32 storedSize) const
{
    const u8* block = GetBlock(offset, storedSize);
    if (!block)
        return 1;
    if (!compressed)
    {
        std::memcpy(target, block, size);
        return 0;
    }
    u32 produced = size;
    if (InflateBuffer(block, storedSize, target, &produced) != Z_STREAM_END || produced != size)
        return 1;
    return 0;
}

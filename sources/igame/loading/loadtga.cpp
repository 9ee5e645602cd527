#include "igame/loading/loadtga.h"

#include "core/stream/filestream.h"
#include "core/system/memory.h"

#include <cstring>

namespace
{
u32 ReadPixels(TFileStream& file, i32 width, i32 height, i32 bytesPerPixel, bool topDown, u8* pixels)
{
    const i32 pitch = width * bytesPerPixel;
    if (topDown)
        return file.Read(pixels, pitch * height) == pitch * height ? TGA_LOADED : TGA_SHORT;
    // Stored bottom row first: row r of the file is row height - 1 - r in memory.
    for (i32 r = 0; r < height; ++r)
        if (file.Read(pixels + static_cast<size_t>(height - 1 - r) * pitch, pitch) != pitch)
            return TGA_SHORT;
    return TGA_LOADED;
}
} // namespace

u32 _LoadTGA(const char* path, i32& width, i32& height, i32& bytesPerPixel, u8*& pixels)
{
    width = height = bytesPerPixel = 0;
    pixels = nullptr;
    TFileStream file;
    if (file.Open(TName(path, true), 1) != 1)
        return TGA_NOT_READ;
    u8 header[TGA_HEADER_SIZE];
    if (file.Read(header, TGA_HEADER_SIZE) != static_cast<i32>(TGA_HEADER_SIZE))
        return TGA_NOT_READ;
    const u32 idLength = header[0];
    u16 w, h;
    std::memcpy(&w, header + 12, 2);
    std::memcpy(&h, header + 14, 2);
    const i32 bytes = header[16] / 8;
    if ((bytes != 3 && bytes != 4) || w == 0 || h == 0)
        return TGA_UNSUPPORTED;
    // 65,535 x 65,535 x 4 does not fit 32 bits: the file's size bounds the image first.
    const u64 size = static_cast<u64>(w) * h * bytes;
    const i32 fileSize = file.GetSize();
    const u64 available = fileSize < 0 ? 0 : static_cast<u64>(fileSize);
    if (available < TGA_HEADER_SIZE + idLength || size > available - TGA_HEADER_SIZE - idLength)
        return TGA_SHORT;
    u8 identifier[255];
    if (file.Read(identifier, static_cast<i32>(idLength)) != static_cast<i32>(idLength))
        return TGA_SHORT;
    auto* data = static_cast<u8*>(MemoryAllocate(static_cast<u32>(size)));
    if (!data)
        return TGA_SHORT;
    const u32 result = ReadPixels(file, w, h, bytes, (header[17] & TGA_TOP_DOWN) != 0, data);
    if (result != TGA_LOADED)
    {
        MemoryFree(data);
        return result;
    }
    width = w;
    height = h;
    bytesPerPixel = bytes;
    pixels = data;
    return TGA_LOADED;
}

#pragma once
// _LoadTGA: an uncompressed 24- or 32-bit TGA file (the intro's image file), its pixels always
// top row first (B, G, R and A bytes as stored). The pixel count is bounded by the file: an
// image larger than its file is short, never allocated.
#include "core/system/types.h"

// Results.
constexpr u32 TGA_LOADED = 0;
constexpr u32 TGA_NOT_READ = 1;    // the file cannot be opened or its 18-byte header is short
constexpr u32 TGA_SHORT = 2;       // fewer pixel bytes than width x height x bytes per pixel
constexpr u32 TGA_UNSUPPORTED = 3; // a depth other than 24 or 32 bits, or no pixels at all

constexpr u32 TGA_HEADER_SIZE = 18;
// Image descriptor bit: rows stored top to bottom.
constexpr u8 TGA_TOP_DOWN = 0x20;

// The pixels come from MemoryAllocate (16-byte aligned); the caller frees them with MemoryFree.
// On failure nothing is allocated and pixels is null.
u32 _LoadTGA(const char* path, i32& width, i32& height, i32& bytesPerPixel, u8*& pixels);

#pragma once
// The engine's compressed files: a 16-byte header ("INDA", the uncompressed size, the byte 1,
// a zero word) and one zlib stream deflated at level 9. A file without the magic is plain data.
#include "core/system/templates/darray.h"
#include "core/system/types.h"

#include <atomic>

constexpr u32 COMPRESSED_MAGIC = 0x41444e49; // the bytes "INDA"

struct TCompressedHeader
{
    u32 magic;
    u32 size; // of the uncompressed data
    u8 one;
    u8 padding[3];
    u32 zero;
};

static_assert(sizeof(TCompressedHeader) == 16);

// Results of CompressFile and ReadCompressedFile.
constexpr u32 COMPRESS_DONE = 0;
constexpr u32 COMPRESS_SOURCE_FAILED = 1;      // the source cannot be opened or read
constexpr u32 COMPRESS_DESTINATION_FAILED = 2; // CompressFile: the destination cannot be opened
constexpr u32 COMPRESS_OUT_OF_MEMORY = 2;      // ReadCompressedFile: no room for the output
constexpr u32 COMPRESS_BAD_DATA = 3;           // a zlib error, a short write, damaged data

// Writes a compressed copy of the source. The copy is written under a temporary name and
// renamed into place only when complete, so a failure leaves an existing destination intact.
u32 CompressFile(const char* sourcePath, const char* destinationPath);

// Reads a whole file into output, inflating it when it carries the magic. The announced size
// must be what the stream inflates to, the stream must end with the file, and the size is
// bounded by the file's size times deflate's largest ratio. On failure the output is empty.
// progress, when given, receives the fraction of the file read so far (another thread may
// watch it).
u32 ReadCompressedFile(const char* path, DArray<u8>& output, std::atomic<f32>* progress);

// Inflates one zlib stream held in memory; destinationSize: room in, bytes produced out.
// Returns the zlib result (Z_STREAM_END on success).
i32 InflateBuffer(const void* source, u32 sourceSize, void* destination, u32* destinationSize);

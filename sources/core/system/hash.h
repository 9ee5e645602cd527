#pragma once
// Hashes and encodings: the SHA-2 family (FIPS 180-2) behind a front end that selects the
// variant by digest size, and Base64 of one 28-byte digest. The name hash is CalculateCrc32
// (core/system/name.h).
#include "core/system/types.h"

struct alignas(16) TSha2Context
{
    // The eight working words: 32-bit for SHA-224/256, 64-bit for SHA-384/512.
    union {
        u32 state32[8];
        u64 state64[8];
    };
    // Bytes fed so far.
    u64 length;
    // The pending block (64 or 128 bytes).
    u8 block[128];
    // Digest size in bytes: 28, 32, 48 or 64.
    u32 size;
};

// 28 or 224: SHA-224; 32 or 256: SHA-256; 48 or 384: SHA-384; 64 or 512: SHA-512. Returns 0,
// or 1 for any other size (the context is then untouched).
i32 Sha2Init(TSha2Context* context, u32 digestSize);
void Sha2Update(TSha2Context* context, const void* data, u32 length);
// Writes the digest of the stored size.
void Sha2Final(TSha2Context* context, u8* digest);
// Init, update and final in one call; 0, or 1 when the size is not supported (nothing written).
i32 Sha2Digest(u32 digestSize, u8* digest, const void* data, u32 length);

// Encodes exactly 28 bytes into 40 characters ("==" padded) and a NUL: out holds 41.
void Base64Encode(char* out, const u8 data[28]);

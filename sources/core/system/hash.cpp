#include "core/system/hash.h"

#include <cryptopp/sha.h>
#include <cstring>

namespace
{

u32 BlockSize(u32 size)
{
    return size == 28 || size == 32 ? 64 : 128;
}

// Crypto++ runs the compression function on big-endian words already turned into native order.
void HashBlock(TSha2Context* context)
{
    if (BlockSize(context->size) == 64)
    {
        alignas(16) CryptoPP::word32 words[16];
        for (int i = 0; i < 16; ++i)
        {
            const u8* b = context->block + 4 * i;
            words[i] = (u32(b[0]) << 24) | (u32(b[1]) << 16) | (u32(b[2]) << 8) | b[3];
        }
        CryptoPP::SHA256::Transform(context->state32, words);
    }
    else
    {
        alignas(16) CryptoPP::word64 words[16];
        for (int i = 0; i < 16; ++i)
        {
            u64 w = 0;
            for (int k = 0; k < 8; ++k)
                w = (w << 8) | context->block[8 * i + k];
            words[i] = w;
        }
        CryptoPP::SHA512::Transform(context->state64, words);
    }
}

} // namespace

i32 Sha2Init(TSha2Context* context, u32 digestSize)
{
    switch (digestSize)
    {
    case 28:
    case 224:
        CryptoPP::SHA224::InitState(context->state32);
        context->size = 28;
        break;
    case 32:
    case 256:
        CryptoPP::SHA256::InitState(context->state32);
        context->size = 32;
        break;
    case 48:
    case 384:
        CryptoPP::SHA384::InitState(context->state64);
        context->size = 48;
        break;
    case 64:
    case 512:
        CryptoPP::SHA512::InitState(context->state64);
        context->size = 64;
        break;
    default:
        return 1;
    }
    context->length = 0;
    return 0;
}

void Sha2Update(TSha2Context* context, const void* data, u32 length)
{
    if (context->size != 28 && context->size != 32 && context->size != 48 && context->size != 64)
        return;
    const u32 blockSize = BlockSize(context->size);
    const u8* bytes = static_cast<const u8*>(data);
    while (length > 0)
    {
        const u32 used = static_cast<u32>(context->length % blockSize);
        u32 take = blockSize - used;
        if (take > length)
            take = length;
        std::memcpy(context->block + used, bytes, take);
        context->length += take;
        bytes += take;
        length -= take;
        if (used + take == blockSize)
            HashBlock(context);
    }
}

void Sha2Final(TSha2Context* context, u8* digest)
{
    const u32 blockSize = BlockSize(context->size);
    // The length field: 64 bits for 64-byte blocks, 128 bits (high half 0) for 128-byte blocks.
    const u32 lengthBytes = blockSize / 8;
    const u64 bits = context->length * 8;
    u32 used = static_cast<u32>(context->length % blockSize);
    context->block[used++] = 0x80;
    if (used > blockSize - lengthBytes)
    {
        std::memset(context->block + used, 0, blockSize - used);
        HashBlock(context);
        used = 0;
    }
    std::memset(context->block + used, 0, blockSize - used);
    for (int i = 0; i < 8; ++i)
        context->block[blockSize - 1 - i] = static_cast<u8>(bits >> (8 * i));
    HashBlock(context);

    for (u32 i = 0; i < context->size; ++i)
        digest[i] = blockSize == 64 ? static_cast<u8>(context->state32[i / 4] >> (24 - 8 * (i % 4)))
                                    : static_cast<u8>(context->state64[i / 8] >> (56 - 8 * (i % 8)));
}

i32 Sha2Digest(u32 digestSize, u8* digest, const void* data, u32 length)
{
    TSha2Context context;
    if (Sha2Init(&context, digestSize) != 0)
        return 1;
    Sha2Update(&context, data, length);
    Sha2Final(&context, digest);
    return 0;
}

void Base64Encode(char* out, const u8 data[28])
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    char* o = out;
    for (int i = 0; i < 27; i += 3)
    {
        const u32 group = (u32(data[i]) << 16) | (u32(data[i + 1]) << 8) | data[i + 2];
        *o++ = kAlphabet[(group >> 18) & 63];
        *o++ = kAlphabet[(group >> 12) & 63];
        *o++ = kAlphabet[(group >> 6) & 63];
        *o++ = kAlphabet[group & 63];
    }
    // The last byte, completed with two zero bytes.
    *o++ = kAlphabet[data[27] >> 2];
    *o++ = kAlphabet[(data[27] & 3) << 4];
    *o++ = '=';
    *o++ = '=';
    *o = 0;
}

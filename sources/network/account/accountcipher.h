#pragma once
// The account protocol's cipher: AES-128 applied to each 16-byte block by itself, in order.
// Requests are enciphered with one key, replies deciphered with another; the server
// addresses are kept as blobs enciphered with a third.
#include "core/system/types.h"

constexpr u32 ACCOUNT_BLOCK_SIZE = 16;

enum class TAccountKey
{
    Request,
    Reply,
    Address
};

// size must be a multiple of 16.
void AccountEncipher(TAccountKey key, u8* data, u32 size);
void AccountDecipher(TAccountKey key, u8* data, u32 size);

// A server address blob: one byte with the number of 16-byte blocks, one with the text's
// length, then the blocks. At most 8 blocks (127 characters).
constexpr u32 ACCOUNT_ADDRESS_BLOCKS = 8;
constexpr u32 ACCOUNT_BLOB_SIZE = 2 + ACCOUNT_ADDRESS_BLOCKS * ACCOUNT_BLOCK_SIZE;
constexpr u32 ACCOUNT_HOST_SIZE = 128;

// False for a text of 128 bytes or more.
bool MakeAddressBlob(u8 (&blob)[ACCOUNT_BLOB_SIZE], const char* host);
// The host text of a blob; false (host empty) when the blob's counts do not fit.
bool ReadAddressBlob(char (&host)[ACCOUNT_HOST_SIZE], const u8* blob, u32 size);

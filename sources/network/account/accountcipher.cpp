#include "network/account/accountcipher.h"

#include <cryptopp/aes.h>

#include <cstring>

namespace
{
// Each key is the first 16 characters of its text.
const char* const kRequestKey = "Hq7Rf2Lx9KwPb4Ns8Dc1Zt6Vm3Gy5Jek0Ua7Xo2WiS9Tr4Bn6QpAd";
const char* const kReplyKey = "8kFw3Nq7YzDm1Lp5Vc9HtR4Gs2Xb6JoE8Ua0Ki3WnT7Cy1Qh5Mr";
const char* const kAddressKey = "Tg4mWq8ZrbKx2Vn7PcLsYh5Dj3FwQeBa9Mu6Rk1NzCp4Xo8HivSl2Ey7Jt0G";

const CryptoPP::byte* KeyBytes(TAccountKey key)
{
    const char* text = key == TAccountKey::Request ? kRequestKey
                       : key == TAccountKey::Reply ? kReplyKey
                                                   : kAddressKey;
    return reinterpret_cast<const CryptoPP::byte*>(text);
}

// The keyed ciphers, made once; their transformations keep no state, so threads share them.
const CryptoPP::BlockTransformation& Cipher(TAccountKey key, bool encipher)
{
    static const CryptoPP::AES::Encryption s_aEncryption[3] = {
        {KeyBytes(TAccountKey::Request), CryptoPP::AES::DEFAULT_KEYLENGTH},
        {KeyBytes(TAccountKey::Reply), CryptoPP::AES::DEFAULT_KEYLENGTH},
        {KeyBytes(TAccountKey::Address), CryptoPP::AES::DEFAULT_KEYLENGTH}};
    static const CryptoPP::AES::Decryption s_aDecryption[3] = {
        {KeyBytes(TAccountKey::Request), CryptoPP::AES::DEFAULT_KEYLENGTH},
        {KeyBytes(TAccountKey::Reply), CryptoPP::AES::DEFAULT_KEYLENGTH},
        {KeyBytes(TAccountKey::Address), CryptoPP::AES::DEFAULT_KEYLENGTH}};
    const u32 index = static_cast<u32>(key);
    return encipher ? static_cast<const CryptoPP::BlockTransformation&>(s_aEncryption[index])
                    : static_cast<const CryptoPP::BlockTransformation&>(s_aDecryption[index]);
}

// Every block by itself (no chaining): the cipher may work on several blocks at once.
void Transform(TAccountKey key, bool encipher, u8* data, u32 size)
{
    const u32 whole = size - size % ACCOUNT_BLOCK_SIZE;
    if (whole)
        Cipher(key, encipher)
            .AdvancedProcessBlocks(data, nullptr, data, whole,
                                   CryptoPP::BlockTransformation::BT_AllowParallel);
}
} // namespace

void AccountEncipher(TAccountKey key, u8* data, u32 size)
{
    Transform(key, true, data, size);
}

void AccountDecipher(TAccountKey key, u8* data, u32 size)
{
    Transform(key, false, data, size);
}

bool MakeAddressBlob(u8 (&blob)[ACCOUNT_BLOB_SIZE], const char* host)
{
    std::memset(blob, 0, sizeof blob);
    const size_t length = std::strlen(host);
    if (length >= ACCOUNT_HOST_SIZE)
        return false;
    const u32 blocks = static_cast<u32>((length + ACCOUNT_BLOCK_SIZE - 1) / ACCOUNT_BLOCK_SIZE);
    blob[0] = static_cast<u8>(blocks);
    blob[1] = static_cast<u8>(length);
    std::memcpy(blob + 2, host, length);
    AccountEncipher(TAccountKey::Address, blob + 2, blocks * ACCOUNT_BLOCK_SIZE);
    return true;
}

bool ReadAddressBlob(char (&host)[ACCOUNT_HOST_SIZE], const u8* blob, u32 size)
{
    host[0] = 0;
    if (size < 2)
        return false;
    const u32 blocks = blob[0];
    const u32 length = blob[1];
    if (blocks > ACCOUNT_ADDRESS_BLOCKS || length > blocks * ACCOUNT_BLOCK_SIZE ||
        length >= ACCOUNT_HOST_SIZE || 2 + blocks * ACCOUNT_BLOCK_SIZE > size)
        return false;
    u8 text[ACCOUNT_ADDRESS_BLOCKS * ACCOUNT_BLOCK_SIZE];
    std::memcpy(text, blob + 2, blocks * ACCOUNT_BLOCK_SIZE);
    AccountDecipher(TAccountKey::Address, text, blocks * ACCOUNT_BLOCK_SIZE);
    std::memcpy(host, text, length);
    host[length] = 0;
    return true;
}

#include "accountpeer.h"

#include "core/system/name.h"

#include <cryptopp/aes.h>
#include <cryptopp/sha.h>

#include <cstring>

namespace
{
const char* const kRequestKey = "Hq7Rf2Lx9KwPb4Ns";
const char* const kReplyKey = "8kFw3Nq7YzDm1Lp5";

std::string Transform(const std::string& bytes, const char* key, bool encipher)
{
    std::string out = bytes;
    const auto* keyBytes = reinterpret_cast<const CryptoPP::byte*>(key);
    for (size_t at = 0; at + 16 <= out.size(); at += 16)
    {
        auto* block = reinterpret_cast<CryptoPP::byte*>(&out[at]);
        if (encipher)
            CryptoPP::AES::Encryption(keyBytes, 16).ProcessBlock(block);
        else
            CryptoPP::AES::Decryption(keyBytes, 16).ProcessBlock(block);
    }
    return out;
}

template <class T> std::string Field(T value)
{
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
} // namespace

std::string U8(uint8_t value)
{
    return Field(value);
}
std::string U16(uint16_t value)
{
    return Field(value);
}
std::string U32(uint32_t value)
{
    return Field(value);
}
std::string U64(uint64_t value)
{
    return Field(value);
}

std::string Text(const std::string& text)
{
    return U8(static_cast<uint8_t>(text.size())) + text;
}

TSeenRequest ReadRequest(TPeerConnection& connection)
{
    TSeenRequest request;
    request.header = connection.Read(16);
    if (request.header.size() != 16)
        return request;
    uint16_t length = 0;
    std::memcpy(&length, &request.header[6], 2);
    std::memcpy(&request.code, &request.header[14], 2);
    request.body = Transform(connection.Read(length), kRequestKey, false);
    return request;
}

std::string Padded(const std::string& body)
{
    std::string padded = body;
    padded.resize((body.size() + 15) / 16 * 16, '\0');
    return padded;
}

std::string Reply(const std::string& body)
{
    return RawReply(static_cast<uint32_t>(Padded(body).size()), Padded(body));
}

std::string RawReply(uint32_t length, const std::string& blocks)
{
    return U32(length) + Transform(blocks, kReplyKey, true);
}

std::string SessionReply(uint32_t number, uint32_t key, uint8_t state, const std::string& text1,
                         const std::string& text2, const std::string& text3, uint32_t value1, uint32_t value2,
                         uint64_t value3, uint64_t value4)
{
    return U8(0) + U32(number) + U32(key) + U8(state) + Text(text1) + Text(text2) + Text(text3) +
           U32(value1) + U32(value2) + U64(value3) + U64(value4);
}

std::string Sha256(const std::string& bytes)
{
    CryptoPP::byte digest[32];
    CryptoPP::SHA256().CalculateDigest(digest, reinterpret_cast<const CryptoPP::byte*>(bytes.data()),
                                       bytes.size());
    return std::string(reinterpret_cast<const char*>(digest), 32);
}

uint32_t NameId(const std::string& text)
{
    return TName(text.c_str()).GetId();
}

// SHA-2 against the FIPS 180-2 vectors, Base64 of a digest.
#include "core/system/hash.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Hex(const u8* data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < size; ++i)
    {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}

std::string Digest(u32 size, const std::string& message)
{
    u8 digest[64];
    EXPECT_EQ(Sha2Digest(size, digest, message.data(), static_cast<u32>(message.size())), 0);
    TSha2Context context;
    Sha2Init(&context, size);
    return Hex(digest, context.size);
}

const std::string kTwoBlocks256 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string kTwoBlocks512 =
    "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrl"
    "mnopqrsmnopqrstnopqrstu";

} // namespace

TEST(Sha2, FipsVectorsForEveryVariant)
{
    EXPECT_EQ(Digest(28, "abc"), "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7");
    EXPECT_EQ(Digest(32, "abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Digest(256, "abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(
        Digest(384, "abc"),
        "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca134c825a7");
    EXPECT_EQ(Digest(64, "abc"),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a8"
              "36ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(Digest(224, kTwoBlocks256), "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525");
    EXPECT_EQ(Digest(32, kTwoBlocks256), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(
        Digest(48, kTwoBlocks512),
        "09330c33f71147e83d192fc782cd1b4753111b173b3b05d22fa08086e3b0f712fcc7c71a557e2db966c3e9fa91746039");
    EXPECT_EQ(Digest(512, kTwoBlocks512),
              "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018501d289e"
              "4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
}

TEST(Sha2, PaddingAtBlockEdgesAndUnsupportedSizes)
{
    // Messages whose padding needs a second block (55, 56 and 64 bytes for SHA-256; 111, 112
    // for SHA-512) against the same message hashed byte by byte.
    for (u32 size : {28u, 64u})
        for (u32 length : {55u, 56u, 63u, 64u, 111u, 112u, 127u, 128u})
        {
            const std::string message(length, 'x');
            u8 whole[64];
            u8 bytes[64];
            Sha2Digest(size, whole, message.data(), length);
            TSha2Context context;
            Sha2Init(&context, size);
            for (char c : message)
                Sha2Update(&context, &c, 1);
            Sha2Final(&context, bytes);
            EXPECT_EQ(Hex(whole, size), Hex(bytes, size)) << size << " " << length;
        }
    // The longest messages whose length still fits their last block, and the first that does not.
    EXPECT_EQ(Digest(32, std::string(55, 'a')),
              "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(Digest(32, std::string(56, 'a')),
              "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(Digest(64, std::string(111, 'a')),
              "fa9121c7b32b9e01733d034cfc78cbf67f926c7ed83e82200ef86818196921760b4beff48404df811b953828274461673c68d04e297b0eb7b2b4d60fc6b566a2");

    // Unsupported sizes are refused and change nothing.
    TSha2Context context;
    context.size = 12345;
    EXPECT_EQ(Sha2Init(&context, 20), 1);
    EXPECT_EQ(context.size, 12345u);
    u8 digest[64] = {};
    EXPECT_EQ(Sha2Digest(20, digest, "abc", 3), 1);
    EXPECT_EQ(Hex(digest, 4), "00000000");
}

TEST(Base64, ADigestAndItsLastByte)
{
    // The SHA-224 of "abc": nine groups, then its last byte (0xa7) completed with zero bytes.
    u8 digest[28];
    ASSERT_EQ(Sha2Digest(28, digest, "abc", 3), 0);
    char text[41];
    Base64Encode(text, digest);
    EXPECT_STREQ(text, "Iwl9IjQF2CKGQqR3vaJVsyqtvOS9oLP342ydpw==");
}

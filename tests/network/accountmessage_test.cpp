// Account messages: the header, padding to whole blocks, texts cut at 255 bytes where a
// character ends, and server address blobs whose counts must fit.
#include "accountpeer.h"
#include "network/account/accountcipher.h"
#include "network/account/accountmessage.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(AccountMessage, TextsAreCutWhereACharacterEnds)
{
    TAccountMessage message;
    message.Begin(52, 1, 2);
    // 127 two-byte characters and one more: 255 bytes would split the last one.
    std::string text;
    for (int i = 0; i < 128; ++i)
        text += "\xc3\xa9";
    message.AddText(text.c_str());
    ASSERT_EQ(message.GetLength(), 1u + 254);
    EXPECT_EQ(message.GetBody()[0], 254);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(message.GetBody() + 1), 254), text.substr(0, 254));
    // Fields that would reach 4,096 bytes are left out.
    for (int i = 0; i < 20; ++i)
        message.AddText(std::string(255, 'x').c_str());
    EXPECT_LT(message.GetLength(), ACCOUNT_BODY_SIZE);
    EXPECT_EQ((message.GetLength() - 255) % 256, 0u);
}

TEST(AccountMessage, AddressBlobsAreBounded)
{
    u8 blob[ACCOUNT_BLOB_SIZE];
    ASSERT_TRUE(MakeAddressBlob(blob, "accounts.example.test"));
    EXPECT_EQ(blob[0], 2);
    EXPECT_EQ(blob[1], 21);
    char host[ACCOUNT_HOST_SIZE];
    ASSERT_TRUE(ReadAddressBlob(host, blob, sizeof blob));
    EXPECT_STREQ(host, "accounts.example.test");
    EXPECT_FALSE(MakeAddressBlob(blob, std::string(128, 'h').c_str()));
    EXPECT_TRUE(MakeAddressBlob(blob, std::string(127, 'h').c_str()));
    // Counts beyond the blob or the host's room are refused.
    u8 damaged[ACCOUNT_BLOB_SIZE + 16] = {9, 10};
    EXPECT_FALSE(ReadAddressBlob(host, damaged, sizeof damaged));
    damaged[0] = 1;
    damaged[1] = 17;
    EXPECT_FALSE(ReadAddressBlob(host, damaged, sizeof damaged));
    damaged[1] = 16;
    EXPECT_FALSE(ReadAddressBlob(host, damaged, 10));
    EXPECT_TRUE(ReadAddressBlob(host, damaged, 18));
}

// The stored login in the key store: the three values and their flags, and what loading finds.
#include "accountfixture.h"
#include "core/system/registrykey.h"
#include "network/account/storedlogin.h"

namespace
{
class StoredLoginTest : public AccountTest
{
protected:
    static const TRegistryValue* Value(const char* name)
    {
        static TRegistryKey s_Key;
        s_Key.Close();
        if (!s_Key.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\Account", false))
            return nullptr;
        return s_Key.GetValue(name);
    }
};
} // namespace

TEST_F(StoredLoginTest, FlagsDecideWhatIsKept)
{
    TAccountData account;
    EXPECT_EQ(LoadStoredLogin(account), 1u);
    account.Username = "pilot";
    for (u32 i = 0; i < ACCOUNT_DIGEST_SIZE; ++i)
        account.aPasswordDigest[i] = static_cast<u8>(i + 1);

    // 7: all three values, "Autologin" 1.
    EXPECT_EQ(SaveStoredLogin(account, 7), 0u);
    ASSERT_NE(Value("Username"), nullptr);
    EXPECT_EQ(Value("Username")->kind, REGISTRY_TEXT);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Value("Username")->data), Value("Username")->size),
              std::string("pilot", 6));
    EXPECT_EQ(Value("Password")->kind, REGISTRY_BINARY);
    EXPECT_EQ(Value("Password")->size, 32u);
    EXPECT_EQ(GetStoredAutologin(), 1u);
    EXPECT_TRUE(HasStoredPassword("pilot"));
    EXPECT_TRUE(HasStoredPassword(nullptr));
    EXPECT_FALSE(HasStoredPassword("other"));
    TAccountData loaded;
    EXPECT_EQ(LoadStoredLogin(loaded), 0u);
    EXPECT_STREQ(loaded.Username.GetText(), "pilot");
    EXPECT_EQ(std::memcmp(loaded.aPasswordDigest, account.aPasswordDigest, 32), 0);

    // 1: the user name, the digest deleted, "Autologin" 0.
    EXPECT_EQ(SaveStoredLogin(account, 1), 0u);
    EXPECT_EQ(Value("Password"), nullptr);
    EXPECT_EQ(GetStoredAutologin(), 0u);
    EXPECT_EQ(Value("Autologin")->kind, REGISTRY_DWORD);
    EXPECT_FALSE(HasStoredPassword("pilot"));
    EXPECT_EQ(LoadStoredLogin(loaded), 3u);

    // 0: all three removed, the key stays.
    EXPECT_EQ(SaveStoredLogin(account, 0), 0u);
    EXPECT_EQ(Value("Username"), nullptr);
    EXPECT_EQ(Value("Autologin"), nullptr);
    EXPECT_EQ(LoadStoredLogin(loaded), 2u);

    // A digest of the wrong size counts as none.
    TRegistryKey key;
    ASSERT_NE(key.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\Account", true), 0u);
    key.SetValue("Username", REGISTRY_TEXT, "pilot", 6);
    for (u32 size : {31u, 33u})
    {
        key.SetValue("Password", REGISTRY_BINARY, std::string(size, 'd').data(), size);
        EXPECT_EQ(LoadStoredLogin(loaded), 4u) << size;
        EXPECT_FALSE(HasStoredPassword("pilot")) << size;
    }
    // The login with the stored password then fails without a connection.
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", nullptr, u"", true), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 3 7"}));
}

TEST_F(StoredLoginTest, TheStoredDigestStandsForThePlaceholder)
{
    TAccountServerPeer server;
    UseServers({server.Port()});
    TAccountData account;
    account.Username = "pilot";
    std::memcpy(account.aPasswordDigest, Sha256("secret1").data(), 32);
    ASSERT_EQ(SaveStoredLogin(account, 3), 0u);
    EXPECT_EQ(Protocol().SetCredentials(u"Pilot", nullptr), 1u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(Protocol().GetAccount().aPasswordDigest), 32),
              Sha256("secret1"));
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", nullptr, u"", true), 0u);
    EXPECT_EQ(Settle().back(), "succeeded 3");
    EXPECT_EQ(server.Requests()[0].body.substr(4, 32), Sha256("secret1"));
}

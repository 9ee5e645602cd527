// The key store: round trip through its file, value kinds, the atomic owner-only write and a
// damaged file.
#include "core/system/registrykey.h"

#include "testdirectory.h"

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace
{
class RegistryTest : public testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_OldConfig = old ? old : "";
        setenv("XDG_CONFIG_HOME", (m_Directory.Path() + "/config").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_OldConfig.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", m_OldConfig.c_str(), 1);
    }
    TTestDirectory m_Directory;
    std::string m_OldConfig;
};
} // namespace

TEST_F(RegistryTest, ValuesSurviveInAStoreWrittenWholeForItsOwnerOnly)
{
    TRegistryKey& user = TRegistryKey::Root(REGISTRY_CURRENT_USER);
    TRegistryKey key;
    EXPECT_EQ(key.Open(user, "Software\\Brevicorn\\Account", false), 0u);
    ASSERT_NE(key.Open(user, "Software\\Brevicorn\\Account", true), 0u);
    EXPECT_STREQ(key.GetPath(), "Software\\Brevicorn\\Account");

    const u32 autologin = 1;
    const u64 token = 0x1122334455667788ull;
    const u8 digest[32] = {1, 2, 3};
    EXPECT_EQ(key.SetValue("Username", REGISTRY_TEXT, "pilot", 6), 0u);
    EXPECT_EQ(key.SetValue("Autologin", REGISTRY_DWORD, &autologin, 4), 0u);
    EXPECT_EQ(key.SetValue("Password", REGISTRY_BINARY, digest, 32), 0u);
    EXPECT_EQ(key.SetValue("SecurityToken", REGISTRY_QWORD, &token, 8), 0u);
    key.Close();
    EXPECT_EQ(key.QueryValue("Username"), 1u);

    TRegistryKey again;
    TRegistryKey software;
    ASSERT_NE(software.Open(user, "software", false), 0u);
    ASSERT_NE(again.Open(software, "BREVICORN\\account", false), 0u);
    EXPECT_STREQ(again.GetUsername(), "pilot");
    EXPECT_EQ(again.GetDword("Autologin"), 1u);
    EXPECT_EQ(again.GetDword("Username"), 0u); // a text is not a number
    EXPECT_EQ(again.GetSecurityToken(), token);
    u8 read[32] = {};
    u32 size = 16;
    EXPECT_EQ(again.GetBinary("Password", read, &size), 2u);
    size = 32;
    EXPECT_EQ(again.GetBinary("Password", read, &size), 0u);
    EXPECT_EQ(size, 32u);
    EXPECT_EQ(read[2], 3);
    EXPECT_EQ(again.GetValue("Missing"), nullptr);
    EXPECT_EQ(again.QueryValue("Missing"), 2u);
    EXPECT_EQ(again.DeleteValue("Password"), 0u);
    EXPECT_EQ(again.GetBinary("Password", read, &size), 1u);

    // Another root holds other keys.
    TRegistryKey machine;
    EXPECT_EQ(machine.Open(TRegistryKey::Root(REGISTRY_LOCAL_MACHINE), "Software\\Brevicorn\\Account", false),
              0u);

    // The store is written whole, for its owner only.
    TRegistryKey update;
    ASSERT_NE(update.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\AutoUpdate", true),
              0u);
    const std::string file = GetRegistryFile();
    EXPECT_EQ(file.find(m_Directory.Path() + "/config/"), 0u) << file;
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    const ino_t before = info.st_ino;
    EXPECT_EQ(update.SetValue("SecurityToken", REGISTRY_QWORD, "12345678", 8), 0u);
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_NE(info.st_ino, before); // replaced by a rename, never rewritten in place
    EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

    // An unwritable folder fails the write and keeps the old store.
    const std::string folder = file.substr(0, file.rfind('/'));
    chmod(folder.c_str(), 0500);
    if (access(folder.c_str(), W_OK) != 0) // root writes anyway
    {
        EXPECT_EQ(update.SetValue("SecurityToken", REGISTRY_QWORD, "87654321", 8), 2u);
        EXPECT_EQ(update.GetSecurityToken(), 0x3837363534333231ull);
    }
    chmod(folder.c_str(), 0700);
}

TEST_F(RegistryTest, AStoreThatCannotBeReadIsKeptAsideNeverOverwritten)
{
    const std::string file = GetRegistryFile();
    const std::string aside = file + ".unreadable.1";
    struct TCase
    {
        const char* what;
        // Breaks the store holding "Account" (user "pilot") and then "AutoUpdate".
        std::function<void()> breakStore;
        const char* line;
        const char* userAfter; // what the store still reads
    };
    const TCase cases[] = {
        {"cut in its last key", [&] { std::filesystem::resize_file(file, std::filesystem::file_size(file) - 3); },
         "damaged key store", "pilot"},
        {"a wrong version", [&] { std::ofstream(file, std::ios::binary) << "VREG\x02\0\0\0"; }, "damaged key store",
         ""},
        {"a folder where the file was",
         [&] {
             std::filesystem::remove(file);
             std::filesystem::create_directory(file);
         },
         "unreadable key store", ""},
    };
    for (const TCase& test : cases)
    {
        SCOPED_TRACE(test.what);
        std::filesystem::remove_all(aside);
        std::filesystem::remove_all(file);
        TRegistryKey account, update;
        ASSERT_NE(account.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\Account", true), 0u);
        ASSERT_EQ(account.SetValue("Username", REGISTRY_TEXT, "pilot", 6), 0u);
        ASSERT_NE(update.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), "Software\\Brevicorn\\AutoUpdate", true), 0u);
        ASSERT_EQ(update.SetValue("SecurityToken", REGISTRY_QWORD, "12345678", 8), 0u);
        test.breakStore();
        const bool folder = std::filesystem::is_directory(file);
        const std::string broken = folder ? "" : m_Directory.ReadFile(file.substr(m_Directory.Path().size() + 1));

        EXPECT_STREQ(account.GetUsername(), test.userAfter);
        EXPECT_NE(m_Directory.ReadFile("system.log").find(test.line), std::string::npos);
        ASSERT_TRUE(std::filesystem::exists(aside)) << "kept aside";
        if (!folder)
            EXPECT_EQ(m_Directory.ReadFile(aside.substr(m_Directory.Path().size() + 1)), broken);
        // The next write makes a new store beside it.
        const u32 autologin = 1;
        EXPECT_EQ(account.SetValue("Autologin", REGISTRY_DWORD, &autologin, 4), 0u);
        EXPECT_EQ(account.GetDword("Autologin"), 1u);
        EXPECT_EQ(std::filesystem::is_directory(aside), folder);
        if (!folder)
            EXPECT_EQ(m_Directory.ReadFile(aside.substr(m_Directory.Path().size() + 1)), broken) << "untouched";
    }
    std::filesystem::remove_all(aside);
}

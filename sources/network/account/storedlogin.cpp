#include "network/account/storedlogin.h"

#include "core/system/registrykey.h"
#include "network/account/accounttext.h"

#include <cstring>

const char* const ACCOUNT_STORED_PASSWORD = "\n\n7305168249\n\n";

namespace
{
const char* const kAccountKey = "Software\\Brevicorn\\Account";

bool OpenKey(TRegistryKey& key, bool create)
{
    return key.Open(TRegistryKey::Root(REGISTRY_CURRENT_USER), kAccountKey, create) != 0;
}

bool ReadDigest(TRegistryKey& key, u8 (&digest)[ACCOUNT_DIGEST_SIZE])
{
    const TRegistryValue* value = key.GetValue("Password");
    if (!value || value->size != ACCOUNT_DIGEST_SIZE)
        return false;
    std::memcpy(digest, value->data, ACCOUNT_DIGEST_SIZE);
    return true;
}
} // namespace

u32 LoadStoredLogin(TAccountData& account)
{
    TRegistryKey key;
    if (!OpenKey(key, false))
        return 1;
    const TRegistryValue* user = key.GetValue("Username");
    if (!user)
        return 2;
    account.Username = "";
    account.Password = "";
    char name[32] = {};
    std::memcpy(name, user->data, user->size < 31 ? user->size : 31);
    account.Username = name;
    const TRegistryValue* password = key.GetValue("Password");
    if (!password)
        return 3;
    if (password->size != ACCOUNT_DIGEST_SIZE)
        return 4;
    SetPasswordDigest(account, password->data);
    return 0;
}

u32 SaveStoredLogin(const TAccountData& account, u32 flags)
{
    TRegistryKey key;
    if (!OpenKey(key, true))
        return 1;
    if (!(flags & STORED_LOGIN_REMEMBER))
    {
        key.DeleteValue("Username");
        key.DeleteValue("Password");
        key.DeleteValue("Autologin");
        return 0;
    }
    key.SetValue("Username", REGISTRY_TEXT, account.Username.GetText(), account.Username.GetLength() + 1);
    if (flags & STORED_LOGIN_PASSWORD)
        key.SetValue("Password", REGISTRY_BINARY, account.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
    else
        key.DeleteValue("Password");
    const u32 autologin = (flags & STORED_LOGIN_AUTOLOGIN) ? 1 : 0;
    key.SetValue("Autologin", REGISTRY_DWORD, &autologin, 4);
    return 0;
}

u32 GetStoredAutologin()
{
    TRegistryKey key;
    return OpenKey(key, false) ? key.GetDword("Autologin") : 0;
}

bool HasStoredPassword(const char* user)
{
    TRegistryKey key;
    u8 digest[ACCOUNT_DIGEST_SIZE];
    if (!OpenKey(key, true) || !ReadDigest(key, digest))
        return false;
    WipeSecret(digest, sizeof digest);
    return !user || !user[0] || std::strcmp(user, key.GetUsername()) == 0;
}

bool GetStoredDigest(u8 (&digest)[ACCOUNT_DIGEST_SIZE])
{
    TRegistryKey key;
    return OpenKey(key, false) && ReadDigest(key, digest);
}

void SetPasswordDigest(TAccountData& account, const u8* digest)
{
    std::memcpy(account.aPasswordDigest, digest, ACCOUNT_DIGEST_SIZE);
}

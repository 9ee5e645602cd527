#pragma once
// The stored login: under "Software\Brevicorn\Account" of the current user, the user name
// ("Username", text), the password's SHA-256 digest ("Password", 32 bytes; never the password)
// and whether to log in at start ("Autologin", DWORD). The key store is readable by its owner
// only; digests are never logged.
#include "network/account/accountdata.h"

// The login screen shows this text in the password box while a digest is stored: a password
// equal to it stands for the stored digest.
extern const char* const ACCOUNT_STORED_PASSWORD;

// SaveStoredLogin flags.
constexpr u32 STORED_LOGIN_REMEMBER = 1;
constexpr u32 STORED_LOGIN_PASSWORD = 2;
constexpr u32 STORED_LOGIN_AUTOLOGIN = 4;

// 0; 1 no key, 2 no "Username" (the record is left alone); 3 no "Password", 4 not 32 bytes
// (the user name is read and the texts cleared first).
u32 LoadStoredLogin(TAccountData& account);
// Without REMEMBER: the three values deleted (the key stays); with it: the user name, the
// digest when PASSWORD (else it is deleted) and "Autologin". 1 when the key cannot be made.
u32 SaveStoredLogin(const TAccountData& account, u32 flags);
u32 GetStoredAutologin();
// A 32-byte digest stored, for this user when one is named (UTF-8, compared byte for byte).
bool HasStoredPassword(const char* user);
// The stored digest; false (digest untouched) when none of 32 bytes is stored.
bool GetStoredDigest(u8 (&digest)[ACCOUNT_DIGEST_SIZE]);
void SetPasswordDigest(TAccountData& account, const u8* digest);

#pragma once
// TAccountServerList: the account servers, at most 32 entries of an address kept as an
// enciphered blob and a port; the list ends at the first entry without a port. The startup
// variable account_servers ("host:port" entries separated by blanks or commas) fills it.
// Any thread may read it.
#include "core/system/criticalsection.h"
#include "network/account/accountcipher.h"

constexpr u32 ACCOUNT_SERVER_COUNT = 32;

struct TAccountServer
{
    u8 aBlob[ACCOUNT_BLOB_SIZE];
    i32 nPort; // 0 or below: an empty entry
};

class TAccountServerList
{
public:
    // Entries that are no "host:port" with a port of 1 to 65535 and a host under 128 bytes are
    // left out with a log line; entries after the 32nd too.
    void Set(const char* text);
    // The entries before the first empty one.
    u32 GetCount() const;
    // The host deciphered and the port; false for an empty entry or a damaged blob.
    bool Get(u32 index, char (&host)[ACCOUNT_HOST_SIZE], u32& port) const;

private:
    mutable TCriticalSection m_Lock;
    TAccountServer m_aServer[ACCOUNT_SERVER_COUNT] = {};
};

extern TAccountServerList g_AccountServers;

#include "network/account/accountservers.h"

#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/system/command/variable.h"

#include <cstdlib>
#include <cstring>

TAccountServerList g_AccountServers;

namespace
{
const char* const kServersError = "TAccountServerList::Set(): error: ";

// Nothing answers in the reserved ".invalid" domain: without a server of its own the game
// stays offline at once.
const char* const kDefaultServers = "accounts.brevicorn.invalid:4420";

class Taccount_serversVariable : public TVariable
{
public:
    Taccount_serversVariable()
        : TVariable("account_servers", "account servers (host:port, up to 32)", VARIABLE_STARTUP)
    {
        m_Value.SetName(TName(kDefaultServers, true));
        g_AccountServers.Set(kDefaultServers);
    }
    void OnChange() override { g_AccountServers.Set(m_Value.ToString()); }
};

Taccount_serversVariable s_account_serversVariable;
} // namespace

void TAccountServerList::Set(const char* text)
{
    TAccountServer servers[ACCOUNT_SERVER_COUNT] = {};
    u32 count = 0;
    char entry[256];
    for (const char* at = text; *at;)
    {
        while (*at == ' ' || *at == ',')
            ++at;
        const char* end = at;
        while (*end && *end != ' ' && *end != ',')
            ++end;
        if (end == at)
            break;
        FormatStringN(entry, sizeof entry, "%.*s", static_cast<int>(end - at), at);
        at = end;
        char* colon = std::strrchr(entry, ':');
        const long port = colon ? std::strtol(colon + 1, nullptr, 10) : 0;
        if (colon)
            *colon = 0;
        if (count == ACCOUNT_SERVER_COUNT || port < 1 || port > 65535 || !entry[0] ||
            !MakeAddressBlob(servers[count].aBlob, entry))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kServersError, "account server '%s' left out", entry);
            continue;
        }
        servers[count++].nPort = static_cast<i32>(port);
    }
    m_Lock.Enter();
    std::memcpy(m_aServer, servers, sizeof servers);
    m_Lock.Leave();
}

u32 TAccountServerList::GetCount() const
{
    m_Lock.Enter();
    u32 count = 0;
    while (count < ACCOUNT_SERVER_COUNT && m_aServer[count].nPort > 0)
        ++count;
    m_Lock.Leave();
    return count;
}

bool TAccountServerList::Get(u32 index, char (&host)[ACCOUNT_HOST_SIZE], u32& port) const
{
    host[0] = 0;
    if (index >= ACCOUNT_SERVER_COUNT)
        return false;
    m_Lock.Enter();
    const TAccountServer server = m_aServer[index];
    m_Lock.Leave();
    port = server.nPort > 0 ? static_cast<u32>(server.nPort) : 0;
    return port > 0 && ReadAddressBlob(host, server.aBlob, sizeof server.aBlob);
}

#pragma once
// The listeners of the account client. Both kinds are registered and called on the main
// thread: the protocol thread queues what happened and the account manager's update delivers
// it, in order.
#include "network/account/accountdata.h"

class TAccountListener
{
public:
    virtual ~TAccountListener() = default;
    virtual void OnRequestSucceeded(u32 kind) {}
    virtual void OnRequestFailed(u32 kind, u32 code) {}
    virtual void OnConnected() {}
    virtual void OnDisconnected() {}
};

class TAccountManagerListener
{
public:
    virtual ~TAccountManagerListener() = default;
    virtual void OnAccountConnected(const TAccountData& account) {}
    virtual void OnAccountDisconnected(const TAccountData& account) {}
    // A server message of a poll: type not 0, 1 to 1,023 bytes, zero-terminated.
    virtual void OnAccountMessage(u32 type, const char* text, u32 length) {}
};

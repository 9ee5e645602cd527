#pragma once
// The account client against loopback peers: a protocol thread of its own, the server list
// pointing at the test's peers, a 300 ms time-out, the key store in a scratch folder, and a
// listener that records every call it gets, in order.
#include "accountpeer.h"
#include "configfolder.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "network/account/accountlistener.h"
#include "network/account/accountprotocol.h"
#include "network/account/accountservers.h"
#include "support/scratchfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TRecordingAccountListener : public TAccountListener, public TAccountManagerListener
{
public:
    void OnRequestSucceeded(u32 kind) override { calls.push_back("succeeded " + std::to_string(kind)); }
    void OnRequestFailed(u32 kind, u32 code) override
    {
        calls.push_back("failed " + std::to_string(kind) + " " + std::to_string(code));
    }
    void OnConnected() override { calls.push_back("connected"); }
    void OnDisconnected() override { calls.push_back("disconnected"); }
    void OnAccountConnected(const TAccountData& account) override
    {
        calls.push_back(std::string("account connected ") + account.Username.GetText());
    }
    void OnAccountDisconnected(const TAccountData& account) override
    {
        calls.push_back(std::string("account disconnected ") + account.Username.GetText());
    }
    void OnAccountMessage(u32 type, const char* text, u32 length) override
    {
        calls.push_back("message " + std::to_string(type) + " " + std::string(text, length) + " " +
                        std::to_string(std::strlen(text)));
    }
    std::vector<std::string> calls;
};

// An account server: reads each request, records it, and answers with the responder of its
// code (by default: logins get a session, polls nothing to say, the rest status 0).
class TAccountServerPeer
{
public:
    typedef std::function<void(TPeerConnection&, const TSeenRequest&)> TResponder;

    TAccountServerPeer()
        : m_Peer([this](TPeerConnection& connection) {
              const TSeenRequest request = ReadRequest(connection);
              TResponder responder;
              {
                  std::lock_guard<std::mutex> hold(m_Lock);
                  m_aRequest.push_back(request);
                  const auto found = m_Responders.find(request.code);
                  if (found != m_Responders.end())
                      responder = found->second;
              }
              if (responder)
                  responder(connection, request);
              else if (request.code == 40)
                  connection.Write(Reply(SessionReply(0x12345, 0xCAFE, 0, "Ann")));
              else if (request.code == 30)
                  connection.Write(Reply(U8(0) + U8(0)));
              else
                  connection.Write(Reply(U8(0)));
          })
    {
    }

    uint16_t Port() const { return m_Peer.Port(); }
    void Answer(uint16_t code, TResponder responder)
    {
        std::lock_guard<std::mutex> hold(m_Lock);
        m_Responders[code] = std::move(responder);
    }
    // Answers the code with fixed bytes.
    void AnswerWith(uint16_t code, const std::string& bytes)
    {
        Answer(code, [bytes](TPeerConnection& connection, const TSeenRequest&) { connection.Write(bytes); });
    }
    std::vector<TSeenRequest> Requests()
    {
        std::lock_guard<std::mutex> hold(m_Lock);
        return m_aRequest;
    }

private:
    std::mutex m_Lock;
    std::map<uint16_t, TResponder> m_Responders;
    std::vector<TSeenRequest> m_aRequest;
    TLoopbackPeer m_Peer;
};

inline void SetTimeout(i32 milliseconds)
{
    g_pCommandManager->FindVariable(MakeCommandName("account_connection_timeout", false))->SetInt(milliseconds);
}

inline void UseServers(const std::vector<uint16_t>& ports)
{
    std::string list;
    for (uint16_t port : ports)
        list += "127.0.0.1:" + std::to_string(port) + " ";
    g_AccountServers.Set(list.c_str());
}

class AccountTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetTimeout(300);
        m_pProtocol = std::make_unique<TAccountProtocol>();
        m_pProtocol->AddListener(&m_Listener);
    }
    void TearDown() override
    {
        m_pProtocol.reset();
        g_AccountServers.Set("accounts.brevicorn.invalid:4420");
        SetTimeout(5000);
    }

    TAccountProtocol& Protocol() { return *m_pProtocol; }
    // Lets the thread take every queued request, then delivers what happened.
    std::vector<std::string> Settle()
    {
        Protocol().Start();
        EXPECT_TRUE(Protocol().WaitUntilIdle(5000));
        Deliver();
        return m_Listener.calls;
    }
    void Deliver()
    {
        TAccountManagerListener* listeners[1] = {&m_Listener};
        Protocol().DeliverEvents(listeners, 1);
    }

    // Logs in against the server (which answers the login and the poll after it).
    void LogIn(const char16_t* user = u"Pilot")
    {
        ASSERT_EQ(Protocol().RequestLogin(user, u"secret1", u"", false), 0u);
        Settle();
        ASSERT_TRUE(Protocol().IsLoggedIn());
        m_Listener.calls.clear();
    }

    TScratchFolder m_Folder{"account"};
    TConfigFolder m_Config{m_Folder.Path()};
    TRecordingAccountListener m_Listener;
    std::unique_ptr<TAccountProtocol> m_pProtocol;
};

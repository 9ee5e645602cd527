// The account protocol against a loopback server: every request kind byte for byte, the
// replies and what they change, hostile replies, the queue, polls and the race of servers.
#include "accountfixture.h"
#include "core/system/core.h"
#include "core/system/platform.h"
#include "network/account/accounttext.h"
#include "network/account/storedlogin.h"
#include "network/socket/socket.h"

#include <atomic>

namespace
{
std::string Client()
{
    return U32(GetProductName()->GetId()) + U32(GetApplicationVersionName().GetId()) + Text("") + Text("");
}

std::string Header(uint16_t code, uint16_t length, uint32_t key, uint16_t number)
{
    return std::string("VEMO") + U16(1003) + U16(length) + U32(key) + U16(number) + U16(code);
}

class AccountProtocolTest : public AccountTest
{
protected:
    TAccountServerPeer m_Server;
    void SetUp() override
    {
        AccountTest::SetUp();
        UseServers({m_Server.Port()});
    }
};
} // namespace

TEST_F(AccountProtocolTest, CreateSendsTheRecordAndStartsASession)
{
    m_Server.AnswerWith(
        20, Reply(SessionReply(0x10002, 0xBEEF, 13, "Ann", "Lee", std::string(255, 'x'), 4, 5, 6, 7)));
    TAccountData data;
    data.Username = "  Pilot One ";
    data.Password = "abc123";
    data.Text1 = u"Ann";
    data.Text2 = u"Lee";
    data.Text3 = u"Rome";
    data.nValue3 = 0x01D0000000000000ull;
    ASSERT_EQ(Protocol().RequestCreate(data), 0u);
    EXPECT_EQ(Settle(),
              (std::vector<std::string>{"connected", "account connected pilot one", "succeeded 1"}));
    const auto requests = m_Server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string body = Text("pilot one") + Sha256("abc123") + Text("Ann") + Text("Lee") + Text("Rome") +
                             U32(0) + U32(0) + U64(0x01D0000000000000ull) + Client();
    EXPECT_EQ(requests[0].header, Header(20, static_cast<uint16_t>(Padded(body).size()), 0xFFFFFFFF, 0xFFFF));
    EXPECT_EQ(requests[0].body, Padded(body));

    const TAccountData account = Protocol().GetAccount();
    EXPECT_EQ(account.nFlags & ACCOUNT_FLAG_STATE_13, ACCOUNT_FLAG_STATE_13);
    EXPECT_EQ(std::u16string(account.Text2.GetText()), u"Lee");
    // A text over 31 characters is cut, not fatal.
    EXPECT_EQ(std::u16string(account.Text3.GetText()), std::u16string(31, u'x'));
    EXPECT_EQ(account.nValue1, 4u);
    EXPECT_EQ(account.nValue4, 7u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(account.aPasswordDigest), 32), Sha256("abc123"));
    EXPECT_EQ(Protocol().GetSessionKey(), 0xBEEFu);
    EXPECT_EQ(Protocol().GetSessionNumber(), 0x10002u);
    EXPECT_EQ(Protocol().GetServerIndex(), 0);
}

TEST_F(AccountProtocolTest, LoginSendsTheDigestAndPollsAtOnce)
{
    ASSERT_EQ(Protocol().RequestLogin(u" Pilot ", u"secret1", u"ab", false), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"connected", "account connected pilot", "succeeded 3"}));
    const auto requests = m_Server.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const std::string body =
        U32(NameId("pilot")) + Sha256("secret1") + std::string("ab\0\0\0\0", 6) + Client();
    EXPECT_EQ(requests[0].header, Header(40, static_cast<uint16_t>(Padded(body).size()), 0xFFFFFFFF, 0xFFFF));
    EXPECT_EQ(requests[0].body, Padded(body));
    // The poll carries the session: the key and the session number's low 16 bits.
    EXPECT_EQ(requests[1].header, Header(30, 0, 0xCAFE, 0x2345));
    const TAccountData account = Protocol().GetAccount();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(account.aPasswordDigest), 32), Sha256("secret1"));
    EXPECT_EQ(account.nFlags & ACCOUNT_FLAG_STATE_13, 0u);
    // The queue's slot is used again: nothing of the last login's extra stays.
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", u"secret1", u"", false), 0u);
    Settle();
    EXPECT_EQ(m_Server.Requests()[2].body.substr(36, 6), std::string(6, '\0'));
}

TEST_F(AccountProtocolTest, SessionRequestsCarryTheirFields)
{
    LogIn();
    TAccountData data;
    data.Text1 = u"Zo\u00eb";
    data.nValue1 = 1;
    data.nValue2 = 2;
    data.nValue3 = 3;
    ASSERT_EQ(Protocol().RequestUpdate(data), 0u);
    ASSERT_EQ(Protocol().RequestChangePassword(u"secret1", u"secret2"), 0u);
    ASSERT_EQ(Protocol().RequestSpecial(0), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"succeeded 5", "succeeded 6", "succeeded 7"}));
    ASSERT_EQ(Protocol().RequestForgottenPassword(u"Other"), 0u);
    const std::string report(5000, 'r');
    ASSERT_EQ(Protocol().RequestLogout(1, report.c_str(), 5000), 0u);
    EXPECT_EQ(Settle(),
              (std::vector<std::string>{"succeeded 5", "succeeded 6", "succeeded 7", "succeeded 7",
                                        "disconnected", "account disconnected pilot", "succeeded 4"}));
    const auto requests = m_Server.Requests();
    ASSERT_EQ(requests.size(), 7u);
    EXPECT_EQ(requests[2].code, 51);
    EXPECT_EQ(requests[2].body, Padded(Text("Zo\xc3\xab") + Text("") + Text("") + U32(1) + U32(2) + U64(3)));
    EXPECT_EQ(requests[3].body, Sha256("secret1") + Sha256("secret2"));
    EXPECT_EQ(requests[4].body, Padded(U8(0) + U32(NameId("pilot")) + Text("")));
    EXPECT_EQ(requests[5].body, Padded(U8(2) + U32(NameId("pilot")) + Text("other")));
    EXPECT_EQ(requests[6].code, 41);
    EXPECT_EQ(requests[6].body, Padded(U8(1) + U16(3968) + report.substr(0, 3968))) << "cut to what it carries";
    const TAccountData account = Protocol().GetAccount();
    EXPECT_EQ(std::u16string(account.Text1.GetText()), u"Zo\u00eb");
    EXPECT_EQ(account.nValue3, 3u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(account.aPasswordDigest), 32), Sha256("secret2"));
    EXPECT_FALSE(Protocol().IsLoggedIn());
    // Without a session there is no logout.
    EXPECT_EQ(Protocol().RequestLogout(0, nullptr, 0), 2u);
}

TEST_F(AccountProtocolTest, PollRepliesBringMessagesAndMayEndTheSession)
{
    LogIn();
    // Type 3 of length 0: nobody is told. A message of a length that does not fit is not read;
    // status 9 fails the poll; status 11: the server ended the session.
    const std::pair<std::string, std::vector<std::string>> polls[] = {
        {U8(0) + U8(3) + U32(5) + "hello", {"message 3 hello 5"}},
        {U8(0) + U8(3) + U32(0), {}},
        {U8(0) + U8(3) + U32(1023) + std::string(1023, 'm'),
         {"message 3 " + std::string(1023, 'm') + " 1023"}},
        {U8(9) + U8(1) + U32(1024), {"failed 10 9"}},
        {U8(11) + U8(0), {"disconnected", "account disconnected pilot", "failed 10 11"}}};
    for (const auto& [reply, calls] : polls)
    {
        EXPECT_TRUE(Protocol().IsLoggedIn());
        m_Listener.calls.clear();
        m_Server.AnswerWith(30, Reply(reply));
        ASSERT_EQ(Protocol().RequestPoll(), 0u);
        EXPECT_EQ(Settle(), calls);
    }
    EXPECT_FALSE(Protocol().IsLoggedIn());
    EXPECT_EQ(Protocol().GetServerIndex(), -1);
}

TEST_F(AccountProtocolTest, HostileRepliesEndInCodes)
{
    struct TCase
    {
        std::string reply;
        const char* result;
    };
    const std::string whole = SessionReply(1, 2, 0);
    const TCase cases[] = {
        {U32(4097) + std::string(4097, 'x'), "failed 3 13"}, // too long: refused before reading on
        {RawReply(17, std::string(32, 'x')), "failed 3 13"}, // not whole blocks
        {U32(4112) + std::string(4112, 'x'), "failed 3 13"}, // whole blocks past the body
        {U32(0), "failed 3 255"},                            // an empty login reply
        {Reply(U8(0) + U32(1)), "failed 3 13"},              // a session reply cut short
        {Reply(U8(42)), "failed 3 42"},                      // the server's status, as it is
        {U32(32), "failed 3 13"},                            // the body never comes
        {"", "failed 3 13"},                                 // the connection closes
    };
    for (const TCase& test : cases)
    {
        m_Listener.calls.clear();
        m_Server.AnswerWith(40, test.reply);
        ASSERT_EQ(Protocol().RequestLogin(u"pilot", u"secret1", u"", false), 0u);
        EXPECT_EQ(Settle(), (std::vector<std::string>{test.result})) << test.result;
        EXPECT_FALSE(Protocol().IsLoggedIn());
    }
    // The longest body, 4,096 bytes, is read (4,097 above is the first refused).
    m_Listener.calls.clear();
    m_Server.AnswerWith(40, Reply(whole + std::string(4096 - whole.size(), '\0')));
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", u"secret1", u"", false), 0u);
    EXPECT_EQ(Settle().back(), "succeeded 3");
    // A reply trickling in a byte at a time still arrives whole. The whole reply's time is the
    // default time-out's: a loaded machine's slow sleeps cannot make it run out.
    m_Listener.calls.clear();
    SetTimeout(5000);
    m_Server.Answer(40, [whole](TPeerConnection& connection, const TSeenRequest&) {
        connection.Trickle(Reply(whole), 2);
    });
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", u"secret1", u"", false), 0u);
    EXPECT_EQ(Settle().back(), "succeeded 3");
    SetTimeout(300);
    // A server that holds the connection without answering until the request has settled: only
    // the request's own time-out can end it.
    m_Listener.calls.clear();
    static std::atomic<bool> s_bSettled;
    s_bSettled = false;
    m_Server.Answer(30, [](TPeerConnection& connection, const TSeenRequest&) {
        for (int wait = 0; wait < 1000 && !s_bSettled; ++wait)
            connection.Sleep(10);
    });
    ASSERT_EQ(Protocol().RequestPoll(), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 10 13"}));
    s_bSettled = true;
}

TEST_F(AccountProtocolTest, FailedConnectionsDropTheSessionButNotForPolls)
{
    auto server = std::make_unique<TAccountServerPeer>();
    UseServers({server->Port()});
    LogIn();
    // The session's server is known: the list is not asked again.
    UseServers({m_Server.Port()});
    ASSERT_EQ(Protocol().RequestSpecial(0), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"succeeded 7"}));
    EXPECT_TRUE(m_Server.Requests().empty());
    // The server goes away: a poll only counts the failure.
    server.reset();
    m_Listener.calls.clear();
    ASSERT_EQ(Protocol().RequestPoll(), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 10 13"}));
    EXPECT_TRUE(Protocol().IsLoggedIn());
    EXPECT_EQ(Protocol().GetPollFailures(), 1u);
    // Any other request ends the session.
    m_Listener.calls.clear();
    ASSERT_EQ(Protocol().RequestSpecial(0), 0u);
    EXPECT_EQ(Settle(),
              (std::vector<std::string>{"disconnected", "account disconnected pilot", "failed 7 13"}));
    EXPECT_FALSE(Protocol().IsLoggedIn());
    EXPECT_EQ(Protocol().GetServerIndex(), -1) << "no server is the session's any more";
    // A new session counts its failed polls afresh.
    LogIn();
    EXPECT_EQ(Protocol().GetPollFailures(), 0u);
}

TEST_F(AccountProtocolTest, NoServerAnsweringFailsLocally)
{
    UseServers({TLoopbackPeer::ClosedPort()});
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", u"secret1", u"", false), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 3 13"}));
    // A full list races its last server too; a 33rd is left out.
    for (const auto& [answering, answered] : {std::pair{32, true}, {33, false}})
    {
        std::vector<uint16_t> ports(static_cast<size_t>(answering - 1), TLoopbackPeer::ClosedPort());
        ports.push_back(m_Server.Port());
        UseServers(ports);
        m_Listener.calls.clear();
        ASSERT_EQ(Protocol().RequestCheckUsername("pilot"), 0u);
        EXPECT_EQ(Settle().back(), answered ? "succeeded 2" : "failed 2 13") << answering;
        EXPECT_EQ(m_Server.Requests().size(), 1u) << answering;
    }
    EXPECT_EQ(Protocol().GetServerIndex(), 31);
    // The defaults lie in the reserved domain: refused at once, nothing looked up.
    g_AccountServers.Set("accounts.brevicorn.invalid:4420");
    m_Listener.calls.clear();
    const u32 lookups = TSocket::GetLookupCount();
    ASSERT_EQ(Protocol().RequestCheckUsername("pilot"), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 2 13"}));
    EXPECT_EQ(TSocket::GetLookupCount(), lookups);
    // A login asking for the stored digest when none is stored never leaves the machine.
    m_Listener.calls.clear();
    UseServers({m_Server.Port()});
    ASSERT_EQ(Protocol().RequestLogin(u"pilot", nullptr, u"", true), 0u);
    EXPECT_EQ(Settle(), (std::vector<std::string>{"failed 3 7"}));
    EXPECT_EQ(m_Server.Requests().size(), 1u) << "the check of the full list only";
}

TEST_F(AccountProtocolTest, TheQueueHoldsFourAndOnePoll)
{
    // The thread is not started: the queue only fills.
    EXPECT_EQ(Protocol().RequestPoll(), 0u);
    EXPECT_EQ(Protocol().RequestPoll(), 2u);
    EXPECT_EQ(Protocol().RequestSpecial(0), 0u);
    EXPECT_EQ(Protocol().RequestCheckUsername("a"), 0u);
    EXPECT_EQ(Protocol().RequestSpecial(0), 0u);
    EXPECT_EQ(Protocol().RequestSpecial(0), 1u);
    EXPECT_EQ(Protocol().RequestPoll(), 1u);
    // Over-long texts are refused before the queue: passwords by their 31 bytes of UTF-8.
    EXPECT_EQ(Protocol().RequestLogin(std::u16string(32, u'u').c_str(), u"secret1", u"", false), 3u);
    EXPECT_EQ(Protocol().RequestLogin(std::u16string(31, u'u').c_str(), u"secret1", u"", false), 1u);
    EXPECT_EQ(Protocol().RequestLogin(u"pilot", std::u16string(16, u'\u00e9').c_str(), u"", false), 3u);
    EXPECT_EQ(Protocol().RequestLogin(u"pilot", std::u16string(31, u'p').c_str(), u"", false), 1u);
    // Never the digest of nothing.
    EXPECT_EQ(Protocol().RequestLogin(u"pilot", u"", u"", false), 4u);
    EXPECT_EQ(Protocol().RequestLogin(u"pilot", nullptr, u"", false), 4u);
    EXPECT_EQ(Protocol().RequestChangePassword(u"secret1", std::u16string(32, u'p').c_str()), 3u);
    EXPECT_EQ(Protocol().RequestForgottenPassword(std::u16string(32, u'u').c_str()), 3u);
}

namespace
{
f64 s_fNow = 100.0;
f64 TestClock()
{
    return s_fNow;
}
} // namespace

TEST_F(AccountProtocolTest, AnIdleSessionIsPolled)
{
    s_fNow = 100.0;
    Protocol().SetClock(TestClock);
    // Logged out: nothing is polled however long it is idle.
    Protocol().Start();
    s_fNow = 200.0;
    TPeerConnection::Sleep(700);
    EXPECT_TRUE(m_Server.Requests().empty());
    LogIn();
    const size_t before = m_Server.Requests().size();
    s_fNow += 14.0;
    TPeerConnection::Sleep(700);
    EXPECT_EQ(m_Server.Requests().size(), before);
    s_fNow += 1.5;
    TPeerConnection::Sleep(700);
    ASSERT_EQ(m_Server.Requests().size(), before + 1);
    EXPECT_EQ(m_Server.Requests().back().code, 30);
    TPeerConnection::Sleep(700);
    EXPECT_EQ(m_Server.Requests().size(), before + 1);
}

TEST_F(AccountProtocolTest, OfflineLoginsAreNotAllowed)
{
    u8 secret[ACCOUNT_DIGEST_SIZE], wrong[ACCOUNT_DIGEST_SIZE];
    ASSERT_TRUE(HashPassword(secret, u"secret1"));
    ASSERT_TRUE(HashPassword(wrong, u"wrong1"));
    EXPECT_EQ(Protocol().LoginOffline(u"pilot", secret, 7), 2u);
    EXPECT_FALSE(Protocol().IsLoggedIn());
    EXPECT_EQ(Protocol().SetCredentials(u" Pilot", secret), 0u);
    EXPECT_STREQ(Protocol().GetAccount().Username.GetText(), "pilot");
    Protocol().SetOfflineFlags(1);
    EXPECT_EQ(Protocol().LoginOffline(u"pilot", wrong, 7), 3u);
    EXPECT_EQ(Protocol().LoginOffline(u"pilot", nullptr, 7), 3u) << "no stored digest";
    EXPECT_EQ(Protocol().LoginOffline(u"pilot", secret, 7), 0u);
    Deliver();
    EXPECT_EQ(m_Listener.calls,
              (std::vector<std::string>{"connected", "account connected pilot", "succeeded 3"}));
    EXPECT_TRUE(HasStoredPassword("pilot"));
}

TEST(AccountPassword, Rules)
{
    const std::pair<std::string, bool> passwords[] = {
        {"abc123", true},        {"123456", false},       {"abc 12", false},
        {"abc12", false},        {"abc12\x7f", false},    {"abc12\xc3\xa9", false},
        {std::string(63, 'a') + "1", true}, {std::string(64, 'a') + "1", false}};
    for (const auto& [password, valid] : passwords)
        EXPECT_EQ(IsValidPassword(password.c_str()), valid) << password;
    EXPECT_TRUE(IsValidPassword(u"Z9!z9!"));
}

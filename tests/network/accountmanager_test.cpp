// The account manager and the account commands: the phases, delivery on the main thread,
// crash and abort reports, command errors and the time-out variable.
#include "accountfixture.h"
#include "core/system/abort.h"
#include "engine/system/command/commandmethods.h"
#include "engine/system/managermanager.h"
#include "network/account/accountmanager.h"
#include "platform/crashreport/crashreport.h"
#include "support/scratchworkingfolder.h"
#include "support/secretscan.h"

#include <atomic>

namespace
{
class TPrintedLines : public TCommandMethods
{
public:
    void PrintLine(const char* text, int isError) override
    {
        lines.push_back((isError ? "E " : "") + std::string(text));
        if (onLine)
            onLine();
    }
    std::vector<std::string> lines;
    std::function<void()> onLine;
};

class AccountManagerTest : public AccountTest
{
protected:
    void SetUp() override
    {
        AccountTest::SetUp();
        UseServers({m_Server.Port()});
        TCommandManager::Instance().SetListener(&m_Printed);
        ASSERT_EQ(Manager().InitializeManager(), 0);
        // Outcomes come with the manager's update while the clock stands still (a menu is open).
        m_Frames.CreateSystem(TName("account_paused", true));
        m_Frames.AddUpdateManager(g_pAccountManager, 0);
        Manager().AddListener(&m_Listener);
        Manager().GetProtocol().AddListener(&m_Listener);
    }
    void TearDown() override
    {
        Manager().FinalizeManager();
        Manager().RemoveListener(&m_Listener);
        Manager().GetProtocol().RemoveListener(&m_Listener);
        TCommandManager::Instance().SetListener(nullptr);
        AccountTest::TearDown();
    }
    static TAccountManager& Manager() { return *g_pAccountManager; }
    std::vector<std::string> Run(const char* line)
    {
        m_Printed.lines.clear();
        TCommandManager::Instance().ExecuteText(line);
        Manager().GetProtocol().WaitUntilIdle(5000);
        m_Frames.Update(0.0f);
        return m_Printed.lines;
    }

    TAccountServerPeer m_Server;
    TPrintedLines m_Printed;
    TManagerManager m_Frames;
};
} // namespace

TEST_F(AccountManagerTest, CommandsQueueRequestsAndCheckTheirParameters)
{
    const std::string takes = "E ^Ierror: command does not take ";
    const std::string tooLong = "E ^Ierror: user names and passwords hold 31 bytes, texts 31 characters";
    const std::pair<const char*, std::string> refused[] = {
        {"account.login pilot", takes + "1 parameters (at least 2 expected)"},
        {"account.change.password abc12", takes + "1 parameter (2 expected)"},
        {"account.change.password old1 abcde", "E ^Ierror: new password is invalid"},
        {"account.forgotten.password", takes + "0 parameter (1 expected)"},
        {"account.checkusername a b", takes + "2 parameter (1 expected)"},
        {"account.checkusername abcdefghijklmnopqrstuvwxyz012345", tooLong},
        {"account.update one", takes + "1 parameters (at least 2 expected)"},
        {"account.create pilot", takes + "1 parameters (at least 2 expected)"},
        {"account.create pilot abcdefghijklmnopqrstuvwxyz012345", tooLong},
        {"account.login pilot abcdefghijklmnopqrstuvwxyz012345", tooLong},
        {"account.login pilot \"\"", "E ^Ierror: the password is empty"},
    };
    for (const auto& [line, error] : refused)
        EXPECT_EQ(Run(line), std::vector<std::string>{error}) << line;
    EXPECT_TRUE(m_Server.Requests().empty());

    // Queued and answered: the outcome comes as a console line of the update.
    EXPECT_EQ(Run("account.login Pilot n0tNamed1"),
              (std::vector<std::string>{"account connected", "account sucess (3)"}));
    EXPECT_EQ(m_Server.Requests()[0].body.substr(0, 36), U32(NameId("pilot")) + Sha256("n0tNamed1"));
    EXPECT_EQ(Run("account.checkusername NEW"), (std::vector<std::string>{"account sucess (2)"}));
    EXPECT_EQ(m_Server.Requests().back().body.substr(0, 4), U32(NameId("new")));
    // 31 bytes are asked about, 32 refused (above).
    EXPECT_EQ(Run("account.checkusername abcdefghijklmnopqrstuvwxyz01234"),
              (std::vector<std::string>{"account sucess (2)"}));
    m_Server.AnswerWith(51, Reply(U8(4)));
    // A text of 31 characters is sent, one of 32 refused.
    EXPECT_EQ(Run("account.update abcdefghijklmnopqrstuvwxyz01234 b c"),
              (std::vector<std::string>{"E ^Ierror: account error (5,4)"}));
    EXPECT_EQ(Run("account.update abcdefghijklmnopqrstuvwxyz012345 b"), std::vector<std::string>{tooLong});
    // Delivered while a script runs the main loop, the lines still name no script.
    TCommandManager& commands = TCommandManager::Instance();
    m_Printed.lines.clear();
    ASSERT_EQ(Manager().GetProtocol().RequestUpdate(TAccountData()), 0u);
    Manager().GetProtocol().WaitUntilIdle(5000);
    TCommandInstruction running = {};
    running.nLine = 130;
    commands.SetSource(TName("system/system.icom", true));
    commands.SetInstruction(&running);
    m_Frames.Update(0.0f);
    commands.SetInstruction(nullptr);
    commands.SetSource(TName());
    EXPECT_EQ(m_Printed.lines, (std::vector<std::string>{"E ^Ierror: account error (5,4)"}));
    EXPECT_EQ(Run("account.change.password n0tNamed1 \"n0tNamed2\""), (std::vector<std::string>{"account sucess (6)"}));
    EXPECT_EQ(m_Server.Requests().back().body.substr(0, 64), Sha256("n0tNamed1") + Sha256("n0tNamed2"));
    Run("account.create other@example.com n0tNamed3");
    EXPECT_EQ(m_Server.Requests().back().body.substr(0, 50), Text("other@example.com") + Sha256("n0tNamed3"));
    EXPECT_EQ(Run("account.logout ignored"),
              (std::vector<std::string>{"account disconnected", "account sucess (4)"}));
}

TEST_F(AccountManagerTest, PasswordsAreWipedOnceTheirCommandsHaveUsedThem)
{
    // Named apart from the checks: a failure's message holds the text of its check.
    const char* const secrets[] = {"sEcret4RunScript1", "sEcret5RunScript2"};
    const auto held = [&] {
        Manager().GetProtocol().WaitUntilIdle(5000);
        return SecretHeld(secrets[0]) || SecretHeld(secrets[1]);
    };
    // A script like the start-up one, scanned while it still runs (that one runs the game) and
    // after it has run.
    TScratchWorkingFolder folder{"secrets"};
    const char* const script = "account.login pilot sEcret4RunScript1\naccount.create b@c.d sEcret5RunScript2\nscanned.now\n";
    std::filesystem::create_directories("system");
    std::FILE* file = std::fopen("system/secrets.icom", "wb");
    std::setvbuf(file, nullptr, _IONBF, 0); // no buffer of the test's own left holding them
    std::fputs(script, file);
    std::fclose(file);
    for (int pass = 0; pass < 2; ++pass)
    {
        m_Printed.onLine = [&] { EXPECT_FALSE(held()) << "running " << pass; };
        ASSERT_EQ(TCommandManager::Instance().Execute("secrets"), SCRIPT_OK);
        m_Printed.onLine = nullptr;
        EXPECT_FALSE(held()) << "run " << pass;
    }
    EXPECT_EQ(m_Printed.lines.back(), "E ^Isystem/secrets.icom(3): error: undeclared command");
    EXPECT_EQ(m_Server.Requests().size(), 6u);
}

// While four requests are pending (one taken, three waiting) every command's request is refused
// with a line, and a refused password is wiped all the same.
TEST_F(AccountManagerTest, AFullQueueRefusesEachCommandWithALine)
{
    ASSERT_EQ(Run("account.login Pilot n0tNamed1"), (std::vector<std::string>{"account connected", "account sucess (3)"}));
    // The held check must not time out meanwhile: its place in the queue would be freed.
    SetTimeout(5000);
    std::atomic<bool> hold{true};
    m_Server.Answer(21, [&hold](TPeerConnection& connection, const TSeenRequest&) {
        while (hold)
            TPeerConnection::Sleep(5);
        connection.Write(Reply(U8(0)));
    });
    TCommandManager& commands = TCommandManager::Instance();
    const auto lines = [&](const char* line) {
        m_Printed.lines.clear();
        commands.ExecuteText(line);
        return m_Printed.lines;
    };
    // The fourth is the last taken.
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(lines("account.checkusername pilot"), std::vector<std::string>{}) << i;
    const std::vector<std::string> refused = {"E ^Ierror: 4 account requests are pending: this one is not sent"};
    const std::pair<const char*, const char*> cases[] = {
        {"account.login pilot qUeueFullLogin81", "qUeueFullLogin81"},
        {"account.create a@b.cd qUeueFullCreate82", "qUeueFullCreate82"},
        {"account.change.password n0tNamed1 qUeueFullChange83", "qUeueFullChange83"},
        {"account.checkusername pilot", nullptr},
        {"account.forgotten.password pilot", nullptr},
        {"account.update a b", nullptr},
        {"account.logout", nullptr},
    };
    for (const auto& [line, secret] : cases)
    {
        EXPECT_EQ(lines(line), refused) << line;
        if (secret)
            EXPECT_FALSE(SecretHeld(secret)) << line;
    }
    hold = false;
    ASSERT_TRUE(Manager().GetProtocol().WaitUntilIdle(5000));
    m_Frames.Update(0.0f);
    // Four checks and the log-in reached the server, nothing refused did.
    size_t checks = 0;
    for (const TSeenRequest& request : m_Server.Requests())
        checks += request.code == 21;
    EXPECT_EQ(checks, 4u);
    EXPECT_EQ(lines("account.checkusername pilot"), std::vector<std::string>{}) << "room again";
}

TEST_F(AccountManagerTest, TheTimeOutStaysWithinItsRange)
{
    TVariable* timeout =
        TCommandManager::Instance().FindVariable(MakeCommandName("account_connection_timeout", false));
    const TName fifty("50", true);
    timeout->Assign(&fifty, 1);
    EXPECT_EQ(timeout->GetValue().ToInt(), 100);
    const TName large("100000", true);
    timeout->Assign(&large, 1);
    EXPECT_EQ(timeout->GetValue().ToInt(), 60000);
    timeout->SetFloat(250.9f);
    EXPECT_EQ(timeout->GetValue().nType, VALUE_INT);
    EXPECT_EQ(TAccountProtocol::GetTimeout(), 250u);
}

TEST_F(AccountManagerTest, AbortsAndCrashesAreReportedWhileLoggedIn)
{
    // Logged out: nothing is sent, and the hook returns at once.
    ASSERT_EQ(AbortCallback, &TAccountManager::OnCrashReport);
    AbortCallback("TThing::Do", "/home/me/src/thing.cpp", 12, "broken", "stack text");
    EXPECT_TRUE(m_Server.Requests().empty());

    Run("account.login pilot secret1");
    ASSERT_TRUE(Manager().GetProtocol().IsLoggedIn());
    const size_t before = m_Server.Requests().size();
    AbortCallback("TThing::Do", "/home/me/src/thing.cpp", 12, "broken", "stack text");
    auto requests = m_Server.Requests();
    ASSERT_EQ(requests.size(), before + 1);
    const std::string text = "TThing::Do|thing.cpp@12|broken|stack text";
    EXPECT_EQ(requests.back().code, 41);
    EXPECT_EQ(requests.back().body.substr(0, 3 + text.size()),
              U8(2) + U16(static_cast<u16>(text.size())) + text);
    EXPECT_FALSE(Manager().GetProtocol().IsLoggedIn());

    // A crash: the reporter's record, whole.
    Run("account.login pilot secret1");
    TExceptionHandlerInfo info = {};
    info.nSignal = 11;
    std::strcpy(info.aException, "SIGSEGV");
    TAccountManager::OnException(&info);
    requests = m_Server.Requests();
    EXPECT_EQ(requests.back().body.substr(0, 3), U8(3) + U16(780));
    EXPECT_EQ(requests.back().body.substr(3, 780), std::string(reinterpret_cast<const char*>(&info), 780));

    // A manager destroyed without its finalize (a run that never reached it) takes its hook
    // along: the abort handler outlives the static managers.
    {
        TAccountManager unfinalized;
        ASSERT_EQ(unfinalized.InitializeManager(), 0);
    }
    EXPECT_EQ(AbortCallback, nullptr);
}

// The account screens over the main menu with the account client talking to a loopback account
// server: the field rules and key tables, the create and update screens, the login screen's
// log-in (remembered, automatic, offline), the password boxes wiped whatever the way out, and the
// console in front of them taking every key.
#include "menufixture.h"

#include "accountfixture.h"
#include "engine/input/inputmanager.h"
#include "engine/system/console.h"
#include "morvane/ui/uiaccountconnected.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uiaccountupdate.h"
#include "network/account/accountmanager.h"
#include "network/account/accounttext.h"
#include "network/account/storedlogin.h"
#include "support/secretscan.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.stacker.h"

#include <atomic>
#include <cstdlib>
#include <functional>

namespace
{
// FILETIME units of an hour.
constexpr u64 kHour = 36000000000ull;
u64 s_nNow = 0;
// The frame timer's clock: each frame of the tests is an eighth of a second.
i64 s_nClock = 0;
constexpr i64 kFrame = TIMER_COUNTS_PER_SECOND / 8;
// The longest password an account holds: 31 bytes.
const std::u16string kPassword31 = u"abc1234" + std::u16string(24, u'x');

class AccountScreenTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        SetTimeout(300);
        TUIAccountLogin::ResetAutomaticLogin();
        Start();
        ASSERT_NE(Login().GetForm(), nullptr) << "the level carries the login form";
        s_nNow = TDateTime{2026, 12, 1, 7, 12, 0, 0, 0}.ToFileTime();
        Profiles().SetClock([] { return s_nNow; });
        Protocol().Start();
        // Transitions and the status dots run on the frame timer's real time.
        m_pTimer = g_pTimer;
        g_pTimer = &m_Timer;
    }
    void TearDown() override
    {
        g_pTimer = m_pTimer;
        // Logged out, the forms hidden, nothing left for the next test.
        if (Protocol().IsLoggedIn())
        {
            Protocol().RequestLogout(0, nullptr, 0);
            Settle();
        }
        HideForms();
        SaveStoredLogin(TAccountData(), 0);
        g_AccountServers.Set("accounts.brevicorn.invalid:4420");
        SetTimeout(5000);
        Profiles().SetClock(nullptr);
        MenuTest::TearDown();
    }

    static void HideForms()
    {
        for (EUIGameScreen screen : {UI_SCREEN_ACCOUNT_LOGIN, UI_SCREEN_ACCOUNT_CREATE,
                                     UI_SCREEN_ACCOUNT_UPDATE, UI_SCREEN_ACCOUNT_CONNECTED})
            if (UX::TControl* form = g_pUIGameManager->GetScreen(screen).GetForm())
                form->Hide(1);
    }
    static TUIAccountLogin& Login()
    {
        return static_cast<TUIAccountLogin&>(g_pUIGameManager->GetScreen(UI_SCREEN_ACCOUNT_LOGIN));
    }
    static TUIAccountConnected& Page()
    {
        return static_cast<TUIAccountConnected&>(g_pUIGameManager->GetScreen(UI_SCREEN_ACCOUNT_CONNECTED));
    }
    static TUIAccountCreate& Create()
    {
        return static_cast<TUIAccountCreate&>(g_pUIGameManager->GetScreen(UI_SCREEN_ACCOUNT_CREATE));
    }
    static TUIAccountUpdate& Update()
    {
        return static_cast<TUIAccountUpdate&>(g_pUIGameManager->GetScreen(UI_SCREEN_ACCOUNT_UPDATE));
    }
    static TAccountProtocol& Protocol() { return g_pAccountManager->GetProtocol(); }
    // Frames of an eighth of a second each.
    void Ticks(u32 count)
    {
        for (u32 i = 0; i < count; ++i)
        {
            s_nClock += kFrame;
            g_pTimer->Update();
            MenuFrame(0.125f);
        }
    }
    // The requests taken by the client's thread and their outcomes delivered, then a few frames.
    void Settle()
    {
        ASSERT_TRUE(Protocol().WaitUntilIdle(5000));
        g_pAccountManager->DeliverEvents();
        Ticks(4);
    }
    // The main menu's Account without a session: the login screen, not the account page.
    void Open()
    {
        Menu().OnAccount(nullptr);
        Ticks(12);
    }
    static std::u16string Shown(const UX::TLabel* label)
    {
        const char16_t* text = label->Text.GetText();
        return text ? text : u"";
    }
    static std::u16string Localized(const char* key)
    {
        UX::TLocalization text;
        text.SetName(TName(key, true));
        return text.GetText() ? text.GetText() : u"";
    }
    // The message box's title, if one shows.
    static std::u16string BoxTitle() { return Box().IsBusy() ? Shown(Box().GetTitleLabel()) : u"(no box)"; }
    static bool Enabled(UX::TControl* control) { return control->IsEnabledAll(); }
    static bool Empty(const UX::TTextBox* box) { return !box->GetText() || !box->GetText()[0]; }
    // The digests the log-in requests sent.
    static std::vector<std::string> SentDigests(TAccountServerPeer& server)
    {
        std::vector<std::string> digests;
        for (const TSeenRequest& request : server.Requests())
            if (request.code == 40)
                digests.push_back(request.body.substr(4, 32));
        return digests;
    }

    TConfigFolder m_Config{m_Folder.Path()};
    TTimer m_Timer{[] { return s_nClock; }};
    TTimer* m_pTimer = nullptr;
};
} // namespace

TEST(AccountRules, UserNamesAreMailAddresses)
{
    EXPECT_TRUE(TUIAccountScreen::IsValidUserName(u"a@b.c"));
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(u"1@b.c")) << "a digit first";
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(u"a.b@c")) << "the last dot before the last at";
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(u"a@bc.")) << "ending in its only dot";
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(u"a@bc")) << "no dot";
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(u""));
    EXPECT_FALSE(TUIAccountScreen::IsValidUserName(nullptr));
    EXPECT_FALSE(TUIAccountScreen::IsValidBirthDate(1900, 2, 29));
    EXPECT_TRUE(TUIAccountScreen::IsValidBirthDate(2001, 12, 31));
    EXPECT_FALSE(TUIAccountScreen::IsValidBirthDate(2001, 13, 1));
}

TEST(AccountRules, CodesAndKindsBeyondTheirTablesHaveOneKeyEach)
{
    for (u32 code : {6u, 9u, 10u, 14u, 255u})
        EXPECT_STREQ(TUIAccountScreen::GetResultKey(code), "locaAccountUnknownResult") << code;
    EXPECT_STREQ(TUIAccountScreen::GetKindKey(0), "");
    EXPECT_STREQ(TUIAccountScreen::GetKindKey(10), "msgAccountPing") << "the last kind";
    EXPECT_STREQ(TUIAccountScreen::GetKindKey(11), "locaAccountUnknownAction");
}

TEST(AccountRules, DaysLeftToValidateStayWithinNoneAndSix)
{
    const u64 day = 24 * kHour;
    const u64 now = 1000 * day;
    EXPECT_EQ(TUIAccountLogin::DaysLeftToValidate(now, now - 6 * day), 0);
    EXPECT_EQ(TUIAccountLogin::DaysLeftToValidate(now, now - day - day / 2), 4);
    EXPECT_EQ(TUIAccountLogin::DaysLeftToValidate(now, now), 6);
    EXPECT_EQ(TUIAccountLogin::DaysLeftToValidate(now, now + 3 * day), 6) << "registered in the future";
}

TEST(AccountRules, CreateChecksItsFieldsInOrder)
{
    const auto check = [](const std::u16string& name, const std::u16string& password,
                          const std::u16string& repeat, u32 year = 2000, u32 month = 1, u32 day = 1) {
        return TUIAccountCreate::CheckFields(name.c_str(), password.c_str(), repeat.c_str(), year, month,
                                             day);
    };
    EXPECT_EQ(check(u"1@b.c", u"abc", u"abc"), ACCOUNT_FIELD_USER_NAME)
        << "only the user name's fault is told";
    EXPECT_EQ(check(u"a@b.c", u"", u""), ACCOUNT_FIELD_PASSWORD);
    EXPECT_EQ(check(u"a@b.c", u"abc123", u"abc124"), ACCOUNT_FIELD_REPEAT);
    EXPECT_EQ(check(u"a@b.c", u"abc123", u"abc123", 2001, 2, 31), ACCOUNT_FIELD_BIRTH_DATE);
    EXPECT_EQ(check(u"a@b.c", u"abc123", u"abc123", 2000, 2, 29), ACCOUNT_FIELD_OK);
    // The record holds 31 bytes of UTF-8: a euro sign takes three.
    const std::u16string euros(8, u'\u20ac');
    const std::u16string name31 = u"ab" + euros + u"@b.cd";
    EXPECT_EQ(check(name31, u"abc123", u"abc123"), ACCOUNT_FIELD_OK);
    EXPECT_EQ(check(name31 + u"  ", u"abc123", u"abc123"), ACCOUNT_FIELD_OK)
        << "trailing blanks are not sent";
    EXPECT_EQ(check(u"abc" + euros + u"@b.cd", u"abc123", u"abc123"), ACCOUNT_FIELD_USER_NAME);
    EXPECT_EQ(check(u"a@b.c", kPassword31, kPassword31), ACCOUNT_FIELD_OK);
    EXPECT_EQ(check(u"a@b.c", kPassword31 + u"x", kPassword31 + u"x"), ACCOUNT_FIELD_PASSWORD);
}

TEST(AccountRules, TheCreateRecordKeepsWhatItsFieldsHold)
{
    // 30 letters and an e with an accent: 32 bytes, cut before the accent's two.
    const std::u16string name = std::u16string(30, u'a') + u"\u00e9";
    const std::u16string huge(129, u'b');
    const char16_t* const texts[3] = {u"Ann", u"Lee", u"0123456789012345678901234567890123"};
    const TAccountData record =
        TUIAccountCreate::MakeRecord(name.c_str(), huge.c_str(), texts, 1990, 7, 14, 2);
    EXPECT_EQ(std::string(record.Username.GetText()), std::string(30, 'a'));
    EXPECT_EQ(std::string(record.Password.GetText()), "") << "more than 128 bytes is taken as empty";
    EXPECT_EQ(std::u16string(record.Text3.GetText()), u"0123456789012345678901234567890");
    EXPECT_EQ(record.nValue1, 2u);
    TDateTime birth = {};
    birth.FromFileTime(record.nValue3);
    EXPECT_EQ(birth.year, 1990);
    EXPECT_EQ(birth.month, 7);
    EXPECT_EQ(birth.day, 14);
    EXPECT_EQ(birth.hour, 0);
}

TEST_F(AccountScreenTest, CreateTellsTheFirstFaultFocusesItsFieldAndSendsAValidAccount)
{
    TAccountServerPeer server;
    std::atomic<u8> status{5};
    server.Answer(20, [&status](TPeerConnection& connection, const TSeenRequest&) {
        connection.Write(status ? Reply(U8(status)) : Reply(SessionReply(9, 0xBEEF, 13, "Ann")));
    });
    UseServers({server.Port()});
    Create().SlideInFromRight();
    Ticks(12);
    ASSERT_TRUE(Create().IsShowing());
    // A name that is no address, and one of 17 characters but 39 bytes (the record holds 31).
    const std::u16string pasted = u"a" + std::u16string(11, u'\u20ac') + u"@b.cd";
    const auto passwords = [](const char16_t* text) {
        Type(Create().GetBox(1), text);
        Type(Create().GetBox(2), text);
    };
    for (const char16_t* name : {u"9@b.c", pasted.c_str()})
    {
        Type(Create().GetBox(0), name);
        passwords(u"abc123");
        Press(Create().GetCreateButton());
        Ticks(2);
        EXPECT_EQ(BoxTitle(), Localized("locAccountInvalidUsernameTitle"));
        Press(Box().GetFirstButton());
        Ticks(2);
        EXPECT_TRUE(Create().GetBox(0)->nFlags & UX::CONTROL_FOCUSED) << "the user name's box";
    }
    EXPECT_TRUE(server.Requests().empty()) << "nothing sent";

    Type(Create().GetBox(0), u"pilot@example.com");
    Type(Create().GetTextBox(0), u"Ann");
    TUIAccountScreen::SetRowDate(Create().GetBirthDateRow(), 1990, 7, 14);
    // The server refuses (the name is known, or a status without a text of its own): the
    // buttons come back and the failure is told.
    const std::pair<u8, const char*> refusals[] = {{5, "msgAccountResultUsernameUsed"},
                                                   {6, "locaAccountUnknownResult"}};
    for (const auto& [code, key] : refusals)
    {
        status = code;
        // The boxes keep no password once a request has it: typed again each time.
        passwords(u"cReate9OnceForAll");
        Press(Create().GetCreateButton());
        EXPECT_FALSE(Enabled(Create().GetCreateButton()));
        Settle();
        EXPECT_TRUE(Enabled(Create().GetCreateButton()));
        EXPECT_TRUE(Enabled(Create().GetBackButton()));
        EXPECT_EQ(BoxTitle(), Localized("msgAccountCreate"));
        EXPECT_EQ(Shown(Box().GetTextLabel()), Localized(key)) << int(code);
        EXPECT_FALSE(Shown(Box().GetTextLabel()).empty()) << int(code);
        Press(Box().GetFirstButton());
        Ticks(2);
    }
    status = 0;
    passwords(u"cReate9OnceForAll");
    Press(Create().GetCreateButton());
    Settle();
    Ticks(12);
    EXPECT_TRUE(Protocol().IsLoggedIn());
    EXPECT_FALSE(Create().IsShowing());
    EXPECT_TRUE(Page().IsShowing()) << "on to the account page";
    const std::vector<TSeenRequest> requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[2].body.substr(0, 18), Text("pilot@example.com"));
    EXPECT_FALSE(SecretHeld("cReate9OnceForAll")) << "created";

    // The password just created is the old one the update screen knows.
    Press(Page().GetUpdateButton());
    Ticks(12);
    ASSERT_TRUE(Update().IsShowing());
    TUIAccountScreen::SetRowDate(Update().GetBirthDateRow(), 1990, 7, 14);
    Type(Update().GetBox(0), u"cReate9OnceForAll");
    Type(Update().GetBox(1), u"cHanged9OnceForAll");
    Type(Update().GetBox(2), u"cHanged9OnceForAll");
    Press(Update().GetSaveButton());
    Ticks(2);
    EXPECT_FALSE(Box().IsBusy()) << "no old-password message";
    Settle();
    Ticks(12);
    EXPECT_TRUE(Page().IsShowing());
    EXPECT_EQ(server.Requests().back().code, 53);
    EXPECT_FALSE(SecretHeld("cHanged9OnceForAll") || SecretHeld("cReate9OnceForAll")) << "changed";

    // The same pasted name cannot log in either, and the login screen says why.
    Protocol().RequestLogout(0, nullptr, 0);
    Settle();
    Open();
    const size_t sent = server.Requests().size();
    Type(Login().GetUserNameBox(), pasted.c_str());
    Type(Login().GetPasswordBox(), u"abc456");
    Press(Login().GetLoginButton());
    Ticks(2);
    EXPECT_EQ(BoxTitle(), Localized("locAccountInvalidUsernameTitle"));
    Press(Box().GetFirstButton());
    Settle();
    EXPECT_EQ(server.Requests().size(), sent);
}

TEST(AccountRules, UpdateChecksThePasswordsOnlyWhenOneIsTyped)
{
    u8 digest[ACCOUNT_DIGEST_SIZE];
    ASSERT_TRUE(HashPassword(digest, u"secret1"));
    const auto check = [&digest](const std::u16string& old, const std::u16string& password,
                                 const std::u16string& repeat, u32 year = 2000, u32 month = 1, u32 day = 1) {
        return TUIAccountUpdate::CheckFields(old.c_str(), password.c_str(), repeat.c_str(), digest, year,
                                             month, day);
    };
    EXPECT_EQ(check(u"", u"", u""), ACCOUNT_FIELD_OK);
    EXPECT_EQ(check(u"", u"", u"", 2001, 2, 29), ACCOUNT_FIELD_BIRTH_DATE);
    EXPECT_EQ(check(u"secret2", u"abc123", u"abc123"), ACCOUNT_FIELD_OLD_PASSWORD);
    EXPECT_EQ(check(u"", u"abc123", u"abc123"), ACCOUNT_FIELD_OLD_PASSWORD)
        << "a new password without the old one";
    EXPECT_EQ(check(u"secret1", u"abcdef", u"abcdef"), ACCOUNT_FIELD_PASSWORD);
    EXPECT_EQ(check(u"secret1", u"abc123", u"abc12"), ACCOUNT_FIELD_REPEAT);
    // The new password fits the 31 bytes the account holds.
    EXPECT_EQ(check(u"secret1", kPassword31, kPassword31), ACCOUNT_FIELD_OK);
    EXPECT_EQ(check(u"secret1", kPassword31 + u"x", kPassword31 + u"x"), ACCOUNT_FIELD_PASSWORD);
}

TEST_F(AccountScreenTest, UpdateSendsThePersonalDataAndStaysUntilAPasswordChangeSucceeded)
{
    TAccountServerPeer server;
    server.AnswerWith(40, Reply(SessionReply(7, 0xCAFE, 13, "Ann", "Lee", "Rome", 2, 0, 0, 0)));
    UseServers({server.Port()});
    ASSERT_EQ(Protocol().RequestLogin(u"pilot@example.com", u"secret1", u"", false), 0u);
    Settle();
    ASSERT_TRUE(Protocol().IsLoggedIn());
    Update().SlideInFromRight();
    Ticks(12);
    ASSERT_TRUE(Update().IsShowing());
    // The rows arranged one a line without overlaps, and the panel told their height.
    UX::TStacker* stacker = Update().GetStacker();
    ASSERT_TRUE(stacker && Update().GetPanel());
    EXPECT_EQ(Update().GetPanel()->ContentHeight, (stacker->GetContentHeight() + 10.0f) * stacker->Base.ScaleY);
    EXPECT_GT(Update().GetPanel()->ContentHeight, 10.0f);
    const UX::TControl* rows[] = {Update().GetBox(0)->pParent,     Update().GetBox(2)->pParent,
                                  Update().GetTextBox(0)->pParent, Update().GetTextBox(2)->pParent,
                                  Update().GetBirthDateRow(),      Update().GetAvatar()->pParent};
    for (size_t i = 1; i < std::size(rows); ++i)
        EXPECT_GE(rows[i]->Computed.Rect.y, rows[i - 1]->Computed.Rect.y + rows[i - 1]->Computed.Rect.height) << i;
    EXPECT_EQ(std::u16string(Update().GetTextBox(2)->GetText()), u"Rome") << "the account's texts";
    EXPECT_EQ(Update().GetAvatar()->SelectedIndex, 2);
    TUIAccountScreen::SetRowDate(Update().GetBirthDateRow(), 1990, 7, 14);

    // A wrong old password: its message, its row's caption disabled until the text is cleared.
    Type(Update().GetBox(0), u"secret2");
    Type(Update().GetBox(1), u"abc123");
    Type(Update().GetBox(2), u"abc123");
    Press(Update().GetSaveButton());
    Ticks(2);
    EXPECT_EQ(BoxTitle(), Localized("locAccountInvalidOldPasswordTitle"));
    EXPECT_FALSE(Enabled(Update().GetOldPasswordLabel()));
    Press(Box().GetFirstButton());
    Type(Update().GetBox(0), u"");
    EXPECT_TRUE(Enabled(Update().GetOldPasswordLabel()));

    // The requests but the polls a log-in is followed by.
    auto requested = [&server] {
        std::vector<uint16_t> codes;
        for (const TSeenRequest& request : server.Requests())
            if (request.code != 30)
                codes.push_back(request.code);
        return codes;
    };
    // With the password: the update and the change; the screen waits for both.
    std::atomic<bool> release{false};
    server.Answer(53, [&release](TPeerConnection& connection, const TSeenRequest&) {
        while (!release)
            TPeerConnection::Sleep(5);
        connection.Write(Reply(U8(0)));
    });
    Type(Update().GetBox(0), u"secret1");
    Press(Update().GetSaveButton());
    EXPECT_TRUE(Update().IsPasswordChangePending());
    // The change is asked for: the update before it has had its answer.
    for (int i = 0; i < 200 && requested().back() != 53; ++i)
        TPeerConnection::Sleep(5);
    g_pAccountManager->DeliverEvents();
    Ticks(12);
    EXPECT_TRUE(Update().IsShowing()) << "the update succeeded, the change not yet";
    release = true;
    ASSERT_TRUE(Protocol().WaitUntilIdle(5000));
    g_pAccountManager->DeliverEvents();
    Ticks(12);
    EXPECT_FALSE(Update().IsShowing());
    EXPECT_TRUE(Page().IsShowing());
    EXPECT_EQ(requested(), (std::vector<uint16_t>{40, 51, 53}));

    // Without: only the personal data.
    Update().SlideInFromRight();
    Ticks(12);
    Press(Update().GetSaveButton());
    EXPECT_FALSE(Update().IsPasswordChangePending());
    Settle();
    Ticks(12);
    EXPECT_FALSE(Update().IsShowing());
    EXPECT_EQ(requested(), (std::vector<uint16_t>{40, 51, 53, 51}));
}

TEST_F(AccountScreenTest, ALogInRemembersThePasswordAndTheNextLogInSendsTheStoredDigest)
{
    TAccountServerPeer server;
    // Registered a day and a half ago, the mail not validated yet.
    const u64 registered = s_nNow - 36 * kHour;
    server.AnswerWith(40, Reply(SessionReply(7, 0xCAFE, 0, "Ann", "", "", 0, 0, 0, registered)));
    UseServers({server.Port()});
    Open();
    ASSERT_TRUE(Login().IsShowing());
    EXPECT_FALSE(Enabled(Login().GetLoginButton())) << "nothing typed";
    Type(Login().GetUserNameBox(), u"pilot@example.com");
    EXPECT_FALSE(Enabled(Login().GetLoginButton()));
    Type(Login().GetPasswordBox(), u"secret1");
    EXPECT_TRUE(Enabled(Login().GetLoginButton()));
    Login().GetRememberBox()->SetChecked(1, 0);

    Press(Login().GetLoginButton());
    EXPECT_EQ(std::u16string(Login().GetPasswordBox()->GetText()), u"") << "the box keeps no password once sent";
    EXPECT_FALSE(Enabled(Login().GetLoginButton())) << "waiting";
    EXPECT_FALSE(Enabled(Login().GetCreateButton()));
    EXPECT_FALSE(Enabled(Login().GetRememberBox()));
    EXPECT_TRUE(Login().GetStatusLabel()->IsVisibleOnScreen());
    Settle();
    ASSERT_TRUE(Protocol().IsLoggedIn());
    EXPECT_TRUE(HasStoredPassword("pilot@example.com"));
    // The validation question counts the days left: 6 less one and a half, truncated.
    ASSERT_TRUE(Box().IsBusy());
    std::u16string expected = Localized("locAccountMailNotValidatedText");
    expected.replace(expected.find(u"%d"), 2, u"4");
    EXPECT_EQ(Shown(Box().GetTextLabel()), expected);
    Press(Box().GetFirstButton());
    Ticks(12);
    EXPECT_FALSE(Login().IsShowing()) << "back to the main menu";
    EXPECT_FALSE(Menu().GetButton(MENU_NEW_GAME)->IsInactive());
    TUIItem* online = Menu().GetMainMenuLayer()->FindItem(TName("WebPageLabel"));
    EXPECT_TRUE(online->IsOpen()) << "\"Online\" with a session";

    // Logged out, the screen again: the placeholder stands for the stored password.
    Protocol().RequestLogout(0, nullptr, 0);
    Settle();
    Ticks(2);
    EXPECT_TRUE(online->IsInactive()) << "no \"Online\" without a session";
    Open();
    EXPECT_EQ(std::u16string(Login().GetPasswordBox()->GetText()), ACCOUNT_PASSWORD_PLACEHOLDER);
    EXPECT_TRUE(Login().IsStoredPasswordShown());
    EXPECT_TRUE(Login().GetRememberBox()->Checked);
    Press(Login().GetLoginButton());
    Settle();
    EXPECT_TRUE(Protocol().IsLoggedIn());
    Press(Box().GetFirstButton());
    Protocol().RequestLogout(0, nullptr, 0);
    Settle();

    // A password typed by the player is the player's, even one that reads like the placeholder.
    Open();
    Type(Login().GetPasswordBox(), ACCOUNT_PASSWORD_PLACEHOLDER);
    EXPECT_FALSE(Login().IsStoredPasswordShown());
    Press(Login().GetLoginButton());
    Settle();
    // The typed password, the stored digest, the placeholder typed.
    EXPECT_EQ(SentDigests(server),
              (std::vector<std::string>{Sha256("secret1"), Sha256("secret1"), Sha256("\n\n7305168249\n\n")}));
}

TEST_F(AccountScreenTest, AutomaticLogInLocksRememberAndRunsOnceARun)
{
    TAccountServerPeer server;
    server.AnswerWith(40, Reply(SessionReply(7, 0xCAFE, 13)));
    UseServers({server.Port()});
    Open();
    UX::TCheckBox* automatic = Login().GetAutoLoginBox();
    UX::TCheckBox* remember = Login().GetRememberBox();
    EXPECT_FALSE(remember->Checked);
    automatic->SetChecked(1, 0);
    EXPECT_TRUE(remember->Checked);
    EXPECT_FALSE(Enabled(remember)) << "locked";
    automatic->SetChecked(0, 0);
    EXPECT_TRUE(Enabled(remember));
    EXPECT_TRUE(remember->Checked) << "unlocked, not cleared";

    // Stored with automatic log-in (the name as typed, with capitals): the first show logs in by
    // itself with the stored digest, the next does not.
    Type(Login().GetUserNameBox(), u"Pilot@Example.com");
    Type(Login().GetPasswordBox(), u"secret1");
    automatic->SetChecked(1, 0);
    Press(Login().GetLoginButton());
    Settle();
    ASSERT_TRUE(Protocol().IsLoggedIn());
    EXPECT_FALSE(Box().IsBusy()) << "a validated account is not asked about its mail";
    EXPECT_EQ(GetStoredAutologin(), 1u);
    Protocol().RequestLogout(0, nullptr, 0);
    Settle();
    TUIAccountLogin::ResetAutomaticLogin();
    Open();
    EXPECT_TRUE(Login().IsStoredPasswordShown()) << "the stored name is the typed one lower-cased";
    Settle();
    EXPECT_TRUE(Protocol().IsLoggedIn()) << "logged in at the first show";
    Protocol().RequestLogout(0, nullptr, 0);
    Settle();
    Open();
    Settle();
    EXPECT_FALSE(Protocol().IsLoggedIn()) << "once a run";
    // Another name than the stored one: no password is offered, and none is sent.
    Login().SlideOutRight();
    Ticks(12);
    Type(Login().GetUserNameBox(), u"other@example.com");
    TUIAccountLogin::ResetAutomaticLogin();
    Open();
    Settle();
    EXPECT_FALSE(Login().IsStoredPasswordShown());
    EXPECT_FALSE(Protocol().IsLoggedIn());
    EXPECT_EQ(SentDigests(server), (std::vector<std::string>{Sha256("secret1"), Sha256("secret1")}));
}

TEST_F(AccountScreenTest, WithoutAServerTheLogInAsksForTheOfflinePathAndStaysIdle)
{
    UseServers({TLoopbackPeer::ClosedPort()});
    Open();
    Type(Login().GetUserNameBox(), u"pilot@example.com");
    Type(Login().GetPasswordBox(), u"secret1");
    Press(Login().GetLoginButton());
    Settle();
    EXPECT_TRUE(Enabled(Login().GetCreateButton())) << "idle again";
    EXPECT_TRUE(Enabled(Login().GetRememberBox()));
    EXPECT_FALSE(Enabled(Login().GetLoginButton())) << "the password was not kept: typed again";
    EXPECT_FALSE(Login().GetStatusLabel()->IsVisibleOnScreen());
    // No game-menu window is open, and the question shows all the same.
    EXPECT_EQ(BoxTitle(), Localized("locAccountLoginConnectionErrorTitle"));
    EXPECT_EQ(Box().GetKind(), static_cast<u32>(MESSAGE_QUESTION));
    // Offline: no login is stored here (offline logins stay off), so it fails with its message.
    Press(Box().GetFirstButton());
    Ticks(2);
    EXPECT_EQ(BoxTitle(), Localized("locAccountOffLineLoginErrorTitle"));
    Press(Box().GetFirstButton());
    Ticks(2);
    // A failed poll is never told.
    Login().OnRequestFailed(ACCOUNT_POLL, ACCOUNT_LOCAL_FAILURE);
    Ticks(2);
    EXPECT_FALSE(Box().IsBusy());
}

// Every password box is wiped when its screen is left or its request ends, whatever the way or the
// outcome; a request refused with the client's queue full (four pending) is told on the screen.
TEST_F(AccountScreenTest, PasswordBoxesAreWipedWhenTheScreenIsLeftOrItsRequestEnds)
{
    TAccountServerPeer server;
    std::atomic<bool> hold{false};
    // Checks of a user name wait while held: four of them fill the client's queue.
    server.Answer(21, [&hold](TPeerConnection& connection, const TSeenRequest&) {
        while (hold)
            TPeerConnection::Sleep(5);
        connection.Write(Reply(U8(0)));
    });
    server.AnswerWith(20, Reply(U8(5)));
    server.AnswerWith(53, Reply(U8(7)));
    UseServers({server.Port()});
    // A held check must not time out meanwhile: its failure would be told too.
    SetTimeout(5000);
    typedef std::vector<UX::TTextBox*> TBoxes;
    // Each screen shown with its fields typed, the secret in its password boxes.
    const auto create = [this](const char* secret) {
        Create().SlideInFromRight();
        Ticks(12);
        Type(Create().GetBox(0), u"pilot@example.com");
        Type(Create().GetBox(1), secret);
        Type(Create().GetBox(2), secret);
        TUIAccountScreen::SetRowDate(Create().GetBirthDateRow(), 1990, 7, 14);
        return TBoxes{Create().GetBox(1), Create().GetBox(2)};
    };
    const auto login = [this](const char* secret) {
        Open();
        Type(Login().GetUserNameBox(), u"pilot@example.com");
        Type(Login().GetPasswordBox(), secret);
        return TBoxes{Login().GetPasswordBox()};
    };
    // The old password the right one, or the secret too.
    const auto update = [this](const char* secret, const char* old) {
        Update().SlideInFromRight();
        Ticks(12);
        Type(Update().GetBox(0), old);
        Type(Update().GetBox(1), secret);
        Type(Update().GetBox(2), secret);
        TUIAccountScreen::SetRowDate(Update().GetBirthDateRow(), 1990, 7, 14);
        return TBoxes{Update().GetBox(0), Update().GetBox(1), Update().GetBox(2)};
    };
    const auto updateRight = [&](const char* secret) { return update(secret, "secret1"); };
    const auto updateSecret = [&](const char* secret) { return update(secret, secret); };
    // How the screen is left: its button pressed, then the server's answer or with the queue full
    // (four checks held); or its form hidden.
    enum EWay
    {
        PRESSED,
        ANSWERED,
        QUEUE_FULL,
        HIDDEN
    };
    const struct
    {
        const char* what;
        const char* secret;
        bool loggedIn;
        std::function<TBoxes(const char*)> show;
        UX::TButton* button;
        EWay way;
        const char* told;
    } cases[] = {
        {"create: back", "cReateBackPassword1", false, create, Create().GetBackButton(), PRESSED, nullptr},
        {"create: refused by the server", "cReateRefused2", false, create, Create().GetCreateButton(),
         ANSWERED, "msgAccountResultUsernameUsed"},
        {"create: the queue full", "cReateQueueFull3", false, create, Create().GetCreateButton(), QUEUE_FULL,
         "msgAccountQueueFull"},
        {"create: hidden", "cReateHidden4x", false, create, nullptr, HIDDEN, nullptr},
        {"login: close", "lOginClosed5xyz", false, login, Login().GetCloseButton(), PRESSED, nullptr},
        {"login: on to the create screen", "lOginToCreate6", false, login, Login().GetCreateButton(), PRESSED,
         nullptr},
        {"login: the queue full", "lOginQueueFull7", false, login, Login().GetLoginButton(), QUEUE_FULL,
         "msgAccountQueueFull"},
        {"update: back", "uPdateBackPassword8", true, updateSecret, Update().GetBackButton(), PRESSED,
         nullptr},
        {"update: the change refused by the server", "uPdateRefused9x", true, updateRight,
         Update().GetSaveButton(), ANSWERED, "msgAccountResultInvalidUsernameOrPassword"},
        {"update: the queue full", "uPdateQueueFull10", true, updateRight, Update().GetSaveButton(),
         QUEUE_FULL, "msgAccountQueueFull"},
    };
    // Checked as soon as the screen starts to leave, not once its slide has ended.
    for (const auto& c : cases)
    {
        if (c.loggedIn && !Protocol().IsLoggedIn())
        {
            ASSERT_EQ(Protocol().RequestLogin(u"pilot@example.com", u"secret1", u"", false), ACCOUNT_QUEUED);
            Settle();
            ASSERT_TRUE(Protocol().IsLoggedIn());
        }
        const TBoxes boxes = c.show(c.secret);
        hold = c.way == QUEUE_FULL;
        for (int i = 0; hold && i < 4; ++i)
            EXPECT_EQ(Protocol().RequestCheckUsername("pilot"), ACCOUNT_QUEUED);
        if (c.button)
            Press(c.button);
        else
            Create().GetForm()->Hide(1);
        if (c.way == ANSWERED)
            Settle();
        else if (c.way == QUEUE_FULL)
            Ticks(2);
        for (const UX::TTextBox* box : boxes)
            EXPECT_TRUE(Empty(box)) << c.what;
        EXPECT_FALSE(SecretHeld(c.secret)) << c.what;
        if (c.told)
        {
            EXPECT_TRUE(Box().IsBusy()) << c.what;
            EXPECT_EQ(Shown(Box().GetTextLabel()), Localized(c.told)) << c.what;
            EXPECT_FALSE(Localized(c.told).empty()) << c.what;
        }
        else
            EXPECT_FALSE(Box().IsBusy()) << c.what;
        if (Box().IsBusy())
            Press(Box().GetFirstButton());
        hold = false;
        Settle();
        HideForms();
        Ticks(2);
    }
}

// Keys typed into the open console never reach a text box of a screen behind it, even one that
// takes the focus while the console is open, nor those the console's full line refuses.
TEST_F(AccountScreenTest, WhileTheConsoleIsOpenItAloneTakesTheKeys)
{
    Create().SlideInFromRight();
    Ticks(12);
    // An invalid password: its message's OK puts the focus into the password box.
    Type(Create().GetBox(0), u"pilot@example.com");
    Type(Create().GetBox(1), u"short");
    Press(Create().GetCreateButton());
    Ticks(2);
    ASSERT_TRUE(Box().IsBusy());
    Press(Box().GetFirstButton());
    Ticks(1);
    UX::TTextBox* password = Create().GetBox(1);
    ASSERT_TRUE(password->nFlags & UX::CONTROL_FOCUSED);
    Type(password, u"");
    TCommandMethods* listener = TCommandManager::Instance().GetListener();
    TConsoleManager console;
    TInputManager::Instance().RegisterInputFocus(&console, 2);
    const auto typeKeys = [this](const char* typed) {
        for (const char* c = typed; *c; ++c)
            Char(static_cast<char16_t>(*c), 0x1E);
        Ticks(1);
    };
    // Opened over the focused box: the keys of its first frame are the console's already.
    console.Toggle();
    typeKeys("abc");
    Ticks(2);
    EXPECT_STREQ(console.GetInput(), "abc");
    EXPECT_EQ(std::u16string(password->GetText()), u"");
    // The box focused again while the console is open (a click), the console's line nearly full:
    // of ten keys it takes three and refuses the rest, which reach no one.
    password->SetFocus();
    ASSERT_TRUE(password->nFlags & UX::CONTROL_FOCUSED);
    console.SetInput(std::string(60, 'x').c_str());
    typeKeys("defgh");
    typeKeys("ijklm");
    Ticks(10);
    EXPECT_EQ(std::string(console.GetInput()), std::string(60, 'x') + "def");
    EXPECT_TRUE(console.HasLostKeys());
    EXPECT_EQ(std::u16string(password->GetText()), u"");
    console.Toggle();
    Ticks(1);
    TInputManager::Instance().RegisterInputFocus(&console, INPUT_FOCUS_NO_LAYER);
    TCommandManager::Instance().SetListener(listener);
}

TEST_F(AccountScreenTest, TheLoginScreenAndTheCreateScreenWithAnErrorBoxMatchTheirGoldenImages)
{
    // Over the main menu's buttons.
    Login().Open(ACCOUNT_LOGIN_FROM_MENU);
    Ticks(12);
    Type(Login().GetUserNameBox(), u"pilot@example.com");
    Type(Login().GetPasswordBox(), u"secret1");
    Login().GetRememberBox()->SetChecked(1, 0);
    Ticks(4);
    EXPECT_EQ(RenderGolden("account_login_1280x720", 1280, 720, true), "");
    Login().SlideOutRight();
    Create().SlideInFromRight();
    Ticks(12);
    // Every field set: the screen keeps what an earlier visit typed.
    const char16_t* const fields[6] = {u"pilot@example.com", u"secret", u"secret", u"Ann", u"Lee", u""};
    for (u32 i = 0; i < 3; ++i)
    {
        Type(Create().GetBox(i), fields[i]);
        Type(Create().GetTextBox(i), fields[3 + i]);
    }
    TUIAccountScreen::SetRowDate(Create().GetBirthDateRow(), 1990, 7, 14);
    Create().GetAvatar()->SetSelectedIndex(0);
    Press(Create().GetCreateButton());
    Ticks(4);
    ASSERT_TRUE(Box().IsBusy());
    EXPECT_EQ(RenderGolden("account_create_error_1280x720", 1280, 720, true), "");
}

// The account console commands, which queue one request each (the outcome comes later, as
// "account sucess (%d)" or an "account error (%d,%d)" line), and the connection's time-out.
#include "core/system/platform.h"
#include "core/system/unistring.h"
#include "engine/system/command/commandprogram.h"
#include "engine/system/command/variable.h"
#include "engine/system/commandarguments.h"
#include "network/account/accountmanager.h"
#include "network/account/accounttext.h"

#include <cstring>

namespace
{
constexpr i32 TIMEOUT_DEFAULT = 5000;
constexpr i32 TIMEOUT_LEAST = 100;
constexpr i32 TIMEOUT_MOST = 60000;
// Wide forms of command texts.
constexpr u32 COMMAND_WIDE_ROOM = 129;

TAccountProtocol& Protocol()
{
    return g_pAccountManager->GetProtocol();
}

void ReportRefused(u32 result)
{
    if (result == ACCOUNT_QUEUE_FULL)
        TCommandManager::Instance().PrintError("%d account requests are pending: this one is not sent",
                                               ACCOUNT_QUEUE_SIZE);
    else if (result == ACCOUNT_TOO_LONG)
        TCommandManager::Instance().PrintError("user names and passwords hold 31 bytes, texts 31 characters");
    else if (result == ACCOUNT_NO_PASSWORD)
        TCommandManager::Instance().PrintError("the password is empty");
}

// A user text: each byte one character; false when it does not fit 31 characters.
bool SetUserText(SArray<char16_t, 32, 0>& out, const char* text)
{
    const size_t length = std::strlen(text);
    if (length > ACCOUNT_TEXT_LENGTH)
        return false;
    char16_t wide[32] = {};
    for (size_t i = 0; i < length; ++i)
        wide[i] = static_cast<u8>(text[i]);
    out = wide;
    return true;
}

// An argument's text: the words of the commands that carry passwords are held by their
// program only, never by the name table.
const char* ArgumentText(const TCommandInstruction& instruction, u32 index)
{
    const char* text = CommandPrivateText(instruction.aArgument[index]);
    return text ? text : CommandArgumentText(instruction, index);
}

bool SetUtf8Text(SArray<char, 32, 0>& out, const char* text)
{
    if (std::strlen(text) > ACCOUNT_TEXT_LENGTH)
        return false;
    out = text;
    return true;
}
} // namespace

class TCommandaccount_create : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckAtLeast(instruction, 2))
            return;
        TAccountData account;
        bool fits = SetUtf8Text(account.Username, ArgumentText(instruction, 0)) &&
                    SetUtf8Text(account.Password, ArgumentText(instruction, 1));
        SArray<char16_t, 32, 0>* texts[3] = {&account.Text1, &account.Text2, &account.Text3};
        for (u32 i = 2; i < instruction.nArgumentCount && i < 5; ++i)
            fits = fits && SetUserText(*texts[i - 2], ArgumentText(instruction, i));
        ReportRefused(fits ? Protocol().RequestCreate(account) : ACCOUNT_TOO_LONG);
        WipeSecret(account.Password.GetData(), 32);
    }
};

class TCommandaccount_change_password : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 2))
            return;
        const char* newPassword = ArgumentText(instruction, 1);
        if (!IsValidPassword(newPassword))
        {
            TCommandManager::Instance().PrintError("new password is invalid");
            return;
        }
        char16_t oldWide[COMMAND_WIDE_ROOM];
        char16_t newWide[COMMAND_WIDE_ROOM];
        Utf8ToUtf16(oldWide, COMMAND_WIDE_ROOM, ArgumentText(instruction, 0));
        Utf8ToUtf16(newWide, COMMAND_WIDE_ROOM, newPassword);
        ReportRefused(Protocol().RequestChangePassword(oldWide, newWide));
        WipeSecret(oldWide, sizeof oldWide);
        WipeSecret(newWide, sizeof newWide);
    }
};

class TCommandaccount_forgotten_password : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        char16_t user[COMMAND_WIDE_ROOM];
        const char* text = ArgumentText(instruction, 0);
        if (MultiByteToWide(user, COMMAND_WIDE_ROOM, text, -1) != 0)
            user[0] = 0;
        ReportRefused(Protocol().RequestForgottenPassword(user));
    }
};

class TCommandaccount_update : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckAtLeast(instruction, 2))
            return;
        TAccountData account;
        bool fits = SetUserText(account.Text1, ArgumentText(instruction, 0)) &&
                    SetUserText(account.Text2, ArgumentText(instruction, 1));
        if (instruction.nArgumentCount > 2)
            fits = fits && SetUserText(account.Text3, ArgumentText(instruction, 2));
        ReportRefused(fits ? Protocol().RequestUpdate(account) : ACCOUNT_TOO_LONG);
    }
};

class TCommandaccount_checkusername : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckExactly(instruction, 1))
            return;
        ReportRefused(Protocol().RequestCheckUsername(ArgumentText(instruction, 0)));
    }
};

class TCommandaccount_login : public TCommand
{
public:
    void Execute(TCommandInstruction& instruction, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !CheckAtLeast(instruction, 2))
            return;
        char16_t wide[3][COMMAND_WIDE_ROOM] = {};
        u32 result = ACCOUNT_QUEUED;
        for (u32 i = 0; i < 3 && i < instruction.nArgumentCount; ++i)
        {
            const char* text = ArgumentText(instruction, i);
            if (std::strlen(text) >= COMMAND_WIDE_ROOM)
                result = ACCOUNT_TOO_LONG;
            else
                Utf8ToUtf16(wide[i], COMMAND_WIDE_ROOM, text);
        }
        if (result == ACCOUNT_QUEUED)
            result = Protocol().RequestLogin(wide[0], wide[1], wide[2], false);
        WipeSecret(wide, sizeof wide);
        ReportRefused(result);
    }
};

class TCommandaccount_logout : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare == COMMAND_RUN && Protocol().RequestLogout(ACCOUNT_LOGOUT_PLAIN, nullptr, 0) == ACCOUNT_QUEUE_FULL)
            ReportRefused(ACCOUNT_QUEUE_FULL);
    }
};

// Connects, sends and receives of the account client wait this many milliseconds.
class Taccount_connection_timeoutVariable : public TVariable
{
public:
    Taccount_connection_timeoutVariable()
        : TVariable("account_connection_timeout", "account connection timeout in miliseconds", 0)
    {
        m_Value.SetInt(TIMEOUT_DEFAULT);
    }
    void OnChange() override
    {
        i32 value = TIMEOUT_LEAST;
        if (m_Value.nType == VALUE_INT)
            value = m_Value.nInt;
        else if (m_Value.nType == VALUE_FLOAT)
            value = m_Value.fFloat >= static_cast<f32>(TIMEOUT_MOST) ? TIMEOUT_MOST
                                                                     : static_cast<i32>(m_Value.fFloat);
        value = value < TIMEOUT_LEAST ? TIMEOUT_LEAST : value > TIMEOUT_MOST ? TIMEOUT_MOST : value;
        m_Value.SetIntReset(value);
    }
};

namespace
{
TCommandaccount_create s_Commandaccount_create;
TCommandaccount_change_password s_Commandaccount_change_password;
TCommandaccount_forgotten_password s_Commandaccount_forgotten_password;
TCommandaccount_update s_Commandaccount_update;
TCommandaccount_checkusername s_Commandaccount_checkusername;
TCommandaccount_login s_Commandaccount_login;
TCommandaccount_logout s_Commandaccount_logout;
Taccount_connection_timeoutVariable s_account_connection_timeoutVariable;

const u32 s_nRegistered = [] {
    TCommandManager& manager = TCommandManager::Instance();
    manager.RegisterCommand("account_create", "account create", "Brevicorn account create.",
                            &s_Commandaccount_create, COMMAND_PRIVATE);
    manager.RegisterCommand("account_change_password", "account change password",
                            "Brevicorn Account change password.", &s_Commandaccount_change_password,
                            COMMAND_PRIVATE);
    manager.RegisterCommand("account_forgotten_password", "account request forgotten password",
                            "Brevicorn Account request forgotten password.",
                            &s_Commandaccount_forgotten_password, 0);
    manager.RegisterCommand("account_update", "account update", "Brevicorn account update user data.",
                            &s_Commandaccount_update, 0);
    manager.RegisterCommand("account_checkusername", "account check username",
                            "Brevicorn account check username.", &s_Commandaccount_checkusername, 0);
    manager.RegisterCommand("account_login", "account login", "Brevicorn account login.",
                            &s_Commandaccount_login, COMMAND_PRIVATE);
    manager.RegisterCommand("account_logout", "account logout", "Brevicorn account logout.",
                            &s_Commandaccount_logout, 0);
    return 0u;
}();
} // namespace

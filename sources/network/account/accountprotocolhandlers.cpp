// The account protocol's request handlers: the message each request sends and what its reply
// changes.
#include "core/system/core.h"
#include "core/system/platform.h"
#include "network/account/accountmessage.h"
#include "network/account/accountprotocol.h"
#include "network/account/accountreplies.h"
#include "network/account/accounttext.h"
#include "network/account/storedlogin.h"

#include <cstring>

namespace
{
// Message codes.
constexpr u16 CODE_CREATE = 20;
constexpr u16 CODE_CHECK_USERNAME = 21;
constexpr u16 CODE_POLL = 30;
constexpr u16 CODE_LOGIN = 40;
constexpr u16 CODE_LOGOUT = 41;
constexpr u16 CODE_UPDATE = 51;
constexpr u16 CODE_SPECIAL = 52;
constexpr u16 CODE_CHANGE_PASSWORD = 53;

// The program's identifiers, and the computer's and the user's names, which are not sent.
void AddClient(TAccountMessage& message)
{
    message.AddU32(GetProductName()->GetId());
    message.AddU32(GetApplicationVersionName().GetId());
    message.AddText("");
    message.AddText("");
}

void AddUserData(TAccountMessage& message, const TAccountData& data)
{
    message.AddText(data.Text1.GetText());
    message.AddText(data.Text2.GetText());
    message.AddText(data.Text3.GetText());
    message.AddU32(data.nValue1);
    message.AddU32(data.nValue2);
    message.AddU64(data.nValue3);
}
} // namespace

void TAccountProtocol::BeginMessage(TAccountMessage& message, u16 code, bool session) const
{
    if (!session)
    {
        message.Begin(code, ACCOUNT_NO_SESSION_KEY, ACCOUNT_NO_SESSION_NUMBER);
        return;
    }
    message.Begin(code, GetSessionKey(), static_cast<u16>(GetSessionNumber()));
}

bool TAccountProtocol::Exchange(u32 kind, TAccountMessage& message, winsock::SOCKET& socket,
                                u32 emptyReplyCode)
{
    if (message.Send(&socket, GetTimeout()) != 0 ||
        message.Receive(&socket, GetTimeout()) != ACCOUNT_RECEIVED)
    {
        Fail(kind, ACCOUNT_LOCAL_FAILURE);
        return false;
    }
    u8 status = 0;
    if (!message.ReadU8(status))
    {
        Fail(kind, emptyReplyCode);
        return false;
    }
    if (status != 0)
    {
        Fail(kind, status);
        return false;
    }
    return true;
}

bool TAccountProtocol::StartSessionFrom(TAccountMessage& reply, TAccountData& account)
{
    TSessionReply session;
    if (!ReadSessionReply(reply, session))
        return false;
    account.Text1 = session.Data.Text1;
    account.Text2 = session.Data.Text2;
    account.Text3 = session.Data.Text3;
    account.nValue1 = session.Data.nValue1;
    account.nValue2 = session.Data.nValue2;
    account.nValue3 = session.Data.nValue3;
    account.nValue4 = session.Data.nValue4;
    account.nFlags = session.nState == ACCOUNT_STATE_13 ? account.nFlags | ACCOUNT_FLAG_STATE_13
                                                        : account.nFlags & ~ACCOUNT_FLAG_STATE_13;
    m_Lock.Enter();
    m_nSessionNumber = session.nNumber;
    m_nSessionKey = session.nKey;
    m_Lock.Leave();
    return true;
}

void TAccountProtocol::Handle(TAccountRequest& request, winsock::SOCKET& socket)
{
    const u32 kind = request.nKind;
    TAccountMessage message;
    switch (kind)
    {
    case ACCOUNT_CREATE: {
        BeginMessage(message, CODE_CREATE, false);
        message.AddText(request.Data.Username.GetText());
        u8 digest[ACCOUNT_DIGEST_SIZE];
        HashPasswordUtf8(digest, request.Data.Password.GetText());
        WipeSecret(request.Data.Password.GetData(), request.Data.Password.GetCapacity());
        message.AddBytes(digest, ACCOUNT_DIGEST_SIZE);
        AddUserData(message, request.Data);
        AddClient(message);
        // The new account's digest: the update screen checks an old password against it.
        TAccountData account;
        SetPasswordDigest(account, digest);
        WipeSecret(digest, sizeof digest);
        if (!Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
            break;
        if (!StartSessionFrom(message, account))
        {
            Fail(kind, ACCOUNT_LOCAL_FAILURE);
            break;
        }
        account.Username = request.Data.Username.GetText();
        m_Lock.Enter();
        m_Account = account;
        m_nOfflineFlags = 0;
        m_Lock.Leave();
        StartSession(account);
        Succeed(kind);
        break;
    }
    case ACCOUNT_CHECK_USERNAME:
        BeginMessage(message, CODE_CHECK_USERNAME, false);
        message.AddU32(TName(request.Data.Username.GetText()).GetId());
        if (Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
            Succeed(kind);
        break;
    case ACCOUNT_LOGIN: {
        BeginMessage(message, CODE_LOGIN, false);
        message.AddU32(request.nLoginName);
        message.AddBytes(request.aLoginDigest, ACCOUNT_DIGEST_SIZE);
        message.AddBytes(request.aLoginExtra, sizeof request.aLoginExtra);
        AddClient(message);
        TAccountData account;
        const bool answered = Exchange(kind, message, socket, ACCOUNT_EMPTY_LOGIN_REPLY);
        if (answered && !StartSessionFrom(message, account))
            Fail(kind, ACCOUNT_LOCAL_FAILURE);
        else if (answered)
        {
            TName name;
            name.SetId(request.nLoginName);
            account.Username = name.GetText();
            SetPasswordDigest(account, request.aLoginDigest);
            SetAccount(account);
            StartSession(account);
            RequestPoll();
            Succeed(kind);
        }
        break;
    }
    case ACCOUNT_LOGOUT:
        BeginMessage(message, CODE_LOGOUT, true);
        message.AddU8(static_cast<u8>(request.nMessageKind));
        message.AddU16(static_cast<u16>(request.MessagePayload.GetCount()));
        message.AddBytes(request.MessagePayload.GetData(), request.MessagePayload.GetCount());
        // The session ends whatever the server answers.
        LoseSession();
        request.MessagePayload.SetCount(0);
        if (Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
            Succeed(kind);
        break;
    case ACCOUNT_UPDATE:
        BeginMessage(message, CODE_UPDATE, true);
        AddUserData(message, request.Data);
        if (Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
        {
            m_Lock.Enter();
            m_Account.Text1 = request.Data.Text1;
            m_Account.Text2 = request.Data.Text2;
            m_Account.Text3 = request.Data.Text3;
            m_Account.nValue1 = request.Data.nValue1;
            m_Account.nValue2 = request.Data.nValue2;
            m_Account.nValue3 = request.Data.nValue3;
            m_Lock.Leave();
            Succeed(kind);
        }
        break;
    case ACCOUNT_CHANGE_PASSWORD:
        BeginMessage(message, CODE_CHANGE_PASSWORD, true);
        message.AddBytes(request.Data.aPasswordDigest, ACCOUNT_DIGEST_SIZE);
        message.AddBytes(request.aNewPasswordDigest, ACCOUNT_DIGEST_SIZE);
        if (Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
        {
            m_Lock.Enter();
            SetPasswordDigest(m_Account, request.aNewPasswordDigest);
            m_Lock.Leave();
            Succeed(kind);
        }
        break;
    case ACCOUNT_SPECIAL:
        BeginMessage(message, CODE_SPECIAL, true);
        message.AddU8(static_cast<u8>(request.nSpecialKind));
        message.AddU32(TName(GetAccount().Username.GetText()).GetId());
        message.AddText(request.Data.Username.GetText());
        if (Exchange(kind, message, socket, ACCOUNT_LOCAL_FAILURE))
            Succeed(kind);
        break;
    case ACCOUNT_POLL:
        BeginMessage(message, CODE_POLL, true);
        if (message.Send(&socket, GetTimeout()) != 0 ||
            message.Receive(&socket, GetTimeout()) != ACCOUNT_RECEIVED)
            Fail(kind, ACCOUNT_LOCAL_FAILURE);
        else
            HandlePoll(message);
        break;
    default:
        break;
    }
    WipeSecret(&message, sizeof message);
}

void TAccountProtocol::HandlePoll(TAccountMessage& reply)
{
    TPollReply poll;
    if (!ReadPollReply(reply, poll))
    {
        Fail(ACCOUNT_POLL, ACCOUNT_LOCAL_FAILURE);
        return;
    }
    if (poll.nLength)
    {
        TAccountEvent event;
        event.kind = TAccountEventKind::Message;
        event.nCode = poll.nType;
        event.nLength = poll.nLength;
        std::memcpy(event.aText, poll.aText, poll.nLength + 1);
        Post(event);
    }
    if (poll.nStatus == 0)
        return;
    if (poll.nStatus == ACCOUNT_SESSION_ENDED)
        LoseSession();
    Fail(ACCOUNT_POLL, poll.nStatus);
}

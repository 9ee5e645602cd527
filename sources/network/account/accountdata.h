#pragma once
// The account record and the request queue's slot.
#include "core/system/templates/sarray.h"
#include "core/system/types.h"

constexpr u32 ACCOUNT_DIGEST_SIZE = 32;
// User names and passwords: at most 31 bytes of UTF-8; user texts: at most 31 characters.
constexpr u32 ACCOUNT_TEXT_LENGTH = 31;
// The longest password a digest is made of, in characters with the terminator.
constexpr u32 ACCOUNT_PASSWORD_ROOM = 64;
// Bit of TAccountData::nFlags: the create or login reply's account state was 13.
constexpr u32 ACCOUNT_FLAG_STATE_13 = 0x2000;
// The most payload a logout message carries.
constexpr u32 ACCOUNT_PAYLOAD_SIZE = 3968;

// Request kinds.
constexpr u32 ACCOUNT_CREATE = 1;
constexpr u32 ACCOUNT_CHECK_USERNAME = 2;
constexpr u32 ACCOUNT_LOGIN = 3;
constexpr u32 ACCOUNT_LOGOUT = 4;
constexpr u32 ACCOUNT_UPDATE = 5;
constexpr u32 ACCOUNT_CHANGE_PASSWORD = 6;
constexpr u32 ACCOUNT_SPECIAL = 7;
constexpr u32 ACCOUNT_POLL = 10;

// Codes reported to OnRequestFailed besides the server's status bytes.
constexpr u32 ACCOUNT_NO_STORED_DIGEST = 7; // a login with the stored password, none stored
constexpr u32 ACCOUNT_SESSION_ENDED = 11;   // a poll: the server ended the session
constexpr u32 ACCOUNT_LOCAL_FAILURE = 13;   // no connection, send, receive or a short reply
constexpr u32 ACCOUNT_EMPTY_LOGIN_REPLY = 255;

// Results of the request operations.
constexpr u32 ACCOUNT_QUEUED = 0;
constexpr u32 ACCOUNT_QUEUE_FULL = 1;
constexpr u32 ACCOUNT_NOT_LOGGED_IN = 2; // RequestLogout; RequestPoll: a poll is queued already
constexpr u32 ACCOUNT_TOO_LONG = 3;      // a name, password or text that does not fit
constexpr u32 ACCOUNT_NO_PASSWORD = 4;   // RequestLogin: an empty password and no stored digest meant

struct TAccountData
{
    u32 nFlags = 0;
    u32 nWord = 0;
    SArray<char, 32, 0> Username;
    SArray<char, 32, 0> Password;
    u8 aPasswordDigest[ACCOUNT_DIGEST_SIZE] = {};
    SArray<char16_t, 32, 0> Text1;
    SArray<char16_t, 32, 0> Text2;
    SArray<char16_t, 32, 0> Text3;
    u32 nValue1 = 0;
    u32 nValue2 = 0;
    u64 nValue3 = 0;
    u64 nValue4 = 0; // received with the user data, never sent
};

struct TAccountRequest
{
    u32 nKind = 0;
    TAccountData Data;
    u8 aNewPasswordDigest[ACCOUNT_DIGEST_SIZE] = {};
    // Login: the user name's identifier, the digest made when the request was queued (the
    // password itself is never kept), whether the stored digest is to be sent, and the first
    // six bytes of the extra text.
    u32 nLoginName = 0;
    u8 aLoginDigest[ACCOUNT_DIGEST_SIZE] = {};
    u32 nUseStoredDigest = 0;
    u8 aLoginExtra[6] = {};
    u32 nMessageKind = 0;
    SArray<u8, ACCOUNT_PAYLOAD_SIZE, 0> MessagePayload;
    u32 nSpecialKind = 0;
};

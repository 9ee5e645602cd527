#pragma once
// The readers of the account server's replies after the status byte: the session reply of a
// create or a login, and the poll reply. Each field is checked against the reply's length.
#include "network/account/accountdata.h"

class TAccountMessage;

constexpr u8 ACCOUNT_STATE_13 = 13;
constexpr u32 ACCOUNT_MESSAGE_TEXT_MOST = 1023;

struct TSessionReply
{
    u32 nNumber = 0;
    u32 nKey = 0;
    u8 nState = 0;
    // The texts and values of the user data (the rest of the record untouched).
    TAccountData Data;
};

// u32 session number, u32 session key, u8 account state, three texts, u32, u32, u64, u64.
bool ReadSessionReply(TAccountMessage& reply, TSessionReply& session);

struct TPollReply
{
    u8 nStatus = 0;
    u8 nType = 0;
    // A message (type not 0, 1 to 1,023 bytes), zero-terminated; length 0 when none.
    u32 nLength = 0;
    char aText[ACCOUNT_MESSAGE_TEXT_MOST + 1] = {};
};

// u8 status, u8 type, and with a type a u32 length and, when it is 1 to 1,023, the text.
bool ReadPollReply(TAccountMessage& reply, TPollReply& poll);

// Feeds arbitrary reply bodies to the account client's readers: the first byte picks the
// session reply (0), the poll reply (1) or a server address blob (2); the rest is the body as
// it stands after deciphering (the blob as stored). Each reader must stay inside the body, and
// what it yields must fit where it goes: texts of at most 31 characters, messages of 1 to
// 1,023 bytes and zero-terminated, hosts under 128 bytes.
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/unistring.h"
#include "network/account/accountcipher.h"
#include "network/account/accountmessage.h"
#include "network/account/accountreplies.h"

#include <cstring>

namespace
{
bool Fits(const SArray<char16_t, 32, 0>& text)
{
    return text.GetLength() <= ACCOUNT_TEXT_LENGTH && UniLength(text.GetText()) <= 31;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // A copy of the exact size, so that any read past the body is caught.
    const u32 length = static_cast<u32>(size - 1 < ACCOUNT_BODY_SIZE ? size - 1 : ACCOUNT_BODY_SIZE);
    u8* body = static_cast<u8*>(MemoryAllocate(length + 1));
    std::memcpy(body, data + 1, length);
    switch (data[0] % 3)
    {
    case 0: {
        static TAccountMessage s_Reply;
        s_Reply.SetReply(body, length);
        TSessionReply session;
        if (ReadSessionReply(s_Reply, session) &&
            (!Fits(session.Data.Text1) || !Fits(session.Data.Text2) || !Fits(session.Data.Text3)))
            __builtin_trap();
        if (s_Reply.GetPosition() > s_Reply.GetLength())
            __builtin_trap();
        break;
    }
    case 1: {
        static TAccountMessage s_Reply;
        s_Reply.SetReply(body, length);
        static TPollReply s_Poll;
        if (ReadPollReply(s_Reply, s_Poll) &&
            (s_Poll.nLength > ACCOUNT_MESSAGE_TEXT_MOST || s_Poll.aText[s_Poll.nLength] != 0 ||
             (s_Poll.nLength && s_Poll.nType == 0)))
            __builtin_trap();
        break;
    }
    default: {
        char host[ACCOUNT_HOST_SIZE];
        if (ReadAddressBlob(host, body, length) && std::strlen(host) >= ACCOUNT_HOST_SIZE)
            __builtin_trap();
        break;
    }
    }
    MemoryFree(body);
    return 0;
}

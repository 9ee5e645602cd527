#include "network/account/accountreplies.h"

#include "network/account/accountmessage.h"

bool ReadSessionReply(TAccountMessage& reply, TSessionReply& session)
{
    TAccountData& data = session.Data;
    return reply.ReadU32(session.nNumber) && reply.ReadU32(session.nKey) && reply.ReadU8(session.nState) &&
           reply.ReadText(data.Text1) && reply.ReadText(data.Text2) && reply.ReadText(data.Text3) &&
           reply.ReadU32(data.nValue1) && reply.ReadU32(data.nValue2) && reply.ReadU64(data.nValue3) &&
           reply.ReadU64(data.nValue4);
}

bool ReadPollReply(TAccountMessage& reply, TPollReply& poll)
{
    poll.nLength = 0;
    poll.aText[0] = 0;
    if (!reply.ReadU8(poll.nStatus) || !reply.ReadU8(poll.nType))
        return false;
    if (poll.nType == 0)
        return true;
    u32 length = 0;
    if (!reply.ReadU32(length))
        return false;
    if (length < 1 || length > ACCOUNT_MESSAGE_TEXT_MOST)
        return true;
    if (!reply.ReadBytes(poll.aText, length))
        return false;
    poll.aText[length] = 0;
    poll.nLength = length;
    return true;
}

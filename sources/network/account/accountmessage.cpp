#include "network/account/accountmessage.h"

#include "network/account/accountcipher.h"
#include "network/account/accounttext.h"
#include "network/socket/socket.h"

#include <cstring>

namespace
{
const u8 kMagic[4] = {'V', 'E', 'M', 'O'};

u32 RoundUp(u32 length)
{
    return (length + ACCOUNT_BLOCK_SIZE - 1) / ACCOUNT_BLOCK_SIZE * ACCOUNT_BLOCK_SIZE;
}
} // namespace

void TAccountMessage::Begin(u16 code, u32 sessionKey, u16 sessionNumber)
{
    std::memcpy(m_aHeader, kMagic, 4);
    const u16 version = ACCOUNT_PROTOCOL_VERSION;
    const u16 length = 0;
    std::memcpy(m_aHeader + 4, &version, 2);
    std::memcpy(m_aHeader + 6, &length, 2);
    std::memcpy(m_aHeader + 8, &sessionKey, 4);
    std::memcpy(m_aHeader + 12, &sessionNumber, 2);
    std::memcpy(m_aHeader + 14, &code, 2);
    m_nLength = 0;
    m_nPosition = 0;
}

void TAccountMessage::AddBytes(const void* data, u32 size)
{
    if (m_nLength + size >= ACCOUNT_BODY_SIZE)
        return;
    std::memcpy(m_aBody + m_nLength, data, size);
    m_nLength += size;
}

void TAccountMessage::AddU8(u8 value)
{
    AddBytes(&value, 1);
}

void TAccountMessage::AddU16(u16 value)
{
    AddBytes(&value, 2);
}

void TAccountMessage::AddU32(u32 value)
{
    AddBytes(&value, 4);
}

void TAccountMessage::AddU64(u64 value)
{
    AddBytes(&value, 8);
}

void TAccountMessage::AddText(const char* text)
{
    const u32 length = Utf8CutLength(text, static_cast<u32>(std::strlen(text)), ACCOUNT_FIELD_TEXT);
    if (m_nLength + 1 + length >= ACCOUNT_BODY_SIZE)
        return;
    AddU8(static_cast<u8>(length));
    AddBytes(text, length);
}

void TAccountMessage::AddText(const char16_t* text)
{
    // A text of more than 255 bytes is cut anyway: 1,023 bytes hold every character that
    // can reach the cut.
    char utf8[1024];
    u32 units = 0;
    while (text[units] && units < 255)
        ++units;
    char16_t head[256];
    std::memcpy(head, text, units * sizeof(char16_t));
    head[units] = 0;
    AccountUtf8(utf8, sizeof utf8, head);
    AddText(utf8);
}

u32 TAccountMessage::Send(winsock::SOCKET* socket, u32 milliseconds)
{
    const u32 rounded = RoundUp(m_nLength);
    const u16 length = static_cast<u16>(rounded);
    std::memcpy(m_aHeader + 6, &length, 2);
    u8 wire[ACCOUNT_HEADER_SIZE + ACCOUNT_BODY_SIZE] = {};
    std::memcpy(wire, m_aHeader, ACCOUNT_HEADER_SIZE);
    std::memcpy(wire + ACCOUNT_HEADER_SIZE, m_aBody, m_nLength);
    AccountEncipher(TAccountKey::Request, wire + ACCOUNT_HEADER_SIZE, rounded);
    const u32 result = TSocket::Send(socket, wire, ACCOUNT_HEADER_SIZE + rounded, milliseconds);
    WipeSecret(wire, sizeof wire);
    return result;
}

u32 TAccountMessage::Receive(winsock::SOCKET* socket, u32 milliseconds)
{
    u32 length = 0;
    if (TSocket::Receive(socket, milliseconds, &length, 4) != 0)
        return ACCOUNT_RECEIVE_FAILED;
    if (length > ACCOUNT_BODY_SIZE)
        return ACCOUNT_REPLY_TOO_LONG;
    // A length that is no whole number of blocks would leave bytes of an earlier message
    // in the last block deciphered.
    if (length % ACCOUNT_BLOCK_SIZE != 0)
        return ACCOUNT_REPLY_NOT_BLOCKS;
    if (TSocket::Receive(socket, milliseconds, m_aBody, length) != 0)
        return ACCOUNT_RECEIVE_FAILED;
    AccountDecipher(TAccountKey::Reply, m_aBody, length);
    m_nLength = length;
    m_nPosition = 0;
    return ACCOUNT_RECEIVED;
}

void TAccountMessage::SetReply(const u8* body, u32 length)
{
    m_nLength = length < ACCOUNT_BODY_SIZE ? length : ACCOUNT_BODY_SIZE;
    std::memcpy(m_aBody, body, m_nLength);
    m_nPosition = 0;
}

bool TAccountMessage::ReadBytes(void* data, u32 size)
{
    if (size > m_nLength - m_nPosition)
        return false;
    std::memcpy(data, m_aBody + m_nPosition, size);
    m_nPosition += size;
    return true;
}

bool TAccountMessage::ReadU8(u8& value)
{
    return ReadBytes(&value, 1);
}

bool TAccountMessage::ReadU32(u32& value)
{
    return ReadBytes(&value, 4);
}

bool TAccountMessage::ReadU64(u64& value)
{
    return ReadBytes(&value, 8);
}

bool TAccountMessage::ReadText(SArray<char16_t, 32, 0>& text)
{
    u8 length = 0;
    char bytes[ACCOUNT_FIELD_TEXT];
    if (!ReadU8(length) || !ReadBytes(bytes, length))
        return false;
    SetAccountText(text, bytes, length);
    return true;
}

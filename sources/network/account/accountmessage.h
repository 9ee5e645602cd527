#pragma once
// TAccountMessage: one request or reply of the account protocol. A request is a 16-byte clear
// header ("VEMO", version 1003, the body's length rounded up to 16, the session key and
// number, the message code) and a body enciphered per 16-byte block; a reply is a u32 length
// (at most 4,096, whole blocks) and that many enciphered bytes, read from position 0 with the
// status first. Numbers are little-endian; texts are one length byte and that many UTF-8 bytes.
#include "core/system/templates/sarray.h"
#include "core/system/types.h"
#include "platform/winsock/winsock.h"

constexpr u32 ACCOUNT_HEADER_SIZE = 16;
constexpr u32 ACCOUNT_BODY_SIZE = 4096;
constexpr u16 ACCOUNT_PROTOCOL_VERSION = 1003;
// Session values of the messages sent before a session exists.
constexpr u32 ACCOUNT_NO_SESSION_KEY = 0xFFFFFFFF;
constexpr u16 ACCOUNT_NO_SESSION_NUMBER = 0xFFFF;
// The longest text a field carries.
constexpr u32 ACCOUNT_FIELD_TEXT = 255;

// Receive results.
constexpr u32 ACCOUNT_RECEIVED = 0;
constexpr u32 ACCOUNT_RECEIVE_FAILED = 1;
constexpr u32 ACCOUNT_REPLY_TOO_LONG = 2;
constexpr u32 ACCOUNT_REPLY_NOT_BLOCKS = 3;

class TAccountMessage
{
public:
    TAccountMessage() : m_aHeader(), m_nLength(0), m_nPosition(0) {}

    // Starts a request: the header and an empty body.
    void Begin(u16 code, u32 sessionKey, u16 sessionNumber);
    // Fields are appended while the body stays below 4,096 bytes; one that does not fit is
    // left out.
    void AddU8(u8 value);
    void AddU16(u16 value);
    void AddU32(u32 value);
    void AddU64(u64 value);
    void AddBytes(const void* data, u32 size);
    // Cut at 255 bytes where a character ends.
    void AddText(const char* text);
    void AddText(const char16_t* text);

    // The length word set, the body enciphered, header and body sent: TSocket's send result.
    u32 Send(winsock::SOCKET* socket, u32 milliseconds);
    // 0; 1 the length or the body did not arrive; 2 a length over 4,096; 3 not whole blocks.
    u32 Receive(winsock::SOCKET* socket, u32 milliseconds);
    // A reply body already deciphered.
    void SetReply(const u8* body, u32 length);

    // Each read checks that the field lies inside the reply.
    bool ReadU8(u8& value);
    bool ReadU32(u32& value);
    bool ReadU64(u64& value);
    bool ReadBytes(void* data, u32 size);
    // A text into one of the account's 31-character texts, cut where a character ends.
    bool ReadText(SArray<char16_t, 32, 0>& text);

    const u8* GetHeader() const { return m_aHeader; }
    const u8* GetBody() const { return m_aBody; }
    u32 GetLength() const { return m_nLength; }
    u32 GetPosition() const { return m_nPosition; }

private:
    u8 m_aHeader[ACCOUNT_HEADER_SIZE];
    u8 m_aBody[ACCOUNT_BODY_SIZE];
    u32 m_nLength;
    u32 m_nPosition;
};

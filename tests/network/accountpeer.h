#pragma once
// The account server's side of the wire for the tests, from the protocol's tables: requests
// read and deciphered, replies enciphered and framed, session replies built.
#include "loopbackpeer.h"

#include <cstdint>
#include <string>

struct TSeenRequest
{
    std::string header; // 16 bytes in clear
    std::string body;   // deciphered, with its padding
    uint16_t code = 0;
};

// Little-endian fields.
std::string U8(uint8_t value);
std::string U16(uint16_t value);
std::string U32(uint32_t value);
std::string U64(uint64_t value);
// A text field: one length byte and the bytes.
std::string Text(const std::string& text);

// Reads one request (header, then the body the header announces) and deciphers it.
TSeenRequest ReadRequest(TPeerConnection& connection);
// The reply on the wire: the u32 length of the padded body, then the body enciphered.
std::string Reply(const std::string& body);
// A reply whose length word and blocks are written as given (hostile replies).
std::string RawReply(uint32_t length, const std::string& blocks);
// The body padded with zeros to whole 16-byte blocks.
std::string Padded(const std::string& body);
// Status 0 and the session reply of create and login.
std::string SessionReply(uint32_t number, uint32_t key, uint8_t state, const std::string& text1 = "",
                         const std::string& text2 = "", const std::string& text3 = "", uint32_t value1 = 0,
                         uint32_t value2 = 0, uint64_t value3 = 0, uint64_t value4 = 0);
// SHA-256 of the bytes.
std::string Sha256(const std::string& bytes);
// The name identifier of a text (the engine's CRC-32).
uint32_t NameId(const std::string& text);

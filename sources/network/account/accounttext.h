#pragma once
// The texts of the account client: user names (trimmed, ASCII letters lower-cased), passwords
// and their digests, and UTF-8 cut where a character ends.
#include "network/account/accountdata.h"

// The UTF-8 form of a wide text into room bytes with the terminator; false (out empty) when it
// does not fit whole.
bool AccountUtf8(char* out, u32 room, const char16_t* text);
// Leading and trailing blanks removed, A-Z made a-z, in place.
void NormalizeUsername(char* text);
// The number of bytes of a UTF-8 text, at most limit, that end on a character boundary.
u32 Utf8CutLength(const char* text, u32 length, u32 limit);
// A received UTF-8 text of length bytes into a wide text that holds 31 characters: cut where a
// character ends so that the wide form fits.
void SetAccountText(SArray<char16_t, 32, 0>& out, const char* text, u32 length);

// SHA-256 over the UTF-8 password without terminator; false (digest untouched) for a password
// of more than 63 characters.
bool HashPassword(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char16_t* password);
void HashPasswordUtf8(u8 (&digest)[ACCOUNT_DIGEST_SIZE], const char* password);
// 6 to 64 bytes, none below 33 (bytes of 128 and above count as such) or 127, with a digit and
// an ASCII letter.
bool IsValidPassword(const char* password);
bool IsValidPassword(const char16_t* password);
// Zeroes bytes the compiler may not leave out (digests and passwords that are done with).
void WipeSecret(void* data, u32 size);

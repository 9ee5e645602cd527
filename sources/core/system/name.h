#pragma once
// TName: a 32-bit hash of a text. Names are compared, sorted and stored by that number only;
// the texts are kept once, for printing and saving, in the name table (TNameManager).
#include "core/system/types.h"

// The name hash: the reflected CRC-32 table of 0xEDB88320, no inversions, and the running
// value shifted right arithmetically (sign bit copied in) before each table step.
u32 CalculateCrc32(const void* data, u32 length, u32 start);

class TName
{
public:
    TName() : m_nId(0) {}
    // registerText: store the text in the name table (when the table exists).
    explicit TName(const char* text, bool registerText = false) { Set(text, registerText); }

    void Set(const char* text, bool registerText = false);
    void SetId(u32 id) { m_nId = id; }
    void Clear() { m_nId = 0; }
    void Assign(const TName& other) { m_nId = other.m_nId; }

    u32 GetId() const { return m_nId; }
    bool IsValid() const { return m_nId != 0; }
    // The stored text; empty when there is no name table or the id is not in it.
    const char* GetText() const;
    // For log lines: the text, or "#" and the id in hexadecimal when the table has none (a name
    // a loaded image brought without its text).
    const char* GetPrintText() const;

    bool operator==(const TName& other) const { return m_nId == other.m_nId; }
    bool operator!=(const TName& other) const { return m_nId != other.m_nId; }
    // The order of the sorted name sets: ids compared as signed 32-bit integers.
    bool operator<(const TName& other) const
    {
        return static_cast<i32>(m_nId) < static_cast<i32>(other.m_nId);
    }

private:
    u32 m_nId;
};

static_assert(sizeof(TName) == 4);

// The shared empty name (id 0).
extern const TName g_NameNone;

// Command and variable names are hashed with their underscores turned into dots
// ("shadow_enable" is "shadow.enable"); the text is cut at 127 characters.
TName MakeCommandName(const char* text, bool registerText);

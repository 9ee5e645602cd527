#include "engine/system/command/variable.h"

#include "engine/system/command/commandmanager.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{

// "0x" followed by digits, any character that is not a hexadecimal digit counting as 0
// (so "0xZ1" is 1); null when the text is not of that form.
bool ReadHex(const char* text, u64& value)
{
    if (std::strlen(text) < 3 || text[0] != '0' || text[1] != 'x')
        return false;
    value = 0;
    for (const char* c = text + 2; *c; ++c)
    {
        u32 digit = 0;
        if (*c >= '0' && *c <= '9')
            digit = *c - '0';
        else if (*c >= 'a' && *c <= 'f')
            digit = *c - 'a' + 10;
        else if (*c >= 'A' && *c <= 'F')
            digit = *c - 'A' + 10;
        value = value * 16 + digit;
    }
    return true;
}

u64 ReadInteger(const char* text)
{
    u64 value;
    if (ReadHex(text, value))
        return value;
    return static_cast<u64>(std::strtoll(text, nullptr, 10));
}

// As the C library's atoi where int and long are 32 bits: decimal text past the limits stays
// at the limit instead of wrapping; "0x" text keeps its low 32 bits.
i32 ReadInt32(const char* text)
{
    u64 value;
    if (ReadHex(text, value))
        return static_cast<i32>(static_cast<u32>(value));
    const long long decimal = std::strtoll(text, nullptr, 10);
    if (decimal > INT32_MAX)
        return INT32_MAX;
    if (decimal < INT32_MIN)
        return INT32_MIN;
    return static_cast<i32>(decimal);
}

} // namespace

TVariable::TVariable(const char* name, const char* description, u32 flags)
    : m_Name(), m_Description(), m_nFlags(flags), m_Value()
{
    m_Value.nType = VALUE_EMPTY;
    TCommandManager::Instance().RegisterVariable(name, description, this);
}

TVariable::~TVariable() = default;

void TVariable::MarkChanged()
{
    m_nFlags |= VARIABLE_CHANGED;
    // An assignment after a one-off value (the command line's) is the player's own.
    TCommandManager::Instance().ForgetOneOff(this);
}

void TVariable::StoreChanged(i32 value)
{
    Store(value);
    MarkChanged();
}

void TVariable::StoreChanged(f32 x, f32 y, f32 z, f32 w)
{
    Store(x, y, z, w);
    MarkChanged();
}

void TVariable::SetInt(i32 value)
{
    StoreChanged(value);
    OnChange();
}

void TVariable::SetFloat(f32 value)
{
    m_Value.SetFloat(value);
    MarkChanged();
    OnChange();
}

u32 TVariable::Assign(const TName* values, u32 count)
{
    if (count == 0)
        return 1;
    const char* first = values[0].GetText();
    switch (m_Value.nType)
    {
    case VALUE_INT:
        m_Value.SetInt(ReadInt32(first));
        break;
    case VALUE_INT64:
        m_Value.SetInt64(static_cast<i64>(ReadInteger(first)));
        break;
    case VALUE_FLOAT:
        m_Value.SetFloat(static_cast<f32>(std::atof(first)));
        break;
    case VALUE_VECTOR: {
        f32 v[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        for (u32 i = 0; i < count && i < 4; ++i)
            v[i] = static_cast<f32>(std::atof(values[i].GetText()));
        m_Value.SetVector(v[0], v[1], v[2], v[3]);
        break;
    }
    case VALUE_NAME:
        m_Value.SetName(values[0]);
        break;
    case VALUE_COLOUR:
        m_Value.SetColour(static_cast<u32>(ReadInteger(first)));
        break;
    default:
        return 1;
    }
    MarkChanged();
    OnChange();
    return 0;
}

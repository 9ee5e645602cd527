#include "engine/system/command/variablevalue.h"

#include "core/system/string.h"

#include <cstring>

void TVariableValue::SetInt(i32 value)
{
    nType = VALUE_INT;
    nInt = value;
}

void TVariableValue::SetFloat(f32 value)
{
    nType = VALUE_FLOAT;
    fFloat = value;
}

void TVariableValue::SetIntReset(i32 value)
{
    nType = VALUE_INT;
    nInt = value;
    nName = 0;
}

void TVariableValue::SetInt64(i64 value)
{
    nType = VALUE_INT64;
    nInt64 = value;
}

void TVariableValue::SetVector(f32 x, f32 y, f32 z, f32 w)
{
    nType = VALUE_VECTOR;
    aVector[0] = x;
    aVector[1] = y;
    aVector[2] = z;
    aVector[3] = w;
}

void TVariableValue::SetName(const TName& name)
{
    nType = VALUE_NAME;
    nName = name.GetId();
}

void TVariableValue::SetColour(u32 argb)
{
    nType = VALUE_COLOUR;
    nColour = argb;
}

namespace
{
const char* NameText(u32 id)
{
    TName name;
    name.SetId(id);
    return name.GetText();
}
} // namespace

const char* TVariableValue::ToString() const
{
    switch (nType)
    {
    case VALUE_INT:
        return StringFormat("%d", nInt);
    case VALUE_INT64:
        return StringFormat("%lld", static_cast<long long>(nInt64));
    case VALUE_FLOAT:
        return StringFormat("%f", fFloat);
    case VALUE_VECTOR:
        return StringFormat("%f,%f,%f,%f", aVector[0], aVector[1], aVector[2], aVector[3]);
    case VALUE_NAME:
        return NameText(nName);
    case VALUE_COLOUR:
        return StringFormat("%X", nColour);
    default:
        return "";
    }
}

i32 TVariableValue::ToInt() const
{
    switch (nType)
    {
    case VALUE_INT:
        return nInt;
    case VALUE_COLOUR:
        return static_cast<i32>(nColour);
    case VALUE_FLOAT:
        return static_cast<i32>(fFloat);
    case VALUE_NAME:
        return static_cast<i32>(nName);
    default:
        return -1;
    }
}

f32 TVariableValue::ToFloat() const
{
    switch (nType)
    {
    case VALUE_INT:
        return static_cast<f32>(nInt);
    case VALUE_INT64:
        return static_cast<f32>(nInt64);
    case VALUE_FLOAT:
        return fFloat;
    default:
        return -1.0f;
    }
}

const char* ShortFloatText(f32 value)
{
    static char s_aBuffer[8][128];
    static u32 s_nNext = 0;
    char* text = s_aBuffer[s_nNext];
    s_nNext = (s_nNext + 1) % 8;
    FormatStringN(text, 128, "%f", value);
    size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == '0')
        text[--length] = 0;
    if (length > 0 && text[length - 1] == '.')
        text[--length] = 0;
    return text;
}

const char* TVariableValue::ToScript() const
{
    switch (nType)
    {
    case VALUE_VECTOR: {
        // Trailing components that "set" fills by itself (z = 0, w = 1) are left out.
        const f32* v = aVector;
        if (v[3] != 1.0f)
            return StringFormat("%s %s %s %s", ShortFloatText(v[0]), ShortFloatText(v[1]),
                                ShortFloatText(v[2]), ShortFloatText(v[3]));
        if (v[2] != 0.0f)
            return StringFormat("%s %s %s", ShortFloatText(v[0]), ShortFloatText(v[1]), ShortFloatText(v[2]));
        if (v[1] == 0.0f)
            return StringFormat("%s", ShortFloatText(v[0]));
        return StringFormat("%s %s ", ShortFloatText(v[0]), ShortFloatText(v[1]));
    }
    case VALUE_NAME:
        return StringFormat("\"%s\"", NameText(nName));
    case VALUE_COLOUR:
        // Quoted, as the settings files of earlier runs hold it.
        return StringFormat("\"0x%08X\"", nColour);
    default:
        // Numbers read back from the same text as they print.
        return ToString();
    }
}

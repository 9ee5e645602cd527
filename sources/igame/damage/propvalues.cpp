#include "igame/damage/propvalues.h"

TPropValues& TPropValues::Get()
{
    static TPropValues s_Values;
    return s_Values;
}

const f32* TPropValues::Find(const TProp* prop, u32 nameId) const
{
    const auto table = m_Values.find(prop);
    if (table == m_Values.end())
        return nullptr;
    for (const TValue& value : table->second)
        if (value.nName == nameId)
            return &value.fValue;
    return nullptr;
}

void TPropValues::Set(const TProp* prop, u32 nameId, f32 value)
{
    std::vector<TValue>& table = m_Values[prop];
    for (TValue& entry : table)
        if (entry.nName == nameId)
        {
            entry.fValue = value;
            return;
        }
    table.push_back({nameId, value});
}

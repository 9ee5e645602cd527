#pragma once
// TPropValues: named float values of props ("health"), a small table per prop made when a value
// is first set. Props carry no such table in their stored image; the table lives until the
// cluster is cleared. Main thread only.
#include "core/system/types.h"

#include <unordered_map>
#include <vector>

class TProp;

class TPropValues
{
public:
    static TPropValues& Get();

    // The value, or null when the prop has none of that name.
    const f32* Find(const TProp* prop, u32 nameId) const;
    // Sets the value, making it when missing.
    void Set(const TProp* prop, u32 nameId, f32 value);
    void Clear() { m_Values.clear(); }

private:
    struct TValue
    {
        u32 nName;
        f32 fValue;
    };
    std::unordered_map<const TProp*, std::vector<TValue>> m_Values;
};

#include "ux/controls/ux.itemcollection.h"

#include <cstring>

namespace UX
{
void TItemCollection::ForgetLoadedWords()
{
    for (u32 i = 0; i < ITEM_CAPACITY; ++i)
        aText.GetData()[i].ForgetLiteral();
    // Counts beyond the capacity read as empty lists; the keys of the texts stay.
    const u32 texts = aText.GetCount() <= ITEM_CAPACITY ? aText.GetCount() : 0;
    std::memcpy(static_cast<void*>(&aText), &texts, sizeof texts);
    if (aValue.GetCount() > ITEM_CAPACITY)
        aValue.SetCount(0);
}

const TLocalization& TItemCollection::GetText(u32 index) const
{
    static const TLocalization s_Empty;
    return index < aText.GetCount() ? aText[index] : s_Empty;
}

bool TItemCollection::Add(u32 value, const TLocalization& text)
{
    const u32 count = GetCount();
    if (count == ITEM_CAPACITY)
        return false;
    aValue.Add(value);
    // The texts keep step with the values.
    aText.SetCount(count + 1);
    aText[count] = text;
    return true;
}

void TItemCollection::Clear()
{
    aValue.SetCount(0);
    aText.SetCount(0);
}

void TItemCollection::ReleaseLoaded()
{
    aText.SetCount(0);
}
} // namespace UX

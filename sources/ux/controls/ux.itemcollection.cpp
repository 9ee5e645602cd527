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

void TItemCollection::ReleaseLoaded()
{
    aText.SetCount(0);
}
} // namespace UX

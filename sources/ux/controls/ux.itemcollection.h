#pragma once
// TItemCollection: the items of a combo box or selector: up to 256 values, which the screens
// that fill the lists interpret, and their texts.
#include "ux/ux.localization.h"

namespace UX
{
constexpr u32 ITEM_CAPACITY = 256;

struct TItemCollection
{
    // The number of items: the values' count.
    u32 GetCount() const { return aValue.GetCount(); }
    // The item's text; an empty text for an item without one.
    const TLocalization& GetText(u32 index) const;
    // false when the list is full.
    bool Add(u32 value, const TLocalization& text);
    void Clear();
    // A loaded image's text literals meant storage of another run.
    void ForgetLoadedWords();
    void ReleaseLoaded();

    SArray<u32, ITEM_CAPACITY, 0> aValue;
    TLocalizationArray aText;
};

static_assert(sizeof(TItemCollection) == 3080);
} // namespace UX

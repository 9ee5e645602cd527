#pragma once
// TItemCollection: the items of a combo box or selector: up to 256 values, which the screens
// that fill the lists interpret, and their texts.
#include "ux/ux.localization.h"

namespace UX
{
constexpr u32 ITEM_CAPACITY = 256;

struct TItemCollection
{
    // A loaded image's text literals meant storage of another run.
    void ForgetLoadedWords();
    void ReleaseLoaded();

    SArray<u32, ITEM_CAPACITY, 0> aValue;
    TLocalizationArray aText;
};

static_assert(sizeof(TItemCollection) == 3080);
} // namespace UX

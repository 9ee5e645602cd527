#include "ux/controls/ux.itemcollectiondataset.h"

#include "ux/controls/ux.itemcollection.h"

namespace UX
{
const TName& TItemCollectionDataSet::ItemName()
{
    static const TName s_Name("itemname", true);
    return s_Name;
}

TItemCollectionDataSet::TItemCollectionDataSet(const TItemCollection* items) : pItems(items)
{
    aColumn.Add({ItemName(), COLUMN_TEXT, 0});
}

u32 TItemCollectionDataSet::GetCount() const
{
    return pItems ? pItems->aValue.GetCount() : 0;
}

void TItemCollectionDataSet::GetValue(u32 row, u32, void* out, u32 type) const
{
    if (type != COLUMN_TEXT || !out)
        return;
    TLocalization& text = *static_cast<TLocalization*>(out);
    if (pItems && row < pItems->aText.GetCount())
        text = pItems->aText[row];
    else
        text.SetText(nullptr);
}
} // namespace UX

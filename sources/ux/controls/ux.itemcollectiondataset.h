#pragma once
// UX::TItemCollectionDataSet: the texts of an item collection as one text column, "itemname":
// the drop-down list of a combo box.
#include "ux/controls/ux.dataset.h"

namespace UX
{
struct TItemCollection;

class TItemCollectionDataSet : public TDataSet
{
public:
    explicit TItemCollectionDataSet(const TItemCollection* items = nullptr);

    // The collection's first count: its values.
    u32 GetCount() const override;
    void SetRowCount(u16) override {}
    // Only texts: the item's text (empty past the texts); other types write nothing.
    void GetValue(u32 row, u32 column, void* out, u32 type) const override;

    static const TName& ItemName();

    const TItemCollection* pItems;
};
} // namespace UX

#pragma once
// UX::TComboBox (stored type 232, 4,872 bytes): shows the chosen item of a list of texts in a
// label with a drop button that opens a drop-down form holding a grid view.
#include "ux/controls/ux.itemcollection.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 COMBO_BOX_TYPE_ID = 232;

class TComboBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TComboBox>& Manager();
    static const TName& Class();

    TComboBox();

    void ForgetLoadedWords();
    void ReleaseLoaded();

    i16 MaxDropRows;
    u8 SelectedIndex;
    TItemCollection Items;
    TControl* pDrop;
    TControl* pLabel;
    TControl* pDropForm;
    TControl* pListBox;
    TControl* pListBoxItem0;
    // The list's data set, the drop-down's offsets, the label layout switch and OnChange.
    u8 aReserved4424[448];
};

static_assert(sizeof(TComboBox) == 4872);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TComboBox, Items) == 1324);
static_assert(offsetof(TComboBox, pDrop) == 4404);
static_assert(offsetof(TComboBox, pListBoxItem0) == 4420);
#pragma GCC diagnostic pop
} // namespace UX

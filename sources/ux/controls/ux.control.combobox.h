#pragma once
// UX::TComboBox (stored type 232, 4,872 bytes): shows the chosen item of a list of texts in a
// label with a drop button; the button (or the label) opens a drop-down form holding a grid view
// of every item, below the box or, without room there, above it.
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.itemcollection.h"
#include "ux/controls/ux.itemcollectiondataset.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 COMBO_BOX_TYPE_ID = 232;
constexpr i16 COMBO_MAX_DROP_ROWS = 24;
// The room the record keeps for its list's data set.
constexpr u32 COMBO_DATA_SET_ROOM = 404;

class TComboBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TComboBox>& Manager();
    static const TName& Class();

    TComboBox();

    // The list's data set made over the items, the label's text, the toggle, pick and close
    // handlers bound, the drop-down form and its children loaded.
    void OnLoad() override;
    // The label laid out left of the drop button (AutoLabelLayout) and shown.
    void OnShow() override;
    // The drop-down and its list refreshed, the label showing the chosen item.
    void OnRefresh() override;
    // The prototype's items; the drop button and the label are the first two children.
    void CopyFrom(const TControl& source) override;

    // Clamped into the list; a change shows the item's text and raises OnChange. An empty list
    // changes nothing.
    void SetSelectedIndex(i32 index);
    // Opens the drop-down (upward when it would pass the back buffer's bottom, with the rows that
    // fit the room on its side), or closes it.
    void ToggleDrop();
    bool IsDropped() const { return pDropForm && pDropForm->IsVisibleOnScreen(); }
    TItemCollectionDataSet& ListDataSet() { return *reinterpret_cast<TItemCollectionDataSet*>(aListDataSet); }
    TGridView* GetList() const;

    void ForgetLoadedWords();
    // The selection, the drop rows and the parts checked (each with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    i16 MaxDropRows;
    u8 SelectedIndex;
    TItemCollection Items;
    TControl* pDrop;
    TControl* pLabel;
    TControl* pDropForm;
    TControl* pListBox;
    TControl* pListBoxItem0;
    // Run-time: made over Items at every load (the record keeps zeros).
    alignas(4) u8 aListDataSet[COMBO_DATA_SET_ROOM];
    // Added to the drop-down's x, y (subtracted opening upward), width and height.
    TRect DropOffset;
    u32 AutoLabelLayout;
    TEvent OnChange;

private:
    void ShowItemText();
    void OnDropClick(TControl* sender, void*);
    void OnItemPicked(TControl* list, void* args);
    void OnListDeactivate(TControl* list, void*);
};

static_assert(sizeof(TItemCollectionDataSet) <= COMBO_DATA_SET_ROOM);
static_assert(sizeof(TComboBox) == 4872);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TComboBox, Items) == 1324);
static_assert(offsetof(TComboBox, pDrop) == 4404);
static_assert(offsetof(TComboBox, pListBoxItem0) == 4420);
static_assert(offsetof(TComboBox, aListDataSet) == 4424);
static_assert(offsetof(TComboBox, DropOffset) == 4828);
static_assert(offsetof(TComboBox, AutoLabelLayout) == 4844);
static_assert(offsetof(TComboBox, OnChange) == 4848);
#pragma GCC diagnostic pop
} // namespace UX

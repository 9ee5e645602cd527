#include "ux/controls/ux.control.combobox.h"

#include "engine/render/device.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.manager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <new>

namespace UX
{
namespace
{
TControlManagerTemplate<TComboBox> s_Manager("TComboBox");
} // namespace

const TClusterTypeDecl& TComboBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TComboBox", COMBO_BOX_TYPE_ID, sizeof(TComboBox),
                                   &UxPrototype<TComboBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(4404, UX_ANY_TYPE, 1, "pDrop", "UX::TComboBox"),
                                    UX_LINK(4408, UX_ANY_TYPE, 1, "pLabel", "UX::TComboBox"),
                                    UX_LINK(4412, UX_ANY_TYPE, 1, "pDropForm", "UX::TComboBox"),
                                    UX_LINK(4416, UX_ANY_TYPE, 1, "pListBox", "UX::TComboBox"),
                                    UX_LINK(4420, UX_ANY_TYPE, 1, "pListBoxItem0", "UX::TComboBox")});
    return s_Decl;
}

TControlManagerTemplate<TComboBox>& TComboBox::Manager()
{
    return s_Manager;
}

const TName& TComboBox::Class()
{
    static const TName s_Name("TComboBox", true);
    return s_Name;
}

TComboBox::TComboBox()
{
    ZeroOwnPart(this);
    ClassName = Class();
    nFlags |= CONTROL_FOCUSABLE;
    MaxDropRows = COMBO_MAX_DROP_ROWS;
    AutoLabelLayout = 1;
}

void TComboBox::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Items.ForgetLoadedWords();
    // The data set's words were the other run's; OnLoad makes it again.
    std::fill(std::begin(aListDataSet), std::end(aListDataSet), 0);
    OnChange.Forget();
}

void TComboBox::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    MaxDropRows = static_cast<i16>(LoadedInRange(MaxDropRows, 1, ITEM_CAPACITY, "drop rows"));
    if (Items.GetCount() && SelectedIndex >= Items.GetCount())
        SelectedIndex = static_cast<u8>(LoadedInRange(SelectedIndex, 0, static_cast<i32>(Items.GetCount()) - 1,
                                                      "selected item"));
    CheckLoadedPart(pDrop, "drop button");
    CheckLoadedPart(pLabel, "label");
    CheckLoadedPart(pDropForm, "drop-down form", &TForm::Class());
    CheckLoadedPart(pListBox, "list", &TGridView::Class());
    pListBoxItem0 = g_pUXManager->IsLoadedControl(pListBoxItem0) ? pListBoxItem0 : nullptr;
}

void TComboBox::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Items.ReleaseLoaded();
    OnChange.Clear();
}

TGridView* TComboBox::GetList() const
{
    return pListBox && pListBox->IsClass(TGridView::Class()) ? static_cast<TGridView*>(pListBox) : nullptr;
}

void TComboBox::OnLoad()
{
    new (aListDataSet) TItemCollectionDataSet(&Items);
    TGridView* list = GetList();
    if (list)
        list->pDataSet = &ListDataSet();
    ShowItemText();
    // Equal handlers are not added twice: every load may bind them.
    for (TControl* part : {pDrop, pLabel})
        if (part)
            part->Event(EVENT_CLICK).AddHandler(0, this, &TComboBox::OnDropClick);
    if (list)
    {
        list->OnRowClick.AddHandler(0, this, &TComboBox::OnItemPicked);
        list->Event(EVENT_DEACTIVATE).AddHandler(0, this, &TComboBox::OnListDeactivate);
    }
    // A form is not loaded by the walk of its parent's tree.
    if (pDropForm)
    {
        pDropForm->OnLoad();
        for (TControl* child = pDropForm->lChild.pFirst; child; child = child->pNext)
            child->Load();
    }
}

void TComboBox::OnShow()
{
    if (!pLabel)
        return;
    if (AutoLabelLayout)
    {
        pLabel->SetLeft(0.0f);
        pLabel->SetTop(0.0f);
        pLabel->SetBottom(0.0f);
        pLabel->SetRight(pDrop && Computed.ScaleX > 0.0f ? -(pDrop->Computed.Rect.width / Computed.ScaleX) : 0.0f);
    }
    pLabel->UpdateLayout(1);
    pLabel->Show(0);
    if (pDropForm)
        pDropForm->Refresh();
}

void TComboBox::OnRefresh()
{
    if (pDropForm)
        pDropForm->Refresh();
    if (TGridView* list = GetList())
    {
        list->RebindRows();
        list->Refresh();
    }
    ShowItemText();
}

void TComboBox::CopyFrom(const TControl& source)
{
    const TComboBox& box = static_cast<const TComboBox&>(source);
    Items.aValue = box.Items.aValue;
    Items.aText = box.Items.aText;
    pDrop = lChild.pFirst;
    pLabel = pDrop ? pDrop->pNext : nullptr;
}

void TComboBox::ShowItemText()
{
    if (pLabel && SelectedIndex < Items.GetCount())
        pLabel->SetText(Items.GetText(SelectedIndex));
}

void TComboBox::SetSelectedIndex(i32 index)
{
    const u32 count = Items.GetCount();
    // Nothing to choose from: nothing changes.
    if (!count)
        return;
    index = std::clamp(index, 0, static_cast<i32>(count) - 1);
    if (index == SelectedIndex)
        return;
    SelectedIndex = static_cast<u8>(index);
    ShowItemText();
    OnChange.Invoke(this, nullptr);
}

void TComboBox::ToggleDrop()
{
    if (!pDropForm)
        return;
    if (IsDropped())
    {
        SetFocus();
        pDropForm->Hide(0);
        return;
    }
    TGridView* list = GetList();
    if (list)
        list->SetSelectedIndex(SelectedIndex);
    pDropForm->Base.ScaleX = pDropForm->Computed.ScaleX = Computed.ScaleX;
    pDropForm->Base.ScaleY = pDropForm->Computed.ScaleY = Computed.ScaleY;
    i32 rows = std::min<i32>(MaxDropRows, static_cast<i32>(Items.GetCount()));
    auto heightOf = [&](i32 count) {
        return list ? (static_cast<f32>(count - 1) * list->RowSpacing + static_cast<f32>(count) * list->RowHeight) *
                          Computed.ScaleY
                    : 0.0f;
    };
    const TRect& r = Computed.Rect;
    const f32 backBuffer = g_pDeviceManager ? static_cast<f32>(g_pDeviceManager->GetBackBufferHeight()) : 0.0f;
    const f32 below = backBuffer - (r.y + r.height);
    // A list passing the bottom of the back buffer opens upward. Taller than the room on its
    // side, it keeps the rows that fit (at least one): rows past the screen's edge could not be
    // picked; with more room below than above it stays below.
    const bool passes = heightOf(rows) > below;
    const bool up = passes && r.y >= below;
    while (passes && rows > 1 && heightOf(rows) > std::max(r.y, below))
        --rows;
    const f32 height = heightOf(rows);
    if (up)
        pDropForm->SetRect(r.x + DropOffset.x, r.y - height - DropOffset.y, r.width + DropOffset.width,
                           height + DropOffset.height);
    else
        pDropForm->SetRect(r.x + DropOffset.x, r.y + r.height + DropOffset.y, r.width + DropOffset.width,
                           height + DropOffset.height);
    pDropForm->Show(2);
    if (list)
    {
        list->Refresh();
        list->RebindRows();
    }
    pDropForm->Refresh();
    if (list)
        list->SetFocus();
}

void TComboBox::OnDropClick(TControl*, void*)
{
    ToggleDrop();
}

void TComboBox::OnItemPicked(TControl*, void* args)
{
    if (args)
        SetSelectedIndex(static_cast<TGridView::TRowDataBindArgs*>(args)->nRow);
    SetFocus();
    if (pDropForm)
        pDropForm->Hide(0);
    Event(EVENT_CLICK).Invoke(this, args);
}

void TComboBox::OnListDeactivate(TControl* list, void*)
{
    if (!pDropForm)
        return;
    if (TControl* focus = g_pUXManager->GetFocus())
    {
        const TGridView* grid = GetList();
        const TControl* bar = grid ? grid->pVScroller : nullptr;
        if (focus != list && (focus == this || focus == bar))
            return;
        pDropForm->Hide(0);
    }
    else if (!(nFlags & CONTROL_UNDER_MOUSE))
        pDropForm->Hide(0);
}
} // namespace UX

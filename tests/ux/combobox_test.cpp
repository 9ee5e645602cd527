// Combo boxes and selectors: a combo box near the bottom of the back buffer opening upward with
// its 24 rows, a list taller than the room keeping the rows that fit, picking the chosen item, the drop button closing the list and refocusing the box,
// the empty list; selector arrows hidden or disabled at the ends and "Left"/"Right" there; stored
// ones checked at load.
#include "uxfixture.h"

#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"

#include <algorithm>
#include <string>

namespace
{
UX::TLocalization Item(u32 i)
{
    std::u16string text = u"Item ";
    for (char c : std::to_string(i))
        text += static_cast<char16_t>(c);
    return UX::TLocalization(text.c_str());
}

struct TCounts
{
    void Changed(UX::TControl*, void*) { ++changes; }
    void Clicked(UX::TControl*, void*) { ++clicks; }
    i32 changes = 0;
    i32 clicks = 0;
};

// A form filling layer 1 with a combo box at the place given (layout units of the form) whose
// drop-down is a form of layer 1 holding a list of 24 rows of 40 units, and a selector.
void WriteCombo(TUxDataWriter& data, f32 comboY)
{
    data.AddLayer("layer0");
    UX::TLayer* layer = data.AddLayer("layer1");
    auto* form = data.AddControl<UX::TForm>("combo_form", nullptr);
    form->LayerIndex = 1;
    form->SetLeft(0.0f);
    form->SetTop(0.0f);
    form->SetRight(0.0f);
    form->SetBottom(0.0f);
    data.AddFormToLayer(form, layer);
    auto* combo = data.AddControl<UX::TComboBox>("combo", form);
    combo->SetPosition(100.0f, comboY);
    combo->SetSize(400.0f, 60.0f);
    auto* drop = data.AddControl<UX::TButton>("combo_drop_button", combo);
    drop->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
    drop->SetSize(60.0f, 60.0f);
    drop->nFlags &= ~UX::CONTROL_FOCUSABLE;
    auto* label = data.AddControl<UX::TLabel>("combo_label", combo);
    label->SetSize(340.0f, 60.0f);
    combo->pDrop = drop;
    combo->pLabel = label;

    auto* dropForm = data.AddControl<UX::TForm>("combo_drop", nullptr);
    dropForm->LayerIndex = 1;
    data.AddFormToLayer(dropForm, layer, false);
    auto* list = data.AddControl<UX::TGridView>("combo_list", dropForm);
    list->SetLeft(0.0f);
    list->SetTop(0.0f);
    list->SetRight(0.0f);
    list->SetBottom(0.0f);
    list->RowHeight = 40.0f;
    for (i16 i = 0; i < UX::COMBO_MAX_DROP_ROWS; ++i)
    {
        auto* row = data.AddControl<UX::TLabel>("itemname", list);
        row->SetSize(400.0f, 40.0f);
        list->aDetail.Add(row);
    }
    auto* bar = data.AddControl<UX::TVScroller>("combo_bar", dropForm);
    bar->SetSize(20.0f, 100.0f);
    bar->pUp = data.AddControl<UX::TButton>("combo_bar_up", bar);
    bar->pDown = data.AddControl<UX::TButton>("combo_bar_down", bar);
    bar->pSlider = data.AddControl<UX::TButton>("combo_bar_thumb", bar);
    list->pVScroller = bar;
    combo->pDropForm = dropForm;
    combo->pListBox = list;
    combo->pListBoxItem0 = list->aDetail[0];
    dropForm->HideNow();

    for (int hide = 0; hide < 2; ++hide)
    {
        auto* selector = data.AddControl<UX::TSelector>(hide ? "selector_hiding" : "selector", form);
        selector->SetPosition(600.0f, 100.0f + 100.0f * static_cast<f32>(hide));
        selector->SetSize(400.0f, 60.0f);
        selector->HideArrows = static_cast<u8>(hide);
        selector->nFlags |= UX::CONTROL_FOCUSABLE;
        selector->pLeft = data.AddControl<UX::TButton>(nullptr, selector);
        selector->pLeft->SetSize(60.0f, 60.0f);
        selector->pRight = data.AddControl<UX::TButton>(nullptr, selector);
        selector->pRight->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
        selector->pRight->SetSize(60.0f, 60.0f);
        selector->pLabel = data.AddControl<UX::TLabel>(nullptr, selector);
        for (u32 i = 0; i < 3; ++i)
            selector->Items.Add(i, UX::TLocalization());
    }
}

class ComboBoxTest : public UxTest
{
protected:
    void Open(f32 comboY, u32 items)
    {
        LoadWritten([comboY](TUxDataWriter& data) { WriteCombo(data, comboY); });
        combo = static_cast<UX::TComboBox*>(Named("combo"));
        for (u32 i = 0; i < items; ++i)
            combo->Items.Add(i, Item(i));
        combo->OnChange.AddHandler(0, &counts, &TCounts::Changed);
        combo->Event(UX::EVENT_CLICK).AddHandler(0, &counts, &TCounts::Clicked);
        Ux().PrepareForm(TName("combo_form", true))->Show(2);
        combo->Refresh();
        Frame();
    }
    UX::TGridView* List() const { return combo->GetList(); }

    UX::TComboBox* combo = nullptr;
    TCounts counts;
};
} // namespace

// A list that fits below the box opens below it, even with more room above; one passing the bottom
// of the back buffer opens above when there is more room there; taller than the room on its side
// it keeps the rows that fit (at most 24), all of them on the screen.
TEST_F(ComboBoxTest, TheListOpensWhereItFitsWithTheRowsThatFit)
{
    Resize(1280, 720);
    for (const auto& [y, items] : {std::pair{1000.0f, 30u}, {100.0f, 5u}, {500.0f, 3u}, {700.0f, 30u}, {420.0f, 30u}})
    {
        SCOPED_TRACE(y);
        Open(y, items);
        const UX::TRect box = combo->Computed.Rect;
        const f32 row = 40.0f * combo->Computed.ScaleY;
        const f32 above = box.y, below = 720.0f - (box.y + box.height);
        const i32 wanted = std::min<i32>(static_cast<i32>(items), UX::COMBO_MAX_DROP_ROWS);
        const bool passes = static_cast<f32>(wanted) * row > below;
        const i32 rows = passes ? std::min(wanted, static_cast<i32>(std::max(above, below) / row)) : wanted;
        combo->ToggleDrop();
        Frame();
        ASSERT_TRUE(combo->IsDropped());
        const UX::TRect drop = combo->pDropForm->Computed.Rect;
        EXPECT_EQ(List()->VisibleRows, rows);
        EXPECT_NEAR(drop.height, static_cast<f32>(rows) * row, 0.5f);
        if (passes && above >= below)
            EXPECT_NEAR(drop.y + drop.height, box.y, 0.5f);
        else
            EXPECT_NEAR(drop.y, box.y + box.height, 0.5f);
        if (box.y + box.height <= 720.0f)
        {
            EXPECT_GE(drop.y, -0.5f);
            EXPECT_LE(drop.y + drop.height, 720.5f);
        }
        EXPECT_EQ(LabelText(List()->aDetail[static_cast<u32>(rows - 1)]), Item(static_cast<u32>(rows - 1)).GetText());
        EXPECT_EQ(Ux().GetFocus(), List());
        if (rows < UX::COMBO_MAX_DROP_ROWS)
            EXPECT_FALSE(List()->aDetail[static_cast<u32>(rows)]->IsVisibleOnScreen());
    }
}

// Picking the chosen item closes the list and raises the box's click, not its change; another
// item shows its text and raises both.
TEST_F(ComboBoxTest, PickingAnItemClosesTheListAndClicksTheBox)
{
    Open(100.0f, 5);
    combo->SetSelectedIndex(2);
    EXPECT_EQ(LabelText(combo->pLabel), u"Item 2");
    counts = {};
    combo->ToggleDrop();
    Frame();
    EXPECT_EQ(List()->SelectedIndex, 2);
    List()->aDetail[2]->Event(UX::EVENT_CLICK).Invoke(List()->aDetail[2], nullptr);
    Frames(40);
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(counts.changes, 0);
    EXPECT_EQ(counts.clicks, 1);
    EXPECT_EQ(Ux().GetFocus(), combo);
    combo->ToggleDrop();
    Frame();
    List()->aDetail[4]->Event(UX::EVENT_CLICK).Invoke(List()->aDetail[4], nullptr);
    EXPECT_EQ(combo->SelectedIndex, 4);
    EXPECT_EQ(LabelText(combo->pLabel), u"Item 4");
    EXPECT_EQ(counts.changes, 1);
    EXPECT_EQ(counts.clicks, 2);
}

// The drop button of an open list closes it and gives the focus back to the box; the list losing
// the focus to another control closes it too.
TEST_F(ComboBoxTest, TheDropButtonClosesTheListAndRefocusesTheBox)
{
    Open(100.0f, 5);
    Click(combo->pDrop);
    ASSERT_TRUE(combo->IsDropped());
    ASSERT_EQ(Ux().GetFocus(), List());
    Button(true);
    Frame();
    Button(false);
    Frames(40);
    EXPECT_FALSE(combo->IsDropped());
    EXPECT_EQ(Ux().GetFocus(), combo);

    combo->ToggleDrop();
    Frame();
    ASSERT_TRUE(combo->IsDropped());
    Named("selector")->SetFocus();
    Frames(40);
    EXPECT_FALSE(combo->IsDropped());
}

// An empty list selects nothing and raises nothing; selections are clamped into the list.
TEST_F(ComboBoxTest, SelectionsAreClampedAndAnEmptyListChangesNothing)
{
    Open(100.0f, 0);
    combo->SetSelectedIndex(3);
    EXPECT_EQ(combo->SelectedIndex, 0);
    EXPECT_EQ(counts.changes, 0);
    combo->Items.Add(0, Item(0));
    combo->Items.Add(1, Item(1));
    combo->SetSelectedIndex(9);
    EXPECT_EQ(combo->SelectedIndex, 1);
    combo->SetSelectedIndex(-4);
    EXPECT_EQ(combo->SelectedIndex, 0);
    EXPECT_EQ(counts.changes, 2);
}

// With HideArrows the unavailable arrow is hidden, without it disabled; "Left" at the first item
// and "Right" at the last change nothing.
TEST_F(ComboBoxTest, SelectorArrowsHideOrDisableAtTheEnds)
{
    Open(100.0f, 0);
    auto* plain = static_cast<UX::TSelector*>(Named("selector"));
    auto* hiding = static_cast<UX::TSelector*>(Named("selector_hiding"));
    EXPECT_FALSE(hiding->pLeft->IsVisibleOnScreen());
    EXPECT_TRUE(hiding->pRight->IsVisibleOnScreen());
    TCounts changes;
    plain->OnChange.AddHandler(0, &changes, &TCounts::Changed);
    EXPECT_EQ(plain->OnAction(plain, UX::LeftAction()), 1);
    EXPECT_EQ(plain->SelectedIndex, 0);
    EXPECT_EQ(changes.changes, 0);
    for (UX::TSelector* selector : {plain, hiding})
    {
        selector->OnAction(selector, UX::RightAction());
        selector->pRight->Event(UX::EVENT_CLICK).Invoke(selector->pRight, nullptr);
        EXPECT_EQ(selector->SelectedIndex, 2);
    }
    EXPECT_EQ(changes.changes, 2);
    plain->OnAction(plain, UX::RightAction());
    EXPECT_EQ(changes.changes, 2);
    EXPECT_FALSE(plain->pRight->IsEnabledAll());
    EXPECT_TRUE(plain->pLeft->IsEnabledAll());
    EXPECT_FALSE(hiding->pRight->IsVisibleOnScreen());
    EXPECT_TRUE(hiding->pLeft->IsVisibleOnScreen());
    hiding->pLeft->Event(UX::EVENT_CLICK).Invoke(hiding->pLeft, nullptr);
    EXPECT_EQ(hiding->SelectedIndex, 1);
    EXPECT_TRUE(hiding->pRight->IsVisibleOnScreen());
    // The label sits between the arrows.
    Frame();
    EXPECT_NEAR(plain->pLabel->Computed.Rect.x, plain->pLeft->Computed.Rect.x + plain->pLeft->Computed.Rect.width, 0.5f);
}

// Parts of the wrong class or missing are cut and told; a selection past the items is clamped.
TEST_F(ComboBoxTest, StoredCombosAndSelectorsAreCheckedAtLoad)
{
    LoadWritten([](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* combo = data.AddControl<UX::TComboBox>("stored_combo", layer);
        combo->pListBox = data.AddControl<UX::TLabel>("not_a_list", combo);
        combo->MaxDropRows = -3;
        auto* selector = data.AddControl<UX::TSelector>("stored_selector", layer);
        selector->Items.Add(0, UX::TLocalization());
        selector->SelectedIndex = 7;
    });
    auto* combo = UX::TComboBox::Manager().Get(0);
    EXPECT_EQ(combo->pListBox, nullptr);
    EXPECT_TRUE(Logged("'stored_combo': its list is no loaded control of its kind: cut"));
    EXPECT_TRUE(Logged("'stored_combo': no drop-down form: its work is skipped"));
    EXPECT_EQ(combo->MaxDropRows, 1);
    auto* selector = UX::TSelector::Manager().Get(0);
    EXPECT_EQ(selector->SelectedIndex, 0);
    EXPECT_TRUE(Logged("'stored_selector': selected item 7 outside 0 .. 0: 0 kept"));
    EXPECT_TRUE(Logged("'stored_selector': no label: its work is skipped"));
    // Toggling a combo box without its drop-down does nothing.
    combo->ToggleDrop();
    combo->SetSelectedIndex(0);
}

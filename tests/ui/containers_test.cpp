// Menus moved by the menu actions, grids selected and scrolled, and sliders stepped, paged,
// dragged and labelled, through the window layer.
#include "uifixture.h"

#include "ui/uibutton.h"
#include "ui/uigrid.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"
#include "ui/uisounds.h"

#include "platform/window/windowsystem.h"

#include <tuple>
#include <vector>

namespace
{
u32 s_nMenuSounds = 0;
void CountMenuSound()
{
    ++s_nMenuSounds;
}

class UIContainerTest : public UITest
{
protected:
    void SetUp() override
    {
        UITest::SetUp();
        s_nMenuSounds = 0;
        g_UISoundPlayer.pPlayMenuSelect = CountMenuSound;
    }
    void TearDown() override
    {
        g_UISoundPlayer.pPlayMenuSelect = nullptr;
        UITest::TearDown();
    }

    TUIMenu* Menu(u32 entries)
    {
        auto* menu = MakeRoot<TUIMenu>("TUIMenu", "menu", 0.0f, 0.0f);
        for (u32 i = 0; i < entries; ++i)
            menu->AddButton("Entry", "MenuButtonStyle", 0)->AddAction("menuselect");
        menu->UpdateLayout();
        return menu;
    }
    TUIGrid* Grid(i32 rows)
    {
        auto* grid = MakeRoot<TUIGrid>("TUIGrid", "grid", 400.0f, 100.0f);
        grid->SetColumnCount(2);
        grid->SetColumnWidth(0, 200.0f);
        grid->SetColumnWidth(1, 150.0f);
        grid->SetRowHeight(20.0f);
        TUISlider* bar =
            TUISlider::Create(grid, "bar", 20.0f, 100.0f, "UI Slider Track", "UI Arrow Up", "UI Arrow Down",
                              "UI Slider Thumb", 1.0f, 1.0f, 0.0f, false, UI_THUMB_CLIP, nullptr);
        bar->m_fButtonSize = 20.0f;
        bar->m_fTrackInset = 20.0f;
        bar->SetFromRight(0.0f);
        grid->SetScrollBar(bar);
        grid->SetRowCount(rows, true);
        return grid;
    }
};

TEST_F(UIContainerTest, TheMenuActionsStepTheFocusWrappingOverVisibleEntries)
{
    TUIMenu* menu = Menu(4);
    menu->Activate();
    menu->SetFocus(0);
    menu->GetChildren()[2]->SetVisible(false);
    // Down skips the hidden entry and wraps from the last to the first, up from the first to the last.
    for (const auto& [key, focus] : {std::pair{0x50, 1}, {0x50, 3}, {0x50, 0}, {0x48, 3}})
    {
        Tap(static_cast<u16>(key), true);
        EXPECT_EQ(menu->GetFocusIndex(), focus) << key;
    }
    EXPECT_EQ(g_pUIManager->m_pDefaultItem, menu->GetChildren()[3]);
    EXPECT_EQ(s_nMenuSounds, 5u);
    auto* focused = static_cast<TUIButton*>(menu->GetChildren()[3]);
    EXPECT_EQ(focused->GetIconState(), static_cast<u32>(UI_STATE_CHECKED));
    // With one visible entry the focus stays.
    menu->GetChildren()[0]->SetVisible(false);
    menu->GetChildren()[1]->SetVisible(false);
    menu->FocusNext();
    EXPECT_EQ(menu->GetFocusIndex(), 3);
    menu->FocusPrevious();
    EXPECT_EQ(menu->GetFocusIndex(), 3);
}

TEST_F(UIContainerTest, SelectClicksTheFocusedEntryAndNextControlWalksTheRing)
{
    TUIMenu* first = Menu(2);
    TUIMenu* second = Menu(2);
    first->m_pNextMenu = second;
    second->m_pNextMenu = first;
    std::vector<i32> clicked;
    for (TUIMenu* menu : {first, second})
        for (TUIItem* entry : menu->GetChildren())
            entry->OnClickList.Add([&clicked, menu, first](TUIItem* sender, const void*) {
                clicked.push_back((menu == first ? 0 : 10) + sender->m_nTag);
                return 0;
            });
    first->SetFocus(1);
    second->SetFocus(0);
    first->Activate();
    Frame();
    Tap(0x1C);
    EXPECT_EQ(clicked, std::vector<i32>{1});
    Tap(0x0F);
    EXPECT_EQ(g_pUIManager->m_pActiveMenu, second);
    EXPECT_EQ(static_cast<TUIButton*>(first->GetChildren()[1])->GetIconState(),
              static_cast<u32>(UI_STATE_INACTIVE_FOCUS));
    Frame();
    Tap(0x1C);
    EXPECT_EQ(clicked, (std::vector<i32>{1, 10}));
    i32 backs = 0;
    second->OnBack.Add([&backs](TUIItem*, const void*) {
        ++backs;
        return 0;
    });
    Tap(0x01);
    EXPECT_EQ(backs, 1);
}

TEST_F(UIContainerTest, GridRowsWrapOrStayAndTheViewFollows)
{
    TUIGrid* grid = Grid(10);
    std::vector<std::pair<i32, i32>> selections;
    grid->OnSelect.Add([&selections](TUIItem*, const void* args) {
        const auto& s = *static_cast<const TUIGridSelection*>(args);
        selections.push_back({s.nRow, s.nOldRow});
        return 0;
    });
    grid->SelectRow(9, true);
    EXPECT_EQ(grid->GetScrollRow(), 5);
    grid->SelectNextRow(true, false);
    EXPECT_EQ(grid->m_nSelectedRow, 9) << "without wrap it stays";
    grid->SelectNextRow(true, true);
    EXPECT_EQ(grid->m_nSelectedRow, 0);
    EXPECT_EQ(grid->GetScrollRow(), 0);
    grid->SetScrollRow(3);
    grid->SelectPreviousRow(true, false);
    EXPECT_EQ(grid->m_nSelectedRow, 0);
    EXPECT_EQ(grid->GetScrollRow(), 0) << "on the first row only the view moves";
    grid->SelectPreviousRow(true, true);
    EXPECT_EQ(grid->m_nSelectedRow, 9);
    const std::vector<std::pair<i32, i32>> expected = {{9, -1}, {0, 9}, {9, 0}};
    EXPECT_EQ(selections, expected);
    // The last row is selected, one past it is none; shrunk, the last row when the selection is gone.
    for (const auto& [row, selected] : {std::pair{9, 9}, {10, -1}, {12, -1}})
    {
        grid->SetSelection(row, 0, false);
        EXPECT_EQ(grid->m_nSelectedRow, selected) << row;
    }
    for (const auto& [row, count, selected] : {std::tuple{7, 8, 7}, {7, 4, 3}, {3, 3, 2}, {1, 3, 1}})
    {
        grid->SelectRow(row, false);
        grid->SetRowCount(count, true);
        EXPECT_EQ(grid->m_nSelectedRow, selected) << row << " of " << count;
    }
}

TEST_F(UIContainerTest, AClickSelectsTheRowUnderThePointerButNotOnTheScrollBar)
{
    TUIGrid* grid = Grid(10);
    std::vector<f32> scrolled;
    grid->m_pScrollBar->OnChange.Add([&scrolled](TUIItem* bar, const void*) {
        scrolled.push_back(static_cast<TUISlider*>(bar)->GetValue());
        return 0;
    });
    // The wheel's scroll action moves the grid a row, and the scroll bar tells its listeners.
    g_pUIManager->m_pDefaultItem = nullptr;
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEMOUSE;
    record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
    record.data.mouse.usButtonFlags = RI_MOUSE_WHEEL;
    record.data.mouse.usButtonData = static_cast<USHORT>(-120);
    TWindowSystem::Get().PostRawInput(record);
    Frame();
    EXPECT_EQ(grid->GetScrollRow(), 1);
    EXPECT_EQ(scrolled, std::vector<f32>{1.0f});
    grid->SetScrollRow(3);
    ClickAt(50, 45);
    EXPECT_EQ(grid->m_nSelectedRow, 5);
    ClickAt(390, 45);
    EXPECT_EQ(grid->m_nSelectedRow, 5) << "the scroll bar's strip selects nothing";
    // The last row under the pointer is selected, the place one past it selects none.
    for (const auto& [rows, scroll, y, selected] : {std::tuple{10, 5, 95, 9}, {4, 0, 75, 3}, {4, 0, 95, -1}})
    {
        grid->SetRowCount(rows, true);
        grid->SetScrollRow(scroll);
        ClickAt(50, y);
        EXPECT_EQ(grid->m_nSelectedRow, selected) << rows << " rows, y " << y;
    }
    grid->SetRowCount(10, true);
    grid->SetScrollRow(3);
    grid->m_nFlags |= UI_GRID_CELLS;
    ClickAt(250, 5);
    EXPECT_EQ(grid->m_nSelectedRow, 3);
    EXPECT_EQ(grid->m_nSelectedColumn, 1);
    // Cells: one record per visible cell, the selected one marked.
    std::vector<TUIGridCell> cells;
    grid->OnDrawCell.Add([&cells](TUIItem*, const void* args) {
        cells.push_back(*static_cast<const TUIGridCell*>(args));
        return 0;
    });
    grid->Draw();
    ASSERT_EQ(cells.size(), 10u);
    EXPECT_EQ(cells[1].nSelected, 1);
    EXPECT_EQ(cells[0].nSelected, 0);
    EXPECT_EQ(cells[1].fX, 200.0f);
    EXPECT_EQ(cells[1].fWidth, 150.0f);
}

TEST_F(UIContainerTest, ATrackPressPagesByHalfTheVisibleRangeThroughTheStepButtons)
{
    TUIGrid* grid = Grid(20);
    TUISlider* bar = grid->m_pScrollBar;
    // The thumb shows rows 0..5 of 20 (20..35 of the slider): dragged by 24 of the slider's 100,
    // 3.6 of 15, in whole steps; it swallows the select while held.
    MoveTo(390, 25);
    Frame();
    Button(true);
    Frame();
    EXPECT_TRUE(bar->m_nFlags & UI_SWALLOWS_SELECT);
    MoveTo(390, 49);
    Frame();
    EXPECT_EQ(bar->GetValue(), 3.0f);
    Button(false);
    Frames(2);
    EXPECT_FALSE(bar->m_nFlags & UI_SWALLOWS_SELECT);
    bar->SetValue(0.0f);
    i32 changes = 0;
    f32 seen = 0.0f;
    bar->OnChange.Add([&](TUIItem*, const void*) {
        ++changes;
        seen = bar->GetValue();
        return 0;
    });
    // The track below the thumb: 5 rows visible, a page of 2.5 steps of 1.
    ClickAt(390, 75);
    EXPECT_EQ(bar->GetValue(), 2.0f);
    EXPECT_EQ(changes, 2) << "each step goes through the down button";
    ClickAt(390, 25);
    EXPECT_EQ(bar->GetValue(), 0.0f);
    EXPECT_FALSE(bar->GetUpButton()->IsVisible()) << "at 0 the up button hides";
    bar->SetValue(14.5f);
    ClickAt(390, 90);
    EXPECT_EQ(seen, 15.0f) << "a step stops at the rows less the visible ones";
    bar->SetValue(100.0f);
    EXPECT_EQ(bar->GetValue(), 15.0f) << "no further than the rows less the visible ones";
    EXPECT_FALSE(bar->GetDownButton()->IsVisible());
}

TEST_F(UIContainerTest, AHorizontalSliderTakesTheValueUnderThePointerAndShowsItsLabelOfAtMostSixtyFour)
{
    TUISlider* slider = TUISlider::Create(nullptr, "slider", 300.0f, 20.0f, "UI Slider Track",
                                          "UI Arrow Left", "UI Arrow Right", "UI Slider Thumb", 1.0f, 10.0f,
                                          5.0f, true, UI_THUMB_CLIP, nullptr);
    slider->m_fButtonSize = 20.0f;
    slider->m_fTrackInset = 20.0f;
    slider->m_fThumbInset = 20.0f;
    slider->SetMinimumOne(true);
    for (const char* label :
         {"0", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine", "ten"})
        slider->AddLabel(label);
    slider->UpdateLayout();
    EXPECT_STREQ(slider->m_Caption.GetText(), "five");
    i32 changes = 0;
    slider->OnChange.Add([&changes](TUIItem*, const void*) {
        ++changes;
        return 0;
    });
    ClickAt(20 + 26 * 8 + 13 + 4, 10);
    EXPECT_EQ(slider->GetValue(), 9.0f);
    EXPECT_EQ(changes, 4);
    EXPECT_STREQ(slider->m_Caption.GetText(), "nine");
    ClickAt(5, 10);
    EXPECT_EQ(slider->GetValue(), 8.0f) << "the left arrow steps down";
    slider->SetValue(-3.0f);
    EXPECT_EQ(slider->GetValue(), 1.0f) << "the minimum-one option";
    // Sixty-four labels at most.
    for (u32 i = 11; i < UI_SLIDER_LABEL_CAPACITY; ++i)
        EXPECT_TRUE(slider->AddLabel("label"));
    EXPECT_FALSE(slider->AddLabel("one too many"));
    EXPECT_EQ(slider->GetLabelCount(), UI_SLIDER_LABEL_CAPACITY);
    EXPECT_EQ(m_Log.Count("'one too many': more than 64 labels"), 1u);
    slider->SetMaxValue(0.0f);
    EXPECT_EQ(slider->GetMaxValue(), 1.0f);
    // The range set in the profiles' order (minimum, maximum, value) or the other: "no
    // selection", one step below the first, is kept either way.
    for (const bool minimumFirst : {true, false})
    {
        slider->SetMinimum(0.0f);
        slider->SetMaxValue(0.0f);
        slider->SetValue(0.0f);
        if (minimumFirst)
            slider->SetMinimum(-1.0f);
        slider->SetMaxValue(2.0f);
        if (!minimumFirst)
            slider->SetMinimum(-1.0f);
        slider->SetValue(-1.0f);
        EXPECT_EQ(std::tuple(slider->GetValue(), slider->GetMaxValue()), std::tuple(-1.0f, 2.0f)) << minimumFirst;
    }
}
} // namespace

// Stackers and panels: line breaking tested after or before adding an item, the line limits, a
// hidden last item, the column alignments and the item limit; a panel's bar by its content, the
// content scrolled by the bar and the scroll actions served only with the mouse or the focus;
// stored stackers checked at load.
#include "uxfixture.h"

#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"

#include <memory>
#include <vector>

namespace
{
// A stacker of 300 x 200 on layer 1 (scale 1) with items of the sizes given.
struct TStack
{
    explicit TStack(UX::TLayer* on, std::vector<UX::TRect> sizes) : layer(on)
    {
        stacker.SetSize(300.0f, 200.0f);
        stacker.SpacingX = stacker.SpacingY = 10.0f;
        layer->AddChild(&stacker);
        for (const UX::TRect& size : sizes)
        {
            items.push_back(std::make_unique<UX::TLabel>());
            stacker.AddChild(items.back().get());
            items.back()->SetSize(size.width, size.height);
            stacker.AddItem(items.back().get());
        }
        layer->UpdateLayout(1);
    }
    ~TStack() { layer->RemoveChild(&stacker); }

    std::vector<i32> Lines() const
    {
        return std::vector<i32>(stacker.aLineItems.GetData(), stacker.aLineItems.GetData() + stacker.GetLineCount());
    }
    f32 X(u32 i) const { return items[i]->Base.Rect.x; }
    f32 Y(u32 i) const { return items[i]->Base.Rect.y; }

    UX::TLayer* layer;
    UX::TStacker stacker;
    std::vector<std::unique_ptr<UX::TLabel>> items;
};

const std::vector<UX::TRect> kThreeOf100 = {{0, 0, 100, 50}, {0, 0, 100, 50}, {0, 0, 100, 50}};

using StackerTest = UxTest;

struct TClicks
{
    void Hear(UX::TControl*, void* argument)
    {
        const auto* args = static_cast<UX::TStacker::TItemClickArgs*>(argument);
        indices.push_back(args->nIndex);
        controls.push_back(args->pControl);
    }
    std::vector<i32> indices;
    std::vector<UX::TControl*> controls;
};
} // namespace

// Width 300, items of 100, spacing 10, margin 0, tested after adding: the third item closes the
// first line (it is in it); with MaxPerLine 2 the second does.
TEST_F(StackerTest, LinesBreakAfterTheItemThatFillsThemOrAtTheirLimit)
{
    TStack stack(Ux().GetLayer(1), kThreeOf100);
    // From the top left.
    stack.stacker.Alignment = 10;
    stack.stacker.Arrange(1);
    EXPECT_EQ(stack.Lines(), std::vector<i32>{3});
    EXPECT_EQ(stack.stacker.aLineLength[0], 320.0f);
    EXPECT_EQ(stack.stacker.aLineCross[0], 50.0f);
    stack.stacker.MaxPerLine = 2;
    stack.stacker.Arrange(0);
    EXPECT_EQ(stack.Lines(), (std::vector<i32>{2, 1}));
    EXPECT_EQ(stack.stacker.aLineLength[0], 210.0f);
    // Placed because the lines changed: the third item starts the second row.
    EXPECT_EQ(stack.X(1), 110.0f);
    EXPECT_EQ(stack.X(2), 0.0f);
    EXPECT_EQ(stack.Y(2), 60.0f);
    // Columns break on the height.
    stack.stacker.Orientation = 1;
    stack.stacker.MaxPerColumn = 0;
    stack.stacker.Arrange(1);
    EXPECT_EQ(stack.Lines(), std::vector<i32>{3}) << "50 + 10 + 50 + 10 + 50 = 170 of 200";
    EXPECT_EQ(stack.Y(2), 120.0f);
}

// Tested before adding (StackFlags bit 1): the first item is preceded by one spacing, and an item
// that does not fit opens the next line.
TEST_F(StackerTest, BreakingBeforeAddingLeadsWithASpacing)
{
    TStack stack(Ux().GetLayer(1), kThreeOf100);
    stack.stacker.StackFlags = UX::STACK_BREAK_BEFORE;
    stack.stacker.Arrange(1);
    EXPECT_EQ(stack.Lines(), (std::vector<i32>{2, 1}));
    EXPECT_EQ(stack.stacker.aLineLength[0], 220.0f);
    EXPECT_EQ(stack.stacker.aLineLength[1], 100.0f);
}

// A hidden last item adds nothing and closes the open line without its trailing spacing.
TEST_F(StackerTest, AHiddenLastItemClosesTheLineWithoutItsSpacing)
{
    TStack stack(Ux().GetLayer(1), {{0, 0, 100, 50}, {0, 0, 100, 50}, {0, 0, 100, 80}});
    stack.items[2]->nFlags &= ~UX::CONTROL_VISIBLE;
    stack.stacker.Arrange(1);
    EXPECT_EQ(stack.Lines(), std::vector<i32>{2});
    EXPECT_EQ(stack.stacker.aLineLength[0], 210.0f);
    EXPECT_EQ(stack.stacker.aLineCross[0], 50.0f);
}

// In columns each code shifts x by the block and y by the column's own length (one column of
// 100 across, its length 180 with the spacing after its last item, in 300 x 200).
TEST_F(StackerTest, AlignmentsShiftColumnsAcrossByTheBlockAndAlongByTheirLength)
{
    TStack stack(Ux().GetLayer(1), kThreeOf100);
    stack.stacker.Orientation = 1;
    const struct
    {
        u32 code;
        f32 x, y;
    } cases[] = {{0, 0, 10},   {1, 100, 10}, {2, 200, 10},  {10, 0, 0},   {11, 100, 0},
                 {12, 200, 0}, {20, 0, 20},  {21, 100, 20}, {22, 200, 20}};
    for (const auto& c : cases)
    {
        stack.stacker.Alignment = c.code;
        stack.stacker.Arrange(1);
        ASSERT_EQ(stack.Lines(), std::vector<i32>{3});
        for (u32 i = 0; i < 3; ++i)
        {
            EXPECT_EQ(stack.X(i), c.x) << "code " << c.code << ", item " << i;
            EXPECT_EQ(stack.Y(i), c.y + 60.0f * static_cast<f32>(i)) << "code " << c.code << ", item " << i;
        }
    }
}

// A 257th item is refused with an error line; a prototype holding items is not copied.
TEST_F(StackerTest, TheItemLimitAndPrototypesWithItems)
{
    TStack stack(Ux().GetLayer(1), {});
    UX::TLabel item;
    for (u32 i = 0; i < UX::STACKER_ITEM_CAPACITY; ++i)
        EXPECT_TRUE(stack.stacker.AddItem(&item));
    EXPECT_FALSE(stack.stacker.AddItem(&item));
    EXPECT_TRUE(Logged("UX::TStacker::AddItem(): error: "));
    TStack copy(Ux().GetLayer(1), {});
    copy.stacker.Alignment = 12;
    copy.stacker.CopyFrom(stack.stacker);
    EXPECT_EQ(copy.stacker.Alignment, 12u) << "refused";
    EXPECT_TRUE(Logged("a prototype holding items is not copied"));
    stack.stacker.aDetail.SetCount(0);
    stack.stacker.Alignment = 21;
    copy.stacker.CopyFrom(stack.stacker);
    EXPECT_EQ(copy.stacker.Alignment, 21u);
}

// The demonstration's panel: its content taller than the panel shows the bar with the content's
// height as range and the panel's as page; the bar moves the content; the wheel actions act only
// while the panel has the mouse or the focus.
TEST_F(StackerTest, APanelScrollsItsContentByItsBar)
{
    Form()->Show(2);
    Frames(2);
    auto* panel = static_cast<UX::TPanel*>(Find("ux_demo_area"));
    UX::TVScroller* bar = panel->GetScrollBar();
    ASSERT_NE(bar, nullptr);
    const f32 height = panel->Computed.Rect.height / panel->Computed.ScaleY;
    panel->SetContentHeight(height + 10.0f);
    EXPECT_TRUE(bar->IsVisibleOnScreen());
    EXPECT_EQ(bar->Range, static_cast<i32>(height + 10.0f));
    EXPECT_EQ(bar->Page, static_cast<i32>(height));
    bar->SetPosition(10);
    EXPECT_EQ(panel->pContainer->Base.Rect.y, -10.0f);
    panel->SetContentHeight(height - 10.0f);
    Frames(20);
    EXPECT_FALSE(bar->IsVisibleOnScreen()) << "not needed";
    panel->AutoHideScrollBar = 0;
    panel->UpdateScrollBar();
    Frames(20);
    EXPECT_TRUE(bar->IsVisibleOnScreen()) << "always";
    // A bar without range leaves the content at the top.
    bar->Range = 0;
    bar->OnScroll.Invoke(bar, nullptr);
    EXPECT_EQ(panel->pContainer->Base.Rect.y, 0.0f);

    panel->SetContentHeight(height + 100.0f);
    EXPECT_EQ(panel->DoAction(panel, UX::ScrollDownAction(), 0), 0) << "neither the mouse nor the focus";
    MouseOn(panel);
    Frame();
    EXPECT_EQ(panel->DoAction(panel, UX::ScrollDownAction(), 0), 1);
}

TEST_F(StackerTest, StoredStackersAreCheckedAtLoad)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* stored = data.AddControl<UX::TStacker>("stored_stack", layer);
        stored->aItemMotion[3].nState = UX::MOTION_STATE_COUNT;
        stored->aItemMotion[5].nState = UX::MOTION_STATE_COUNT - 1;
        stored->aItemMotion[4].fProgress = -1.0f;
        stored->AddItem(data.AddControl<UX::TLabel>("chip", stored));
        stored->AddItem(nullptr);
    });
    UX::TStacker* stored = UX::TStacker::Manager().Get(0);
    EXPECT_EQ(stored->aItemMotion[3].nState, 0u);
    EXPECT_EQ(stored->aItemMotion[5].nState, UX::MOTION_STATE_COUNT - 1);
    EXPECT_EQ(stored->aItemMotion[4].fProgress, 0.0f);
    EXPECT_TRUE(Logged("'stored_stack': motion records reset"));
    ASSERT_EQ(stored->aDetail.GetCount(), 2u);
    EXPECT_NE(stored->aDetail[0], nullptr);
    EXPECT_EQ(stored->aDetail[1], nullptr);
    EXPECT_TRUE(Logged("'stored_stack': no item: its work is skipped"));
    EXPECT_EQ(stored->GetLineCount(), 0u);
    stored->Arrange(1);
    EXPECT_EQ(stored->GetLineCount(), 1u);
}

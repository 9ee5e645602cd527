// The slider, the track bar and the scroll bar of the demonstration form: steps, clamps and the
// buttons at the ends, knob drags and their change arguments, positions, thumbs and arrows, and
// stored values checked at load.
#include "uxfixture.h"

#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
struct TChanges
{
    void Hear(UX::TControl*, void* argument) { arguments.push_back(reinterpret_cast<uintptr_t>(argument)); }
    std::vector<uintptr_t> arguments;
};

class ValuesTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        Form()->Show(2);
        Frames(2);
        slider = static_cast<UX::TSlider*>(Find("ux_demo_slider"));
        bar = static_cast<UX::TTrackBar*>(Find("ux_demo_trackbar"));
        scroll = static_cast<UX::TVScroller*>(Find("ux_demo_scroll"));
    }

    UX::TSlider* slider = nullptr;
    UX::TTrackBar* bar = nullptr;
    UX::TVScroller* scroll = nullptr;
};
} // namespace

// 0 .. 100 in steps of 10: from 95 "Right" gives 100 and disables the increase button, "Left"
// then 90 and enables it again, each told to the button; the arrow keys do it for the focused slider.
TEST_F(ValuesTest, TheSliderStepsClampsAndEnablesItsButtonsByTheEnds)
{
    TChanges changes, enables;
    slider->OnChange.AddHandler(0, &changes, &TChanges::Hear);
    slider->pRight->Event(UX::EVENT_ENABLE_CHANGE).AddHandler(0, &enables, &TChanges::Hear);
    slider->SetValue(95);
    EXPECT_EQ(slider->DoAction(slider, UX::RightAction(), 0), 1);
    EXPECT_EQ(slider->Value, 100);
    EXPECT_FALSE(slider->pRight->IsEnabledAll());
    slider->DoAction(slider, UX::RightAction(), 0);
    EXPECT_EQ(changes.arguments.size(), 2u) << "no change at the end";
    slider->DoAction(slider, UX::LeftAction(), 0);
    EXPECT_EQ(slider->Value, 90);
    EXPECT_TRUE(slider->pRight->IsEnabledAll());
    EXPECT_EQ(enables.arguments.size(), 2u);
    slider->SetValue(-5);
    EXPECT_EQ(slider->Value, 0);
    EXPECT_FALSE(slider->pLeft->IsEnabledAll());

    slider->SetFocus();
    Frame();
    KeyDown(0x27, 0x4D, true);
    Frame();
    EXPECT_EQ(slider->Value, 10) << "Right";
    KeyDown(0x25, 0x4B, true);
    Frame();
    EXPECT_EQ(slider->Value, 0) << "Left";
    // The buttons step too.
    Click(slider->pRight);
    EXPECT_EQ(slider->Value, 10);
}

// Dragging tells each change with the argument 1; the release tells the end with 0 whether the
// value moved or not.
TEST_F(ValuesTest, TheKnobDragsTheValueAndItsReleaseAlwaysTellsTheEnd)
{
    TChanges changes;
    bar->OnChange.AddHandler(0, &changes, &TChanges::Hear);
    f32 x, y;
    Centre(bar->pSlider, x, y);
    const UX::TRect scale = bar->pScale->Computed.Rect;
    Drag(x, y, scale.x + scale.width + 40.0f, y);
    EXPECT_EQ(bar->Dragging, 1);
    EXPECT_EQ(bar->Value, 10) << "clamped to the scale's end";
    ASSERT_FALSE(changes.arguments.empty());
    EXPECT_EQ(changes.arguments.back(), 1u);
    // The knob sits on the value's place (laid out in the next frame).
    Frame();
    EXPECT_NEAR(bar->pSlider->Computed.Rect.x + bar->pSlider->Computed.Rect.width * 0.5f, scale.x + scale.width,
                1.0f);
    const size_t during = changes.arguments.size();
    Button(false);
    Frame();
    EXPECT_EQ(bar->Dragging, 0);
    ASSERT_EQ(changes.arguments.size(), during + 1);
    EXPECT_EQ(changes.arguments.back(), 0u);
    // A press and release that moves nothing still ends with a change of argument 0.
    Centre(bar->pSlider, x, y);
    Drag(x, y, x, y);
    Button(false);
    Frame();
    EXPECT_EQ(bar->Value, 10);
    EXPECT_EQ(changes.arguments.size(), during + 2);
    EXPECT_EQ(changes.arguments.back(), 0u);
}

TEST_F(ValuesTest, TheTrackBarStepsClicksAndTakesNewRanges)
{
    // As stored: the maximum, minimum and value, 16 bits each from byte 1320.
    i16 stored[3];
    std::memcpy(stored, reinterpret_cast<const u8*>(bar) + 1320, sizeof stored);
    EXPECT_EQ(std::vector<i16>(stored, stored + 3), (std::vector<i16>{10, 0, 5}));
    TChanges changes;
    bar->OnChange.AddHandler(0, &changes, &TChanges::Hear);
    EXPECT_EQ(bar->DoAction(bar, UX::LeftAction(), 0), 1);
    EXPECT_EQ(bar->Value, 4);
    EXPECT_EQ(changes.arguments.size(), 1u);
    // A click on the scale at 30 % of 0 .. 10 gives 3.
    const UX::TRect scale = bar->pScale->Computed.Rect;
    UX::TMouse mouse = {0, scale.x + scale.width * 0.3f, scale.y, UX::BUTTON_LEFT_RELEASED};
    bar->pScale->Event(UX::EVENT_CLICK).Invoke(bar->pScale, &mouse);
    EXPECT_EQ(bar->Value, 3);
    // Unchanged: 1 unless forced.
    EXPECT_EQ(bar->SetValue(3, 0), 1);
    EXPECT_EQ(bar->SetValue(3, 1), 0);
    EXPECT_EQ(changes.arguments.size(), 3u);
    // A range is taken only with its minimum below its maximum; the value follows it.
    bar->SetRange(8, 8);
    EXPECT_EQ(bar->Maximum, 10);
    bar->SetRange(5, 20);
    EXPECT_EQ(bar->Value, 5);
    EXPECT_EQ(changes.arguments.size(), 4u);
    // A scale without width: every place reads as the minimum, the knob at its left.
    bar->pScale->SetSize(0.0f, 8.0f);
    bar->UpdateLayout(1);
    bar->SetValueFromX(1000.0f);
    EXPECT_EQ(bar->Value, 5);
    bar->Minimum = bar->Maximum = 5;
    bar->PlaceKnob();
    bar->UpdateLayout(1);
    EXPECT_NEAR(bar->pSlider->Computed.Rect.x + bar->pSlider->Computed.Rect.width * 0.5f,
                bar->pScale->Computed.Rect.x, 0.01f);
}

// Range 10, page 4: positions 0 .. 6, the thumb 0.4 of the track, the down arrow disabled at 6.
TEST_F(ValuesTest, AScrollBarOfTenWithAPageOfFourRunsFromZeroToSix)
{
    scroll->SetPosition(0);
    scroll->SetRange(10);
    scroll->SetPage(4);
    scroll->UpdateThumb();
    Frame();
    const f32 track = scroll->pDown->Computed.Rect.y - (scroll->pUp->Computed.Rect.y + scroll->pUp->Computed.Rect.height);
    EXPECT_NEAR(scroll->pSlider->Computed.Rect.height, track * 0.4f, 0.01f);
    TChanges scrolls;
    scroll->OnScroll.AddHandler(0, &scrolls, &TChanges::Hear);
    EXPECT_EQ(scroll->SetPosition(9), 0);
    EXPECT_EQ(scroll->Position, 6);
    EXPECT_FALSE(scroll->pDown->IsEnabledAll());
    EXPECT_TRUE(scroll->pUp->IsEnabledAll());
    Frame();
    EXPECT_NEAR(scroll->pSlider->Computed.Rect.y + scroll->pSlider->Computed.Rect.height, scroll->pDown->Computed.Rect.y,
                0.01f) << "at the end of the track";
    EXPECT_EQ(scroll->SetPosition(6), 1);
    EXPECT_EQ(scroll->SetPosition(-3), 0);
    EXPECT_EQ(scroll->Position, 0);
    EXPECT_FALSE(scroll->pUp->IsEnabledAll());
    EXPECT_EQ(scrolls.arguments.size(), 2u);
    // A page beyond the range moves the position back; the thumb never gets shorter than 16.
    scroll->SetPosition(6);
    scroll->SetPage(8);
    EXPECT_EQ(scroll->Position, 2);
    scroll->SetRange(1000);
    scroll->SetPage(1);
    scroll->UpdateThumb();
    Frame();
    EXPECT_NEAR(scroll->pSlider->Computed.Rect.height, 16.0f, 0.01f);
    // With HideArrows an arrow that cannot scroll is hidden instead, and one that can stays shown
    // however often the thumb is updated.
    scroll->HideArrows = 1;
    const struct
    {
        i32 position;
        bool up, down;
    } arrows[] = {{0, false, true}, {3, true, true}, {999, true, false}, {3, true, true}};
    for (const auto& c : arrows)
    {
        scroll->SetPosition(c.position);
        for (i32 update = 0; update < 3; ++update)
        {
            scroll->UpdateThumb();
            Frame();
            EXPECT_EQ((scroll->pUp->nFlags & UX::CONTROL_VISIBLE) != 0, c.up) << c.position << ", update " << update;
            EXPECT_EQ((scroll->pDown->nFlags & UX::CONTROL_VISIBLE) != 0, c.down)
                << c.position << ", update " << update;
        }
    }
    EXPECT_TRUE(scroll->pUp->IsVisibleOnScreen());
}

TEST_F(ValuesTest, StoredValuesAndPartsAreCheckedAtLoad)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        auto* stored = data.AddControl<UX::TSlider>("stored_slider", layer);
        stored->Minimum = 10;
        stored->Maximum = 5;
        stored->Value = 40;
        stored->pLeft = data.AddControl<UX::TButton>("left", stored);
        auto* track = data.AddControl<UX::TTrackBar>("stored_bar", layer);
        track->Minimum = 3;
        track->Maximum = 2;
        track->Value = -1;
        auto* bar = data.AddControl<UX::TVScroller>("stored_scroll", layer);
        bar->Range = -4;
        bar->Position = 7;
    });
    UX::TSlider* stored = UX::TSlider::Manager().Get(0);
    EXPECT_EQ(stored->Maximum, 10);
    EXPECT_EQ(stored->Value, 10);
    EXPECT_TRUE(Logged("'stored_slider': maximum 5 outside 10 .. 2147483647: 10 kept"));
    EXPECT_TRUE(Logged("'stored_slider': value 40 outside 10 .. 10: 10 kept"));
    EXPECT_TRUE(Logged("'stored_slider': no increase button: its work is skipped"));
    EXPECT_TRUE(Logged("'stored_slider': no track: its work is skipped"));
    EXPECT_FALSE(Logged("no decrease button"));
    UX::TTrackBar* track = UX::TTrackBar::Manager().Get(0);
    EXPECT_EQ(track->Maximum, 3);
    EXPECT_EQ(track->Value, 3);
    EXPECT_TRUE(Logged("'stored_bar': no scale: its work is skipped"));
    EXPECT_TRUE(Logged("'stored_bar': no knob: its work is skipped"));
    UX::TVScroller* bar = UX::TVScroller::Manager().Get(0);
    EXPECT_EQ(bar->Range, 0);
    EXPECT_EQ(bar->Position, 0);
    EXPECT_TRUE(Logged("'stored_scroll': position 7 outside 0 .. 0: 0 kept"));
    // Without their parts they still work.
    stored->SetValue(3);
    stored->DoAction(stored, UX::RightAction(), 0);
    track->DoAction(track, UX::RightAction(), 0);
    bar->UpdateThumb();
    bar->ScrollDown();
    EXPECT_EQ(stored->Value, 10);
}

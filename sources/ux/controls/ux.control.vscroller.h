#pragma once
// UX::TVScroller (stored type 241, 1,416 bytes): the vertical scroll bar of panels and grids: a
// position within a range and a page, arrows that scroll while held and a draggable thumb.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 VSCROLLER_TYPE_ID = 241;

class TVScroller : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TVScroller>& Manager();
    static const TName& Class();

    TVScroller();

    // Once: the thumb captures the mouse while pressed and its press and release are bound;
    // with HideArrows the up arrow is hidden at once.
    void OnLoad() override;
    // The held arrows scroll, a drag moves the position; a changed bar updates its thumb.
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    void CopyFrom(const TControl& source) override;

    // Clamped to 0 .. max(0, Range - Page); 1 when unchanged, else the thumb is updated and
    // OnScroll raised: 0.
    i32 SetPosition(i32 position);
    void SetRange(i32 range);
    void SetPage(i32 page);
    // Inside a grid view by Step items; elsewhere by Step items x the frame time x 24, the
    // fraction carried to the next step.
    void ScrollUp() { Scroll(-1); }
    void ScrollDown() { Scroll(1); }
    // The thumb placed and sized by the position, the arrows enabled (or shown) by the ends.
    void UpdateThumb();

    void ForgetLoadedWords();
    // The range, page, position and parts checked (each with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    u32 Initialized;
    u32 ScrollFlags;
    i32 Range;
    i32 Page;
    i32 Step;
    i32 Position;
    f32 ThumbX;
    f32 ThumbY;
    f32 TrackTopMargin;
    f32 TrackBottomMargin;
    f32 ThumbWidth;
    TControl* pUp;
    TControl* pDown;
    TControl* pSlider;
    f32 GrabOffset;
    f32 DragY;
    u8 Dragging;
    u8 HideArrows;
    // The fraction of an item that continuous scrolling carries to its next step, in 1/32768.
    i16 ScrollCarry;
    f32 MinThumbLength;
    TEvent OnScroll;

private:
    void Scroll(i32 direction);
    void OnThumbPressed(TControl* thumb, TMouse* mouse);
    void OnThumbReleased(TControl* thumb, TMouse* mouse);
    // The track's top below the up arrow and its length above the down arrow, from the bar's top.
    void Track(f32& top, f32& length) const;
    // The thumb's length on a track of the length, and the range its offset measures.
    void ThumbLength(f32 length, f32& thumb, f32& range) const;
};

static_assert(sizeof(TVScroller) == 1416);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVScroller, Range) == 1328);
static_assert(offsetof(TVScroller, ThumbWidth) == 1360);
static_assert(offsetof(TVScroller, pUp) == 1364);
static_assert(offsetof(TVScroller, pSlider) == 1372);
static_assert(offsetof(TVScroller, Dragging) == 1384);
static_assert(offsetof(TVScroller, ScrollCarry) == 1386);
static_assert(offsetof(TVScroller, MinThumbLength) == 1388);
static_assert(offsetof(TVScroller, OnScroll) == 1392);
#pragma GCC diagnostic pop
} // namespace UX

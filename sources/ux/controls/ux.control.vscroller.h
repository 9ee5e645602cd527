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

    void ForgetLoadedWords();
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
    f32 MinThumbLength;
    TEvent OnScroll;
};

static_assert(sizeof(TVScroller) == 1416);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TVScroller, Range) == 1328);
static_assert(offsetof(TVScroller, ThumbWidth) == 1360);
static_assert(offsetof(TVScroller, pUp) == 1364);
static_assert(offsetof(TVScroller, pSlider) == 1372);
static_assert(offsetof(TVScroller, Dragging) == 1384);
static_assert(offsetof(TVScroller, MinThumbLength) == 1388);
static_assert(offsetof(TVScroller, OnScroll) == 1392);
#pragma GCC diagnostic pop
} // namespace UX

#pragma once
// UX::TSlider (stored type 238, 1,384 bytes): an integer between a minimum and a maximum,
// stepped by a decrease and an increase button, its track drawn filled from a style.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 SLIDER_TYPE_ID = 238;

class TSlider : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TSlider>& Manager();
    static const TName& Class();

    TSlider();

    void ForgetLoadedWords();
    void ReleaseLoaded();

    u8 Initialized;
    i32 Minimum;
    i32 Maximum;
    i32 Step;
    i32 Value;
    TControl* pLeft;
    TControl* pRight;
    TControl* pTrackbar;
    TTransitionStyle* pTrackbarStyle;
    u8 Vertical;
    u8 NoButtons;
    u8 ClickToSet;
    TEvent OnChange;
};

static_assert(sizeof(TSlider) == 1384);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TSlider, Minimum) == 1324);
static_assert(offsetof(TSlider, pLeft) == 1340);
static_assert(offsetof(TSlider, pTrackbarStyle) == 1352);
static_assert(offsetof(TSlider, Vertical) == 1356);
static_assert(offsetof(TSlider, OnChange) == 1360);
#pragma GCC diagnostic pop
} // namespace UX

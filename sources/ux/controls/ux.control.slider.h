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

    // Once: the buttons' clicks, the track's render event and (with ClickToSet) its click bound.
    void OnLoad() override;
    void OnShow() override { LayoutTrack(); }
    void Update(TMouse* mouse, f32 step, u32 changed) override;
    // "Left" and "Right" step the value down and up; 1 for them.
    i32 OnAction(TControl* sender, const TName& action) override;
    void CopyFrom(const TControl& source) override;

    // Clamped; a change enables or disables the buttons at the ends and raises OnChange.
    void SetValue(i32 value);
    // The filled part of the track, 0 .. 1 (0 for an empty range).
    f32 Fill() const;

    void ForgetLoadedWords();
    // The range, the value and the parts checked (each with an error line).
    void CheckLoadedValues();
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

private:
    void OnButtonClick(TControl* button, TMouse* mouse);
    void OnTrackClick(TControl* track, TMouse* mouse);
    void OnTrackRender(TControl* track, void*);
    // The track between the buttons (or over the whole control).
    void LayoutTrack();
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

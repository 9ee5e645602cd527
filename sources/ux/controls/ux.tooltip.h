#pragma once
// UX::TToolTip (stored type 248, 36 bytes) and UX::TSimpleToolTip (stored type 249, 48 bytes):
// the tip a control shows after the mouse rests on it, a label placed below the control or
// beside the mouse, shown after a delay and hidden after a duration.
#include "core/cluster/clustertypedecl.h"
#include "ux/ux.control.h"

namespace UX
{
constexpr u16 TOOL_TIP_TYPE_ID = 248;
constexpr u16 SIMPLE_TOOL_TIP_TYPE_ID = 249;

class TToolTip
{
public:
    static const TClusterTypeDecl& Decl();

    TToolTip();

    // The tool-tip operations, in slot order.
    virtual void Update(f32 step) {}
    virtual void Show() {}
    virtual void Hide() {}
    virtual void Open(TControl* owner, TMouse* mouse) {}
    virtual void OnControlGone(TControl* control, TMouse* mouse) {}

    f32 ShowDelay;
    f32 Duration;
    u8 Enabled;
    u32 Shown;
    f32 ShowTimer;
    f32 HideTimer;
    f32 OffsetX;
    f32 OffsetY;
};

class TSimpleToolTip : public TToolTip
{
public:
    static const TClusterTypeDecl& Decl();

    TSimpleToolTip();

    // Only while Enabled: the hide countdown, then the show countdown.
    void Update(f32 step) override;
    // The label shown at once; the hide countdown starts when there is a duration.
    void Show() override;
    void Hide() override;
    // The owner's text in the label, placed below the owner (or beside the mouse for a tall
    // owner) and kept on the back buffer; shown after the delay.
    void Open(TControl* owner, TMouse* mouse) override;
    // Hidden, and the owner forgotten, when the control is the owner.
    void OnControlGone(TControl* control, TMouse* mouse) override;

    // A loaded image's owner word meant a control of another run; the timers start again.
    void ForgetLoadedWords();
    // A label that is no loaded label is cut, and a missing one told (each with an error line).
    void CheckLoadedLabel();

    TControl* pLabel;
    TControl* Owner;
    u32 Placement;
};

static_assert(sizeof(TToolTip) == 36);
static_assert(sizeof(TSimpleToolTip) == 48);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TToolTip, ShowDelay) == 4);
static_assert(offsetof(TSimpleToolTip, pLabel) == 36);
static_assert(offsetof(TSimpleToolTip, Placement) == 44);
#pragma GCC diagnostic pop
} // namespace UX

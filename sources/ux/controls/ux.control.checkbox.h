#pragma once
// UX::TCheckBox (stored type 231, 1,364 bytes): toggles between two styles, one per check
// state; the base of the radio button and the tab.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 CHECK_BOX_TYPE_ID = 231;

class TCheckBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TCheckBox>& Manager();
    static const TName& Class();

    TCheckBox();
    ~TCheckBox() override;

    void SetText(const TLocalization& text) override;
    // The check state's images, at load.
    void OnStyleHook() override { ApplyStateStyle(false); }
    void Draw() override;
    void OnRefresh() override { ApplyStateStyle(false); }
    // Toggles on a left release.
    void OnClick(TMouse* mouse) override;
    // "$OnClick" toggles (the base raised OnClick); 0.
    i32 OnAction(TControl* sender, const TName& action) override;
    void CopyFrom(const TControl& source) override;
    // The two operations the check-box classes add. Nothing when the state is v already;
    // silent: no OnChange.
    virtual void SetChecked(u32 v, u32 silent);
    // Unchecked without an event where the class says so.
    virtual void Uncheck() { SetChecked(0, 0); }

    void ForgetLoadedWords();
    void ReleaseLoaded();

    // Set while OnChange is being raised.
    u8 InEvent;
    u8 Checked;
    // Index 0: the style when unchecked; 1: when checked.
    TTransitionStyle* pStyle[2];
    TEvent OnChange;
    TLocalization Text;

protected:
    // The images of the style of the check state; with setPointer the control takes that style
    // too (a change of state).
    void ApplyStateStyle(bool setPointer);
    // OnChange, unless it is being raised already or the change is silent.
    void RaiseChange(u32 silent);
    // A checked control unchecked with its state's images, without an event.
    void UncheckQuietly();
};

static_assert(sizeof(TCheckBox) == 1364);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TCheckBox, InEvent) == 1320);
static_assert(offsetof(TCheckBox, Checked) == 1321);
static_assert(offsetof(TCheckBox, pStyle) == 1324);
static_assert(offsetof(TCheckBox, OnChange) == 1332);
static_assert(offsetof(TCheckBox, Text) == 1356);
#pragma GCC diagnostic pop

// The check-box links of a class built on the check box, under its path.
#define UX_CHECK_BOX_LINKS(path) UX_LINK(1324, UX::TRANSITION_STYLE_TYPE_ID, 2, "pStyle[0]", path)
} // namespace UX

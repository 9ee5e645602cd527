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

    void ForgetLoadedWords();
    void ReleaseLoaded();

    // Set while OnChange is being raised.
    u8 InEvent;
    u8 Checked;
    // Index 0: the style when unchecked; 1: when checked.
    TTransitionStyle* pStyle[2];
    TEvent OnChange;
    TLocalization Text;
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

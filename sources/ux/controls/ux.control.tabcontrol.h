#pragma once
// UX::TTabControl (stored type 244, 1,620 bytes): shows the panel of its selected tab.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 TAB_CONTROL_TYPE_ID = 244;
constexpr u32 TAB_CAPACITY = 32;

class TTabControl : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TTabControl>& Manager();
    static const TName& Class();

    TTabControl();

    // With AutoLayoutTabs: the tabs share the width, TabSpacing apart.
    void OnShow() override;
    // The tab's panel shown with its transition and OnTabChange raised; every other tab
    // unchecked and its panel hidden at once. Missing panels are skipped.
    void SelectTab(TControl* tab);

    void ForgetLoadedWords();
    // Counts above 32 cut; entries that are no loaded tab or control, and a selected index
    // outside the tabs, reset (each with an error line).
    void CheckLoadedValues();
    void ReleaseLoaded();

    i32 SelectedTab;
    SArray<TControl*, TAB_CAPACITY, 0> aTab;
    SArray<TControl*, TAB_CAPACITY, 0> aPanel;
    f32 TabSpacing;
    u8 AutoLayoutTabs;
    TEvent OnTabChange;
};

static_assert(sizeof(TTabControl) == 1620);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTabControl, aTab) == 1324);
static_assert(offsetof(TTabControl, aPanel) == 1456);
static_assert(offsetof(TTabControl, TabSpacing) == 1588);
static_assert(offsetof(TTabControl, OnTabChange) == 1596);
#pragma GCC diagnostic pop
} // namespace UX

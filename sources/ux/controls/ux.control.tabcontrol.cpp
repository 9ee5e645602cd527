#include "ux/controls/ux.control.tabcontrol.h"

#include "ux/controls/ux.control.tab.h"
#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TTabControl> s_Manager("TTabControl");
} // namespace

const TClusterTypeDecl& TTabControl::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TTabControl", TAB_CONTROL_TYPE_ID, sizeof(TTabControl),
                                   &UxPrototype<TTabControl>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl"),
                                    UX_LINK(1328, UX_ANY_TYPE, TAB_CAPACITY, "aTab", "UX::TTabControl"),
                                    UX_LINK(1460, UX_ANY_TYPE, TAB_CAPACITY, "aPanel", "UX::TTabControl")});
    return s_Decl;
}

TControlManagerTemplate<TTabControl>& TTabControl::Manager()
{
    return s_Manager;
}

const TName& TTabControl::Class()
{
    static const TName s_Name("TTabControl", true);
    return s_Name;
}

TTabControl::TTabControl()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TTabControl::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    OnTabChange.Forget();
}

void TTabControl::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    OnTabChange.Clear();
}

void TTabControl::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedParts(aTab, "tab", &TTab::Class());
    CheckLoadedParts(aPanel, "panel");
    if (aTab.GetCount())
        SelectedTab = LoadedInRange(SelectedTab, 0, static_cast<i32>(aTab.GetCount()) - 1, "selected tab");
}

void TTabControl::SelectTab(TControl* tab)
{
    for (u32 i = 0; i < aTab.GetCount(); ++i)
    {
        TControl* each = aTab[i];
        TControl* panel = i < aPanel.GetCount() ? aPanel[i] : nullptr;
        if (each == tab)
        {
            SelectedTab = static_cast<i32>(i);
            if (panel)
                panel->Show(0);
            OnTabChange.Invoke(this, tab);
            UpdateLayout(1);
            continue;
        }
        if (each && each->IsClass(TTab::Class()))
            static_cast<TTab*>(each)->Uncheck();
        if (panel)
        {
            // Hidden at once even when it was hidden already: its hide always runs.
            panel->nFlags |= CONTROL_VISIBLE;
            panel->Hide(1);
        }
    }
}

void TTabControl::OnShow()
{
    if (!AutoLayoutTabs)
        return;
    if (pParent)
        pParent->UpdateLayout(1);
    const u32 count = aTab.GetCount();
    if (!count || Computed.ScaleX <= 0.0f)
        return;
    // The whole width and one spacing, shared: each tab is the whole part's share, rounded up.
    const f32 total = Computed.Rect.width / Computed.ScaleX + TabSpacing;
    const i32 whole = static_cast<i32>(total);
    const i32 n = static_cast<i32>(count);
    const f32 width = static_cast<f32>(whole / n + (whole % n ? 1 : 0));
    for (i32 i = 0; i < n; ++i)
        if (TControl* tab = aTab[static_cast<u32>(i)])
        {
            tab->SetSize(width - TabSpacing, tab->Base.Rect.height);
            tab->SetPosition(static_cast<f32>(i * whole / n), tab->Base.Rect.y);
        }
}
} // namespace UX

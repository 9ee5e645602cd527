#include "ux/controls/ux.control.panel.h"

#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"
#include "ux/ux.reflection.h"

#include <cmath>

namespace UX
{
namespace
{
TControlManagerTemplate<TPanel> s_Manager("TPanel");
} // namespace

const TClusterTypeDecl& TPanel::Decl()
{
    static TClusterTypeDecl s_Decl(
        "UX::TPanel", PANEL_TYPE_ID, sizeof(TPanel), &UxPrototype<TPanel>(), UX_VIRTUAL_TABLE_WORDS,
        {UX_CONTROL_LINKS("UX::TControl"), UX_LINK(1324, UX_ANY_TYPE, 1, "pContainer", "UX::TPanel"),
         UX_LINK(1328, UX_ANY_TYPE, 1, "pVScroller", "UX::TPanel")});
    return s_Decl;
}

TControlManagerTemplate<TPanel>& TPanel::Manager()
{
    return s_Manager;
}

const TName& TPanel::Class()
{
    static const TName s_Name("TPanel", true);
    return s_Name;
}

TPanel::TPanel()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

void TPanel::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Initialized = 0;
    ShowMode = 0;
}

void TPanel::CheckLoadedValues()
{
    TControl::CheckLoadedValues();
    CheckLoadedPart(pContainer, "content");
    CheckLoadedPart(pVScroller, "scroll bar", &TVScroller::Class());
}

TVScroller* TPanel::GetScrollBar() const
{
    return pVScroller && pVScroller->IsClass(TVScroller::Class()) ? static_cast<TVScroller*>(pVScroller) : nullptr;
}

void TPanel::OnLoad()
{
    if (Initialized)
        return;
    Initialized = 1;
    if (TVScroller* bar = GetScrollBar())
        bar->OnScroll.AddHandler(0, this, &TPanel::OnScroll);
    UpdateScrollBar();
}

void TPanel::OnShow()
{
    TVScroller* bar = GetScrollBar();
    if (ResetScrollOnShow && bar)
        bar->SetPosition(0);
    ShowMode = 2;
    UpdateScrollBar();
}

i32 TPanel::OnAction(TControl*, const TName& action)
{
    TVScroller* bar = GetScrollBar();
    if (!bar || !(nFlags & CONTROL_ATTENTION))
        return 0;
    if (action == ScrollUpAction())
        bar->ScrollUp();
    else if (action == ScrollDownAction())
        bar->ScrollDown();
    else
        return 0;
    return 1;
}

void TPanel::ShowBar(bool show)
{
    TVScroller* bar = GetScrollBar();
    TControl* parts[] = {bar, ScrollBarParts && bar ? bar->pUp : nullptr, ScrollBarParts && bar ? bar->pDown : nullptr,
                         ScrollBarParts && bar ? bar->pSlider : nullptr};
    for (TControl* part : parts)
    {
        if (!part)
            continue;
        if (show)
            part->Show(ShowMode);
        else
            part->Hide(ShowMode);
    }
}

void TPanel::UpdateScrollBar()
{
    UpdateLayout(0);
    if (pContainer)
        pContainer->UpdateLayout(0);
    TVScroller* bar = GetScrollBar();
    const f32 height = Computed.ScaleY > 0.0f ? Computed.Rect.height / Computed.ScaleY : Base.Rect.height;
    ShowBar(!AutoHideScrollBar || ContentHeight > height);
    UpdateLayout(0);
    if (bar)
    {
        bar->SetRange(static_cast<i32>(std::trunc(ContentHeight)));
        bar->SetPage(static_cast<i32>(std::trunc(height)));
    }
    UpdateLayout(1);
}

void TPanel::SetContentHeight(f32 height)
{
    ContentHeight = height;
    UpdateScrollBar();
    if (TVScroller* bar = GetScrollBar())
        bar->UpdateThumb();
    UpdateLayout(1);
}

void TPanel::OnScroll(TControl* control, void*)
{
    if (!pContainer)
        return;
    const TVScroller* bar = static_cast<const TVScroller*>(control);
    // The content moves by the share of its height the bar stands at (an empty range: the top).
    const f32 offset =
        bar->Range > 0 ? static_cast<f32>(bar->Position) * ContentHeight / static_cast<f32>(bar->Range) : 0.0f;
    pContainer->SetPosition(pContainer->Base.Rect.x, -offset);
    pContainer->Refresh();
}
} // namespace UX

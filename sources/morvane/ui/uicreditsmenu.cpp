#include "morvane/ui/uicreditsmenu.h"

#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/screencontrol.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.vscroller.h"

#include <cstdio>

namespace
{
const char* const kInitializeError = "TUICreditsMenu::OnInitialize(): error: ";

template <class T> T* FindControl(UX::TControl* form, const char* name)
{
    return FindScreenControl<T>(form, name, kInitializeError);
}

template <class T> T* FindNumbered(UX::TControl* form, const char* format, u32 index)
{
    char name[64];
    std::snprintf(name, sizeof name, format, index);
    return FindControl<T>(form, name);
}

void PlaceTop(UX::TControl* control, f32 top)
{
    if (control)
        control->SetTop(top);
}
} // namespace

TUICreditsMenu::TUICreditsMenu() : UX::TInstance(CREDITS_FORM_NAME) {}

void TUICreditsMenu::OnInitialize()
{
    UX::TControl* form = GetForm();
    if (!form)
        return;
    m_pTitle = FindControl<UX::TLabel>(form, CREDITS_TITLE_NAME);
    m_pClosing = FindControl<UX::TLabel>(form, CREDITS_CLOSING_NAME);
    m_pClosing2 = FindControl<UX::TLabel>(form, CREDITS_CLOSING2_NAME);
    m_pClose = FindControl<UX::TButton>(form, CREDITS_CLOSE_NAME);
    m_pContent = FindScreenControl(form, CREDITS_CONTENT_NAME, nullptr, kInitializeError);
    m_pPanel = FindControl<UX::TPanel>(form, CREDITS_PANEL_NAME);
    for (u32 i = 0; i < CREDITS_BLOCK_COUNT; ++i)
    {
        m_apHeading[i] = FindNumbered<UX::TLabel>(form, CREDITS_HEADING_NAME, i);
        m_apNames[i] = FindNumbered<UX::TLabel>(form, CREDITS_NAMES_NAME, i);
    }

    form->Event(UX::EVENT_SHOW).AddHandler(0, this, &TUICreditsMenu::OnShow);
    form->Event(UX::EVENT_UPDATE).AddHandler(0, this, &TUICreditsMenu::OnUpdate);
    form->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUICreditsMenu::OnClick);
    if (m_pClose)
        m_pClose->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUICreditsMenu::OnClick);
}

void TUICreditsMenu::_LayOut()
{
    // Laid out while the form comes in: its fonts are loaded then, and the language is the
    // one the player sees.
    if (m_pContent)
        m_pContent->UpdateLayout(1);
    // Each block's names as tall as their text, the next block below them.
    PlaceTop(m_pTitle, CREDITS_TITLE_TOP);
    f32 y = CREDITS_FIRST_TOP;
    for (u32 i = 0; i < CREDITS_BLOCK_COUNT; ++i)
    {
        PlaceTop(m_apHeading[i], y);
        f32 height = 0.0f;
        if (UX::TLabel* names = m_apNames[i])
        {
            names->SetTop(y + CREDITS_NAMES_BELOW);
            height = names->MeasureText(names->Text.GetText(), UX::STATE_NORMAL).fHeight;
            names->SetSize(names->Base.Rect.width, height);
        }
        y += height + CREDITS_BLOCK_GAP;
    }
    PlaceTop(m_pClosing, y);
    PlaceTop(m_pClosing2, y + CREDITS_CLOSING_GAP);
    m_fContentHeight = y + CREDITS_CONTENT_ROOM;
    if (m_pContent)
        m_pContent->SetSize(CREDITS_CONTENT_WIDTH, m_fContentHeight);
    if (m_pPanel)
    {
        m_pPanel->SetContentHeight(CREDITS_PANEL_HEIGHT);
        m_pPanel->UpdateScrollBar();
    }

}

void TUICreditsMenu::OnShow(UX::TControl*, UX::TMouse*)
{
    _LayOut();
    if (m_pClose)
        m_pClose->Show(0);
    if (m_pPanel)
    {
        m_pPanel->Show(0);
        if (UX::TVScroller* bar = m_pPanel->GetScrollBar())
            bar->SetPosition(0);
    }
    if (m_pContent)
        m_pContent->SetPosition(0.0f, CREDITS_START_Y);
}

void TUICreditsMenu::OnUpdate(UX::TControl* form, UX::TMouse*)
{
    // Once closing, the scroll has ended: a second close would start the hide over.
    if (!form || !form->IsVisibleOnScreen() || (form->nFlags & UX::CONTROL_HIDING) || !m_pPanel || !m_pContent)
        return;
    UX::TVScroller* bar = m_pPanel->GetScrollBar();
    if (!bar)
        return;
    bar->ScrollDown();
    // The content rises from below the screen by what the panel scrolled.
    const f32 scrolled = bar->Range > 0 ? static_cast<f32>(bar->Position) * m_pPanel->ContentHeight /
                                              static_cast<f32>(bar->Range)
                                        : 0.0f;
    m_pContent->SetPosition(0.0f, CREDITS_START_Y - scrolled);
    if (m_pContent->Base.Rect.y + m_pContent->Base.Rect.height < 0.0f)
        Close();
}

void TUICreditsMenu::OnClick(UX::TControl*, UX::TMouse*)
{
    Close();
}

void TUICreditsMenu::Close()
{
    if (m_pClose)
        m_pClose->Hide(0);
    if (m_pPanel)
        m_pPanel->Hide(0);
    if (UX::TControl* form = GetForm())
        form->Hide(0);
    if (g_pGameMenuManager)
        g_pGameMenuManager->SetButtonsVisible(1);
}

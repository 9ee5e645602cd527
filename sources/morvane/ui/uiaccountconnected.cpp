#include "morvane/ui/uiaccountconnected.h"

#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uigamemanager.h"
#include "network/account/accountprotocol.h"
#include "ux/controls/ux.control.button.h"

TUIAccountConnected::TUIAccountConnected() : TUIAccountScreen(ACCOUNT_CONNECTED_NAME, nullptr) {}

void TUIAccountConnected::OnInitialize()
{
    m_pBack = Find<UX::TButton>(ACCOUNT_BACK_BUTTON);
    m_pUpdate = Find<UX::TButton>(ACCOUNT_UPDATE_BUTTON);
    m_pLogout = Find<UX::TButton>(ACCOUNT_LOGOUT_BUTTON);
    if (m_pBack)
        m_pBack->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountConnected::OnBack);
    if (m_pUpdate)
        m_pUpdate->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountConnected::OnUpdate);
    if (m_pLogout)
        m_pLogout->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountConnected::OnLogout);
    BindForm();
}

void TUIAccountConnected::OnFormShown()
{
    TAccountProtocol* protocol = Protocol();
    if (!protocol || protocol->IsLoggedIn() || !Screens())
        return;
    // Nothing to show without a session: the login screen stands in.
    if (UX::TControl* form = GetForm())
        form->Hide(1);
    static_cast<TUIAccountLogin&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_LOGIN)).Open(ACCOUNT_LOGIN_FROM_MENU);
}

void TUIAccountConnected::OnBack(UX::TControl*, UX::TMouse*)
{
    SlideOutRight();
    if (g_pGameMenuManager)
        g_pGameMenuManager->SetButtonsVisible(1);
}

void TUIAccountConnected::OnUpdate(UX::TControl*, UX::TMouse*)
{
    SlideOutLeft();
    if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_UPDATE)).SlideInFromRight();
}

void TUIAccountConnected::OnLogout(UX::TControl*, UX::TMouse*)
{
    // Refused (2) while not logged in: the page stays.
    if (TAccountProtocol* protocol = Protocol())
        if (protocol->RequestLogout(ACCOUNT_LOGOUT_BY_PLAYER, nullptr, 0) == ACCOUNT_QUEUE_FULL)
            ShowQueueFull(ACCOUNT_LOGOUT);
}

void TUIAccountConnected::OnDisconnected()
{
    SlideOutRight();
    if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_LOGIN))
            .SetShowStart(-ACCOUNT_SLIDE_DISTANCE);
    if (g_pGameMenuManager)
        g_pGameMenuManager->SetButtonsVisible(1);
}

void TUIAccountConnected::OnRequestFailed(u32 kind, u32 code)
{
    ShowRequestFailure(kind, code);
}

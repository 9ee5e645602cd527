#pragma once
// TUIAccountConnected: the page of a logged-in player. Back to the main menu, on to the
// update-account screen, or log out; when the account client reports the connection ended (a
// log-out, or the server's word), the page gives way to the main menu. The main menu's Account
// opens the page: shown while no one is logged in, it gives way to the login screen at once.
#include "morvane/ui/uiaccountscreen.h"

namespace UX
{
class TButton;
} // namespace UX

inline constexpr const char* ACCOUNT_CONNECTED_NAME = "TUIAccountConnected";
inline constexpr const char* ACCOUNT_BACK_BUTTON = "btnBack";
inline constexpr const char* ACCOUNT_UPDATE_BUTTON = "btnUpdateAccount";
inline constexpr const char* ACCOUNT_LOGOUT_BUTTON = "btnLogout";
// The log-out the player asks for.
constexpr u32 ACCOUNT_LOGOUT_BY_PLAYER = 0;

class TUIAccountConnected : public TUIAccountScreen
{
public:
    TUIAccountConnected();

    void OnInitialize() override;
    void OnRequestFailed(u32 kind, u32 code) override;
    void OnDisconnected() override;

    UX::TButton* GetBackButton() const { return m_pBack; }
    UX::TButton* GetUpdateButton() const { return m_pUpdate; }
    UX::TButton* GetLogoutButton() const { return m_pLogout; }

    void OnBack(UX::TControl*, UX::TMouse*);
    void OnUpdate(UX::TControl*, UX::TMouse*);
    void OnLogout(UX::TControl*, UX::TMouse*);

protected:
    void OnFormShown() override;

private:
    UX::TButton* m_pBack = nullptr;
    UX::TButton* m_pUpdate = nullptr;
    UX::TButton* m_pLogout = nullptr;
};

#pragma once
// TUIAccountLogin: the account login screen. The player types a user name (an e-mail address)
// and a password, may have the password remembered and the log-in made at start, and logs in,
// goes to the create screen, asks for a forgotten password or leaves. A remembered password
// shows as a placeholder, and the log-in then sends the stored digest. Without a connection the
// log-in may be made against the login stored on this computer.
#include "morvane/ui/uiaccountscreen.h"

namespace UX
{
class TButton;
class TCheckBox;
class TTextBox;
} // namespace UX

// The names of the form's controls in the UX data.
inline constexpr const char* ACCOUNT_LOGIN_NAME = "TUIAccountLogin";
inline constexpr const char* ACCOUNT_CLOSE_BUTTON = "btnClose";
inline constexpr const char* ACCOUNT_LOGIN_BUTTON = "btnLogin";
inline constexpr const char* ACCOUNT_CREATE_BUTTON = "btnCreateAccount";
inline constexpr const char* ACCOUNT_FORGOT_BUTTON = "btnForgotPassword";
inline constexpr const char* ACCOUNT_USERNAME_BOX = "txtUsername";
inline constexpr const char* ACCOUNT_PASSWORD_BOX = "txtPassword";
inline constexpr const char* ACCOUNT_REMEMBER_BOX = "chkRememberPassword";
inline constexpr const char* ACCOUNT_AUTOLOGIN_BOX = "chkAutoLogin";
inline constexpr const char* ACCOUNT_STATUS_LABEL = "lblStatus";
// What the password box shows for a remembered password: two line feeds, ten digits, two line
// feeds (nothing a player types).
inline constexpr const char16_t* ACCOUNT_PASSWORD_PLACEHOLDER = u"\n\n7305168249\n\n";
// An account's mail must be validated within this many days of its registration.
constexpr i32 ACCOUNT_VALIDATION_DAYS = 6;

// Where the screen was opened from: after a log-in it goes back to the main menu, or on to the
// account page.
enum EAccountLoginMode : u32
{
    ACCOUNT_LOGIN_FROM_MENU = 0,
    ACCOUNT_LOGIN_FROM_PAGE = 1
};

class TUIAccountLogin : public TUIAccountScreen
{
public:
    TUIAccountLogin();

    void OnInitialize() override;
    // Shows the form sliding in from the left; from the menu, a message box on screen stays in
    // front.
    void Open(u32 mode);

    // The typed name and the last log-in's password digest handed to the account client; a
    // log-in against the stored login at once when the client took the stored digest, else the
    // question whether to.
    void StartOfflinePath();
    // The days left to validate the mail of an account registered at the time (both FILETIMEs):
    // 6 less the days since, truncated, within 0..6 (a registration in the future shows 6).
    static i32 DaysLeftToValidate(u64 now, u64 registered);
    // The automatic log-in runs once a program run; tests start a run again.
    static void ResetAutomaticLogin();

    void OnRequestSucceeded(u32 kind) override;
    void OnRequestFailed(u32 kind, u32 code) override;

    bool IsStoredPasswordShown() const { return m_bStoredPassword; }
    UX::TTextBox* GetUserNameBox() const { return m_pUserName; }
    UX::TTextBox* GetPasswordBox() const { return m_pPassword; }
    UX::TCheckBox* GetRememberBox() const { return m_pRemember; }
    UX::TCheckBox* GetAutoLoginBox() const { return m_pAutoLogin; }
    UX::TButton* GetLoginButton() const { return m_pLogin; }
    UX::TButton* GetCloseButton() const { return m_pClose; }
    UX::TButton* GetCreateButton() const { return m_pCreate; }
    UX::TButton* GetForgotButton() const { return m_pForgot; }

    // The handlers, as the controls call them.
    void OnLogin(UX::TControl*, UX::TMouse*);
    void OnClose(UX::TControl*, UX::TMouse*);
    void OnCreate(UX::TControl*, UX::TMouse*);
    void OnForgot(UX::TControl*, UX::TMouse*);

protected:
    void OnFormShown() override;
    void WipePasswords() override;

private:
    void OnTextChanged(UX::TControl*, void*);
    void OnPasswordChanged(UX::TControl*, void*);
    void OnAutoLoginChanged(UX::TControl*, void*);
    void OnForgotAnswer(UX::TControl*, TUIMessageResult* result);
    void OnConnectionAnswer(UX::TControl*, TUIMessageResult* result);
    // Buttons and check boxes enabled (idle) or disabled (a request runs).
    void SetIdle(bool idle);
    void UpdateLoginButton();
    void LayOutButtons();
    // The flags of SaveStoredLogin and of an offline log-in, from the check boxes.
    u32 StoredLoginFlags() const;
    void LoginOffline();

    UX::TButton* m_pClose = nullptr;
    UX::TButton* m_pLogin = nullptr;
    UX::TButton* m_pCreate = nullptr;
    UX::TButton* m_pForgot = nullptr;
    UX::TTextBox* m_pUserName = nullptr;
    UX::TTextBox* m_pPassword = nullptr;
    UX::TCheckBox* m_pRemember = nullptr;
    UX::TCheckBox* m_pAutoLogin = nullptr;
    u32 m_nMode = ACCOUNT_LOGIN_FROM_MENU;
    // The password box holds the placeholder the screen put there: the stored digest is meant.
    bool m_bStoredPassword = false;
    // Set while the screen itself changes the password box.
    bool m_bFilling = false;
    // The digest of the password of the last log-in (the box is emptied when it is sent), for
    // the offline path.
    u8 m_aTypedDigest[ACCOUNT_DIGEST_SIZE] = {};
};

#include "morvane/ui/uiaccountlogin.h"

#include "core/system/unistring.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/uiaccountconnected.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uigamemanager.h"
#include "network/account/accountprotocol.h"
#include "network/account/accounttext.h"
#include "network/account/storedlogin.h"
#include "player/formatwidetext.h"
#include "player/playerprofilemanager.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.textbox.h"

namespace
{
// FILETIME units in a day.
constexpr f64 FILETIME_PER_DAY = 86400.0 * 10000000.0;
// The mail question's text is cut here.
constexpr i32 MAIL_TEXT_LENGTH = 512;

// Set at program start, cleared by the first automatic log-in.
bool s_bAutomaticLoginPending = true;

UX::TLocalization Key(const char* key)
{
    UX::TLocalization text;
    text.SetName(TName(key, true));
    return text;
}

bool IsEmpty(const UX::TTextBox* box)
{
    return !box || box->Length() == 0;
}
} // namespace

TUIAccountLogin::TUIAccountLogin() : TUIAccountScreen(ACCOUNT_LOGIN_NAME, "lblStatusLogin") {}

void TUIAccountLogin::ResetAutomaticLogin()
{
    s_bAutomaticLoginPending = true;
}

void TUIAccountLogin::OnInitialize()
{
    m_pClose = Find<UX::TButton>(ACCOUNT_CLOSE_BUTTON);
    m_pLogin = Find<UX::TButton>(ACCOUNT_LOGIN_BUTTON);
    m_pCreate = Find<UX::TButton>(ACCOUNT_CREATE_BUTTON);
    m_pForgot = Find<UX::TButton>(ACCOUNT_FORGOT_BUTTON);
    m_pUserName = RowPart<UX::TTextBox>(FindRow(ACCOUNT_USERNAME_BOX));
    m_pPassword = RowPart<UX::TTextBox>(FindRow(ACCOUNT_PASSWORD_BOX));
    m_pRemember = RowPart<UX::TCheckBox>(FindRow(ACCOUNT_REMEMBER_BOX));
    m_pAutoLogin = RowPart<UX::TCheckBox>(FindRow(ACCOUNT_AUTOLOGIN_BOX));
    m_pStatus = Find<UX::TLabel>(ACCOUNT_STATUS_LABEL);
    m_bStoredPassword = false;

    if (m_pClose)
        m_pClose->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountLogin::OnClose);
    if (m_pLogin)
        m_pLogin->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountLogin::OnLogin);
    if (m_pCreate)
        m_pCreate->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountLogin::OnCreate);
    if (m_pForgot)
        m_pForgot->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountLogin::OnForgot);
    if (m_pUserName)
        m_pUserName->OnTextChange.AddHandler(0, this, &TUIAccountLogin::OnTextChanged);
    if (m_pPassword)
        m_pPassword->OnTextChange.AddHandler(0, this, &TUIAccountLogin::OnPasswordChanged);
    if (m_pAutoLogin)
        m_pAutoLogin->OnChange.AddHandler(0, this, &TUIAccountLogin::OnAutoLoginChanged);
    BindForm();
}

void TUIAccountLogin::Open(u32 mode)
{
    m_nMode = mode;
    SlideInFromLeft();
    // The message box stays in front of the screen.
    TUIMessageDialog* box = MessageBox();
    if (mode == ACCOUNT_LOGIN_FROM_MENU && box && box->GetForm() && box->GetForm()->IsVisibleOnScreen())
        box->GetForm()->Show(0);
}

void TUIAccountLogin::WipePasswords()
{
    SetBoxText(m_pPassword, u"");
    m_bStoredPassword = false;
    WipeSecret(m_aTypedDigest, sizeof m_aTypedDigest);
}

void TUIAccountLogin::OnFormShown()
{
    TAccountProtocol* protocol = Protocol();
    if (IsEmpty(m_pUserName) && protocol)
    {
        char16_t stored[ACCOUNT_TEXT_LENGTH + 1] = {};
        Utf8ToUtf16(stored, ACCOUNT_TEXT_LENGTH + 1, protocol->GetAccount().Username.GetText());
        SetBoxText(m_pUserName, stored);
    }
    // The stored login keeps the name as logins send it: trimmed and lower-cased.
    char user[ACCOUNT_PASSWORD_ROOM * 3 + 1] = {};
    const bool known = m_pUserName && AccountUtf8(user, sizeof user, m_pUserName->GetText());
    if (known)
        NormalizeUsername(user);
    m_bStoredPassword = known && user[0] && HasStoredPassword(user);
    m_bFilling = true;
    SetBoxText(m_pPassword, m_bStoredPassword ? ACCOUNT_PASSWORD_PLACEHOLDER : u"");
    m_bFilling = false;
    if (m_pRemember)
        m_pRemember->SetChecked(m_bStoredPassword ? 1 : 0, 1);
    if (m_pAutoLogin)
        m_pAutoLogin->SetChecked(GetStoredAutologin() ? 1 : 0, 1);
    SetIdle(true);
    HideStatus();
    if (m_pClose)
        m_pClose->SetText(Key("btnClose"));
    UpdateLoginButton();
    if (GetStoredAutologin() && s_bAutomaticLoginPending)
    {
        s_bAutomaticLoginPending = false;
        OnLogin(m_pLogin, nullptr);
    }
    LayOutButtons();
}

void TUIAccountLogin::LayOutButtons()
{
    if (m_pClose)
        m_pClose->SetWidth(ButtonWidth(m_pClose));
    f32 right = ACCOUNT_BUTTON_EDGE;
    for (UX::TButton* button : {m_pLogin, m_pCreate, m_pForgot})
    {
        if (!button)
            continue;
        const f32 width = ButtonWidth(button);
        button->nEdgeFlags = 0;
        button->fLeft = button->fTop = button->fRight = button->fBottom = 0.0f;
        button->SetWidth(width);
        button->SetRight(right);
        button->SetBottom(ACCOUNT_BUTTON_EDGE);
        right -= width + 1.0f;
    }
    if (UX::TControl* form = GetForm())
        form->UpdateLayout(1);
}

void TUIAccountLogin::SetIdle(bool idle)
{
    for (UX::TControl* control : {static_cast<UX::TControl*>(m_pLogin), static_cast<UX::TControl*>(m_pCreate),
                                  static_cast<UX::TControl*>(m_pForgot), static_cast<UX::TControl*>(m_pRemember),
                                  static_cast<UX::TControl*>(m_pAutoLogin)})
        SetEnabled(control, idle);
    // Automatic log-in keeps "remember" locked.
    if (idle && m_pAutoLogin && m_pAutoLogin->Checked && m_pRemember)
        m_pRemember->Disable();
}

void TUIAccountLogin::UpdateLoginButton()
{
    SetEnabled(m_pLogin, !IsEmpty(m_pUserName) && !IsEmpty(m_pPassword));
}

void TUIAccountLogin::OnTextChanged(UX::TControl*, void*)
{
    UpdateLoginButton();
}

void TUIAccountLogin::OnPasswordChanged(UX::TControl*, void*)
{
    // A typed password is the player's own, whatever it reads.
    if (!m_bFilling)
        m_bStoredPassword = false;
    UpdateLoginButton();
}

void TUIAccountLogin::OnAutoLoginChanged(UX::TControl*, void*)
{
    if (!m_pAutoLogin || !m_pRemember)
        return;
    if (m_pAutoLogin->Checked)
    {
        m_pRemember->SetChecked(1, 0);
        m_pRemember->Disable();
    }
    else
        m_pRemember->Enable();
}

u32 TUIAccountLogin::StoredLoginFlags() const
{
    u32 flags = STORED_LOGIN_REMEMBER;
    if (m_pRemember && m_pRemember->Checked)
        flags |= STORED_LOGIN_PASSWORD;
    if (m_pAutoLogin && m_pAutoLogin->Checked)
        flags |= STORED_LOGIN_AUTOLOGIN;
    return flags;
}

void TUIAccountLogin::OnLogin(UX::TControl*, UX::TMouse*)
{
    TAccountProtocol* protocol = Protocol();
    // The button's own rule holds for the automatic log-in too: never a login without a password.
    if (!protocol || IsEmpty(m_pUserName) || IsEmpty(m_pPassword))
        return;
    const u32 result = protocol->RequestLogin(m_pUserName->GetText(), m_pPassword->GetText(), u"", m_bStoredPassword);
    if (result == ACCOUNT_TOO_LONG)
    {
        // The record holds 31 bytes of each: say which one does not fit.
        if (!TUIAccountCreate::FitsRecord(m_pUserName->GetText(), true))
            ShowFieldError("locAccountInvalidUsernameTitle", "locAccountInvalidUsernameText");
        else
            ShowFieldError("locAccountInvalidPasswordTitle", "locAccountInvalidPasswordText");
    }
    if (result == ACCOUNT_QUEUE_FULL)
        ShowQueueFull(ACCOUNT_LOGIN);
    // The request holds the digest, or was refused: the box keeps no password, only the offline
    // path its digest.
    if (!m_bStoredPassword)
    {
        if (result == ACCOUNT_QUEUED)
            HashPassword(m_aTypedDigest, m_pPassword->GetText());
        SetBoxText(m_pPassword, u"");
        UpdateLoginButton();
    }
    if (result != ACCOUNT_QUEUED)
        return;
    SetIdle(false);
    ShowStatus();
}

void TUIAccountLogin::OnCreate(UX::TControl*, UX::TMouse*)
{
    SlideOutLeft();
    if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_CREATE)).SlideInFromRight();
}

void TUIAccountLogin::OnForgot(UX::TControl*, UX::TMouse*)
{
    TUIMessageDialog* box = MessageBox();
    if (!box)
        return;
    box->ShowWithCallback(Key("locAccountForgotPasswordTitle"), Key("locAccountForgotPasswordText"), this,
                          &TUIAccountLogin::OnForgotAnswer, MESSAGE_TEXT_INPUT, ACCOUNT_MESSAGE_MODE);
    if (UX::TTextBox* input = box->GetTextBox())
        SetBoxText(input, m_pUserName ? m_pUserName->GetText() : u"");
}

void TUIAccountLogin::OnForgotAnswer(UX::TControl*, TUIMessageResult* result)
{
    if (result && result->nButton == 1 && Protocol())
        if (Protocol()->RequestForgottenPassword(result->pText ? result->pText : u"") == ACCOUNT_QUEUE_FULL)
            ShowQueueFull(ACCOUNT_SPECIAL);
}

void TUIAccountLogin::OnClose(UX::TControl*, UX::TMouse*)
{
    SlideOutRight();
    if (g_pGameMenuManager)
        g_pGameMenuManager->SetButtonsVisible(1);
}

i32 TUIAccountLogin::DaysLeftToValidate(u64 now, u64 registered)
{
    const f64 elapsed = (static_cast<f64>(now) - static_cast<f64>(registered)) / FILETIME_PER_DAY;
    const f64 left = static_cast<f64>(ACCOUNT_VALIDATION_DAYS) - elapsed;
    if (left <= 0.0)
        return 0;
    return left >= ACCOUNT_VALIDATION_DAYS ? ACCOUNT_VALIDATION_DAYS : static_cast<i32>(left);
}

void TUIAccountLogin::OnRequestSucceeded(u32 kind)
{
    if (kind != ACCOUNT_LOGIN)
        return;
    TAccountProtocol* protocol = Protocol();
    const TAccountData account = protocol ? protocol->GetAccount() : TAccountData();
    SaveStoredLogin(account, StoredLoginFlags());
    if (!(account.nFlags & ACCOUNT_FLAG_STATE_13))
    {
        const u64 now = g_pPlayerProfileManager ? g_pPlayerProfileManager->GetLocalTime() : 0;
        const UX::TLocalization format = Key("locAccountMailNotValidatedText");
        char16_t text[FORMAT_WIDE_TEXT_SIZE];
        FormatStringW(text, format.GetText() ? format.GetText() : u"%d", DaysLeftToValidate(now, account.nValue4));
        text[MAIL_TEXT_LENGTH] = 0;
        AskToResend(Key("locAccountMailNotValidatedTitle"), UX::TLocalization(text));
    }
    if (m_nMode == ACCOUNT_LOGIN_FROM_PAGE)
    {
        SlideOutLeft();
        if (Screens())
            static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_CONNECTED)).SlideInFromRight();
        return;
    }
    SlideOutRight();
    if (g_pGameMenuManager)
        g_pGameMenuManager->SetButtonsVisible(1);
}

void TUIAccountLogin::OnRequestFailed(u32 kind, u32 code)
{
    if (kind == ACCOUNT_LOGIN)
    {
        SetIdle(true);
        UpdateLoginButton();
        HideStatus();
    }
    ShowRequestFailure(kind, code);
}

void TUIAccountLogin::StartOfflinePath()
{
    TAccountProtocol* protocol = Protocol();
    if (!protocol || !m_pUserName)
        return;
    if (protocol->SetCredentials(m_pUserName->GetText(), m_bStoredPassword ? nullptr : m_aTypedDigest) != 0)
    {
        LoginOffline();
        return;
    }
    if (TUIMessageDialog* box = MessageBox())
        box->ShowWithCallback(Key("locAccountLoginConnectionErrorTitle"), Key("locAccountLoginConnectionErrorText"),
                              this, &TUIAccountLogin::OnConnectionAnswer, MESSAGE_QUESTION, ACCOUNT_MESSAGE_MODE,
                              TName("btnAccountConnectOffLine", true), TName("btnCancel", true));
}

void TUIAccountLogin::OnConnectionAnswer(UX::TControl*, TUIMessageResult* result)
{
    if (result && result->nButton == 1)
    {
        LoginOffline();
        return;
    }
    if (TUIMessageDialog* box = MessageBox())
        box->Show(Key("msgAccountLogin"), Key("msgAccountResultConnectionError"), MESSAGE_WARNING,
                  ACCOUNT_MESSAGE_MODE);
}

void TUIAccountLogin::LoginOffline()
{
    TAccountProtocol* protocol = Protocol();
    if (!protocol || !m_pUserName)
        return;
    if (protocol->LoginOffline(m_pUserName->GetText(), m_bStoredPassword ? nullptr : m_aTypedDigest,
                               StoredLoginFlags()) == 0)
        return;
    if (TUIMessageDialog* box = MessageBox())
        box->Show(Key("locAccountOffLineLoginErrorTitle"), Key("locAccountOffLineLoginErrorText"), MESSAGE_WARNING,
                  ACCOUNT_MESSAGE_MODE);
}

#include "morvane/ui/uiaccountscreen.h"

#include "core/system/datetime.h"
#include "core/system/log.h"
#include "core/system/timer.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uigamemanager.h"
#include "network/account/accountmanager.h"
#include "network/account/accountprotocol.h"
#include "network/account/accounttext.h"
#include "player/formatwidetext.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.style.h"
#include "ux/ux.text.h"

namespace
{
const char* const kResultKeys[ACCOUNT_LAST_RESULT_CODE + 1] = {
    "msgAccountResultOK",
    "msgAccountResultError",
    "msgAccountResultInvalidMessage",
    "msgAccountResultUnknownSession",
    "msgAccountResultUsernameAvailable",
    "msgAccountResultUsernameUsed",
    "locaAccountUnknownResult",
    "msgAccountResultInvalidUsernameOrPassword",
    "msgAccountResultInvalidUnverified",
    "locaAccountUnknownResult",
    "locaAccountUnknownResult",
    "msgAccountResultLoggedinElsewhere",
    "msgAccountResultTimedOut",
    "msgAccountResultConnectionError"};
const char* const kKindKeys[ACCOUNT_LAST_REQUEST_KIND + 1] = {
    "",
    "msgAccountCreate",
    "msgAccountCheckUsername",
    "msgAccountLogin",
    "msgAccountLogout",
    "msgAccountUpdateUserdata",
    "msgAccountChangeUserPassword",
    "msgAccountRequest",
    "",
    "",
    "msgAccountPing"};
// The status text with zero to three dots.
const char16_t* const kStatusFormats[4] = {u"%s", u"%s.", u"%s..", u"%s..."};

bool IsAsciiLetter(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

UX::TLocalization Key(const char* key)
{
    UX::TLocalization text;
    text.SetName(TName(key, true));
    return text;
}
} // namespace

TUIAccountScreen::TUIAccountScreen(const char* className, const char* statusKey)
    : UX::TInstance(className), m_pStatusKey(statusKey)
{
}

bool TUIAccountScreen::IsValidUserName(const char16_t* text)
{
    if (!text || !IsAsciiLetter(text[0]))
        return false;
    i32 at = -1, dot = -1, length = 0;
    for (; text[length]; ++length)
    {
        if (text[length] == u'@')
            at = length;
        else if (text[length] == u'.')
            dot = length;
    }
    return at >= 0 && dot >= 0 && at < dot && dot != length - 1;
}

bool TUIAccountScreen::IsValidBirthDate(u32 year, u32 month, u32 day)
{
    static const u32 kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1u : 0u);
}

const char* TUIAccountScreen::GetResultKey(u32 code)
{
    return code > ACCOUNT_LAST_RESULT_CODE ? "locaAccountUnknownResult" : kResultKeys[code];
}

const char* TUIAccountScreen::GetKindKey(u32 kind)
{
    return kind > ACCOUNT_LAST_REQUEST_KIND ? "locaAccountUnknownAction" : kKindKeys[kind];
}

TAccountProtocol* TUIAccountScreen::Protocol()
{
    return g_pAccountManager ? &g_pAccountManager->GetProtocol() : nullptr;
}

TUIGameManager* TUIAccountScreen::Screens()
{
    return g_pUIGameManager;
}

TUIMessageDialog* TUIAccountScreen::MessageBox()
{
    return g_pUIGameManager ? &g_pUIGameManager->GetMessageDialog() : nullptr;
}

UX::TControl* TUIAccountScreen::_Find(const char* name, const TName& className)
{
    UX::TControl* form = GetForm();
    UX::TControl* control = form ? form->FindChild(TName(name, true)) : nullptr;
    if (control && (className == TName() || control->IsClass(className)))
        return control;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TUIAccountScreen::Find(): error: ", "'%s' has no %s '%s'.",
                GetClassName().GetText(), className == TName() ? "control" : className.GetText(), name);
    return nullptr;
}

UX::TControl* TUIAccountScreen::_RowPart(UX::TControl* row, const TName& className, u32 index)
{
    for (UX::TControl* part = row ? row->lChild.pFirst : nullptr; part; part = part->pNext)
        if (part->IsClass(className) && index-- == 0)
            return part;
    return nullptr;
}

bool TUIAccountScreen::GetRowDate(UX::TControl* row, u32& year, u32& month, u32& day)
{
    UX::TComboBox* lists[3] = {RowPart<UX::TComboBox>(row, 0), RowPart<UX::TComboBox>(row, 1),
                               RowPart<UX::TComboBox>(row, 2)};
    if (!lists[0] || !lists[1] || !lists[2])
        return false;
    TDateTime now;
    now.FromFileTime(GetLocalFileTime());
    year = now.year - lists[0]->SelectedIndex;
    month = lists[1]->SelectedIndex + 1u;
    day = lists[2]->SelectedIndex + 1u;
    return true;
}

void TUIAccountScreen::SetRowDate(UX::TControl* row, u32 year, u32 month, u32 day)
{
    UX::TComboBox* lists[3] = {RowPart<UX::TComboBox>(row, 0), RowPart<UX::TComboBox>(row, 1),
                               RowPart<UX::TComboBox>(row, 2)};
    if (!lists[0] || !lists[1] || !lists[2])
        return;
    TDateTime now;
    now.FromFileTime(GetLocalFileTime());
    lists[0]->SetSelectedIndex(static_cast<i32>(now.year) - static_cast<i32>(year));
    lists[1]->SetSelectedIndex(static_cast<i32>(month) - 1);
    lists[2]->SetSelectedIndex(static_cast<i32>(day) - 1);
}

void TUIAccountScreen::BindForm()
{
    m_nStatusStep = 0;
    m_fStatusCountdown = 0.0f;
    UX::TControl* form = GetForm();
    if (!form)
        return;
    form->Event(UX::EVENT_SHOW).AddHandler(0, this, &TUIAccountScreen::_OnShow);
    form->Event(UX::EVENT_HIDE).AddHandler(0, this, &TUIAccountScreen::_OnHide);
    if (m_pStatusKey)
        form->Event(UX::EVENT_UPDATE).AddHandler(0, this, &TUIAccountScreen::_OnUpdate);
}

bool TUIAccountScreen::IsShowing() const
{
    const UX::TControl* form = GetForm();
    return form && form->IsVisibleOnScreen();
}

void TUIAccountScreen::SetShowStart(f32 x)
{
    // The form's own style: its hidden place is where a show starts and a hide ends.
    UX::TControl* form = GetForm();
    if (form && form->pStyle)
        form->pStyle->aTransition[UX::STATE_HIDDEN].Rect.x = x;
}

void TUIAccountScreen::_SlideOut(f32 x)
{
    WipePasswords();
    SetShowStart(x);
    if (UX::TControl* form = GetForm())
        form->Hide(0);
}

void TUIAccountScreen::_SlideIn(f32 x)
{
    SetShowStart(x);
    if (UX::TControl* form = GetForm())
        form->Show(0);
}

void TUIAccountScreen::_OnShow(UX::TControl*, void*)
{
    if (TAccountProtocol* protocol = Protocol())
        protocol->AddListener(this);
    OnFormShown();
}

void TUIAccountScreen::_OnHide(UX::TControl*, void*)
{
    if (TAccountProtocol* protocol = Protocol())
        protocol->RemoveListener(this);
    WipePasswords();
    OnFormHidden();
}

void TUIAccountScreen::ShowStatus()
{
    m_nStatusStep = 0;
    m_fStatusCountdown = 0.0f;
    if (m_pStatus)
        m_pStatus->Show(0);
}

void TUIAccountScreen::HideStatus()
{
    if (m_pStatus)
        m_pStatus->Hide(1);
}

void TUIAccountScreen::_OnUpdate(UX::TControl*, UX::TMouse*)
{
    if (!m_pStatus || !m_pStatus->IsVisibleOnScreen())
        return;
    if (!IsShowing())
    {
        HideStatus();
        return;
    }
    // The menus stop the game's clock: the dots count real time.
    m_fStatusCountdown -= g_pTimer ? g_pTimer->GetRealTimeStep() : 0.0f;
    if (m_fStatusCountdown > 0.0f)
        return;
    m_fStatusCountdown = ACCOUNT_STATUS_STEP;
    const UX::TLocalization status = Key(m_pStatusKey);
    const char16_t* text = status.GetText();
    UX::TLocalization shown;
    FormatWideText(shown, kStatusFormats[m_nStatusStep], text ? text : u"");
    m_pStatus->SetText(shown);
    m_nStatusStep = (m_nStatusStep + 1) % 4;
}

void TUIAccountScreen::ShowFieldError(const char* titleKey, const char* textKey)
{
    if (TUIMessageDialog* box = MessageBox())
        box->ShowWithCallback(Key(titleKey), Key(textKey), this, &TUIAccountScreen::_OnFieldErrorClosed,
                              MESSAGE_WARNING, ACCOUNT_MESSAGE_MODE);
}

void TUIAccountScreen::_OnFieldErrorClosed(UX::TControl*, TUIMessageResult*)
{
    OnFieldErrorClosed();
}

void TUIAccountScreen::AskToResend(const UX::TLocalization& title, const UX::TLocalization& text)
{
    if (TUIMessageDialog* box = MessageBox())
        box->ShowWithCallback(title, text, this, &TUIAccountScreen::_OnResendAnswer, MESSAGE_QUESTION,
                              ACCOUNT_MESSAGE_MODE, TName("btnOK", true), TName("btnAccountResend", true));
}

void TUIAccountScreen::_OnResendAnswer(UX::TControl*, TUIMessageResult* result)
{
    if (result && result->nButton == 0)
        if (TAccountProtocol* protocol = Protocol())
            if (protocol->RequestSpecial(ACCOUNT_SPECIAL_RESEND) == ACCOUNT_QUEUE_FULL)
                ShowQueueFull(ACCOUNT_SPECIAL);
}

void TUIAccountScreen::ShowQueueFull(u32 kind)
{
    if (TUIMessageDialog* box = MessageBox())
        box->Show(Key(GetKindKey(kind)), Key("msgAccountQueueFull"), MESSAGE_WARNING, ACCOUNT_MESSAGE_MODE);
}

void TUIAccountScreen::ShowRequestFailure(u32 kind, u32 code)
{
    if (kind == ACCOUNT_POLL)
        return;
    if (kind == ACCOUNT_LOGIN && code == ACCOUNT_RESULT_UNVERIFIED)
    {
        AskToResend(Key(GetKindKey(kind)), Key(GetResultKey(code)));
        return;
    }
    if (kind == ACCOUNT_LOGIN && code == ACCOUNT_LOCAL_FAILURE && Screens())
    {
        static_cast<TUIAccountLogin&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_LOGIN)).StartOfflinePath();
        return;
    }
    if (TUIMessageDialog* box = MessageBox())
        box->Show(Key(GetKindKey(kind)), Key(GetResultKey(code)), MESSAGE_WARNING, ACCOUNT_MESSAGE_MODE);
}

const char16_t* TUIAccountScreen::TextOf(const UX::TTextBox* box)
{
    return box ? box->GetText() : u"";
}

void TUIAccountScreen::SetBoxText(UX::TTextBox* box, const char16_t* text)
{
    if (!box)
        return;
    // The whole storage: the text replaced may have been a password.
    WipeSecret(box->Text.GetData(), box->Text.GetCapacity() * sizeof(char16_t));
    box->Text.SetCount(0);
    for (const char16_t* c = text; c && *c && box->Text.GetCount() + 1 < box->Text.GetCapacity(); ++c)
        box->Text.Add(*c);
    box->Text.Add(u'\0');
    box->ResetCursor();
}

void TUIAccountScreen::SetEnabled(UX::TControl* control, bool enabled)
{
    if (!control)
        return;
    if (enabled)
        control->Enable();
    else
        control->Disable();
}

void TUIAccountScreen::FillAvatars(UX::TSelector* avatar)
{
    if (!avatar || avatar->Items.GetCount() != 0)
        return;
    for (const char* key : ACCOUNT_AVATAR_KEYS)
    {
        UX::TLocalization text;
        text.SetName(TName(key, true));
        avatar->Items.Add(avatar->Items.GetCount(), text);
    }
}

void TUIAccountScreen::ArrangeFields(UX::TStacker* stacker, UX::TPanel* panel)
{
    if (!stacker)
        return;
    stacker->Arrange(1);
    if (panel)
        panel->SetContentHeight((stacker->GetContentHeight() + ACCOUNT_FIELDS_ROOM) * stacker->Base.ScaleY);
}

f32 TUIAccountScreen::ButtonWidth(UX::TButton* button)
{
    const UX::TStateBlock* block = button->StyleBlock(UX::STATE_NORMAL);
    const char16_t* text = button->Text.GetText();
    return (block && text ? UX::MeasureTextWidth(*block, text) : 0.0f) + ACCOUNT_BUTTON_PADDING;
}

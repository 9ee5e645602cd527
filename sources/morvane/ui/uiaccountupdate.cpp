#include "morvane/ui/uiaccountupdate.h"

#include "core/system/datetime.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uigamemanager.h"
#include "network/account/accountprotocol.h"
#include "network/account/accounttext.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.textbox.h"

#include <cstring>
#include <string_view>

namespace
{
const char* const kBoxes[3] = {ACCOUNT_OLD_PASSWORD_BOX, ACCOUNT_PASSWORD_BOX, ACCOUNT_REPEAT_BOX};
// Title and text keys of the field errors 1 to 5 (2 is the create screen's user name).
const char* const kFieldKeys[6][2] = {{"", ""},
                                      {"locAccountInvalidOldPasswordTitle", "locAccountInvalidOldPasswordText"},
                                      {"", ""},
                                      {"locAccountInvalidPasswordTitle", "locAccountInvalidPasswordText"},
                                      {"locAccountInvalidPassword2Title", "locAccountInvalidPassword2Text"},
                                      {"locAccountInvalidBirthDateTitle", "locAccountInvalidBirthDateText"}};

} // namespace

TUIAccountUpdate::TUIAccountUpdate() : TUIAccountScreen(ACCOUNT_UPDATE_NAME, "lblStatusCreate") {}

void TUIAccountUpdate::OnInitialize()
{
    if (!GetForm())
        return;
    m_pBack = Find<UX::TButton>(ACCOUNT_BACK_BUTTON);
    m_pSave = Find<UX::TButton>(ACCOUNT_SAVE_BUTTON);
    for (u32 i = 0; i < 3; ++i)
    {
        m_apBox[i] = RowPart<UX::TTextBox>(FindRow(kBoxes[i]));
        m_apText[i] = RowPart<UX::TTextBox>(FindRow(ACCOUNT_TEXT_BOXES[i]));
    }
    m_pOldLabel = RowPart<UX::TLabel>(FindRow(ACCOUNT_OLD_PASSWORD_BOX));
    m_pDate = FindRow(ACCOUNT_BIRTH_DATE);
    m_pAvatar = Find<UX::TSelector>(ACCOUNT_AVATAR);
    m_pStacker = Find<UX::TStacker>(ACCOUNT_FIELDS_STACKER);
    m_pPanel = Find<UX::TPanel>(ACCOUNT_FIELDS_PANEL);
    m_pStatus = Find<UX::TLabel>(ACCOUNT_STATUS_LABEL);
    FillAvatars(m_pAvatar);
    if (m_pBack)
        m_pBack->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountUpdate::OnBack);
    if (m_pSave)
        m_pSave->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountUpdate::OnSave);
    if (m_apBox[0])
        m_apBox[0]->OnTextChange.AddHandler(0, this, &TUIAccountUpdate::OnOldPasswordChanged);
    BindForm();
}

u32 TUIAccountUpdate::CheckFields(const char16_t* oldPassword, const char16_t* password, const char16_t* repeat,
                                  const u8 (&digest)[ACCOUNT_DIGEST_SIZE], u32 year, u32 month, u32 day)
{
    const std::u16string_view typed[3] = {oldPassword ? oldPassword : u"", password ? password : u"",
                                          repeat ? repeat : u""};
    if (!typed[0].empty() || !typed[1].empty() || !typed[2].empty())
    {
        u8 old[ACCOUNT_DIGEST_SIZE] = {};
        const bool hashed = HashPassword(old, oldPassword ? oldPassword : u"");
        const bool same = hashed && std::memcmp(old, digest, ACCOUNT_DIGEST_SIZE) == 0;
        WipeSecret(old, sizeof old);
        if (!same)
            return ACCOUNT_FIELD_OLD_PASSWORD;
        // The account's password holds 31 bytes, as create's: a longer one is never sent.
        if (!IsValidPassword(password ? password : u"") || !TUIAccountCreate::FitsRecord(password, false))
            return ACCOUNT_FIELD_PASSWORD;
        if (typed[2] != typed[1])
            return ACCOUNT_FIELD_REPEAT;
    }
    return IsValidBirthDate(year, month, day) ? ACCOUNT_FIELD_OK : ACCOUNT_FIELD_BIRTH_DATE;
}

void TUIAccountUpdate::WipePasswords()
{
    for (UX::TTextBox* box : m_apBox)
        SetBoxText(box, u"");
}

void TUIAccountUpdate::OnFormShown()
{
    WipePasswords();
    TAccountProtocol* protocol = Protocol();
    const TAccountData account = protocol ? protocol->GetAccount() : TAccountData();
    SetBoxText(m_apText[0], account.Text1.GetText());
    SetBoxText(m_apText[1], account.Text2.GetText());
    SetBoxText(m_apText[2], account.Text3.GetText());
    if (account.nValue3)
    {
        TDateTime birth = {};
        birth.FromFileTime(account.nValue3);
        SetRowDate(m_pDate, birth.year, birth.month, birth.day);
    }
    if (m_pAvatar)
        m_pAvatar->SetSelectedIndex(static_cast<i32>(account.nValue1));
    SetIdle(true);
    HideStatus();
    ArrangeFields(m_pStacker, m_pPanel);
}

void TUIAccountUpdate::SetIdle(bool idle)
{
    SetEnabled(m_pBack, idle);
    SetEnabled(m_pSave, idle);
}

void TUIAccountUpdate::OnSave(UX::TControl*, UX::TMouse*)
{
    TAccountProtocol* protocol = Protocol();
    const TAccountData account = protocol ? protocol->GetAccount() : TAccountData();
    u32 year = 0, month = 0, day = 0;
    GetRowDate(m_pDate, year, month, day);
    const u32 code = CheckFields(TextOf(m_apBox[0]), TextOf(m_apBox[1]), TextOf(m_apBox[2]),
                                 account.aPasswordDigest, year, month, day);
    SetEnabled(m_pOldLabel, code != ACCOUNT_FIELD_OLD_PASSWORD);
    if (code != ACCOUNT_FIELD_OK)
    {
        m_nErrorField = code;
        ShowFieldError(kFieldKeys[code][0], kFieldKeys[code][1]);
        return;
    }
    if (!protocol)
        return;
    const char16_t* const texts[3] = {TextOf(m_apText[0]), TextOf(m_apText[1]), TextOf(m_apText[2])};
    const TAccountData record = TUIAccountCreate::MakeRecord(u"", u"", texts, year, month, day,
                                                             m_pAvatar ? m_pAvatar->SelectedIndex : 0);
    if (protocol->RequestUpdate(record) != ACCOUNT_QUEUED)
    {
        WipePasswords();
        ShowQueueFull(ACCOUNT_UPDATE);
        return;
    }
    // The update took the queue's last place: the change is refused, and said so.
    m_bPending = TextOf(m_apBox[0])[0] != 0 &&
                 protocol->RequestChangePassword(TextOf(m_apBox[0]), TextOf(m_apBox[1])) == ACCOUNT_QUEUED;
    if (TextOf(m_apBox[0])[0] != 0 && !m_bPending)
        ShowQueueFull(ACCOUNT_CHANGE_PASSWORD);
    WipePasswords();
    SetIdle(false);
    ShowStatus();
}

void TUIAccountUpdate::OnFieldErrorClosed()
{
    UX::TControl* field = nullptr;
    if (m_nErrorField == ACCOUNT_FIELD_OLD_PASSWORD || m_nErrorField == ACCOUNT_FIELD_REPEAT)
        field = m_apBox[2];
    else if (m_nErrorField == ACCOUNT_FIELD_PASSWORD)
        field = m_apBox[1];
    else if (m_nErrorField == ACCOUNT_FIELD_BIRTH_DATE)
        field = m_pDate;
    if (field)
        field->SetFocus();
}

void TUIAccountUpdate::OnOldPasswordChanged(UX::TControl*, void*)
{
    if (m_apBox[0] && m_apBox[0]->Length() == 0 && m_pOldLabel)
        m_pOldLabel->Enable();
}

void TUIAccountUpdate::BackToPage()
{
    SlideOutRight();
    if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_CONNECTED)).SlideInFromLeft();
}

void TUIAccountUpdate::OnBack(UX::TControl*, UX::TMouse*)
{
    BackToPage();
}

void TUIAccountUpdate::OnRequestSucceeded(u32 kind)
{
    if (kind == ACCOUNT_CHANGE_PASSWORD)
        m_bPending = false;
    if (!m_bPending)
        BackToPage();
}

void TUIAccountUpdate::OnRequestFailed(u32 kind, u32 code)
{
    SetIdle(true);
    HideStatus();
    m_bPending = false;
    WipePasswords();
    ShowRequestFailure(kind, code);
}

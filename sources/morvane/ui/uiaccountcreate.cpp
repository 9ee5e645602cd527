#include "morvane/ui/uiaccountcreate.h"

#include "core/system/datetime.h"
#include "morvane/ui/gamemenumanager.h"
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
const char* const kBoxes[3] = {ACCOUNT_USERNAME_BOX, ACCOUNT_PASSWORD_BOX, ACCOUNT_REPEAT_BOX};
// Title and text keys of the field errors 2 to 5.
const char* const kFieldKeys[4][2] = {{"locAccountInvalidUsernameTitle", "locAccountInvalidUsernameText"},
                                      {"locAccountInvalidPasswordTitle", "locAccountInvalidPasswordText"},
                                      {"locAccountInvalidPassword2Title", "locAccountInvalidPassword2Text"},
                                      {"locAccountInvalidBirthDateTitle", "locAccountInvalidBirthDateText"}};
// A name or password converted for the record: longer than this is taken as empty.
constexpr u32 RECORD_TEXT_BYTES = 128;

void PutUtf8(SArray<char, 32, 0>& out, const char16_t* text)
{
    char bytes[RECORD_TEXT_BYTES + 1] = {};
    if (!AccountUtf8(bytes, sizeof bytes, text))
        bytes[0] = 0;
    const u32 length = Utf8CutLength(bytes, static_cast<u32>(std::strlen(bytes)), ACCOUNT_TEXT_LENGTH);
    bytes[length] = 0;
    out = bytes;
    WipeSecret(bytes, sizeof bytes);
}

void PutWide(SArray<char16_t, 32, 0>& out, const char16_t* text)
{
    char16_t cut[ACCOUNT_TEXT_LENGTH + 1] = {};
    u32 length = 0;
    while (text && text[length] && length < ACCOUNT_TEXT_LENGTH)
        ++length;
    // A pair of surrogates is one character: never kept in half.
    if (length == ACCOUNT_TEXT_LENGTH && text[length] && text[length - 1] >= 0xD800 && text[length - 1] < 0xDC00)
        --length;
    for (u32 i = 0; i < length; ++i)
        cut[i] = text[i];
    out = cut;
}

} // namespace

bool TUIAccountCreate::FitsRecord(const char16_t* text, bool userName)
{
    char bytes[RECORD_TEXT_BYTES + 1] = {};
    if (!AccountUtf8(bytes, sizeof bytes, text))
        return false;
    // A name goes out trimmed and lower-cased: that is the form that must fit.
    if (userName)
        NormalizeUsername(bytes);
    const bool fits = std::strlen(bytes) <= ACCOUNT_TEXT_LENGTH;
    WipeSecret(bytes, sizeof bytes);
    return fits;
}

TUIAccountCreate::TUIAccountCreate() : TUIAccountScreen(ACCOUNT_CREATE_NAME, "lblStatusCreate") {}

void TUIAccountCreate::OnInitialize()
{
    if (!GetForm())
        return;
    m_pBack = Find<UX::TButton>(ACCOUNT_BACK_BUTTON);
    m_pCreate = Find<UX::TButton>(ACCOUNT_CREATE_CONFIRM);
    for (u32 i = 0; i < 3; ++i)
    {
        m_apBox[i] = RowPart<UX::TTextBox>(FindRow(kBoxes[i]));
        m_apText[i] = RowPart<UX::TTextBox>(FindRow(ACCOUNT_TEXT_BOXES[i]));
    }
    m_pDate = FindRow(ACCOUNT_BIRTH_DATE);
    m_pAvatar = Find<UX::TSelector>(ACCOUNT_AVATAR);
    m_pStacker = Find<UX::TStacker>(ACCOUNT_FIELDS_STACKER);
    m_pPanel = Find<UX::TPanel>(ACCOUNT_FIELDS_PANEL);
    m_pStatus = Find<UX::TLabel>(ACCOUNT_STATUS_LABEL);
    FillAvatars(m_pAvatar);
    if (m_pBack)
        m_pBack->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountCreate::OnBack);
    if (m_pCreate)
        m_pCreate->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUIAccountCreate::OnCreate);
    BindForm();
}

u32 TUIAccountCreate::CheckFields(const char16_t* user, const char16_t* password, const char16_t* repeat, u32 year,
                                  u32 month, u32 day)
{
    if (!IsValidUserName(user) || !FitsRecord(user, true))
        return ACCOUNT_FIELD_USER_NAME;
    if (!password || !IsValidPassword(password) || !FitsRecord(password, false))
        return ACCOUNT_FIELD_PASSWORD;
    if (!repeat || !repeat[0] || std::u16string_view(repeat) != std::u16string_view(password))
        return ACCOUNT_FIELD_REPEAT;
    if (!IsValidBirthDate(year, month, day))
        return ACCOUNT_FIELD_BIRTH_DATE;
    return ACCOUNT_FIELD_OK;
}

TAccountData TUIAccountCreate::MakeRecord(const char16_t* user, const char16_t* password,
                                          const char16_t* const (&texts)[3], u32 year, u32 month, u32 day,
                                          u32 avatar)
{
    TAccountData record;
    PutUtf8(record.Username, user);
    PutUtf8(record.Password, password);
    PutWide(record.Text1, texts[0]);
    PutWide(record.Text2, texts[1]);
    PutWide(record.Text3, texts[2]);
    TDateTime date = {};
    date.year = static_cast<u16>(year);
    date.month = static_cast<u8>(month);
    date.day = static_cast<u8>(day);
    record.nValue3 = date.ToFileTime();
    record.nValue1 = avatar;
    return record;
}

void TUIAccountCreate::OnFormShown()
{
    SetIdle(true);
    HideStatus();
    ArrangeFields(m_pStacker, m_pPanel);
    if (m_pBack)
        m_pBack->SetWidth(ButtonWidth(m_pBack));
    if (m_pCreate)
    {
        m_pCreate->nEdgeFlags = 0;
        m_pCreate->fLeft = m_pCreate->fTop = m_pCreate->fRight = m_pCreate->fBottom = 0.0f;
        m_pCreate->SetWidth(ButtonWidth(m_pCreate));
        m_pCreate->SetRight(ACCOUNT_BUTTON_EDGE);
        m_pCreate->SetBottom(ACCOUNT_BUTTON_EDGE);
    }
    if (UX::TControl* form = GetForm())
        form->UpdateLayout(1);
}

void TUIAccountCreate::SetIdle(bool idle)
{
    SetEnabled(m_pBack, idle);
    SetEnabled(m_pCreate, idle);
}

void TUIAccountCreate::OnCreate(UX::TControl*, UX::TMouse*)
{
    u32 year = 0, month = 0, day = 0;
    GetRowDate(m_pDate, year, month, day);
    const u32 code = CheckFields(TextOf(m_apBox[0]), TextOf(m_apBox[1]), TextOf(m_apBox[2]), year, month, day);
    if (code != ACCOUNT_FIELD_OK)
    {
        m_nErrorField = code;
        ShowFieldError(kFieldKeys[code - ACCOUNT_FIELD_USER_NAME][0], kFieldKeys[code - ACCOUNT_FIELD_USER_NAME][1]);
        return;
    }
    TAccountProtocol* protocol = Protocol();
    if (!protocol)
        return;
    const char16_t* const texts[3] = {TextOf(m_apText[0]), TextOf(m_apText[1]), TextOf(m_apText[2])};
    TAccountData record = MakeRecord(TextOf(m_apBox[0]), TextOf(m_apBox[1]), texts, year, month, day,
                                     m_pAvatar ? m_pAvatar->SelectedIndex : 0);
    const u32 result = protocol->RequestCreate(record);
    WipeSecret(&record.Password, sizeof record.Password);
    // The request holds the password now, or was refused: the boxes keep it no longer.
    WipePasswords();
    if (result == ACCOUNT_QUEUE_FULL)
        ShowQueueFull(ACCOUNT_CREATE);
    if (result != ACCOUNT_QUEUED)
        return;
    SetIdle(false);
    ShowStatus();
}

void TUIAccountCreate::WipePasswords()
{
    SetBoxText(m_apBox[1], u"");
    SetBoxText(m_apBox[2], u"");
}

void TUIAccountCreate::OnFieldErrorClosed()
{
    UX::TControl* field = nullptr;
    if (m_nErrorField >= ACCOUNT_FIELD_USER_NAME && m_nErrorField <= ACCOUNT_FIELD_REPEAT)
        field = m_apBox[m_nErrorField - ACCOUNT_FIELD_USER_NAME];
    else if (m_nErrorField == ACCOUNT_FIELD_BIRTH_DATE)
        field = m_pDate;
    if (field)
        field->SetFocus();
}

void TUIAccountCreate::OnBack(UX::TControl*, UX::TMouse*)
{
    SlideOutRight();
    TAccountProtocol* protocol = Protocol();
    if (protocol && protocol->IsLoggedIn())
    {
        if (g_pGameMenuManager)
            g_pGameMenuManager->SetButtonsVisible(1);
    }
    else if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_LOGIN)).SlideInFromLeft();
}

void TUIAccountCreate::OnRequestSucceeded(u32 kind)
{
    if (kind != ACCOUNT_CREATE)
        return;
    SlideOutLeft();
    if (Screens())
        static_cast<TUIAccountScreen&>(Screens()->GetScreen(UI_SCREEN_ACCOUNT_CONNECTED)).SlideInFromRight();
}

void TUIAccountCreate::OnRequestFailed(u32 kind, u32 code)
{
    if (kind == ACCOUNT_CREATE)
    {
        SetIdle(true);
        HideStatus();
    }
    ShowRequestFailure(kind, code);
}

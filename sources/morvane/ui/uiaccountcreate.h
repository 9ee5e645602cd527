#pragma once
// TUIAccountCreate: the create-account screen. The player gives a user name (an e-mail address),
// a password typed twice, three personal texts, a birth date and an avatar kind; the fields are
// checked in that order, the first failure is shown and its field focused when the message
// closes; else the account client is asked to create the account, and on success the account
// page follows.
#include "morvane/ui/uiaccountscreen.h"

namespace UX
{
class TButton;
class TSelector;
class TTextBox;
} // namespace UX

inline constexpr const char* ACCOUNT_CREATE_NAME = "TUIAccountCreate";
inline constexpr const char* ACCOUNT_CREATE_CONFIRM = "btnCreate";
inline constexpr const char* ACCOUNT_REPEAT_BOX = "tstPassword2";
inline constexpr const char* ACCOUNT_TEXT_BOXES[3] = {"txtFirstName", "txtLastName", "txtCity"};
inline constexpr const char* ACCOUNT_BIRTH_DATE = "dtBirthDate";
inline constexpr const char* ACCOUNT_AVATAR = "selAvatar";
inline constexpr const char* ACCOUNT_AVATAR_KEYS[4] = {"mtUnselected", "mtMale", "mtFemale", "mtAlien"};

// Field error codes.
enum EAccountField : u32
{
    ACCOUNT_FIELD_OK = 0,
    ACCOUNT_FIELD_OLD_PASSWORD = 1,
    ACCOUNT_FIELD_USER_NAME = 2,
    ACCOUNT_FIELD_PASSWORD = 3,
    ACCOUNT_FIELD_REPEAT = 4,
    ACCOUNT_FIELD_BIRTH_DATE = 5
};

class TUIAccountCreate : public TUIAccountScreen
{
public:
    TUIAccountCreate();

    void OnInitialize() override;
    void OnRequestSucceeded(u32 kind) override;
    void OnRequestFailed(u32 kind, u32 code) override;

    // The first failing field of the form, in order: user name, password, repeat, birth date. A
    // name or password whose UTF-8 form does not fit the record's 31 bytes fails its field.
    static u32 CheckFields(const char16_t* user, const char16_t* password, const char16_t* repeat, u32 year,
                           u32 month, u32 day);
    // The record of the fields: user name and password in UTF-8 (a text of more than 128 bytes
    // is taken as empty; 31 bytes kept, cut where a character ends), the three texts, the birth
    // date as a FILETIME at midnight and the avatar index.
    // Whether the UTF-8 form of a text (a user name as it is sent) fits the record's 31 bytes.
    static bool FitsRecord(const char16_t* text, bool userName);
    static TAccountData MakeRecord(const char16_t* user, const char16_t* password, const char16_t* const (&texts)[3],
                                   u32 year, u32 month, u32 day, u32 avatar);

    UX::TButton* GetBackButton() const { return m_pBack; }
    UX::TButton* GetCreateButton() const { return m_pCreate; }
    UX::TTextBox* GetBox(u32 index) const { return index < 3 ? m_apBox[index] : nullptr; }
    UX::TTextBox* GetTextBox(u32 index) const { return index < 3 ? m_apText[index] : nullptr; }
    // The row of the birth date's lists.
    UX::TControl* GetBirthDateRow() const { return m_pDate; }
    UX::TSelector* GetAvatar() const { return m_pAvatar; }
    UX::TStacker* GetStacker() const { return m_pStacker; }
    UX::TPanel* GetPanel() const { return m_pPanel; }
    // The field the last error message focuses when it closes.
    u32 GetErrorField() const { return m_nErrorField; }

    void OnBack(UX::TControl*, UX::TMouse*);
    void OnCreate(UX::TControl*, UX::TMouse*);

protected:
    void OnFormShown() override;
    void WipePasswords() override;
    void OnFieldErrorClosed() override;

private:
    void SetIdle(bool idle);

    UX::TButton* m_pBack = nullptr;
    UX::TButton* m_pCreate = nullptr;
    // User name, password, repeat.
    UX::TTextBox* m_apBox[3] = {};
    UX::TTextBox* m_apText[3] = {};
    UX::TControl* m_pDate = nullptr;
    UX::TSelector* m_pAvatar = nullptr;
    UX::TStacker* m_pStacker = nullptr;
    UX::TPanel* m_pPanel = nullptr;
    u32 m_nErrorField = ACCOUNT_FIELD_OK;
};

#pragma once
// TUIAccountUpdate: the update-account screen of a logged-in player: the three personal texts,
// the birth date and the avatar kind, and optionally the password (the old one, the new one and
// its repeat; all three empty: no change). The old password is checked against the account's
// digest; the screen stays until the update and a password change sent with it have both
// succeeded, then gives way to the account page.
#include "morvane/ui/uiaccountscreen.h"

namespace UX
{
class TButton;
class TLabel;
class TSelector;
class TTextBox;
} // namespace UX

inline constexpr const char* ACCOUNT_UPDATE_NAME = "TUIAccountUpdate";
inline constexpr const char* ACCOUNT_SAVE_BUTTON = "btnSave";
inline constexpr const char* ACCOUNT_OLD_PASSWORD_BOX = "txtOldPassword";

class TUIAccountUpdate : public TUIAccountScreen
{
public:
    TUIAccountUpdate();

    void OnInitialize() override;
    void OnRequestSucceeded(u32 kind) override;
    void OnRequestFailed(u32 kind, u32 code) override;

    // The first failing field: the old password against the digest, the new one, its repeat
    // (all three skipped when all are empty), then the birth date.
    static u32 CheckFields(const char16_t* oldPassword, const char16_t* password, const char16_t* repeat,
                           const u8 (&digest)[ACCOUNT_DIGEST_SIZE], u32 year, u32 month, u32 day);

    UX::TButton* GetBackButton() const { return m_pBack; }
    UX::TButton* GetSaveButton() const { return m_pSave; }
    // Old password, new password, repeat.
    UX::TTextBox* GetBox(u32 index) const { return index < 3 ? m_apBox[index] : nullptr; }
    UX::TTextBox* GetTextBox(u32 index) const { return index < 3 ? m_apText[index] : nullptr; }
    // The caption of the old password's row.
    UX::TLabel* GetOldPasswordLabel() const { return m_pOldLabel; }
    UX::TControl* GetBirthDateRow() const { return m_pDate; }
    UX::TSelector* GetAvatar() const { return m_pAvatar; }
    UX::TStacker* GetStacker() const { return m_pStacker; }
    UX::TPanel* GetPanel() const { return m_pPanel; }
    bool IsPasswordChangePending() const { return m_bPending; }

    void OnBack(UX::TControl*, UX::TMouse*);
    void OnSave(UX::TControl*, UX::TMouse*);

protected:
    void OnFormShown() override;
    void WipePasswords() override;
    void OnFieldErrorClosed() override;

private:
    void OnOldPasswordChanged(UX::TControl*, void*);
    void SetIdle(bool idle);
    void BackToPage();

    UX::TButton* m_pBack = nullptr;
    UX::TButton* m_pSave = nullptr;
    UX::TLabel* m_pOldLabel = nullptr;
    UX::TTextBox* m_apBox[3] = {};
    UX::TTextBox* m_apText[3] = {};
    UX::TControl* m_pDate = nullptr;
    UX::TSelector* m_pAvatar = nullptr;
    UX::TStacker* m_pStacker = nullptr;
    UX::TPanel* m_pPanel = nullptr;
    u32 m_nErrorField = 0;
    // A change of password sent with the update has not succeeded yet.
    bool m_bPending = false;
};

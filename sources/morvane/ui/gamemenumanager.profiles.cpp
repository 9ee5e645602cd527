// The players window's "Profiles" tab: a slider steps through the local profiles one at a time;
// the footer renames (in an edit over the slider's caption), selects, creates and deletes the
// profile the slider shows. Every failure opens its profile dialog.
#include "morvane/ui/gamemenumanager.h"

#include "core/system/memory.h"
#include "core/system/platform.h"
#include "morvane/ui/soundplayer.h"
#include "player/morvaneplayerprofile.h"
#include "player/playercontainer.h"
#include "player/playerprofilemanager.h"
#include "ui/uiedit.h"
#include "ui/uilabel.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"

#include <algorithm>
#include <cstdio>

namespace
{
// The name edit: at most this many characters, drawn in the menu's text colour, over the
// slider's caption less its left part.
constexpr i32 PROFILE_NAME_EDIT_LENGTH = 18;
constexpr TColor PROFILE_NAME_EDIT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};
constexpr f32 PROFILE_NAME_EDIT_LEFT = 59.0f;
// Ours: the first width of the slider and the counts at the rows' right (until laid out).
constexpr f32 PROFILE_VALUE_WIDTH = 300.0f;
constexpr f32 PROFILE_SLIDER_HEIGHT = 20.0f;
constexpr f32 PROFILE_FOOTER_GAP = 12.0f;
// A user name taken already gets a two-digit counter: the base leaves room for it.
constexpr u32 PROFILE_COUNTER_DIGITS = 2;
constexpr i32 PROFILE_COUNTER_LAST = 99;
// The footer's entries.
constexpr i32 PROFILE_FOOTER_RENAME = 1;
constexpr i32 PROFILE_FOOTER_SELECT = 2;
constexpr i32 PROFILE_FOOTER_DELETE = 4;

// A row of the dialog menu: its caption on the left, its value item on the right.
TUIButton* AddProfileRow(TUIMenu* dialog, const char* captionKey, const char* name)
{
    TUIButton* row = dialog->AddButton(captionKey, "DialogItemStyle", 0);
    row->SetName(name);
    return row;
}

TUILabel* AddCountLabel(TUIItem* row, const char* name)
{
    auto* label = static_cast<TUILabel*>(row->CreateChild("TUILabel", name));
    label->SetStyle("DialogItemStyle");
    label->m_Caption.m_nAlignH = UI_ALIGN_FAR;
    label->m_Caption.m_nFlags &= ~UI_TEXT_LOCALISED;
    label->SetSize(PROFILE_VALUE_WIDTH, PROFILE_SLIDER_HEIGHT);
    label->SetFromRight(0.0f);
    return label;
}

void SetCount(TUIItem* label, const TPlayerProfile* profile, i32 count)
{
    if (!label)
        return;
    char text[16] = {};
    if (profile)
        std::snprintf(text, sizeof(text), "%d", count);
    label->SetCaption(text);
}
} // namespace

void TGameMenuManager::_CreateProfilesTab(TUIItem* inner)
{
    auto* dialog = static_cast<TUIMenu*>(inner->CreateChild("TUIMenu", "DialogProfiles"));
    dialog->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);

    auto* footer = static_cast<TUIMenu*>(inner->CreateChild("TUIMenu", "FooterMenu"));
    footer->m_nHorizontal = 1;
    footer->m_fColumnGap = PROFILE_FOOTER_GAP;
    footer->SetFromBottom(0.0f);
    footer->SetFromRight(0.0f);
    footer->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    footer->AddButton("Back", "FooterMenuBackStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    footer->AddButton("Rename", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::OnRename);
    footer->AddButton("Select", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::OnSelectProfile);
    footer->AddButton("New", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::OnNewProfile);
    footer->AddButton("Delete", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::OnDeleteProfile);
    dialog->m_pNextMenu = footer;
    footer->m_pNextMenu = dialog;
    m_pProfilesFooter = footer;

    TUIButton* nameRow = AddProfileRow(dialog, "ProfileName", "ProfileNameDialogItem");
    TUISlider* slider = TUISlider::Create(nameRow, "ProfileNameSlider", PROFILE_VALUE_WIDTH, PROFILE_SLIDER_HEIGHT,
                                          nullptr, "Arrow Left", "Arrow Right", nullptr, 1.0f, 0.0f, 0.0f, true,
                                          UI_THUMB_NONE, nullptr);
    slider->SetStyle("DialogItemStyle");
    slider->m_Caption.m_nAlignH = UI_ALIGN_CENTRE;
    slider->m_Caption.m_nFlags &= ~UI_TEXT_LOCALISED;
    slider->m_nFlags |= UI_IGNORES_SELECT;
    slider->SetFromRight(0.0f);
    for (const char* key : {"menuleft", "optionprev"})
        slider->GetUpButton()->AddAction(key);
    for (const char* key : {"menuright", "menuselect", "optionnext"})
        slider->GetDownButton()->AddAction(key);
    slider->OnChange.Bind(this, &TGameMenuManager::_UpdateProfileView);
    m_pProfileSlider = slider;

    auto* edit = static_cast<TUIEdit*>(slider->CreateChild("TUIEdit", "Edit"));
    edit->m_nMaxLength = PROFILE_NAME_EDIT_LENGTH;
    edit->m_FrameColor = PROFILE_NAME_EDIT_COLOUR;
    edit->m_CaretColor = PROFILE_NAME_EDIT_COLOUR;
    edit->SetStyle("DialogItemStyle");
    edit->m_Caption.m_nFlags &= ~UI_TEXT_LOCALISED;
    edit->SetPosition(PROFILE_NAME_EDIT_LEFT, 0.0f);
    edit->SetSize(PROFILE_VALUE_WIDTH - PROFILE_NAME_EDIT_LEFT, PROFILE_SLIDER_HEIGHT);
    edit->Show(false, true);
    edit->OnAccept.Bind(this, &TGameMenuManager::OnRenameAccepted);
    edit->OnCancel.Bind(this, &TGameMenuManager::_UpdateProfileView);
    m_pProfileNameEdit = edit;

    AddCountLabel(AddProfileRow(dialog, "GamesPlayed", "GamesPlayedDialogItem"), "GamesPlayedLabel");
    AddCountLabel(AddProfileRow(dialog, "GamesSaved", "GamesSavedDialogItem"), "GamesSavedLabel");
}

i32 TGameMenuManager::OnProfilesTabShown(TUIItem* page)
{
    auto* dialog = dynamic_cast<TUIMenu*>(page->FindItem(TName("DialogProfiles")));
    TUIMenu* footer = m_pProfilesFooter;
    if (dialog)
    {
        dialog->Activate();
        if (dialog->GetFocusIndex() < 0)
            dialog->SetFocus(0);
        _FitDialogRows(dialog);
        if (m_pProfileSlider && m_pProfileNameEdit)
            m_pProfileNameEdit->SetSize(m_pProfileSlider->m_Size.x - PROFILE_NAME_EDIT_LEFT, m_pProfileSlider->m_Size.y);
    }
    if (footer && footer->GetFocusIndex() < 0)
        footer->SetFocus(footer->GetChildren().size() < 2 ? 0 : 1);
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->Suppress();
    _RefreshProfiles();
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->Unsuppress();
    return 0;
}

void TGameMenuManager::_RefreshProfiles()
{
    TUISlider* slider = m_pProfileSlider;
    if (!slider || !g_pPlayerProfileManager)
        return;
    const i32 count = g_pPlayerProfileManager->GetProfileCount();
    slider->ClearLabels();
    for (i32 i = 1; i <= count; ++i)
    {
        char entry[24];
        std::snprintf(entry, sizeof(entry), "%d/%d", i, count);
        slider->AddLabel(entry);
    }
    // No selection shows none: -1 stays in the range until the next refresh, one step before the
    // first profile.
    const i32 selected = g_pPlayerProfileManager->GetSelectedIndex();
    slider->SetMinimum(selected < 0 ? -1.0f : 0.0f);
    slider->SetMaxValue(static_cast<f32>(count - 1));
    slider->SetValue(static_cast<f32>(selected));
    slider->OnChange.Fire(slider);
}

i32 TGameMenuManager::GetShownProfileIndex() const
{
    return m_pProfileSlider ? static_cast<i32>(m_pProfileSlider->GetValue()) : -1;
}

TPlayerProfile* TGameMenuManager::_GetShownProfile() const
{
    return g_pPlayerProfileManager ? g_pPlayerProfileManager->GetProfile(GetShownProfileIndex()) : nullptr;
}

void TGameMenuManager::_EndProfileEdit()
{
    TUIEdit* edit = m_pProfileNameEdit;
    if (!edit)
        return;
    // Ended without its events: the caller decides what the view shows.
    edit->m_nEditing = 0;
    edit->EndEdit(true, true);
    edit->Show(false, true);
}

i32 TGameMenuManager::_UpdateProfileView(TUIItem*)
{
    _EndProfileEdit();
    TUIMenu* footer = m_pProfilesFooter;
    TUISlider* slider = m_pProfileSlider;
    if (!footer || !slider || !g_pPlayerProfileManager)
        return 0;
    const i32 shown = GetShownProfileIndex();
    TPlayerProfile* profile = _GetShownProfile();
    const std::vector<TUIItem*>& entries = footer->GetChildren();
    const bool select = shown != g_pPlayerProfileManager->GetSelectedIndex();
    const bool remove = g_pPlayerProfileManager->GetProfileCount() > 1;
    entries[PROFILE_FOOTER_SELECT]->Show(select, true);
    entries[PROFILE_FOOTER_DELETE]->Show(remove, true);
    // The open entries close up.
    footer->UpdateLayout();
    footer->SetFocus(PROFILE_FOOTER_RENAME);
    // A space keeps the slider's own label from showing instead of an empty name.
    const char16_t* name = profile ? profile->GetName() : u"";
    slider->m_Caption.SetWideText(name[0] ? name : u" ");
    TUIItem* rows = slider->GetParent()->GetParent();
    auto* played = dynamic_cast<TMorvanePlayerProfile*>(profile);
    SetCount(rows->FindItem(TName("GamesPlayedLabel")), profile, played ? static_cast<i32>(played->GetGamesPlayed()) : 0);
    SetCount(rows->FindItem(TName("GamesSavedLabel")), profile, profile ? profile->GetSavedGameCount() : 0);
    return 0;
}

i32 TGameMenuManager::OnRename(TUIItem*)
{
    if (_GetShownProfile())
        _BeginRename();
    return 0;
}

void TGameMenuManager::_BeginRename()
{
    TPlayerProfile* profile = _GetShownProfile();
    TUIEdit* edit = m_pProfileNameEdit;
    if (!profile || !edit)
    {
        _EndProfileEdit();
        return;
    }
    edit->SetText(profile->GetName());
    m_pProfileSlider->m_Caption.SetWideText(u" ");
    edit->Show(true, true);
    edit->BeginEdit();
}

i32 TGameMenuManager::OnRenameAccepted(TUIItem*)
{
    TPlayerProfileManager* profiles = g_pPlayerProfileManager;
    const i32 shown = GetShownProfileIndex();
    if (!profiles || !_GetShownProfile())
        return 0;
    const char16_t* name = m_pProfileNameEdit ? m_pProfileNameEdit->GetText() : u"";
    const u32 result = profiles->RenameProfile(shown, name);
    // The other profile that has the name tells a duplicate from a name no folder may have.
    const i32 holder = result == 1 ? profiles->FindProfileByName(name) : -1;
    _UpdateProfileView(nullptr);
    if (result != 0)
        PushWindow(holder >= 0 && holder != shown ? "ProfilesRenameFailedDuplicate" : "ProfilesRenameFailedDisk");
    return 0;
}

i32 TGameMenuManager::OnCancelRename(TUIItem*)
{
    _EndProfileEdit();
    return 0;
}

i32 TGameMenuManager::OnSelectProfile(TUIItem*)
{
    TPlayerProfileManager* profiles = g_pPlayerProfileManager;
    if (!profiles || !_GetShownProfile() || profiles->SelectProfile(GetShownProfileIndex()) != 0)
        PushWindow("ProfilesSelectFailed");
    _UpdateProfileView(nullptr);
    return 0;
}

i32 TGameMenuManager::OnDeleteProfile(TUIItem*)
{
    PushWindow("ProfilesDeleteConfirm");
    return 0;
}

i32 TGameMenuManager::OnDeleteProfileConfirmed(TUIItem*)
{
    TPlayerProfileManager* profiles = g_pPlayerProfileManager;
    if (profiles && _GetShownProfile() && profiles->DeleteProfile(GetShownProfileIndex()) != 0)
        PushWindow("ProfilesDeleteFailed");
    _RefreshProfiles();
    return 0;
}

i32 TGameMenuManager::OnNewProfile(TUIItem*)
{
    TPlayerProfileManager* profiles = g_pPlayerProfileManager;
    char16_t name[PLAYER_NAME_LENGTH + 1];
    TPlayerProfile* profile = profiles ? CreateGameProfile() : nullptr;
    bool added = false;
    if (profile && MakeUniqueProfileName(*profiles, GetWindowsUserName(), name))
    {
        profile->SetName(name);
        added = profiles->AddProfile(profile) == 0;
    }
    if (!added)
    {
        PushWindow("ProfilesNewFailed");
        MemoryDelete(profile);
    }
    _RefreshProfiles();
    OnRename(nullptr);
    return 0;
}

bool TGameMenuManager::MakeUniqueProfileName(const TPlayerProfileManager& profiles, const char16_t* userName,
                                             char16_t* name)
{
    // The user name as a profile holds it.
    u32 length = 0;
    for (; userName && userName[length] && length < PLAYER_NAME_LENGTH; ++length)
        name[length] = userName[length];
    name[length] = 0;
    if (profiles.FindProfileByName(name) < 0)
        return true;
    const u32 base = std::min(length, PLAYER_NAME_LENGTH - PROFILE_COUNTER_DIGITS);
    for (i32 counter = 1; counter <= PROFILE_COUNTER_LAST; ++counter)
    {
        name[base] = static_cast<char16_t>(u'0' + counter / 10);
        name[base + 1] = static_cast<char16_t>(u'0' + counter % 10);
        name[base + 2] = 0;
        if (profiles.FindProfileByName(name) < 0)
            return true;
    }
    return false;
}

// The main menu of TGameMenuManager: the flight board, the button column, the "Saving" window,
// the sub-windows beside the column and their tab strips, and the actions behind the buttons.
#include "morvane/ui/gamemenumanager.h"

#include "directx/render/dxdevice.h"
#include "engine/localization/localization.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "engine/system/resourcemanager.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ui/uigamemanager.h"
#include "network/account/accountmanager.h"
#include "player/morvaneplayerprofile.h"
#include "platform/desktop/display.h"
#include "platform/desktop/terminationrequest.h"
#include "player/playerprofilemanager.h"
#include "ui/uibutton.h"
#include "ui/uilabel.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"
#include "ui/uistyle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
// The texts and colours of the labels in the screen's top corners.
const TColor MENU_TEXT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};
constexpr f32 MENU_LABEL_TOP = 48.0f;
constexpr f32 MENU_LABEL_SIDE = 128.0f;
// The flight board's distance from the right and bottom edges and its size.
constexpr f32 FLIGHT_BOARD_MARGIN = 30.0f;
constexpr f32 FLIGHT_BOARD_WIDTH = 2048.0f;
constexpr f32 FLIGHT_BOARD_HEIGHT = 1140.0f;
// The title's icon and text, and the board's title tab.
constexpr f32 TITLE_ICON_X = 1039.0f;
constexpr f32 TITLE_TEXT_X = 1189.0f;
constexpr f32 TITLE_Y = 71.0f;
constexpr f32 MENU_TITLE_Y = 217.0f;
constexpr f32 MENU_TITLE_WIDTH = 300.0f;
constexpr f32 MENU_TITLE_HEIGHT = 64.0f;
// Between the tab's frame and the column's.
constexpr f32 MENU_FRAME_GAP = 4.0f;

struct TMenuEntry
{
    const char* name;
    EMainMenuButton field;
    TGameMenuManager::TClickHandler click;
};

// The buttons in the column's order; the manager keeps them in field order.
const TMenuEntry MENU_ENTRIES[] = {
    {"MainMenuContinue", MENU_CONTINUE, &TGameMenuManager::OnContinueButton},
    {"MainMenuNewGame", MENU_NEW_GAME, &TGameMenuManager::OnNewGame},
    {"MainMenuPlayers", MENU_PLAYERS, &TGameMenuManager::OnPlayers},
    {"MainMenuSaveGame", MENU_SAVE_GAME, &TGameMenuManager::OnSaveGame},
    {"MainMenuAccount", MENU_ACCOUNT, &TGameMenuManager::OnAccount},
    {"MainMenuOptions", MENU_OPTIONS, &TGameMenuManager::OnOptions},
    {"MainMenuCredits", MENU_CREDITS, &TGameMenuManager::OnCredits},
    {"MainMenuQuit", MENU_QUIT, &TGameMenuManager::OnQuit},
};

bool GameStarted()
{
    return g_pGameLogicManager && g_pGameLogicManager->GetParameters().nStarted != 0;
}

TPlayerProfile* SelectedProfile()
{
    return g_pPlayerProfileManager ? g_pPlayerProfileManager->GetSelectedProfile() : nullptr;
}

// Closing the window over a running game asks first.
const bool s_bCloseAsks = (TDxDeviceManager::s_pCloseRequest = &TGameMenuManager::OnWindowClose, true);

bool UXScreenUp()
{
    return g_pUIGameManager && g_pUIGameManager->IsBusy();
}

// A button sized to its texture at a place of its parent.
TUIButton* CreateImage(TUIItem* parent, const char* name, const char* texture, f32 x, f32 y)
{
    auto* button = static_cast<TUIButton*>(parent->CreateChild("TUIButton", name));
    TTexture* image = UIFindTexture(TName(texture, true));
    button->SetImage(image);
    button->m_ImageName = TName(texture, true);
    if (image)
        button->SetSize(static_cast<f32>(image->m_nWidth), static_cast<f32>(image->m_nHeight));
    button->SetLeft(UI_PLACE_NEAR, x);
    button->SetTop(UI_PLACE_NEAR, y);
    return button;
}

// How far an item's frame icon is drawn outside its side (left, top, right, bottom).
f32 FrameBorder(const TUIItem* item, u32 side)
{
    const TUIStyle* style = item->GetStyle();
    return style && style->pIcon ? style->pIcon->aBorder[side] : 0.0f;
}

TUILabel* CreateCornerLabel(TUIItem* parent, const char* name, i32 align)
{
    auto* label = static_cast<TUILabel*>(parent->CreateChild("TUILabel", name));
    label->m_Caption.SetFont(TName(MENU_FONT, true), MENU_FONT_SIZE, MENU_TEXT_COLOUR, align, UI_ALIGN_FAR, -1,
                             -2.0f, -1.0f);
    label->SetSize(MENU_DESIGN_WIDTH / 2.0f - MENU_LABEL_SIDE, MENU_FONT_SIZE * 1.5f);
    label->SetTop(UI_PLACE_NEAR, MENU_LABEL_TOP);
    if (align == UI_ALIGN_NEAR)
        label->SetLeft(UI_PLACE_NEAR, MENU_LABEL_SIDE);
    else
        label->SetFromRight(MENU_LABEL_SIDE);
    return label;
}
} // namespace

void TGameMenuManager::_CreateMainMenuLayer()
{
    m_pMainMenuBackground = static_cast<TUIButton*>(m_pMainUI->CreateChild("TUIButton", "MainMenuBackground"));
    m_pMainMenuBackground->SetIconByName("MainMenuBackground");
    m_pMainMenuLayer = static_cast<TUIButton*>(m_pMainUI->CreateChild("TUIButton", "MainMenuLayer"));
    m_pMainMenuLayer->SetInsets(0.0f);
    m_pMainMenuLayer->SetFadeTimes(MENU_LAYER_FADE, MENU_LAYER_FADE);
    m_pMainMenuLayer->OnShow.Bind(this, &TGameMenuManager::_UpdateButtons);
    _CreateMenu();
    _CreateSavingWindow();
    _CreatePlayersWindow();
    _CreateOptionsWindow();
    m_pMainUI->Show(false, true);
}

void TGameMenuManager::_CreateMenu()
{
    m_pMainMenuBG = static_cast<TUIButton*>(m_pMainMenuLayer->CreateChild("TUIButton", "MainMenuBG"));
    m_pMainMenuBG->SetIconByName("MainMenuFlightBoard");
    m_pMainMenuBG->SetSize(FLIGHT_BOARD_WIDTH, FLIGHT_BOARD_HEIGHT);
    m_pMainMenuBG->SetFromRight(FLIGHT_BOARD_MARGIN);
    m_pMainMenuBG->SetFromBottom(FLIGHT_BOARD_MARGIN);

    // The column ends where the sub-windows begin, on the board.
    m_pMenu = static_cast<TUIMenu*>(m_pMainMenuBG->CreateChild("TUIMenu", "Menu"));
    m_pMenu->SetFromRight(MENU_COLUMN_RIGHT);
    m_pMenu->SetTop(UI_PLACE_NEAR, MENU_COLUMN_TOP);
    m_pMenu->OnBack.Bind(this, &TGameMenuManager::OnContinue);

    CreateImage(m_pMainMenuBG, "TitleIcon", "ui.main.title.icon", TITLE_ICON_X, TITLE_Y);
    char title[64];
    std::snprintf(title, sizeof(title), "ui.main.title.%s",
                  TLocalizationManager::Instance().GetCurrentLanguageName().GetText());
    // The game's name on the title band.
    TUIButton* band = CreateImage(m_pMainMenuBG, "Title", title, TITLE_TEXT_X, TITLE_Y);
    band->SetCaption("game_title");
    band->SetStyle("MenuTitleStyle");

    for (const TMenuEntry& entry : MENU_ENTRIES)
    {
        TUIButton* button = m_pMenu->AddButton(entry.name, "MenuButtonStyle", UI_SILENT);
        button->m_Caption.m_fPitch = MENU_CAPTION_PITCH;
        button->AddAction("menuselect");
        button->OnClickList.Bind(this, entry.click);
        m_apButton[entry.field] = button;
    }
    // Every button as wide as the widest caption needs, its pitched cells included.
    f32 width = 0.0f, height = 0.0f;
    for (TUIItem* button : m_pMenu->GetChildren())
    {
        f32 w, h;
        TUIMenu::MeasureEntry(button, w, h);
        width = std::max({width, w, button->m_Caption.GetExtent().fWidth});
        height = std::max(height, h);
    }
    for (TUIItem* button : m_pMenu->GetChildren())
        button->SetSize(width, height);

    auto* menuTitle = static_cast<TUIButton*>(m_pMainMenuBG->CreateChild("TUIButton", "MainMenuTitle"));
    menuTitle->SetCaption("Main");
    menuTitle->SetStyle("TabButtonStyle");
    menuTitle->SetPosition(TITLE_ICON_X, MENU_TITLE_Y);
    menuTitle->SetSize(MENU_TITLE_WIDTH, MENU_TITLE_HEIGHT);
    // Frames are drawn outside their items: the column starts below the tab's frame.
    const f32 frames = FrameBorder(menuTitle, UI_RULE_BOTTOM) + FrameBorder(m_pMenu->GetChildren()[0], UI_RULE_TOP);
    m_pMenu->SetTop(UI_PLACE_NEAR, std::max(MENU_COLUMN_TOP, MENU_TITLE_Y + MENU_TITLE_HEIGHT + frames + MENU_FRAME_GAP));

    // The labels keep to the screen's top corners: the board is wider than a 16:10 screen, and
    // the sub-windows' footers take its foot.
    m_pPlayerProfileLabel = CreateCornerLabel(m_pMainMenuLayer, "PlayerProfileLabel", UI_ALIGN_NEAR);
    // The profile's name is shown as it is.
    m_pPlayerProfileLabel->m_Caption.m_nFlags &= ~UI_TEXT_LOCALISED;
    m_pWebPageLabel = CreateCornerLabel(m_pMainMenuLayer, "WebPageLabel", UI_ALIGN_FAR);
    m_pWebPageLabel->SetCaption("Online");
    m_pWebPageLabel->Show(false, true);
}

void TGameMenuManager::_CreateSavingWindow()
{
    auto* saving = static_cast<TUIButton*>(m_pModalLayer->CreateChild("TUIButton", "Saving"));
    saving->SetInsets(0.0f);
    saving->m_nFlags |= UI_MODAL;
    saving->SetCaption("SavingLabel");
    saving->SetStyle("SavingStyle");
    saving->OnShow.Bind(this, &TGameMenuManager::_SaveGameNow);
    saving->OnInput.Bind(this, &TGameMenuManager::_UpdateSaving);
    saving->Show(false, true);
}

TUIButton* TGameMenuManager::_CreateSubWindow(const char* name, bool tabbed)
{
    auto* window = static_cast<TUIButton*>(m_pMainMenuBG->CreateChild("TUIButton", name));
    window->SetLeft(UI_PLACE_NEAR, SUB_WINDOW_LEFT);
    window->SetTop(UI_PLACE_NEAR, SUB_WINDOW_TOP);
    window->SetRightInset(SUB_WINDOW_RIGHT);
    window->SetBottomInset(SUB_WINDOW_BOTTOM);
    window->Show(false, true);
    window->OnShow.Bind(this, &TGameMenuManager::_OnSubWindowShown);
    TUIItem* inner = window->CreateChild("TUIButton", tabbed ? "Tab" : "Inner");
    inner->SetInsets(0.0f);
    if (!tabbed)
        inner->SetTop(UI_PLACE_NEAR, SUB_WINDOW_INNER_TOP);
    return window;
}

i32 TGameMenuManager::_OnSubWindowShown(TUIItem*)
{
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayLayerShown(nullptr);
    return 0;
}

void TGameMenuManager::OpenSubWindow(TUIItem* window)
{
    if (!window)
    {
        CloseSubWindow();
        return;
    }
    if (m_pMenu)
        m_pMenu->m_nActive = 0;
    if (m_pSubWindow && m_pSubWindow != window)
    {
        m_pSubWindow->Show(false, true);
        window->Show(true, true);
    }
    else
        window->Show(true, false);
    m_pSubWindow = window;
}

void TGameMenuManager::CloseSubWindow()
{
    if (m_pMenu)
        m_pMenu->Activate();
    if (m_pSubWindow)
        m_pSubWindow->Show(false, false);
    m_pSubWindow = nullptr;
}

void TGameMenuManager::SetButtonsVisible(u32 show)
{
    for (TUIButton* button : m_apButton)
        if (button && (!show || (button != m_apButton[MENU_CONTINUE] && button != m_apButton[MENU_SAVE_GAME])))
            button->Show(show != 0, false);
    if (show)
        _UpdateButtons(nullptr);
}

i32 TGameMenuManager::_UpdateButtons(TUIItem*)
{
    if (m_apButton[MENU_NEW_GAME])
        m_apButton[MENU_NEW_GAME]->Show(true, true);
    if (m_apButton[MENU_PLAYERS])
        m_apButton[MENU_PLAYERS]->Show(true, true);
    // The account screens are not offered: the button stays closed.
    if (TUIButton* account = m_apButton[MENU_ACCOUNT])
    {
        account->Show(false, true);
        account->m_nFlags = (account->m_nFlags & ~(UI_CLOSED | UI_INPUT_WHILE_CLOSED)) | UI_CLOSED | UI_INPUT_WHILE_CLOSED;
    }
    if (m_pMenu)
        m_pMenu->UpdateLayout();
    return 0;
}

i32 TGameMenuManager::_UpdateContinueSave(TUIItem*)
{
    if (UXScreenUp())
        return 0;
    const bool started = GameStarted();
    TPlayerProfile* profile = SelectedProfile();
    const bool saved = profile && profile->GetSavedGameCount() > 0;
    bool changed = false;
    if (TUIButton* button = m_apButton[MENU_CONTINUE]; button && button->IsInactive() == (started || saved))
    {
        button->Show(started || saved, true);
        changed = true;
    }
    if (TUIButton* button = m_apButton[MENU_SAVE_GAME]; button && button->IsInactive() == started)
    {
        button->Show(started, true);
        changed = true;
    }
    // The column closes up over the buttons it does not offer.
    if (changed && m_pMenu)
        m_pMenu->UpdateLayout();
    // "Online" only while the account client holds a session.
    const bool online = g_pAccountManager && g_pAccountManager->GetProtocol().IsLoggedIn();
    if (m_pWebPageLabel && m_pWebPageLabel->IsInactive() == online)
        m_pWebPageLabel->Show(online, true);
    if (m_pPlayerProfileLabel)
    {
        if (profile)
            m_pPlayerProfileLabel->m_Caption.SetWideText(profile->GetName());
        else
            m_pPlayerProfileLabel->m_Caption.SetWideText(u"");
    }
    return 0;
}

void TGameMenuManager::RequestLayout(u32 now)
{
    if (!now)
    {
        s_nLayoutDirty = 1;
        return;
    }
    if (!s_nLayoutDirty)
        return;
    s_nLayoutDirty = 0;
    _LayoutGameScreen();
    if (m_pMainMenuBackground)
    {
        m_pMainMenuBackground->FitToParent(true);
        m_pMainMenuBackground->SetPosition(0.0f, 0.0f);
    }
}

EAspectClass TGameMenuManager::ClassifyAspectRatio(f32 width, f32 height)
{
    const f32 aspect = width / height;
    if (std::fabs(aspect - 1.6f) < 0.01f)
        return ASPECT_16_10;
    if (std::fabs(aspect - 1.7777778f) < 0.01f)
        return ASPECT_16_9;
    if (std::fabs(aspect - 1.3333334f) < 0.01f)
        return ASPECT_4_3;
    return ASPECT_OTHER;
}

f32 TGameMenuManager::MeasureLocalizedText(const char* font, f32 size, const char* key)
{
    TUIText text;
    text.SetFont(TName(font, true), size, TColor{1.0f, 1.0f, 1.0f, 1.0f}, UI_ALIGN_NEAR, UI_ALIGN_NEAR, 1, -2.0f,
                 -1.0f);
    text.SetText(key);
    return text.GetExtent().fWidth;
}

i32 TGameMenuManager::OnContinueButton(TUIItem* sender)
{
    SetFrontEndFlag(&s_nMayContinue);
    return OnContinue(sender);
}

i32 TGameMenuManager::OnContinue(TUIItem*)
{
    if (UXScreenUp() || IsFadePending())
        return 0;
    if (GameStarted())
    {
        SetMenuVisible(0, 0);
        return 0;
    }
    TUIButton* button = m_apButton[MENU_CONTINUE];
    if (button && !button->IsInactive() && s_nMayContinue)
        StartFade(FadeAction<&TGameMenuManager::_LoadLatestGame>, 0, 0, 0);
    return 0;
}

i32 TGameMenuManager::_LoadLatestGame(u32)
{
    TPlayerProfile* profile = SelectedProfile();
    if (!profile || profile->GetSavedGameCount() == 0)
        return 0;
    if (g_pGameLogicManager)
        g_pGameLogicManager->MarkGameStarted();
    SetFrontEndFlag(&s_nMayContinue);
    if (profile->LoadGame(profile->GetSavedGame(0), 0, 0) != 0)
        PushWindow("GameLoadFailed");
    else
        SetMenuVisible(0, 0);
    return 0;
}

i32 TGameMenuManager::OnNewGame(TUIItem*)
{
    // The black still fading from the screen is no fade running: the click the menu shows acts.
    if (IsFadePending())
        return 0;
    if (GameStarted())
        PushWindow("NewGameConfirm");
    else
        StartFade(FadeAction<&TGameMenuManager::_StartNewGame>, 0, 0, 0);
    return 0;
}

i32 TGameMenuManager::OnNewGameConfirmed(TUIItem*)
{
    StartFade(FadeAction<&TGameMenuManager::_StartNewGame>, 0, 1, 0);
    return 0;
}

i32 TGameMenuManager::_StartNewGame(u32)
{
    if (GameStarted())
    {
        g_pGameLogicManager->ClearGameStarted();
        if (g_pResourceManager)
            g_pResourceManager->RequestRepository(GAME_LEVEL_REPOSITORY);
    }
    else
        SetMenuVisible(0, 0);
    SetFrontEndFlag(&s_nNewGame);
    SetFrontEndFlag(&s_nMayContinue);
    if (auto* profile = dynamic_cast<TMorvanePlayerProfile*>(SelectedProfile()))
    {
        profile->SetGamesPlayed(profile->GetGamesPlayed() + 1);
        g_pPlayerProfileManager->_SaveProfile(profile);
    }
    return 0;
}

i32 TGameMenuManager::OnSaveGame(TUIItem*)
{
    CloseSubWindow();
    if (m_pMainMenuLayer)
        m_pMainMenuLayer->Show(false, false);
    if (PushWindow("Saving"))
        m_nSaveArmed = 1;
    return 0;
}

i32 TGameMenuManager::_SaveGameNow(TUIItem* window)
{
    // Only the window Save game opened saves.
    if (GetTopWindow() != window)
        return 0;
    if (m_pMainMenuLayer)
        m_pMainMenuLayer->Show(false, true);
    m_fSavingShownAt = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
    return 0;
}

i32 TGameMenuManager::_UpdateSaving(TUIItem* window)
{
    if (!g_pUIManager || window->IsInactive() || GetTopWindow() != window)
        return 0;
    // The save blocks the frame: it runs once the window has been drawn, so that it shows.
    const f32 shown = g_pUIManager->GetTime() - m_fSavingShownAt;
    if (shown <= 0.0f)
        return 0;
    if (m_nSaveArmed)
    {
        m_nSaveArmed = 0;
        TPlayerProfile* profile = SelectedProfile();
        m_nSaveFailed = !profile || !profile->SaveGame(0, SAVE_GAME_INSERT, -1);
    }
    if (shown < SAVING_WINDOW_TIME)
        return 0;
    PopWindow();
    if (m_pMainMenuLayer)
        m_pMainMenuLayer->Show(true, true);
    if (m_nSaveFailed)
    {
        m_nSaveFailed = 0;
        PushWindow("GameSaveFailed");
        SetMenuVisible(1, 0);
    }
    return 0;
}

i32 TGameMenuManager::OnQuit(TUIItem*)
{
    CloseSubWindow();
    if (GameStarted())
        PushWindow("QuitConfirm");
    else
        StartFade(FadeAction<&TGameMenuManager::_Quit>, 0, 0, 0);
    return 0;
}

i32 TGameMenuManager::OnQuitConfirmed(TUIItem*)
{
    StartFade(FadeAction<&TGameMenuManager::_Quit>, 0, 1, 0);
    return 0;
}

bool TGameMenuManager::OnWindowClose()
{
    TGameMenuManager* menu = g_pGameMenuManager;
    // Without a player to answer (a termination signal asks nobody), or with the question
    // already up, the window closes.
    if (!menu || !GameStarted() || !PlatformHasDisplay() || IsScriptedRun() || TerminationRequested() ||
        (menu->GetTopWindow() && menu->GetTopWindow()->GetName() == TName("QuitConfirm")))
        return true;
    return menu->PushWindow("QuitConfirm") == nullptr;
}

i32 TGameMenuManager::_Quit(u32)
{
    if (g_pDeviceManager)
        g_pDeviceManager->Quit();
    return 0;
}

i32 TGameMenuManager::OnAccount(TUIItem*)
{
    CloseSubWindow();
    if (g_pUIGameManager && g_pUIGameManager->ShowScreen(UI_SCREEN_ACCOUNT_CONNECTED))
        SetButtonsVisible(0);
    return 0;
}

i32 TGameMenuManager::OnCredits(TUIItem*)
{
    CloseSubWindow();
    if (g_pUIGameManager && g_pUIGameManager->ShowScreen(UI_SCREEN_CREDITS))
        SetButtonsVisible(0);
    return 0;
}

i32 TGameMenuManager::OnOptions(TUIItem*)
{
    OpenSubWindow(m_pOptionsWindow);
    if (m_pOptionsWindow)
        SelectTab(m_pOptionsWindow->FindItem(TName("TabButtonVideo")));
    return 0;
}

i32 TGameMenuManager::OnPlayers(TUIItem*)
{
    OpenSubWindow(m_pPlayersWindow);
    if (m_pPlayersWindow)
        SelectTab(m_pPlayersWindow->FindItem(TName("TabButtonLoadGame")));
    return 0;
}

TUIItem* TGameMenuManager::_GetTabStrip() const
{
    return m_pSubWindow ? m_pSubWindow->FindItem(TName("Tab")) : nullptr;
}

i32 TGameMenuManager::SelectTab(TUIItem* tabButton)
{
    if (tabButton)
        _ShowTab(tabButton->m_nTag);
    return 0;
}

void TGameMenuManager::_ShowTab(i32 index)
{
    TUIItem* strip = _GetTabStrip();
    if (!strip)
        return;
    const std::vector<TUIItem*>& pages = strip->GetChildren();
    for (size_t i = 0; i < pages.size(); ++i)
    {
        TUIItem* page = pages[i];
        const bool selected = static_cast<i32>(i) == index;
        if (selected)
        {
            // Shown, hidden and shown again: its fade-in starts over.
            page->Show(true, true);
            page->Show(false, true);
            page->Show(true, false);
        }
        else
            page->Show(false, false);
        if (auto* footer = dynamic_cast<TUIMenu*>(page->FindItem(TName("FooterMenu"))))
            footer->m_nActive = selected ? 1 : 0;
    }
    // The tab buttons carry their page's index as their tag.
    if (TUIItem* buttons = m_pSubWindow->FindItem(TName("TabButtons")))
        for (TUIItem* button : buttons->GetChildren())
            button->SetChecked(button->m_nTag == index);
}

i32 TGameMenuManager::_GetOpenTab(i32& count) const
{
    TUIItem* strip = _GetTabStrip();
    count = strip ? static_cast<i32>(strip->GetChildren().size()) : 0;
    for (i32 i = 0; i < count; ++i)
        if (!strip->GetChildren()[static_cast<size_t>(i)]->IsInactive())
            return i;
    return -1;
}

i32 TGameMenuManager::NextTab(TUIItem*)
{
    i32 count = 0;
    const i32 open = _GetOpenTab(count);
    if (count > 0)
        _ShowTab(open < 0 || open + 1 >= count ? 0 : open + 1);
    return 0;
}

i32 TGameMenuManager::PreviousTab(TUIItem*)
{
    i32 count = 0;
    const i32 open = _GetOpenTab(count);
    if (count > 0)
        _ShowTab(open <= 0 ? count - 1 : open - 1);
    return 0;
}

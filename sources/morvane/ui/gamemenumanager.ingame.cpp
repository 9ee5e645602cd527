// The in-game screen of TGameMenuManager: the title bar (main menu and help buttons, money,
// date and time), the status bar with the eight gates and their states, the gate-selection menu
// through which the player parks a waiting aircraft, the camera buttons and the landing and
// take-off indicators, the task list (gamemenumanager.tasklist.cpp), the help backdrop; all
// rewritten from the game logic each frame.
#include "morvane/ui/gamemenumanager.h"

#include "core/math/random.h"
#include "engine/input/inputaction.h"
#include "engine/input/inputmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/ui/gameformat.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ui/uigamemanager.h"
#include "ui/uibutton.h"
#include "ui/uidraw.h"
#include "ui/uigrid.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"
#include "ux/ux.control.h"
#include "xaudio2/randomindex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace
{
TDeferredVariable s_ConsoleShow("console_show");

// Colours of the bars' texts.
const TColor HIGHLIGHT_COLOUR{1.0f, 227.0f / 255.0f, 40.0f / 255.0f, 1.0f};
const TColor TEXT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};
constexpr f32 BAR_FONT_SIZE = 30.0f;
// The bars and the items on them (design pixels of the layer).
constexpr f32 TITLE_BAR_HEIGHT = 63.0f;
constexpr f32 STATUS_BAR_HEIGHT = 155.0f;
constexpr f32 BAR_ITEM_HEIGHT = 48.0f;
constexpr f32 TITLE_BUTTON_WIDTH = 240.0f;
constexpr f32 TITLE_TEXT_WIDTH = 200.0f;
constexpr f32 GATE_PITCH = 232.0f;
constexpr f32 GATE_LEFT = 30.0f;
constexpr f32 GATE_ICON_WIDTH = 70.0f;
constexpr f32 GATE_STATUS_WIDTH = 155.0f;
constexpr f32 GATE_MENU_X = 10.0f;
constexpr f32 GATE_MENU_Y = 9.0f;
constexpr f32 GATE_MENU_GAP = 31.0f;
// From the first gate's left to the last one's right with the same margin after it.
constexpr f32 GATE_ROW_WIDTH = 2.0f * GATE_LEFT + GATE_PITCH * (GATE_ID_LAST - 1) + GATE_ICON_WIDTH + GATE_STATUS_WIDTH;
constexpr f32 CAMERA_BUTTON_SIZE = 107.0f;
constexpr f32 ICON_MARGIN = 10.0f;
// The entries' pulse and their lit layer.
constexpr f32 GATE_PULSE_SCALE = 0.25f;
constexpr f32 GATE_LIT_BASE = 0.25f;
constexpr f32 GATE_LIT_SCALE = 0.2f;
constexpr f32 GATE_LIT_STATE_VALUE = 0.66f;
constexpr f32 TWO_PI = 6.2831853f;

TInputAction* Action(const char* name)
{
    return TInputManager::Instance().CreateAction(TName(name, true), 0);
}

bool Pressed(const TInputAction* action)
{
    return action && action->IsPressed();
}

TUIButton* CreateButton(TUIItem* parent, const char* name)
{
    return static_cast<TUIButton*>(parent->CreateChild("TUIButton", name));
}

// A text of the bars: the menu's font at the bar size, in the colour, centred.
void BarText(TUIButton* button, const TColor& colour, bool localised, f32 scale = 1.0f)
{
    button->m_Caption.SetFont(TName(MENU_FONT, true), BAR_FONT_SIZE * scale, colour, UI_ALIGN_CENTRE, UI_ALIGN_CENTRE,
                              localised ? 1 : 0, -2.0f, -1.0f);
}

// A button of the icon's look, the margin from its parent's right edge.
TUIButton* CreateIconButton(TUIItem* parent, const char* name, const char* icon)
{
    TUIButton* button = CreateButton(parent, name);
    button->SetIconByName(icon);
    button->SetSize(CAMERA_BUTTON_SIZE, CAMERA_BUTTON_SIZE);
    button->SetFromRight(ICON_MARGIN);
    return button;
}

bool GateIdle(i32 id)
{
    const TGate* gate = g_pGameLogicManager ? g_pGameLogicManager->FindGate(id) : nullptr;
    return gate && gate->m_nState == gsIdle;
}

u32 Argb(f32 r, f32 g, f32 b, f32 a)
{
    auto byte = [](f32 v) { return static_cast<u32>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}
} // namespace

void TGameMenuManager::OnClusterLoad()
{
    m_pTowerCam = Action("towercam");
    m_pFollowMe = Action("carinputmode1");
}

void TGameMenuManager::_CreateGameScreen()
{
    m_pTitleBar = CreateButton(m_pGameUI, "TitleBar");
    m_pTitleBar->SetIconByName("Game UI Title Bar");
    TUIButton* mainMenu = CreateButton(m_pTitleBar, "MainMenu");
    mainMenu->SetCaption("MainMenu");
    mainMenu->AddAction("menuback");
    mainMenu->OnClickList.Bind(this, &TGameMenuManager::OnMainMenuClick);
    TUIButton* help = CreateButton(m_pTitleBar, "GameHelpButton");
    help->SetCaption("GameHelp");
    help->AddAction("helptoggle2");
    help->OnClickList.Bind(this, &TGameMenuManager::OnGameHelpClick);
    m_pMoney = CreateButton(m_pTitleBar, "Money");
    m_pDate = CreateButton(m_pTitleBar, "Date");
    m_pTime = CreateButton(m_pTitleBar, "Time");

    m_pStatusBar = CreateButton(m_pGameUI, "StatusBar");
    m_pStatusBar->SetIconByName("Game UI Status Bar");
    char name[32];
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        std::snprintf(name, sizeof name, "G%d", i + 1);
        m_apGateIcon[i] = CreateButton(m_pStatusBar, name);
        m_apGateIcon[i]->SetCaption(name);
        m_apGateIcon[i]->m_nTag = i;
        m_apGateIcon[i]->OnClickList.Bind(this, &TGameMenuManager::OnGateSelected);
        std::snprintf(name, sizeof name, "Status%d", i + 1);
        m_apGateStatus[i] = CreateButton(m_pStatusBar, name);
        m_apGateStatus[i]->SetCaption("gsIdle");
        m_apGateStatus[i]->m_nTag = i;
        m_apGateStatus[i]->OnClickList.Bind(this, &TGameMenuManager::OnGateSelected);
    }
    m_pGateMenu = static_cast<TUIMenu*>(m_pStatusBar->CreateChild("TUIMenu", "GateSelectionMenu"));
    m_pGateMenu->SetPosition(GATE_MENU_X, GATE_MENU_Y);
    m_pGateMenu->m_nHorizontal = 1;
    m_pGateMenu->m_fColumnGap = GATE_MENU_GAP;
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        std::snprintf(name, sizeof name, "GateSelect%d", i + 1);
        TUIButton* entry = m_pGateMenu->AddButton(name, "GateSelectionItemStyle", 0);
        std::snprintf(name, sizeof name, "G%d", i + 1);
        entry->SetCaption(name);
        entry->OnAfterDraw.Bind(this, &TGameMenuManager::_DrawGateSelectItem);
        entry->OnClickList.Bind(this, &TGameMenuManager::OnGateSelected);
    }
    // "menuback" while the menu holds the keys (the main-menu button's own key is held back then);
    // without a focused entry it holds none and the button has had the press already.
    m_pGateMenu->OnBack.Add([this](TUIItem*, const void*) {
        return g_pUIManager && g_pUIManager->m_nHotKeyUsed ? 0 : OnMainMenuClick(nullptr);
    });
    m_pGateMenu->Show(false, true);

    m_pIconBase = CreateButton(m_pGameUI, "IconBase");
    TUIButton* management = CreateIconButton(m_pIconBase, "Management", "Game UI Button Management");
    management->SetTop(UI_PLACE_NEAR, 8.0f);
    management->AddAction("management");
    management->m_nFlags |= UI_HOT_KEYS_ALWAYS;
    management->OnClickList.Bind(this, &TGameMenuManager::OnManagementClick);
    m_pTowerButton = CreateIconButton(m_pIconBase, "Tower", "Game UI Button Tower");
    m_pTowerButton->SetTop(UI_PLACE_NEAR, CAMERA_BUTTON_SIZE + 16.0f);
    m_pTowerButton->OnClickList.Bind(this, &TGameMenuManager::OnSwitchToTowerCamera);
    m_pVanButton = CreateIconButton(m_pIconBase, "Van", "Game UI Button Van");
    m_pVanButton->SetTop(UI_PLACE_NEAR, 2.0f * CAMERA_BUTTON_SIZE + 24.0f);
    m_pVanButton->OnClickList.Bind(this, &TGameMenuManager::OnSwitchToFollowMe);
    m_pLanding = CreateIconButton(m_pIconBase, "Landing", "Game UI Icon Landing");
    m_pTakeOff = CreateIconButton(m_pIconBase, "TakeOff", "Game UI Icon Takeoff");
    for (TUIButton* indicator : {m_pLanding, m_pTakeOff})
    {
        indicator->SetFromBottom(8.0f);
        indicator->Show(false, true);
    }
    _CreateTaskPanel();
    _CreateManagementScreen();
    _CreateHelpBackdrop();
    m_pGameUI->OnInput.Bind(this, &TGameMenuManager::_UpdateGameScreen);
    _LayoutGameScreen();
}

void TGameMenuManager::_CreateHelpBackdrop()
{
    m_pGameHelp = CreateButton(m_pGameUI, "GameHelp");
    m_pGameHelp->SetInsets(0.0f);
    m_pGameHelp->SetImage(UIFindTexture(TName("Texture Darken Background", true)));
    m_pGameHelp->Show(false, true);
}

void TGameMenuManager::_LayoutGameScreen()
{
    if (!m_pTitleBar)
        return;
    // The root's size in design pixels: the design height, and the width the screen's aspect
    // gives it. One table; the bars span the width, the texts at its right keep to it.
    const f32 width = m_pUIBase->m_VirtualSize.x > 0.0f ? m_pUIBase->m_VirtualSize.x : MENU_DESIGN_WIDTH;
    const f32 height = m_pUIBase->m_VirtualSize.y > 0.0f ? m_pUIBase->m_VirtualSize.y : MENU_DESIGN_HEIGHT;
    m_pTitleBar->SetPosition(0.0f, 0.0f);
    m_pTitleBar->SetSize(width, TITLE_BAR_HEIGHT);
    const f32 textTop = (TITLE_BAR_HEIGHT - BAR_ITEM_HEIGHT) / 2.0f;
    struct TSlot
    {
        const char* name;
        f32 x;
        f32 width;
        const TColor* colour;
        bool localised;
    };
    const TSlot slots[] = {
        {"MainMenu", 20.0f, TITLE_BUTTON_WIDTH, &HIGHLIGHT_COLOUR, true},
        {"GameHelpButton", 20.0f + TITLE_BUTTON_WIDTH, TITLE_BUTTON_WIDTH, &HIGHLIGHT_COLOUR, true},
        {"Money", width - 3.0f * TITLE_TEXT_WIDTH - 20.0f, TITLE_TEXT_WIDTH, &TEXT_COLOUR, false},
        {"Date", width - 2.0f * TITLE_TEXT_WIDTH - 20.0f, TITLE_TEXT_WIDTH, &TEXT_COLOUR, false},
        {"Time", width - TITLE_TEXT_WIDTH - 20.0f, TITLE_TEXT_WIDTH, &TEXT_COLOUR, false},
    };
    for (const TSlot& slot : slots)
        if (auto* item = static_cast<TUIButton*>(m_pTitleBar->FindItem(TName(slot.name))))
        {
            item->SetPosition(slot.x, textTop);
            item->SetSize(slot.width, BAR_ITEM_HEIGHT);
            BarText(item, *slot.colour, slot.localised);
        }

    m_pStatusBar->SetPosition(0.0f, height - STATUS_BAR_HEIGHT);
    m_pStatusBar->SetSize(width, STATUS_BAR_HEIGHT);
    const f32 rowTop = STATUS_BAR_HEIGHT - BAR_ITEM_HEIGHT - 12.0f;
    // The eight gates narrow together on a narrow screen (4:3, 5:4), so that the last one fits.
    const f32 fit = std::min(1.0f, width / GATE_ROW_WIDTH);
    const f32 pitch = GATE_PITCH * fit;
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        const f32 x = GATE_LEFT * fit + pitch * static_cast<f32>(i);
        m_apGateIcon[i]->SetPosition(x, rowTop);
        m_apGateIcon[i]->SetSize(GATE_ICON_WIDTH * fit, BAR_ITEM_HEIGHT);
        BarText(m_apGateIcon[i], HIGHLIGHT_COLOUR, true, fit);
        m_apGateStatus[i]->SetPosition(x + GATE_ICON_WIDTH * fit, rowTop);
        m_apGateStatus[i]->SetSize(GATE_STATUS_WIDTH * fit, BAR_ITEM_HEIGHT);
        BarText(m_apGateStatus[i], TEXT_COLOUR, true, fit);
    }
    // The menu's entries keep their style's width and follow the gates' pitch, their light drawn
    // within it.
    f32 entryWidth = 0.0f, entryHeight = 0.0f;
    TUIMenu::MeasureEntry(m_pGateMenu->GetChildren()[0], entryWidth, entryHeight);
    m_pGateMenu->SetPosition(GATE_MENU_X * fit, GATE_MENU_Y);
    m_pGateMenu->m_fSpreadWidth = pitch * static_cast<f32>(GATE_ID_LAST - 1) + entryWidth;
    m_pGateMenu->UpdateLayout();

    m_pIconBase->SetPosition(0.0f, TITLE_BAR_HEIGHT);
    m_pIconBase->SetSize(width, height - TITLE_BAR_HEIGHT - STATUS_BAR_HEIGHT);
}

i32 TGameMenuManager::_UpdateGameScreen(TUIItem*)
{
    TGameLogicManager* game = g_pGameLogicManager;
    if (!game || !m_pTitleBar)
        return 0;
    TGameParameters& parameters = game->GetParameters();
    m_pMoney->m_Caption.SetWideText(FormatGroupedInteger(parameters.nMoney).c_str());
    const std::time_t now = std::time(nullptr);
    std::tm local = {};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%02d.%02d.%04d", local.tm_mday, local.tm_mon + 1, local.tm_year + 1900);
    m_pDate->m_Caption.SetText(text);
    std::snprintf(text, sizeof text, "%02d:%02d", local.tm_hour, local.tm_min);
    m_pTime->m_Caption.SetText(text);
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        // A gate the level lacks shows nothing of itself.
        const TGate* gate = game->FindGate(i + 1);
        m_apGateIcon[i]->SetVisible(gate != nullptr);
        m_apGateStatus[i]->SetVisible(gate != nullptr);
        if (!gate)
            continue;
        TGameName state;
        GetGateStateName(gate->m_nState, state);
        m_apGateStatus[i]->SetCaption(state.GetText());
    }
    UpdateInGameKeys();
    m_pLanding->Show((parameters.nFlags & GAME_LANDING) != 0, false);
    m_pTakeOff->Show((parameters.nFlags & GAME_TAKING_OFF) != 0, false);
    m_pTowerButton->SetVisible(!game->IsTowerView());
    m_pVanButton->SetVisible(!game->IsFollowMeActive());
    m_pGateMenu->SetVisible(game->IsTowerView() && m_pManagementBase->IsInactive() && m_pGameHelp->IsInactive());
    // The main menu or a window took the keys while it was open: they come back to it.
    if (g_pUIManager && m_pGateMenu->IsOpen() && g_pUIManager->m_pActiveMenu != m_pGateMenu && !IsMenuOpen() &&
        GetWindowCount() == 0)
        m_pGateMenu->Activate();
    for (TUIItem* entry : m_pGateMenu->GetChildren())
        entry->SetVisible(GateIdle(entry->m_nTag + 1));
    const i32 tasks = _RebuildTaskList();
    if (m_pTaskGrid->m_nRowCount != tasks)
        m_pTaskGrid->SetRowCount(tasks, true);
    m_pTaskBackground->Show(tasks > 0, false);
    return 0;
}

void TGameMenuManager::UpdateInGameKeys()
{
    TGameLogicManager* game = g_pGameLogicManager;
    // The wheel scrolls the task grid under the pointer, not the camera.
    const bool overGrid = m_pTaskGrid && m_pTaskGrid->IsVisible() && (m_pTaskGrid->m_nFlags & UI_POINTER_INSIDE);
    if (g_pOrbitCameraManager)
        g_pOrbitCameraManager->SetZoomAllowed(overGrid ? 0 : 1);
    // Keys typed into the console or a text box are no camera keys; the menu, the popups and help
    // take their own.
    if (!game || s_ConsoleShow.GetValue().ToInt() != 0 || TInputManager::Instance().IsBufferedInputOn() ||
        IsMenuOpen() || GetWindowCount() > 0 || (m_pGameHelp && m_pGameHelp->IsOpen()))
        return;
    if (Pressed(m_pTowerCam))
        game->SwitchToTowerCamera();
    if (Pressed(m_pFollowMe))
        game->SwitchToFollowMe();
}

void TGameMenuManager::ShowGateSelectionMenu()
{
    if (!g_pGameLogicManager || !m_pGateMenu)
        return;
    if (g_pGameLogicManager->GetParameters().nChosenGate != 0 || m_pGateMenu->IsOpen() || GetWindowCount() > 0)
        return;
    m_pGateMenu->Show(true, false);
    m_pGateMenu->SetVisible(true);
    m_pGateMenu->Activate();
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayChooseGate(nullptr);
    const i32 start = RandomIndex(TRandom::Shared(), &GATE_MENU_RANDOM_MAX);
    for (i32 i = 0; i < GATE_ID_LAST; ++i)
    {
        const i32 id = (start + i) % GATE_ID_LAST + 1;
        if (GateIdle(id))
            m_pGateMenu->SetFocus(id - 1);
    }
    const TUIItem* focused = m_pGateMenu->GetFocusedItem();
    if (IsScriptedRun() && focused && GateIdle(focused->m_nTag + 1))
    {
        m_pGateMenu->Show(false, false);
        g_pGameLogicManager->GetParameters().nChosenGate = focused->m_nTag + 1;
    }
}

i32 TGameMenuManager::OnGateSelected(TUIItem* sender)
{
    if (!m_pGateMenu || m_pGateMenu->IsInactive() || !m_pGateMenu->IsVisible())
        return 0;
    const i32 id = sender->m_nTag + 1;
    if (!GateIdle(id))
        return 0;
    m_pGateMenu->Show(false, false);
    g_pGameLogicManager->GetParameters().nChosenGate = id;
    return 0;
}

i32 TGameMenuManager::_DrawGateSelectItem(TUIItem* sender)
{
    TTexture* white = UIFindTexture(TName("Texture White", true));
    // A busy gate's entry is drawn in its hidden look, without light.
    if (!white || !sender->IsVisible())
        return 0;
    TUIRect rect = sender->GetAbsoluteRect();
    // Entries closer than their width (a narrow screen) light only their own pitch.
    const std::vector<TUIItem*>& entries = m_pGateMenu->GetChildren();
    if (entries.size() > 1)
    {
        const f32 pitch = entries[1]->m_Position.x - entries[0]->m_Position.x;
        const f32 scale = sender->m_Size.x > 0.0f ? (rect.fRight - rect.fLeft) / sender->m_Size.x : 1.0f;
        const f32 lit = std::max(0.0f, pitch - GATE_MENU_GAP * pitch / GATE_PITCH) * scale;
        if (lit < rect.fRight - rect.fLeft)
        {
            const f32 inset = (rect.fRight - rect.fLeft - lit) / 2.0f;
            rect.fLeft += inset;
            rect.fRight -= inset;
        }
    }
    const f32 t = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
    const f32 opacity = sender->m_fEffectiveOpacity;
    const f32 pulse = GATE_PULSE_SCALE * (0.5f + 0.5f * std::sin(TWO_PI * t));
    const f32 state = sender == m_pGateMenu->GetFocusedItem() ? GATE_LIT_STATE_VALUE : 0.0f;
    UIDrawRect(rect, Argb(1.0f, 1.0f, 1.0f, pulse * opacity), white);
    UIDrawRect(rect, Argb(1.0f, 0.9f, 0.4f, (GATE_LIT_BASE + GATE_LIT_SCALE * state) * opacity), white);
    return 0;
}

i32 TGameMenuManager::OnMainMenuClick(TUIItem*)
{
    if (g_pUIGameManager && g_pUIGameManager->IsBusy())
    {
        if (g_pUIGameManager->IsShowing(UI_SCREEN_HELP))
        {
            g_pUIGameManager->GetScreen(UI_SCREEN_HELP).GetForm()->Hide(1);
            CloseGameHelp();
        }
        return 0;
    }
    if (TUIButton* popup = m_apPopup[GAME_POPUP_TASK]; popup && popup->IsOpen())
    {
        popup->Show(false, false);
        return 0;
    }
    SetMenuVisible(1, 0);
    return 0;
}

i32 TGameMenuManager::OnGameHelpClick(TUIItem*)
{
    m_pGameHelp->Show(true, false);
    if (g_pUIGameManager)
        g_pUIGameManager->ShowScreen(UI_SCREEN_HELP);
    m_pIconBase->Show(false, false);
    return 0;
}

void TGameMenuManager::CloseGameHelp()
{
    if (m_pIconBase)
        m_pIconBase->Show(true, false);
    if (m_pGameHelp)
        m_pGameHelp->Show(false, false);
}

i32 TGameMenuManager::OnSwitchToTowerCamera(TUIItem*)
{
    if (g_pGameLogicManager)
        g_pGameLogicManager->SwitchToTowerCamera();
    return 0;
}

i32 TGameMenuManager::OnSwitchToFollowMe(TUIItem*)
{
    if (g_pGameLogicManager)
        g_pGameLogicManager->SwitchToFollowMe();
    return 0;
}

void TGameMenuManager::StartTask(TTask* task)
{
    if (!task)
        return;
    if (task->m_nAI && !task->m_nStarted)
        task->RequestStart();
    else if (task == g_pGameLogicManager->GetParameters().pActiveTask)
    {
        if (PushWindow("GameTaskResetConfirm"))
            m_pResetTask = task;
    }
    else
        g_pGameLogicManager->ActivateTask(task);
}

i32 TGameMenuManager::OnTaskResetConfirmed(TUIItem*)
{
    TTask* task = m_pResetTask;
    m_pResetTask = nullptr;
    if (task)
        task->Reset();
    return 0;
}

TUIButton* TGameMenuManager::GetGameText(const char* name) const
{
    return m_pTitleBar ? static_cast<TUIButton*>(m_pTitleBar->FindItem(TName(name))) : nullptr;
}

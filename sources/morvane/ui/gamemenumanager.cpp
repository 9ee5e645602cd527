#include "morvane/ui/gamemenumanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/timer.h"
#include "engine/input/inputcursor.h"
#include "engine/render/device.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ui/uigamemanager.h"
#include "player/gamesavedgame.h"
#include "player/morvaneplayerprofile.h"
#include "player/playerprofilemanager.h"
#include "ui/uibutton.h"
#include "ui/uidraw.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"

TGameMenuManager* g_pGameMenuManager = nullptr;

// The first update builds the tree.
u32 TGameMenuManager::s_nRebuildRequest = 1;
u32 TGameMenuManager::s_nSuppressClose = 0;
u32 TGameMenuManager::s_nProfileManagerStarted = 0;
u32 TGameMenuManager::s_nNewGame = 0;
u32 TGameMenuManager::s_nMayContinue = 0;
u32 TGameMenuManager::s_nLayoutDirty = 0;

namespace
{
const char* const kUpdatePrefix = "TGameMenuManager::UpdateManager(): ";
const char* const kUpdateError = "TGameMenuManager::UpdateManager(): error: ";

TGameMenuManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("GameMenu", "GameMenu", &g_pGameMenuManager, &s_Manager);

// Registered with the timer's factor table's names, so that their texts print.
const TName s_MainMenuScale(TIME_SCALE_MAIN_MENU, true);
const TName s_ModalBoxScale(TIME_SCALE_MODAL_BOX, true);

class Tgame_autostartaitaskVariable : public TVariable
{
public:
    Tgame_autostartaitaskVariable() : TVariable("game_autostartaitask", "Automatically start AI tasks.", 0)
    {
        m_Value.SetInt(0);
    }
    // Read by the tasks when they start.
    void OnChange() override {}
};

Tgame_autostartaitaskVariable s_game_autostartaitask;

class TCommandui_reset : public TCommand
{
public:
    void Execute(TCommandInstruction&, u32 prepare) override
    {
        if (prepare != COMMAND_RUN || !g_pGameMenuManager || !g_pUIManager)
            return;
        g_pUIManager->FinalizeManager();
        g_pGameMenuManager->RebuildUI();
        g_pUIManager->OnDeviceChange();
        g_pGameMenuManager->SetMenuVisible(1, 0);
    }
};

TCommandui_reset s_Commandui_reset;
const u32 s_nCommandRegistered = [] {
    TCommandManager::Instance().RegisterCommand("ui_reset", "recreates all ui elements", "", &s_Commandui_reset, 0);
    return 0u;
}();

bool GameStarted()
{
    return g_pGameLogicManager && g_pGameLogicManager->GetParameters().nStarted != 0;
}

void SetTimeScale(const TName& name, f32 factor)
{
    if (g_pTimer)
        g_pTimer->SetScale(factor, name);
}

void SetSoundMenuMode(u32 menu)
{
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->SetMenuMode(menu);
}

// A layer of the root: full size, with its fade times.
TUIButton* CreateLayer(TUIItem* parent, const char* name, f32 fadeIn, f32 fadeOut)
{
    auto* layer = static_cast<TUIButton*>(parent->CreateChild("TUIButton", name));
    layer->SetInsets(0.0f);
    layer->SetFadeTimes(fadeIn, fadeOut);
    return layer;
}
} // namespace

bool IsScriptedRun()
{
    return g_pTimer && g_pTimer->GetFixedStep() > 0.0f;
}

u32 TakeNewGameStartedFlag()
{
    const u32 flag = TGameMenuManager::s_nNewGame;
    TGameMenuManager::s_nNewGame = 0;
    return flag;
}

TGameMenuManager::TGameMenuManager()
    : m_pUIBase(nullptr), m_pMainUI(nullptr), m_pGameUI(nullptr), m_pModalLayer(nullptr), m_pUIFader(nullptr),
      m_pMainMenuBackground(nullptr), m_pMainMenuBG(nullptr), m_pMainMenuLayer(nullptr), m_apButton{},
      m_pPlayerProfileLabel(nullptr), m_pWebPageLabel(nullptr), m_pMenu(nullptr), m_pSubWindow(nullptr),
      m_pPlayersWindow(nullptr), m_pOptionsWindow(nullptr), m_pLoadGameGrid(nullptr), m_pProfileSlider(nullptr), m_pProfileNameEdit(nullptr),
      m_pProfilesFooter(nullptr), m_pSavedListener(nullptr), m_nListenerFramePending(0),
      m_FadeAction{}, m_nSaveArmed(0), m_pTowerCam(nullptr), m_pFollowMe(nullptr),
      m_pResetTask(nullptr), m_pTitleBar(nullptr), m_pStatusBar(nullptr),
      m_pGateMenu(nullptr), m_pIconBase(nullptr), m_pGameHelp(nullptr), m_pMoney(nullptr), m_pDate(nullptr),
      m_pTime(nullptr), m_pTowerButton(nullptr), m_pVanButton(nullptr), m_pLanding(nullptr), m_pTakeOff(nullptr),
      m_apGateIcon{}, m_apGateStatus{}, m_pTaskBackground(nullptr), m_pTaskGrid(nullptr), m_pTaskStart(nullptr),
      m_apTaskHeader{}, m_pTaskButtons(nullptr), m_pTaskHelp(nullptr), m_pTaskBack(nullptr), m_pTaskPin(nullptr),
      m_pTaskPopupBG(nullptr), m_apTaskPopupLabel{}, m_pTaskPopupTask(nullptr), m_apPopup{},
      m_nTaskPanelState(TASK_PANEL_COLLAPSED), m_fTaskSlide(0.0f), m_fTaskCloseDelay(0.0f), m_fTaskHoverDelay(0.0f),
      m_pTabKey(nullptr), m_pLAltKey(nullptr), m_pManagementBase(nullptr), m_pManagementWindow(nullptr),
      m_pManagementGrid(nullptr), m_pManagementBalance(nullptr), m_pManagementStatus(nullptr),
      m_pManagementInfo(nullptr), m_pManagementBuy(nullptr), m_pManagementPopupWindow(nullptr),
      m_pManagementPicture(nullptr), m_apManagementPopupLabel{}, m_pManagementPopupText(nullptr),
      m_apManagementKey{}
{
    // Every frame: the menu it opens stands the game clock still.
    m_nChannel = 0;
    m_nUpdateFlags &= ~MANAGER_UPDATE_SKIP_ZERO;
}

TGameMenuManager::~TGameMenuManager()
{
    m_aWindow.Free();
}

void TGameMenuManager::BeginManager()
{
    g_pCluster->AddListener(static_cast<TClusterMethods*>(this));
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(static_cast<TDeviceMethods*>(this));
    if (g_pUIManager)
        g_pUIManager->SetDefaultFont(TName(MENU_FONT, true));
}

void TGameMenuManager::_ResetState()
{
    m_pUIBase = m_pMainUI = m_pGameUI = m_pModalLayer = m_pUIFader = nullptr;
    m_pMainMenuBackground = m_pMainMenuBG = m_pMainMenuLayer = nullptr;
    std::fill(std::begin(m_apButton), std::end(m_apButton), nullptr);
    m_pPlayerProfileLabel = m_pWebPageLabel = nullptr;
    m_pMenu = nullptr;
    m_pSubWindow = m_pPlayersWindow = m_pOptionsWindow = nullptr;
    m_pLoadGameGrid = nullptr;
    m_pProfileSlider = nullptr;
    m_pProfileNameEdit = nullptr;
    m_pProfilesFooter = nullptr;
    m_pSavedListener = nullptr;
    m_nListenerFramePending = 0;
    m_FadeAction = {};
    m_aWindow.Free();
    m_nSaveArmed = 0;
    m_pResetTask = nullptr;
    m_pTitleBar = m_pStatusBar = m_pIconBase = m_pGameHelp = nullptr;
    m_pGateMenu = nullptr;
    m_pMoney = m_pDate = m_pTime = m_pTowerButton = m_pVanButton = m_pLanding = m_pTakeOff = nullptr;
    std::fill(std::begin(m_apGateIcon), std::end(m_apGateIcon), nullptr);
    std::fill(std::begin(m_apGateStatus), std::end(m_apGateStatus), nullptr);
    m_TaskList = TTaskList();
    m_pTaskBackground = m_pTaskStart = nullptr;
    m_pTaskButtons = m_pTaskHelp = m_pTaskBack = m_pTaskPin = m_pTaskPopupBG = nullptr;
    std::fill(std::begin(m_apTaskPopupLabel), std::end(m_apTaskPopupLabel), nullptr);
    std::fill(std::begin(m_apPopup), std::end(m_apPopup), nullptr);
    m_pTaskPopupTask = nullptr;
    m_nTaskPanelState = TASK_PANEL_COLLAPSED;
    m_fTaskSlide = m_fTaskCloseDelay = m_fTaskHoverDelay = 0.0f;
    m_pManagementBase = m_pManagementWindow = m_pManagementInfo = m_pManagementBuy = nullptr;
    m_pManagementPopupWindow = m_pManagementPicture = nullptr;
    m_pManagementGrid = nullptr;
    m_pManagementBalance = m_pManagementStatus = m_pManagementPopupText = nullptr;
    std::fill(std::begin(m_apManagementPopupLabel), std::end(m_apManagementPopupLabel), nullptr);
    m_pTaskGrid = nullptr;
    std::fill(std::begin(m_apTaskHeader), std::end(m_apTaskHeader), nullptr);
}

void TGameMenuManager::OnClusterUnload()
{
    // The unload may come from a handler of the tree's own items (a fade action loading a
    // game): the old tree stays with the UI manager until the rebuild of the next update.
    TUIButton* root = m_pUIBase;
    _ResetState();
    m_pUIBase = root;
    s_nRebuildRequest = 1;
    m_pTowerCam = m_pFollowMe = nullptr;
    m_pTabKey = m_pLAltKey = nullptr;
    std::fill(std::begin(m_apManagementKey), std::end(m_apManagementKey), nullptr);
}

void TGameMenuManager::FinalizeManager()
{
    RestoreListener();
    _ResetState();
    // A next run of the manager system starts over: the player data, the tree, the menu.
    s_nRebuildRequest = 1;
    s_nProfileManagerStarted = 0;
    s_nSuppressClose = s_nNewGame = s_nMayContinue = s_nLayoutDirty = 0;
}

void TGameMenuManager::RebuildUI()
{
    // A tree of an earlier build goes first (ui_reset has removed every item already).
    if (m_pUIBase && g_pUIManager)
    {
        const auto& roots = g_pUIManager->GetRoots();
        if (std::find(roots.begin(), roots.end(), m_pUIBase) != roots.end())
            delete m_pUIBase;
    }
    _ResetState();
    if (!g_pUIManager)
        return;
    m_pUIBase = static_cast<TUIButton*>(g_pUIManager->CreateItem("TUIButton", "UIBase", 0.0f, 0.0f));
    m_pUIBase->SetInsets(0.0f);
    m_pUIBase->SetDesignSize(MENU_DESIGN_WIDTH, MENU_DESIGN_HEIGHT, 1.0f, 1);
    m_pUIBase->AddAction("menuback");
    m_pUIBase->OnClickList.Bind(this, &TGameMenuManager::OnBack);

    m_pGameUI = CreateLayer(m_pUIBase, "GameUI", 0.0f, 0.0f);
    m_pMainUI = CreateLayer(m_pUIBase, "MainUI", MENU_LAYER_FADE, MENU_LAYER_FADE);
    m_pMainUI->OnInput.Bind(this, &TGameMenuManager::_UpdateContinueSave);
    m_pMainUI->OnShow.Add([this](TUIItem*, const void*) {
        if (m_pGameUI)
            m_pGameUI->Show(false, true);
        return 0;
    });

    m_pModalLayer = CreateLayer(m_pUIBase, "ModalLayer", MENU_LAYER_FADE, MENU_LAYER_FADE);
    m_pModalLayer->SetImage(UIFindTexture(TName("ui.darken", true)));
    m_pModalLayer->m_nFlags |= UI_MODAL;
    m_pModalLayer->Show(false, true);

    _CreateMainMenuLayer();
    _CreateGameScreen();
    _CreateDialogs();

    m_pUIFader = CreateLayer(m_pUIBase, "UIFader", FADER_SLOW_IN, FADER_SLOW_OUT);
    m_pUIFader->SetImage(UIFindTexture(TName("ui.black", true)));
    m_pUIFader->m_nFlags |= UI_MODAL | UI_INPUT_WHILE_CLOSED;
    m_pUIFader->OnShow.Bind(this, &TGameMenuManager::_RunFadeAction);
    m_pUIFader->OnHide.Bind(this, &TGameMenuManager::_OnFaderHidden);

    ShowCursor(false);
    RequestLayout(0);
}

void TGameMenuManager::UpdateManager(f32)
{
    if (!s_nProfileManagerStarted && g_pPlayerProfileManager)
    {
        s_nProfileManagerStarted = 1;
        TPlayerProfileManager& profiles = *g_pPlayerProfileManager;
        if (profiles.Initialize(GAME_PLAYER_PATCH_LEVEL, CreateGameProfile, CreateGameSavedGame) != 0)
            TLog::Print(g_pSystemLog, LOG_ERROR, kUpdateError, "Player profile manager init failed.");
        if (profiles.GetProfileCount() == 0)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, kUpdatePrefix, "Creating default profile.");
            CreateDefaultProfile(GetWindowsUserName());
        }
    }
    if (s_nRebuildRequest)
    {
        s_nRebuildRequest = 0;
        // No interface sounds while the items come and go.
        if (g_pSoundPlayerManager)
            g_pSoundPlayerManager->Suppress();
        RebuildUI();
        if (g_pUIManager)
            g_pUIManager->OnDeviceChange();
        SetMenuVisible(GameStarted() || s_nNewGame ? 0 : 1, 0);
        if (g_pSoundPlayerManager)
            g_pSoundPlayerManager->Unsuppress();
    }
    else if (IsFadePending())
    {
        // A fade started while the last one still faded out turns back without the fader ever
        // having been hidden: no show event comes, the action runs once it is black.
        if (m_pUIFader && m_pUIFader->IsOpen() && m_pUIFader->m_nFadeState == UI_FADE_OPEN)
            _RunFadeAction(m_pUIFader);
    }
    else if (m_pUIFader)
    {
        // The pointer works again while the black fades from the screen.
        if (!m_pUIFader->IsInactive())
            ShowCursor(true);
        m_pUIFader->Show(false, false);
    }
    if (IsScriptedRun())
    {
        if (!GameStarted() && !s_nNewGame && !IsFadePending())
            OnNewGame(nullptr);
        while (GetWindowCount() > 0)
            PopWindow();
    }
    RequestLayout(1);
}

void TGameMenuManager::CreateDefaultProfile(const char16_t* userName)
{
    TPlayerProfileManager& profiles = *g_pPlayerProfileManager;
    TPlayerProfile* profile = CreateGameProfile();
    if (!profile)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kUpdateError, "Default profile creation failed.");
        return;
    }
    // A profile name holds 31 characters: the profile cuts a longer user name.
    profile->SetName(userName);
    if (profiles.AddProfile(profile) == 0)
        return;
    profile->SetName(DEFAULT_PROFILE_NAME);
    if (profiles.AddProfile(profile) == 0)
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, kUpdateError, "Default profile creation failed.");
    MemoryDelete(profile);
}

bool TGameMenuManager::IsMenuOpen() const
{
    return m_pMainUI && !m_pMainUI->IsInactive();
}

i32 TGameMenuManager::SetMenuVisible(u32 show, u32 suppress)
{
    if (!m_pMainUI)
        return 0;
    if (s_nSuppressClose && !suppress)
    {
        s_nSuppressClose = 0;
        return 0;
    }
    s_nSuppressClose = suppress;
    const bool wasHidden = m_pMainUI->IsInactive();
    m_pMainUI->Show(show != 0, false);
    if (wasHidden && show && m_pMainMenuLayer)
        m_pMainMenuLayer->Show(true, true);
    if (!show && m_pGameUI)
        m_pGameUI->Show(true, true);
    SetTimeScale(s_MainMenuScale, show ? 0.0f : 1.0f);
    SetSoundMenuMode(show);
    if (wasHidden && show)
        RequestLayout(0);
    if (show)
    {
        TSoundListenerMethods* listener = g_pSoundManager ? g_pSoundManager->GetListener() : nullptr;
        if (g_pSoundManager && listener != static_cast<TSoundListenerMethods*>(this))
        {
            m_pSavedListener = listener;
            g_pSoundManager->SetListener(this);
            m_nListenerFramePending = 1;
        }
    }
    else
        RestoreListener();
    return 0;
}

void TGameMenuManager::RestoreListener()
{
    if (g_pSoundManager && g_pSoundManager->GetListener() == static_cast<TSoundListenerMethods*>(this))
        g_pSoundManager->SetListener(m_pSavedListener);
    m_pSavedListener = nullptr;
}

void TGameMenuManager::GetFrame(f32, TSoundListenerFrame& frame)
{
    if (!m_nListenerFramePending)
        return;
    m_nListenerFramePending = 0;
    frame.Position = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    frame.Front = TVector(0.0f, 0.0f, -1.0f, 1.0f);
    frame.Top = TVector(0.0f, 1.0f, 0.0f, 1.0f);
    frame.Velocity = TVector(0.0f, 0.0f, 0.0f, 1.0f);
}

void TGameMenuManager::CloseMenu()
{
    m_pMainUI->Show(false, false);
    if (m_pGameUI)
        m_pGameUI->Show(true, true);
    SetTimeScale(s_MainMenuScale, 1.0f);
    SetSoundMenuMode(0);
    if (m_pMainUI->IsInactive())
        RequestLayout(0);
    RestoreListener();
}

i32 TGameMenuManager::OnBack(TUIItem*)
{
    if (!g_pUIManager || !g_pUIManager->IsInputReady())
        return 1;
    if ((g_pUIGameManager && g_pUIGameManager->IsBusy()) || !m_pMainUI || m_pMainUI->IsInactive() ||
        !GameStarted())
        return 0;
    if (s_nSuppressClose)
    {
        s_nSuppressClose = 0;
        return 0;
    }
    CloseMenu();
    return 0;
}

void TGameMenuManager::ShowCursor(bool show)
{
    TInputCursor* cursor = g_pUIManager ? g_pUIManager->GetCursor() : nullptr;
    if (cursor)
        cursor->Show(show, true);
}

void TGameMenuManager::StartFade(TOneShotCallback::TFunction action, u32 argument, u32 hideMenuLayer, u32 fast)
{
    if (IsFadePending() || !m_pUIFader)
        return;
    ShowCursor(false);
    m_FadeAction = {action, this, argument};
    m_pUIFader->SetFadeTimes(fast ? FADER_FAST_IN : FADER_SLOW_IN, fast ? FADER_FAST_OUT : FADER_SLOW_OUT);
    if (hideMenuLayer && m_pMainMenuLayer)
        m_pMainMenuLayer->Show(false, true);
    m_pUIFader->Show(true, false);
}

i32 TGameMenuManager::_RunFadeAction(TUIItem*)
{
    m_FadeAction.Run();
    return 0;
}

i32 TGameMenuManager::_OnFaderHidden(TUIItem*)
{
    ShowCursor(true);
    if (m_pMainUI && m_pMainUI->IsInactive() && g_pUIManager)
    {
        g_pUIManager->m_pActiveMenu = nullptr;
        if (m_pGameUI)
            if (auto* gateMenu = dynamic_cast<TUIMenu*>(m_pGameUI->FindItem(TName("GateSelectionMenu"))))
                gateMenu->SetFocus(-1);
    }
    return 0;
}

TUIItem* TGameMenuManager::PushWindow(const char* name)
{
    TUIItem* window = m_pModalLayer ? m_pModalLayer->FindItem(TName(name)) : nullptr;
    if (!window)
        return nullptr;
    if (m_aWindow.GetCount() == 0)
    {
        window->Show(true, true);
        if (m_pMainMenuLayer)
            m_pMainMenuLayer->Show(false, false);
        m_pModalLayer->Show(true, false);
    }
    else
    {
        GetTopWindow()->Show(false, false);
        window->Show(true, false);
    }
    m_aWindow.Add(window);
    return window;
}

void TGameMenuManager::PopWindow()
{
    const i32 count = m_aWindow.GetCount();
    if (count == 0)
        return;
    TUIItem* window = m_aWindow[count - 1];
    m_aWindow.SetCount(count - 1);
    if (count == 1)
    {
        window->Show(false, true);
        m_pModalLayer->Show(false, false);
        if (m_pMainMenuLayer)
            m_pMainMenuLayer->Show(true, false);
        return;
    }
    window->Show(false, false);
    GetTopWindow()->Show(true, false);
}

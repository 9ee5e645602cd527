#pragma once
// TGameMenuManager ("GameMenu"): owns the game's tree of UI items outside the UX screens: the
// root "UIBase" (design size 1920 x 1200) with its layers "GameUI" (the in-game screen),
// "MainUI" (the main menu and its sub-windows), "ModalLayer" (the darkening under popups) and
// "UIFader" (the black fade, drawn last); the window stack popups and the "Saving" window open
// on; the fade-to-black action that runs new games, loads and quitting; the open or closed main
// menu (the game clock stands still while it is open, and the manager is the sound listener);
// and the start of the player data (the profile manager with the game's factories, a default
// profile on the first start). The main menu's actions (gamemenumanager.mainmenu.cpp), the
// popup dialogs (gamemenumanager.dialogs.cpp) and the in-game screen with its keys
// and the gate choice (gamemenumanager.ingame.cpp) are methods of this one manager.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/render/devicemethods.h"
#include "engine/sound/soundlistenermethods.h"
#include "engine/system/manager.h"
#include "morvane/game/startup.h"
#include "morvane/ui/tasklist.h"
#include "ui/uibutton.h"
#include "ui/uitext.h"

class TInput;
class TInputAction;
class TPlayerSavedGame;
class TPlayerProfile;
class TPlayerProfileManager;
class TUIEdit;
class TUIGrid;
class TUILabel;
class TUIMenu;
class TUISlider;
struct TOptionRow;
struct TGate;
struct TTask;
struct TUIGridCell;
struct TVector;

// The gate-selection menu starts its walk at a random one of this many places.
constexpr i32 GATE_MENU_RANDOM_MAX = 666;

// The root's design size and the layers' fades (seconds).
constexpr f32 MENU_DESIGN_WIDTH = 1920.0f;
constexpr f32 MENU_DESIGN_HEIGHT = 1200.0f;
constexpr f32 MENU_LAYER_FADE = 0.33f;
// The fader: slow (new game, continue, quit) and fast.
constexpr f32 FADER_SLOW_IN = 4.0f;
constexpr f32 FADER_SLOW_OUT = 2.0f;
constexpr f32 FADER_FAST_IN = 0.4f;
constexpr f32 FADER_FAST_OUT = 0.2f;
// The name a default profile takes when the user's name is not one a profile may have.
inline constexpr char16_t DEFAULT_PROFILE_NAME[] = u"Player";
// The level New game loads again while a game runs.
inline constexpr const char* GAME_LEVEL_REPOSITORY = "data/morvane.data";
// The time-scale factors that stop the game clock.
inline constexpr const char* TIME_SCALE_MAIN_MENU = "UI.Main.Menu";
inline constexpr const char* TIME_SCALE_MODAL_BOX = "UI.Modal.Box";
// The menu labels' font (a condensed display face) and size.
inline constexpr const char* MENU_FONT = "ui_menu";
constexpr f32 MENU_FONT_SIZE = 30.0f;

// The main menu's eight buttons in the manager's field order.
enum EMainMenuButton : u32
{
    MENU_CONTINUE,
    MENU_SAVE_GAME,
    MENU_NEW_GAME,
    MENU_PLAYERS,
    MENU_ACCOUNT,
    MENU_OPTIONS,
    MENU_CREDITS,
    MENU_QUIT,
    MENU_BUTTON_COUNT
};

// The button-column menu's geometry and the buttons' caption cells.
constexpr f32 MENU_COLUMN_RIGHT = 467.0f;
constexpr f32 MENU_COLUMN_TOP = 284.0f;
constexpr f32 MENU_CAPTION_PITCH = 37.0f;
// Sub-windows: their edges inside the flight board, and an inner panel's top.
constexpr f32 SUB_WINDOW_LEFT = 1580.0f;
constexpr f32 SUB_WINDOW_TOP = 220.0f;
constexpr f32 SUB_WINDOW_RIGHT = 37.0f;
constexpr f32 SUB_WINDOW_BOTTOM = 14.0f;
constexpr f32 SUB_WINDOW_INNER_TOP = 63.0f;

// Popup dialogs: the title and text blocks, the buttons.
constexpr f32 DIALOG_INSET = 32.0f;
constexpr f32 DIALOG_TITLE_BOTTOM = 87.0f;
constexpr f32 DIALOG_TEXT_BOTTOM = 59.0f;
constexpr f32 DIALOG_BUTTON_WIDTH = 108.0f;
constexpr f32 DIALOG_BUTTON_HEIGHT = 36.0f;
constexpr f32 DIALOG_BUTTON_SPACING = 144.0f;
constexpr f32 DIALOG_BUTTON_BOTTOM = 23.0f;
// The welcome's text margin on either side and its button's gap under the window.
constexpr f32 WELCOME_TEXT_MARGIN = 64.0f;
constexpr f32 WELCOME_BUTTON_GAP = 16.0f;
// The "Saving" window stays at least this long (seconds), so that it is seen.
constexpr f32 SAVING_WINDOW_TIME = 1.0f;

// The task grid's columns: markers, gate, AI level, task, time.
constexpr u32 TASK_COLUMN_COUNT = 5;

// The task panel's states.
enum ETaskPanelState : u32
{
    TASK_PANEL_COLLAPSED,
    TASK_PANEL_OPENING,
    TASK_PANEL_CLOSING,
    TASK_PANEL_OPENING_SHORT,
    TASK_PANEL_SHORT,
    TASK_PANEL_OPEN,
    TASK_PANEL_HOVER_WAIT
};
// Its slide (fractions a second) and delays (seconds).
constexpr f32 TASK_PANEL_SLIDE_SPEED = 2.0f;
constexpr f32 TASK_PANEL_CLOSE_DELAY = 1.0f;
constexpr f32 TASK_PANEL_HOVER_DELAY = 1.0f;
// The management popup's texts: title, location, skill, price, next price.
enum EManagementPopupLabel : u32
{
    MANAGEMENT_POPUP_TITLE,
    MANAGEMENT_POPUP_LOCATION,
    MANAGEMENT_POPUP_SKILL,
    MANAGEMENT_POPUP_PRICE,
    MANAGEMENT_POPUP_NEXT_PRICE,
    MANAGEMENT_POPUP_LABEL_COUNT
};
// The popups of the in-game screen: their close buttons carry the index as their tag.
enum EGamePopup : i32
{
    GAME_POPUP_TASK,
    GAME_POPUP_MANAGEMENT,
    GAME_POPUP_COUNT
};
// The task popup's texts below its title: location, duration, status, description.
enum ETaskPopupLabel : u32
{
    TASK_POPUP_TITLE,
    TASK_POPUP_LOCATION,
    TASK_POPUP_DURATION,
    TASK_POPUP_STATUS,
    TASK_POPUP_TEXT,
    TASK_POPUP_LABEL_COUNT
};

// Screen aspect classes of the options (ClassifyAspectRatio).
enum EAspectClass : u32
{
    ASPECT_4_3,
    ASPECT_16_9,
    ASPECT_16_10,
    ASPECT_OTHER
};

class TGameMenuManager : public TManager,
                         public TClusterMethods,
                         public TSoundListenerMethods,
                         public TDeviceMethods
{
public:
    // A fade action: a method of the manager run with the fade's argument once the screen is black,
    // kept as a one-shot callback through FadeAction.
    typedef i32 (TGameMenuManager::*TFadeAction)(u32 argument);
    template <TFadeAction Action>
    static i32 FadeAction(void* manager, u32 argument)
    {
        return (static_cast<TGameMenuManager*>(manager)->*Action)(argument);
    }
    // A click handler of the menus and dialogs.
    typedef i32 (TGameMenuManager::*TClickHandler)(TUIItem* sender);

    TGameMenuManager();
    ~TGameMenuManager() override;

    // Listens to the cluster and the device; the UI's default font is the menu font.
    void BeginManager() override;
    // The player data's start (once), a rebuild when asked for, the fader's fade-out, a relayout;
    // then the in-game keys while the game is on screen.
    void UpdateManager(f32 step) override;
    // The in-game keys are bound again.
    void OnClusterLoad() override;
    // Every pointer into the tree is forgotten; the next update builds the tree again.
    void OnClusterUnload() override;
    // The UI manager takes the tree down; the sound listener goes back.
    void FinalizeManager() override;
    // A device reset only marks the layout dirty.
    void OnDeviceRestore() override { RequestLayout(0); }
    // While the menu has just opened: a listener at the origin looking down -z.
    void GetFrame(f32 t, TSoundListenerFrame& frame) override;

    // The tree: removed and built again, the menu fitted to the screen.
    void RebuildUI();
    // Opens (show) or closes the main menu; returns 0. A close with suppress set swallows the
    // next close without it once.
    i32 SetMenuVisible(u32 show, u32 suppress);
    // The "menuback" key of the root: closes the menu over a running game. 1 (not handled)
    // until the UI has its actions and cursor.
    i32 OnBack(TUIItem* sender);
    // Fades to black (one action at a time), runs the action, and the next update fades back.
    void StartFade(TOneShotCallback::TFunction action, u32 argument, u32 hideMenuLayer, u32 fast);
    // The window of the name under the modal layer opened on top of the window stack; null
    // (nothing changes) when there is none.
    TUIItem* PushWindow(const char* name);
    // The top window closed; the one below it, or the main menu, comes back.
    void PopWindow();
    // The new-game flag is taken by the game logic.
    friend u32 TakeNewGameStartedFlag();

    // The default profile of a first start: named after the user (cut to 31 characters), else
    // "Player" when the profile manager refuses that name.
    void CreateDefaultProfile(const char16_t* userName);

    // Main menu (gamemenumanager.mainmenu.cpp).
    void OpenSubWindow(TUIItem* window);
    void CloseSubWindow();
    void SetButtonsVisible(u32 show);
    // With 0 only marks the layout dirty; with 1 lays a dirty layout out.
    void RequestLayout(u32 now);
    static EAspectClass ClassifyAspectRatio(f32 width, f32 height);
    // The one-line width of a key's text in the font at the size.
    static f32 MeasureLocalizedText(const char* font, f32 size, const char* key);
    i32 OnContinue(TUIItem* sender);
    // The Continue button: the may-continue flag set, then OnContinue.
    i32 OnContinueButton(TUIItem* sender);
    i32 OnNewGame(TUIItem* sender);
    i32 OnNewGameConfirmed(TUIItem* sender);
    i32 OnPlayers(TUIItem* sender);
    i32 OnSaveGame(TUIItem* sender);
    i32 OnAccount(TUIItem* sender);
    i32 OnOptions(TUIItem* sender);
    i32 OnCredits(TUIItem* sender);
    // Over a running game asks "QuitConfirm" first.
    i32 OnQuit(TUIItem* sender);
    i32 OnQuitConfirmed(TUIItem* sender);
    // The window's close: true lets the program end, false when the player is asked first (a
    // game runs, a display is there to answer on, and the question is not up already).
    static bool OnWindowClose();
    // The fade actions.
    i32 _StartNewGame(u32 argument);
    i32 _LoadLatestGame(u32 argument);
    i32 _Quit(u32 argument);
    // A sub-window of the flight board holding an inner panel or a tab strip ("Tab").
    TUIButton* _CreateSubWindow(const char* name, bool tabbed);
    // Tab strips of the open sub-window: its "Tab" item's children are the pages; a tab button
    // (under "TabButtons") carries its page's index as its tag.
    i32 SelectTab(TUIItem* tabButton);
    i32 NextTab(TUIItem* sender);
    i32 PreviousTab(TUIItem* sender);

    // Players window (gamemenumanager.players.cpp).
    i32 OnLoadGameTabShown(TUIItem* page);
    i32 OnDeleteGame(TUIItem* sender);
    // ContinueAnyway of "GameDeleteConfirm": deletes the row the dialog carries.
    i32 OnDeleteGameConfirmed(TUIItem* sender);
    // The fade action of Load: the grid's selected saved game loaded and the menu closed.
    i32 OnLoadGame(u32 argument);
    // A load-game cell's text: the date "dd.mm.yyyy hh:mm", "<completion>%" or the money.
    static void FormatLoadGameCell(const TPlayerSavedGame* record, i32 column, char16_t* text, u32 capacity);
    TUIGrid* GetLoadGameGrid() const { return m_pLoadGameGrid; }

    // Profiles tab (gamemenumanager.profiles.cpp): rename, select and delete act on the profile
    // the slider shows.
    i32 OnProfilesTabShown(TUIItem* page);
    i32 OnRename(TUIItem* sender);
    i32 OnRenameAccepted(TUIItem* sender);
    i32 OnCancelRename(TUIItem* sender);
    i32 OnSelectProfile(TUIItem* sender);
    i32 OnDeleteProfile(TUIItem* sender);
    // ContinueAnyway of "ProfilesDeleteConfirm".
    i32 OnDeleteProfileConfirmed(TUIItem* sender);
    // A profile named after the user, renamed at once.
    i32 OnNewProfile(TUIItem* sender);
    // The user name cut to a profile name when no profile has it, else its first 29 characters
    // with the first free counter "01" .. "99"; false when all are taken. The name holds 32.
    static bool MakeUniqueProfileName(const TPlayerProfileManager& profiles, const char16_t* userName,
                                      char16_t* name);
    // The slider's value: the profile shown, -1 for none.
    i32 GetShownProfileIndex() const;
    TUISlider* GetProfileSlider() const { return m_pProfileSlider; }
    TUIEdit* GetProfileNameEdit() const { return m_pProfileNameEdit; }
    TUIMenu* GetProfilesFooter() const { return m_pProfilesFooter; }

    // Options window (gamemenumanager.options.cpp).
    // "YES" when the check box is checked, else "NO".
    static i32 SetYesNoCaption(TUIItem* box);
    i32 OnControlsTabShown(TUIItem* page);
    i32 OnAudioTabShown(TUIItem* page);
    // Lists the display modes by aspect class (heights under 600 left out; a window of another
    // size added) and loads the Video tab's controls.
    i32 OnVideoTabShown(TUIItem* page);
    // The resolution, full screen and detail level take effect; the gamma is written again.
    i32 OnApplyVideo(TUIItem* sender);
    // Write-back of each control to its console variable.
    i32 _OnMouseSensitivityChanged(TUIItem* sender);
    i32 _OnInvertAxisChanged(TUIItem* sender);
    i32 _OnAutoStartAITasksChanged(TUIItem* sender);
    i32 _OnTotalVolumeChanged(TUIItem* sender);
    i32 _OnMusicVolumeChanged(TUIItem* sender);
    i32 _OnEffectsVolumeChanged(TUIItem* sender);
    i32 _OnAmbientVolumeChanged(TUIItem* sender);
    // The resolution slider lists the modes of the aspect class chosen, from its first.
    i32 _OnAspectRatioChanged(TUIItem* sender);
    i32 _OnGammaChanged(TUIItem* sender);
    // The mode and its label "%dx%d" appended to its aspect class's list; its index there, or
    // -1 when the list holds as many modes as a slider has labels (the mode is not offered).
    static i32 _AddVideoMode(const TVector& mode);
    // The four lists made anew from the device's modes (those under 600 high skipped); the
    // index of the mode of the given size in its class's list, that class in aspect. A size not
    // listed is added (windowed), else the first mode of the 4:3 list is chosen (full screen).
    static i32 _BuildVideoModes(const TVector* modes, u32 count, i32 width, i32 height, bool fullScreen,
                                u32& aspect);
    static u32 GetVideoModeCount(u32 aspect);
    // Null outside the class's list.
    static const TVector* GetVideoMode(u32 aspect, u32 index);
    TUIItem* GetOptionsWindow() const { return m_pOptionsWindow; }
    // Rows of a dialog menu span its parent, each its caption's height, the control in the
    // right half (options and profiles).
    static void _FitDialogRows(TUIMenu* dialog);

    // Popup dialogs (gamemenumanager.dialogs.cpp).
    TUIButton* _CreatePopupWindow(const char* id, u32 buttonCount, i32 tag);
    TUIButton* _PlaceDialogButton(TUIItem* window, u32 index, const char* key);
    i32 OnGoToMainMenu(TUIItem* sender);
    // The welcome's own drawing: the popup frame, its text in "DialogTextStyle" 64 in from
    // either side, and its button opened 16 under the window.
    i32 _DrawNewGameWelcome(TUIItem* sender);

    // The in-game screen (gamemenumanager.ingame.cpp).
    // Builds the title bar, the status bar with the gate menu, the camera buttons and
    // indicators and the help backdrop under "GameUI"; places them on the design-size layer.
    void _CreateGameScreen();
    void _LayoutGameScreen();
    void _CreateHelpBackdrop();
    // Each frame while the game is on screen: money, date and time, the gates' states, the keys,
    // the indicators, the camera buttons and the gate menu's entries.
    i32 _UpdateGameScreen(TUIItem* sender);
    // Opens the gate-selection menu for the aircraft waiting to land, its focus on the last idle
    // gate of a walk from a random place; nothing with a chosen gate, the menu open or a window
    // stacked. A scripted run takes the focused gate at once.
    void ShowGateSelectionMenu();
    // A gate icon, state or menu entry: the idle gate of its tag becomes the chosen gate (its id
    // only) while the menu is open and on screen.
    i32 OnGateSelected(TUIItem* sender);
    i32 _DrawGateSelectItem(TUIItem* sender);
    // "menuback" in the game: closes help when it is up, else opens the main menu.
    i32 OnMainMenuClick(TUIItem* sender);
    i32 OnGameHelpClick(TUIItem* sender);
    void CloseGameHelp();
    i32 OnSwitchToTowerCamera(TUIItem* sender);
    i32 OnSwitchToFollowMe(TUIItem* sender);
    TUIMenu* GetGateMenu() const { return m_pGateMenu; }
    TUIButton* GetIconBase() const { return m_pIconBase; }
    TUIButton* GetGameHelp() const { return m_pGameHelp; }
    TUIButton* GetGateStatus(i32 index) const { return m_apGateStatus[index]; }
    TUIButton* GetGameText(const char* name) const;
    // The task list's start button: an AI task waiting for its start is asked to start, the
    // task the player drives is offered its reset, any other is taken (or watched).
    void StartTask(TTask* task);
    // The camera keys, while neither the menu, a window, help nor the console is open.
    void UpdateInGameKeys();

    // The task list (gamemenumanager.tasklist.cpp): the panel of every issued task under
    // "IconBase", sliding open and shut, its grid, sort headers, footer buttons and the popup.
    void _CreateTaskPanel();
    void _CreateTaskPopup();
    // The list rebuilt for the frame (the alert sounds when an overdue episode begins); the count.
    i32 _RebuildTaskList();
    // The task of the grid's selected row; null without one.
    TTask* GetSelectedTask() const;
    i32 OnTaskSortHeaderClick(TUIItem* sender);
    // The start button's caption for the selected task ("TaskStart", "TaskActivateAI" in its
    // disabled look once asked for, "TaskObserve", "TaskReset"), closed without one.
    i32 OnTaskSelected(TUIItem* sender);
    i32 OnTaskStartClick(TUIItem* sender);
    // Toggles the popup of the selected task (closes it without one).
    i32 OnTaskHelpClick(TUIItem* sender);
    // Each frame: the popup pinned, the selection follows its task, the keys, the slide, the
    // popup and the caption follow the selection.
    i32 _UpdateTaskPanel(TUIItem* sender);
    // The slide's states (see ETaskPanelState): the pointer entering, leaving (tag 0) or the
    // back button (tag 1), and each frame's step.
    void _ExpandTaskPanel();
    i32 OnTaskPanelEnter(TUIItem* sender);
    i32 OnTaskPanelToggle(TUIItem* sender);
    void _AdvanceTaskPanel(f32 step);
    i32 OnTaskPopupHide(TUIItem* sender);
    // Fills the popup with the selected task: type, location, duration, status, description.
    void _UpdateTaskPopup();
    // The alert icon while a task is overdue, fading out over a second after.
    i32 _DrawTaskPanelOverlay(TUIItem* sender);
    i32 _DrawTaskCell(const TUIGridCell& cell);
    // Close and OK of the in-game popups: the popup of the tag (EGamePopup) closes.
    i32 OnPopupClose(TUIItem* sender);
    TTaskList& GetTaskList() { return m_TaskList; }
    TUIGrid* GetTaskGrid() const { return m_pTaskGrid; }
    TUIButton* GetTaskStart() const { return m_pTaskStart; }
    TUIButton* GetTaskBackground() const { return m_pTaskBackground; }
    TUIButton* GetTaskHeader(u32 index) const { return m_apTaskHeader[index]; }
    TUIButton* GetTaskHelp() const { return m_pTaskHelp; }
    TUIButton* GetTaskBack() const { return m_pTaskBack; }
    TUIButton* GetTaskPin() const { return m_pTaskPin; }
    TUIButton* GetTaskPopup() const { return m_apPopup[GAME_POPUP_TASK]; }
    TUILabel* GetTaskPopupLabel(ETaskPopupLabel label) const { return m_apTaskPopupLabel[label]; }
    u32 GetTaskPanelState() const { return m_nTaskPanelState; }
    f32 GetTaskPanelSlide() const { return m_fTaskSlide; }
    // The eased slide: (1 + sin(pi/2 sin(pi/2 (2f - 1)))) / 2.
    static f32 EaseTaskSlide(f32 fraction);
    // OK of "GameTaskResetConfirm": the task offered is reset.
    i32 OnTaskResetConfirmed(TUIItem* sender);

    // The management screen (gamemenumanager.management.cpp): AI levels bought per service
    // (rows) and gate (columns).
    void _CreateManagementScreen();
    void _CreateManagementPopup();
    // The Management button: the in-game icons give way to the screen.
    i32 OnManagementClick(TUIItem* sender);
    void ShowManagement(bool open);
    // Back (tag 1), the backdrop and its keys: an open popup closes first; only Back goes on
    // to close the screen then.
    i32 OnManagementBack(TUIItem* sender);
    i32 OnManagementInfo(TUIItem* sender);
    i32 OnManagementCellSelected(TUIItem* sender);
    i32 OnManagementBuy(TUIItem* sender);
    // Whether the task's AI level may be bought now (below the top level, its gate idle, the
    // money at least the price), and the status key saying so (empty without a task or gate).
    static bool CanUpgradeService(const TTask* task, const char*& status);
    // The task of a cell (service kind, gate index) and its gate; null where there is none.
    static TTask* GetServiceCellTask(i32 row, i32 column, TGate** gate = nullptr);
    TTask* GetManagementCellTask(TGate** gate = nullptr) const;
    i32 _FollowOpenState(TUIItem* sender);
    void _UpdateManagementPopup();
    i32 _UpdateManagementScreen(TUIItem* sender);
    i32 _DrawManagementCell(const TUIGridCell& cell);
    i32 _DrawManagementVehicleCell(const TUIGridCell& cell);
    TUIButton* GetManagementBase() const { return m_pManagementBase; }
    TUIGrid* GetManagementGrid() const { return m_pManagementGrid; }
    TUIButton* GetManagementBuy() const { return m_pManagementBuy; }
    TUIButton* GetManagementInfo() const { return m_pManagementInfo; }
    TUILabel* GetManagementStatus() const { return m_pManagementStatus; }
    TUILabel* GetManagementBalance() const { return m_pManagementBalance; }
    TUIButton* GetManagementPopup() const { return m_apPopup[GAME_POPUP_MANAGEMENT]; }
    TUILabel* GetManagementPopupLabel(EManagementPopupLabel label) const { return m_apManagementPopupLabel[label]; }

    // State.
    TUIItem* GetRoot() const { return m_pUIBase; }
    TUIButton* GetMainUI() const { return m_pMainUI; }
    TUIButton* GetGameUI() const { return m_pGameUI; }
    TUIButton* GetModalLayer() const { return m_pModalLayer; }
    TUIButton* GetFader() const { return m_pUIFader; }
    TUIButton* GetMainMenuLayer() const { return m_pMainMenuLayer; }
    TUIButton* GetMainMenuBackground() const { return m_pMainMenuBackground; }
    TUIButton* GetFlightBoard() const { return m_pMainMenuBG; }
    TUIMenu* GetMenu() const { return m_pMenu; }
    TUIButton* GetButton(EMainMenuButton button) const { return m_apButton[button]; }
    TUILabel* GetProfileLabel() const { return m_pPlayerProfileLabel; }
    TUIItem* GetSubWindow() const { return m_pSubWindow; }
    // The window stack, the top last.
    i32 GetWindowCount() const { return m_aWindow.GetCount(); }
    i32 GetWindowCapacity() const { return m_aWindow.GetCapacity(); }
    TUIItem* GetWindow(i32 index) const { return m_aWindow[index]; }
    TUIItem* GetTopWindow() const { return m_aWindow.GetCount() ? m_aWindow[m_aWindow.GetCount() - 1] : nullptr; }
    // A window of the stack is up: the top one, neither closing nor hidden.
    bool IsWindowOpen() const { return GetTopWindow() && GetTopWindow()->IsOpen(); }
    bool IsFadePending() const { return m_FadeAction.pCallback != nullptr; }
    bool IsMenuOpen() const;
    // Something of the menus is over the game: a window of the stack or the main menu.
    bool IsOverGame() const { return IsWindowOpen() || IsMenuOpen(); }
    static u32 IsSuppressionPending() { return s_nSuppressClose; }
    static u32 MayContinue() { return s_nMayContinue; }
    static u32 IsLayoutDirty() { return s_nLayoutDirty; }
    u32 IsSaveArmed() const { return m_nSaveArmed; }
    // Asks for the tree to be built at the next update (as after a cluster unload).
    static void RequestRebuild() { s_nRebuildRequest = 1; }

private:
    void _ResetState();
    // The cursor hidden (a fade runs) or shown.
    static void ShowCursor(bool show);
    // Closes the menu as the back key and a game start do: the clock runs, the game's sounds.
    void CloseMenu();
    void RestoreListener();
    i32 _RunFadeAction(TUIItem* sender);
    i32 _OnFaderHidden(TUIItem* sender);
    // Main menu.
    void _CreateMainMenuLayer();
    void _CreateMenu();
    void _CreateSavingWindow();
    i32 _UpdateButtons(TUIItem* sender);
    i32 _UpdateContinueSave(TUIItem* sender);
    i32 _SaveGameNow(TUIItem* sender);
    // Each frame of the "Saving" window: the save, then the window's close once it was seen.
    i32 _UpdateSaving(TUIItem* sender);
    i32 _OnSubWindowShown(TUIItem* sender);
    TUIItem* _GetTabStrip() const;
    void _ShowTab(i32 index);
    // The first open page's index (-1 when none) and the page count.
    i32 _GetOpenTab(i32& count) const;
    // Players window.
    void _CreatePlayersWindow();
    // A page of the tab strip with its "Inner" panel, and its button after the strip's others.
    TUIButton* _CreateTabPage(TUIItem* strip, TUIItem* buttons, const char* pageName, const char* buttonName,
                              const char* captionKey);
    void _CreateLoadGameTab(TUIItem* inner);
    // "TabLeft", "TabRight" and the tab buttons' row of a tabbed sub-window.
    TUIItem* _CreateTabButtons(TUIButton* window);
    // Options window.
    void _CreateOptionsWindow();
    TUIMenu* _CreateOptionsTab(TUIButton* page, const char* dialogName, bool apply);
    void _AddOptionRows(TUIMenu* dialog, const TOptionRow* rows, size_t count);
    i32 _OnCloseSubWindow(TUIItem* sender);
    void _RefreshLoadGameGrid();
    i32 _UpdateLoadDeleteButtons(TUIItem* sender);
    i32 _DrawLoadGameCell(TUIGrid* grid, const TUIGridCell& cell);
    i32 _OnLoadClicked(TUIItem* sender);
    // The grid's keys while its dialog menu has the focus: next and previous row, wrapping; the
    // select keys on a row hand the focus to Load.
    i32 _HandleGridInput(TUIItem* sender);
    // Profiles tab.
    void _CreateProfilesTab(TUIItem* inner);
    void _RefreshProfiles();
    i32 _UpdateProfileView(TUIItem* sender);
    void _BeginRename();
    // Editing ends without the edit's events; the edit is hidden.
    void _EndProfileEdit();
    TPlayerProfile* _GetShownProfile() const;
    // Popup dialogs.
    void _CreateDialogs();
    i32 _OnPopupShown(TUIItem* sender);
    i32 _OnPopupButton(TUIItem* sender);

    // The layers and the main menu's items (the UI manager's tree owns them all).
    TUIButton* m_pUIBase;
    TUIButton* m_pMainUI;
    TUIButton* m_pGameUI;
    TUIButton* m_pModalLayer;
    TUIButton* m_pUIFader;
    TUIButton* m_pMainMenuBackground;
    TUIButton* m_pMainMenuBG;
    TUIButton* m_pMainMenuLayer;
    TUIButton* m_apButton[MENU_BUTTON_COUNT];
    TUILabel* m_pPlayerProfileLabel;
    TUILabel* m_pWebPageLabel;
    TUIMenu* m_pMenu;
    TUIItem* m_pSubWindow;
    TUIItem* m_pPlayersWindow;
    TUIItem* m_pOptionsWindow;
    TUIGrid* m_pLoadGameGrid;
    TUISlider* m_pProfileSlider;
    TUIEdit* m_pProfileNameEdit;
    TUIMenu* m_pProfilesFooter;
    // The sound listener installed before the menu opened, and the fixed frame owed.
    TSoundListenerMethods* m_pSavedListener;
    u32 m_nListenerFramePending;
    // The pending fade action.
    TOneShotCallback m_FadeAction;
    DArray<TUIItem*> m_aWindow;
    // One save pending on the "Saving" window, when it opened (the UI's time) and whether the
    // save failed.
    u32 m_nSaveArmed;
    f32 m_fSavingShownAt = 0.0f;
    u32 m_nSaveFailed = 0;
    // In-game keys.
    TInputAction* m_pTowerCam;
    TInputAction* m_pFollowMe;
    TTask* m_pResetTask;
    // The in-game screen's items.
    TUIButton* m_pTitleBar;
    TUIButton* m_pStatusBar;
    TUIMenu* m_pGateMenu;
    TUIButton* m_pIconBase;
    TUIButton* m_pGameHelp;
    TUIButton* m_pMoney;
    TUIButton* m_pDate;
    TUIButton* m_pTime;
    TUIButton* m_pTowerButton;
    TUIButton* m_pVanButton;
    TUIButton* m_pLanding;
    TUIButton* m_pTakeOff;
    TUIButton* m_apGateIcon[8];
    TUIButton* m_apGateStatus[8];
    // The task list's model and items.
    TTaskList m_TaskList;
    TUIButton* m_pTaskBackground;
    TUIGrid* m_pTaskGrid;
    TUIButton* m_pTaskStart;
    TUIButton* m_apTaskHeader[3];
    TUIButton* m_pTaskButtons;
    TUIButton* m_pTaskHelp;
    TUIButton* m_pTaskBack;
    TUIButton* m_pTaskPin;
    TUIButton* m_pTaskPopupBG;
    TUILabel* m_apTaskPopupLabel[TASK_POPUP_LABEL_COUNT];
    // The task the popup shows.
    TTask* m_pTaskPopupTask;
    TUIButton* m_apPopup[GAME_POPUP_COUNT];
    TUIText m_CellText;
    TUIText m_CellSmallText;
    // The slide.
    u32 m_nTaskPanelState;
    f32 m_fTaskSlide;
    f32 m_fTaskCloseDelay;
    f32 m_fTaskHoverDelay;
    // The engine's keys the panel reads by name.
    TInput* m_pTabKey;
    TInput* m_pLAltKey;
    // The management screen's items, its arrow keys (down, up, left, right) and cell text.
    TUIButton* m_pManagementBase;
    TUIButton* m_pManagementWindow;
    TUIGrid* m_pManagementGrid;
    TUILabel* m_pManagementBalance;
    TUILabel* m_pManagementStatus;
    TUIButton* m_pManagementInfo;
    TUIButton* m_pManagementBuy;
    TUIButton* m_pManagementPopupWindow;
    TUIButton* m_pManagementPicture;
    TUILabel* m_apManagementPopupLabel[MANAGEMENT_POPUP_LABEL_COUNT];
    TUILabel* m_pManagementPopupText;
    TInput* m_apManagementKey[4];
    TUIText m_ManagementCellText;

    static u32 s_nRebuildRequest;
    static u32 s_nSuppressClose;
    static u32 s_nProfileManagerStarted;
    static u32 s_nNewGame;
    static u32 s_nMayContinue;
    static u32 s_nLayoutDirty;
};

extern TGameMenuManager* g_pGameMenuManager;

// 1 once after a new game was started from the menu, then 0.
u32 TakeNewGameStartedFlag();
// A headless run stepped by fixed seconds a frame: nobody is at the keys, so the front end makes
// the player's choices itself (a new game, the windows closed, the gate menu's focused gate).
bool IsScriptedRun();

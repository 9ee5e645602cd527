// The in-game screen: its number and time texts, the gate-selection menu (focus, the choice), the
// texts and indicators each frame, the main-menu key, the task list (listing, sorting, the start
// button, the Tab key, the popup), the management screen, and their golden images.
#include "menufixture.h"

#include "clipsynth.h"
#include "core/math/random.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/ui/gameformat.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ui/uihelpdialog.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "support/testclip.h"
#include "ui/uigrid.h"
#include "ui/uilabel.h"
#include "ui/uimenu.h"
#include "xaudio2/randomindex.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <tuple>

namespace
{
// While it lives: the sound service on a stepped engine (a fake stereo device) with a tenth of a
// second's tone under each name, and every instance call heard as "<clip> <call>".
class TInterfaceSounds : public TSoundCallListener
{
public:
    explicit TInterfaceSounds(std::initializer_list<const char*> names)
    {
        TXAudio2Settings& settings = XAudio2Settings();
        settings.devices = {{u"Test speakers"}};
        settings.stepped = true;
        static const bool s_bBegun = [] {
            g_pXAudio2SoundManager->InitializeManager();
            g_pXAudio2SoundManager->BeginManager();
            return true;
        }();
        (void)s_bBegun;
        TXAudio2SoundManager& sounds = *g_pXAudio2SoundManager;
        m_nRecords = sounds.Sounds().GetCount();
        m_nData = sounds.Data().GetCount();
        for (TXAudio2Sound& record : m_aRecord)
            sounds.Sounds().Add(&record);
        const TClipTone tone = {EClipWave::Sine, 440.0f, 440.0f, 0.1f, 0.5f, 0.5f};
        for (const char* name : names)
            sounds.Data().Add(&m_aClip.emplace_back(name, SynthesizeClip({name, nullptr, 0, 1, {tone}}), nullptr, 0).Data);
        sounds.SetArray(SOUND_TYPE_ID, nullptr, 0);
        sounds.OnClusterLoad();
        TXAudio2Sound::s_pCallListener = this;
    }
    ~TInterfaceSounds() override
    {
        TXAudio2Sound::s_pCallListener = nullptr;
        // The player forgets the clips it found; the service lets go of the records and clips.
        g_pSoundPlayerManager->OnClusterUnload();
        TXAudio2SoundManager& sounds = *g_pXAudio2SoundManager;
        sounds.Sounds().SetCount(m_nRecords);
        sounds.SetArray(SOUND_TYPE_ID, nullptr, 0);
        sounds.Data().SetCount(m_nData);
        for (TTestClip& clip : m_aClip)
            clip.Data.Unload();
        XAudio2Settings() = TXAudio2Settings();
    }
    void OnSoundCall(TXAudio2Sound* sound, ESoundCall call, i32, f32) override
    {
        if (call == SOUND_CALL_PLAY && sound->pSoundData)
            aPlayed.push_back(sound->pSoundData->GetNameText());
    }
    size_t Played(const std::string& name) const { return std::count(aPlayed.begin(), aPlayed.end(), name); }

    std::vector<std::string> aPlayed;

private:
    TXAudio2Sound m_aRecord[8];
    std::deque<TTestClip> m_aClip;
    i32 m_nRecords = 0;
    i32 m_nData = 0;
};

class GameScreenTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        Start();
        // A game runs: the menu closed, the screen on, every gate idle, none chosen.
        Parameters().nStarted = 1;
        Menu().SetMenuVisible(0, 0);
        // Eight idle gates: the level's, and the test's where the level has none.
        m_nLevelGates = g_pGameLogicManager->Gates().GetCount();
        for (i32 id = 1; id <= 8; ++id)
        {
            m_apGate[id - 1] = g_pGameLogicManager->FindGate(id);
            if (!m_apGate[id - 1])
            {
                m_apGate[id - 1] = &m_aGate[id - 1];
                m_aGate[id - 1].m_nId = id;
                g_pGameLogicManager->Gates().Add(&m_aGate[id - 1]);
            }
            m_aState[id - 1] = m_apGate[id - 1]->m_nState;
            m_aTaskCount[id - 1] = m_apGate[id - 1]->aGateTask.GetCount();
            m_apGate[id - 1]->m_nState = gsIdle;
        }
        m_nMoney = Parameters().nMoney;
        Parameters().nChosenGate = 0;
        MenuFrames(20);
    }
    void TearDown() override
    {
        Parameters().nChosenGate = 0;
        // The level's gates as they were: their states, their own tasks, the money.
        for (i32 i = 0; i < 8; ++i)
        {
            m_apGate[i]->m_nState = m_aState[i];
            m_apGate[i]->aGateTask.SetCount(m_aTaskCount[i]);
        }
        g_pGameLogicManager->Gates().SetCount(m_nLevelGates);
        Parameters().nMoney = m_nMoney;
        MenuTest::TearDown();
    }
    static TUIMenu& GateMenu() { return *Menu().GetGateMenu(); }
    void SetGates(std::initializer_list<i32> idle)
    {
        for (TGate* gate : m_apGate)
            gate->m_nState = gsUnloading;
        for (i32 id : idle)
            m_apGate[id - 1]->m_nState = gsIdle;
    }
    // The gate the menu's walk from the shared generator's next draw ends on.
    static i32 ExpectedFocus(std::initializer_list<i32> idle)
    {
        TRandom copy = TRandom::Shared();
        const i32 start = RandomIndex(copy, &GATE_MENU_RANDOM_MAX);
        i32 last = 0;
        for (i32 i = 0; i < 8; ++i)
        {
            const i32 id = (start + i) % 8 + 1;
            for (i32 candidate : idle)
                if (candidate == id)
                    last = id;
        }
        return last;
    }

    TGate m_aGate[8];
    TGate* m_apGate[8] = {};
    i32 m_aState[8] = {};
    i32 m_aTaskCount[8] = {};
    i32 m_nLevelGates = 0;
    i32 m_nMoney = 0;
    std::deque<TTask> m_aTask;
};
} // namespace

TEST(GameFormat, MoneyIsGroupedByThreeDigitsWithTheSignApart)
{
    EXPECT_EQ(FormatMoney(0), u"0");
    EXPECT_EQ(FormatMoney(-500), u"-500");
    EXPECT_EQ(FormatMoney(999), u"999");
    EXPECT_EQ(FormatMoney(1000), u"1.000");
    EXPECT_EQ(FormatMoney(-1234567), u"-1.234.567");
    EXPECT_EQ(FormatGroupedInteger(-100), u"-100") << "no point right after the sign";
    // The smallest integer has no 32-bit absolute value.
    EXPECT_EQ(FormatMoney(INT_MIN), u"-2.147.483.648");
    EXPECT_EQ(FormatMoney(INT_MAX), u"2.147.483.647");
}

TEST(GameFormat, DurationsHaveTheirThreeForms)
{
    EXPECT_EQ(FormatDuration(59.0f, false), u"0:59");
    EXPECT_EQ(FormatDuration(59.9f, false), u"0:59") << "cut, not rounded";
    EXPECT_EQ(FormatDuration(3599.0f, false), u"59:59");
    EXPECT_EQ(FormatDuration(3600.0f, false), u"1:00:00");
    EXPECT_EQ(FormatDuration(86399.0f, false), u"23:59:59");
    EXPECT_EQ(FormatDuration(86400.0f + 3600.0f + 61.0f, true), u"-1:01:01:01");
    EXPECT_EQ(FormatDuration(-5.0f, false), u"0:00") << "a negative time counts as none";
    // Beyond what a whole number holds the time is clamped; the short form holds 31 characters.
    EXPECT_EQ(FormatDuration(3.0e38f, true, 32), u"-106751991167300:15:30:07");
    EXPECT_EQ(FormatDuration(86400.0f * 1000.0f, false, 8), u"1000:00");
}

TEST_F(GameScreenTest, TheGateMenuFocusesTheLastIdleGateOfItsWalkAndTheChoiceIsTheGateOnly)
{
    // The last gate among the idle ones.
    SetGates({3, 8});
    const i32 expected = ExpectedFocus({3, 8});
    Parameters().nFlags = 0;
    TInterfaceSounds sounds({"ChooseGate"});
    Menu().ShowGateSelectionMenu();
    MenuFrames(10);
    ASSERT_TRUE(GateMenu().IsOpen());
    EXPECT_EQ(sounds.Played("ChooseGate"), 1u) << "the menu asks the player to choose";
    EXPECT_EQ(GateMenu().GetFocusIndex(), expected - 1);
    // Only the idle gates' entries are on the menu.
    for (TUIItem* entry : GateMenu().GetChildren())
        EXPECT_EQ(entry->IsVisible(), entry->m_nTag == 2 || entry->m_nTag == 7) << entry->m_nTag;
    // A second call while it is open changes nothing.
    Menu().ShowGateSelectionMenu();
    EXPECT_EQ(GateMenu().GetFocusIndex(), expected - 1);

    // A busy gate's icon is ignored; the focused entry is chosen by "menuselect".
    Menu().OnGateSelected(Menu().GetGateStatus(0));
    EXPECT_EQ(Parameters().nChosenGate, 0);
    Menu().OnGateSelected(GateMenu().GetFocusedItem());
    EXPECT_EQ(Parameters().nChosenGate, expected);
    EXPECT_EQ(Parameters().nFlags, 0u) << "the apron token stays the game logic's";
    MenuFrames(10);
    EXPECT_FALSE(GateMenu().IsOpen());
    // With a gate chosen the menu does not open.
    Menu().ShowGateSelectionMenu();
    EXPECT_FALSE(GateMenu().IsOpen());
}

TEST_F(GameScreenTest, EachFrameWritesMoneyStatesAndIndicatorsAndHidesTheMenuUnderHelp)
{
    Parameters().nMoney = 1234567;
    Parameters().nFlags |= GAME_LANDING;
    m_apGate[1]->m_nState = gsLoading;
    m_apGate[2]->m_nState = static_cast<TGateState>(42);
    Menu().ShowGateSelectionMenu();
    MenuFrames(10);
    EXPECT_EQ(Menu().GetGameText("Money")->m_Caption.GetWideText(), u"1.234.567");
    EXPECT_EQ(std::string(Menu().GetGateStatus(1)->m_Caption.GetText()), "gsLoading");
    EXPECT_EQ(std::string(Menu().GetGateStatus(2)->m_Caption.GetText()), "???") << "a state outside the table";
    EXPECT_EQ(std::string(Menu().GetGameText("Date")->m_Caption.GetText()).size(), 10u);
    EXPECT_EQ(std::string(Menu().GetGameText("Time")->m_Caption.GetText()).size(), 5u);
    EXPECT_TRUE(Menu().GetGameUI()->FindItem(TName("Landing"))->IsOpen());
    EXPECT_FALSE(Menu().GetGameUI()->FindItem(TName("TakeOff"))->IsOpen());
    EXPECT_TRUE(GateMenu().IsVisible());
    // A gate the level lacks: its items hide, nothing reads it.
    const i32 id = m_apGate[7]->m_nId;
    m_apGate[7]->m_nId = 99;
    MenuFrame();
    EXPECT_FALSE(Menu().GetGateStatus(7)->IsVisible());
    EXPECT_TRUE(Menu().GetGateStatus(6)->IsVisible());
    m_apGate[7]->m_nId = id;

    // Help hides the gate menu without closing it; it comes back with help gone.
    Menu().OnGameHelpClick(nullptr);
    MenuFrames(10);
    EXPECT_FALSE(GateMenu().IsVisible());
    EXPECT_TRUE(GateMenu().IsOpen());
    // Closed as its close button closes it: the help's form goes too.
    static_cast<TUIHelpDialog&>(g_pUIGameManager->GetScreen(UI_SCREEN_HELP)).Close();
    MenuFrames(10);
    EXPECT_FALSE(g_pUIGameManager->IsShowing(UI_SCREEN_HELP));
    EXPECT_TRUE(GateMenu().IsVisible());
    Parameters().nFlags &= ~GAME_LANDING;
}

// Escape opens the main menu over the game, and again after Continue, whether or not the gate
// menu is open and holding the keys.
TEST_F(GameScreenTest, TheMainMenuKeyOpensTheMenuOverTheGame)
{
    constexpr u16 ESCAPE = 0x01;
    for (const bool gateMenu : {false, true})
    {
        SCOPED_TRACE(gateMenu ? "gate menu open" : "gate menu closed");
        if (gateMenu)
            Menu().ShowGateSelectionMenu();
        MenuFrames(10);
        ASSERT_EQ(GateMenu().IsOpen(), gateMenu);
        for (i32 time = 0; time < 2; ++time)
        {
            ASSERT_FALSE(Menu().IsMenuOpen());
            Tap(ESCAPE);
            MenuFrames(10);
            EXPECT_TRUE(Menu().IsMenuOpen());
            EXPECT_EQ(g_pTimer->GetScale(), 0.0f) << "the clock stands still again";
            Tap(ESCAPE);
            MenuFrames(30);
        }
        EXPECT_FALSE(Menu().IsMenuOpen()) << "Escape in the main menu continues";
        EXPECT_EQ(GateMenu().IsOpen(), gateMenu);
    }
}

// Wide and narrow (4:3, 5:4): the eight gates, their menu and the texts all on the screen.
TEST_F(GameScreenTest, TheHudWithTheGateMenuOpenMatchesItsGoldenImageAtEachScreen)
{
    SetGates({1, 2, 5, 8});
    Parameters().nMoney = 45000;
    Menu().ShowGateSelectionMenu();
    Menu().GetGateMenu()->SetFocus(4);
    for (const auto& [width, height, golden] : {std::tuple{1280, 720, "hud_1280x720"},
                                                std::tuple{1024, 768, "hud_1024x768"},
                                                std::tuple{1280, 1024, "hud_1280x1024"}})
    {
        SCOPED_TRACE(golden);
        Resize(width, height);
        MenuFrames(20);
        StillClock();
        EXPECT_EQ(RenderGolden(golden, width, height), "");
    }
}

// The task list.

namespace
{
class TaskListTest : public GameScreenTest
{
protected:
    void TearDown() override
    {
        Parameters().pActiveTask = nullptr;
        GameScreenTest::TearDown();
    }
    // An issued task of the gate (its countdown running) with the countdown left.
    TTask& Issue(i32 gate, i32 type, f32 countdown)
    {
        TTask& task = m_aTask.emplace_back();
        task.m_nType = type;
        task.pGate = m_apGate[gate - 1];
        task.m_nCountdownStarted = 1;
        task.m_fDeadline = 60.0f;
        task.m_fCountdown = countdown;
        m_apGate[gate - 1]->aGateTask.Add(&task);
        return task;
    }
    static TTaskList& List() { return Menu().GetTaskList(); }
    // The pointer enters the collapsed panel; it slides open in half a second, its buttons fade in.
    void OpenPanel()
    {
        Menu().OnTaskPanelEnter(Menu().GetTaskBackground());
        MenuFrames(50);
        ASSERT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_OPEN);
    }
    // The panel open on its first row, whose help button opens the task's popup.
    void OpenPopup()
    {
        MenuFrames(5);
        OpenPanel();
        Menu().GetTaskGrid()->SelectRow(0, false);
        MenuFrames(20);
        ASSERT_TRUE(Menu().GetTaskHelp()->IsOpen());
        Menu().OnTaskHelpClick(Menu().GetTaskHelp());
        MenuFrames(20);
    }
    static std::u16string PopupText(ETaskPopupLabel label)
    {
        return Menu().GetTaskPopupLabel(label)->m_Caption.GetWideText();
    }
    static std::string StartCaption() { return Menu().GetTaskStart()->m_Caption.GetText(); }
};
} // namespace

TEST_F(TaskListTest, IssuedTasksAreListedAndSortedWithTiesByUrgency)
{
    TTask& notIssued = Issue(1, gtDeployFuel, 10.0f);
    notIssued.m_nCountdownStarted = 0;
    TTask& late = Issue(3, gtDeployBus, 5.0f);
    TTask& early = Issue(3, gtDeployStairs, 50.0f);
    TTask& first = Issue(2, gtDeployTunnel, 30.0f);
    TTaskList list;
    list.m_nSort = TASK_SORT_GATE;
    ASSERT_EQ(list.Rebuild(g_pGameLogicManager->Gates(), 0.02f), 3);
    EXPECT_EQ(list.Get(0), &first);
    EXPECT_EQ(list.Get(1), &late) << "equal gates by urgency";
    EXPECT_EQ(list.Get(2), &early);
    list.m_nSort = TASK_SORT_TYPE;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.02f);
    EXPECT_EQ(list.Get(0), &early);
    list.m_nSort = TASK_SORT_URGENCY;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.02f);
    EXPECT_EQ(list.Get(0), &late);
    EXPECT_EQ(list.IndexOf(&notIssued), -1);
    // The selection goes with a task that leaves the list.
    list.m_pSelected = &late;
    late.m_nCountdownStarted = 0;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.02f);
    EXPECT_EQ(list.m_pSelected, nullptr);
    // An overdue task raises the alert, new on its first rebuild only; it ends once none is overdue.
    early.m_nStarted = 1;
    for (const auto& [countdown, alert, fresh] :
         {std::tuple{-1.0f, true, true}, {-2.0f, true, false}, {10.0f, false, false}, {-1.0f, true, true}})
    {
        early.m_fCountdown = countdown;
        list.Rebuild(g_pGameLogicManager->Gates(), 0.02f);
        EXPECT_EQ(std::pair(list.IsAlert(), list.IsAlertNew()), std::pair(alert, fresh)) << countdown;
    }
}

TEST_F(TaskListTest, TheStartButtonFollowsTheSelectedTaskAndItsRowAcrossReSorts)
{
    // The player's task is the more urgent, the AI's at the lower gate: the two sorts order them apart.
    TTask& player = Issue(5, gtDeployStairs, 10.0f);
    TTask& ai = Issue(2, gtDeployBus, 20.0f);
    ai.m_nAI = 1;
    MenuFrames(20);
    ASSERT_TRUE(Menu().GetTaskBackground()->IsOpen());
    OpenPanel();
    ASSERT_EQ(List().GetCount(), 2);
    Menu().GetTaskGrid()->SelectRow(List().IndexOf(&ai), false);
    MenuFrame();
    EXPECT_EQ(Menu().GetSelectedTask(), &ai);
    EXPECT_EQ(StartCaption(), "TaskActivateAI");
    EXPECT_TRUE(Menu().GetTaskStart()->IsVisible());
    Menu().OnTaskStartClick(nullptr);
    EXPECT_EQ(ai.m_nStartRequest, 1);
    MenuFrame();
    EXPECT_FALSE(Menu().GetTaskStart()->IsVisible()) << "asked for: its disabled look";
    ai.m_nStarted = 1;
    MenuFrame();
    EXPECT_EQ(StartCaption(), "TaskObserve");

    // Sorted by gate the AI task moves to the first row; it stays selected.
    Menu().OnTaskSortHeaderClick(Menu().GetTaskHeader(TASK_SORT_GATE));
    MenuFrames(2);
    EXPECT_EQ(List().Get(0), &ai);
    EXPECT_EQ(Menu().GetSelectedTask(), &ai);
    Menu().OnTaskSortHeaderClick(Menu().GetTaskHeader(TASK_SORT_URGENCY));
    MenuFrames(2);
    EXPECT_EQ(List().Get(1), &ai);
    EXPECT_EQ(Menu().GetSelectedTask(), &ai);

    Menu().GetTaskGrid()->SelectRow(List().IndexOf(&player), false);
    MenuFrame();
    EXPECT_EQ(StartCaption(), "TaskStart");
    // The task the player drives is offered no start.
    Parameters().pActiveTask = &player;
    MenuFrames(20);
    EXPECT_FALSE(Menu().GetTaskStart()->IsOpen());
}

TEST_F(TaskListTest, TheTaskListMatchesItsGoldenImage)
{
    TTask& working = Issue(1, gtDeployStairs, 40.0f);
    working.m_nStarted = working.m_nWorking = 1;
    working.m_fWorkTimer = 75.0f;
    // No overdue task: its colour pulses with the clock.
    Issue(3, gtDeployBus, 12.0f).m_nStarted = 1;
    Issue(6, gtDeployFuel, 3700.0f);
    // An AI task of level 2 issued a second ago: its row is highlighted.
    TTask& young = Issue(8, gtDeployCatering, 59.0f);
    young.m_nAI = 1;
    Parameters().nMoney = 2500;
    MenuFrames(5);
    OpenPanel();
    Menu().GetTaskGrid()->SelectRow(0, false);
    MenuFrames(2);
    Menu().OnTaskHelpClick(Menu().GetTaskHelp());
    MenuFrames(20);
    StillClock();
    EXPECT_EQ(RenderGolden("tasklist_1280x800", 1280, 800), "");
}

TEST_F(TaskListTest, TabOpensAndShutsThePanelButNotWithLeftAltAndTheWheelZoomsOnlyOffItsGrid)
{
    constexpr u16 TAB = 0x0F, LEFT_ALT = 0x38;
    Issue(2, gtDeployBus, 20.0f);
    MenuFrames(5);
    Key(LEFT_ALT, true);
    Tap(TAB);
    Key(LEFT_ALT, false);
    MenuFrames(2);
    EXPECT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_COLLAPSED);
    Tap(TAB);
    EXPECT_TRUE(Menu().GetTaskPin()->m_nFlags & UI_CHECKED) << "opened by the key it stays";
    MenuFrames(30);
    ASSERT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_OPEN);
    // The wheel scrolls the grid's rows under the pointer, and zooms the camera off it.
    const auto [x, y] = Centre(Menu().GetTaskGrid());
    for (const auto& [px, py, zoom] : {std::tuple{x, y, 0u}, std::tuple{m_nWidth - 2, m_nHeight - 2, 1u}})
    {
        MoveTo(px, py);
        MenuFrames(3);
        EXPECT_EQ(g_pOrbitCameraManager->GetZoomAllowed(), zoom) << px << ", " << py;
    }
    Tap(TAB);
    EXPECT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_CLOSING);
    MenuFrames(30);
    EXPECT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_COLLAPSED);
    Menu().GetTaskPin()->SetChecked(false);
}

TEST_F(TaskListTest, ThePopupTellsTheSelectedTaskThroughTheLanguageMasksAndAMaskMissingShowsItsKey)
{
    TTask& task = Issue(2, gtDeployBus, 20.0f);
    task.m_nAI = 1;
    task.m_fBaseWorkTime = 125.0f;
    OpenPopup();
    ASSERT_TRUE(Menu().GetTaskPopup()->IsOpen());
    EXPECT_EQ(PopupText(TASK_POPUP_TITLE), u"Bus");
    EXPECT_EQ(PopupText(TASK_POPUP_LOCATION), u"Location: Gate 2");
    EXPECT_EQ(PopupText(TASK_POPUP_DURATION), u"Time: 1:00") << "not started: its time limit";
    EXPECT_EQ(PopupText(TASK_POPUP_STATUS), u"Status: Not started");
    // The popup is modal over the screen, its backdrop at the origin.
    MenuFrames(2);
    const TUIItem* backdrop = Menu().GetTaskPopup()->GetParent();
    EXPECT_EQ(backdrop->m_Absolute.x, 0.0f);
    EXPECT_EQ(backdrop->m_Absolute.y, 0.0f);
    // The closing panel waits for the popup.
    Menu().OnTaskPanelToggle(Menu().GetTaskBack());
    EXPECT_EQ(Menu().GetTaskPanelState(), TASK_PANEL_OPEN);

    // Refilled as the task goes on: at work, its work time and the description's work form.
    task.m_nStarted = task.m_nWorking = 1;
    Menu().OnTaskSelected(Menu().GetTaskGrid());
    EXPECT_EQ(PopupText(TASK_POPUP_STATUS), u"Status: At work");
    EXPECT_EQ(PopupText(TASK_POPUP_DURATION), u"Time: 2:05");
    EXPECT_NE(PopupText(TASK_POPUP_TEXT).find(u"is at work"), std::u16string::npos);
    task.m_nWorking = 0;
    // Started, not at work: on its way unless the player's and left without a driver.
    const struct
    {
        i32 ai, takenOver, arrived;
        const char16_t* status;
    } cases[] = {
        {1, 0, 0, u"Status: On its way"},     {1, 0, 1, u"Status: On its way"},
        {0, 1, 0, u"Status: On its way"},     {0, 0, 0, u"Status: Needs a driver"},
        {0, 1, 1, u"Status: Needs a driver"},
    };
    for (const auto& c : cases)
    {
        task.m_nAI = c.ai;
        task.m_nTakenOver = c.takenOver;
        task.m_nArrived = c.arrived;
        Menu().OnTaskSelected(Menu().GetTaskGrid());
        EXPECT_EQ(PopupText(TASK_POPUP_STATUS), c.status) << c.ai << c.takenOver << c.arrived;
    }

    // OK closes it; its backdrop goes with it, and the help button toggles it again.
    Menu().OnPopupClose(Menu().GetTaskPopup()->FindItem(TName("OK")));
    MenuFrames(10);
    EXPECT_FALSE(Menu().GetTaskPopup()->IsOpen());
    EXPECT_FALSE(Menu().GetTaskPopup()->GetParent()->IsOpen());
    // A selection gone closes the popup and the help button.
    Menu().OnTaskHelpClick(Menu().GetTaskHelp());
    MenuFrames(20);
    ASSERT_TRUE(Menu().GetTaskPopup()->IsOpen());
    Menu().GetTaskGrid()->SelectRow(-1, false);
    MenuFrames(20);
    EXPECT_FALSE(Menu().GetTaskPopup()->IsOpen());
    EXPECT_FALSE(Menu().GetTaskHelp()->IsOpen());

    // A mask the language lacks is its key, which takes no number, told in one line.
    for (int time = 0; time < 2; ++time)
        EXPECT_EQ(FormatMask("NoSuchMask", {i64{3}}), u"NoSuchMask");
    EXPECT_EQ(m_Log.Count("NoSuchMask"), 1u);
    EXPECT_EQ(FormatMask("GateMask", {i64{3}}), u"Gate 3");
}

TEST_F(TaskListTest, ATaskWithoutGateOrUnitIsListedWithoutThem)
{
    TTask& task = Issue(2, gtDeployBus, -3.0f);
    task.m_nAI = 1;
    task.m_nStarted = 1;
    task.pGate = nullptr;
    task.pAIUnit = nullptr;
    OpenPopup();
    ASSERT_EQ(List().GetCount(), 1);
    EXPECT_EQ(StartCaption(), "TaskObserve");
    EXPECT_EQ(PopupText(TASK_POPUP_LOCATION), u"");
    // Each cell drawn reads neither a gate nor a unit.
    for (i32 column = 0; column < static_cast<i32>(TASK_COLUMN_COUNT); ++column)
        Menu()._DrawTaskCell({column, 0, 0.0f, 0.0f, 120.0f, 40.0f, 1});
    // Drawn outside a frame: let go, not left for the next frame to draw.
    g_pDxCanvasManager->Flush();
}

TEST(GameFormat, MasksTakeTheirArgumentsOnlyWhenTheConversionsMatch)
{
    std::u16string text;
    ASSERT_TRUE(FormatMaskText(u"Gate %d", {i64{5}}, 128, text));
    EXPECT_EQ(text, u"Gate 5");
    ASSERT_TRUE(FormatMaskText(u"%s: %03d%% [%-4s]", {std::u16string(u"Fuel"), i64{7}, std::u16string(u"ab")}, 128,
                               text));
    EXPECT_EQ(text, u"Fuel: 007% [ab  ]");
    ASSERT_TRUE(FormatMaskText(u"Time: %ls", {std::u16string(u"1:00")}, 128, text));
    EXPECT_EQ(text, u"Time: 1:00");
    ASSERT_TRUE(FormatMaskText(u"%s", {std::u16string(u"0123456789")}, 8, text));
    EXPECT_EQ(text, u"0123456") << "cut to the capacity with its terminator";
    text = u"kept";
    EXPECT_FALSE(FormatMaskText(u"Gate %s", {i64{5}}, 128, text)) << "a text conversion for a number";
    EXPECT_FALSE(FormatMaskText(u"Gate %d", {std::u16string(u"5")}, 128, text));
    EXPECT_FALSE(FormatMaskText(u"%d of %d", {i64{5}}, 128, text)) << "too few arguments";
    EXPECT_FALSE(FormatMaskText(u"Gate", {i64{5}}, 128, text)) << "too many";
    EXPECT_FALSE(FormatMaskText(u"%n", {i64{5}}, 128, text));
    EXPECT_FALSE(FormatMaskText(u"Gate %", {i64{5}}, 128, text));
    EXPECT_TRUE(FormatMaskText(u"%99d", {i64{5}}, 128, text)) << "the widest width taken";
    EXPECT_FALSE(FormatMaskText(u"%100d", {i64{5}}, 128, text)) << "the first refused";
    EXPECT_EQ(text.size(), 99u);
}

// The management screen.

namespace
{
class ManagementTest : public GameScreenTest
{
protected:
    void TearDown() override
    {
        Menu().ShowManagement(false);
        MenuFrames(20);
        GameScreenTest::TearDown();
    }
    // The service's task at the gate, done by an AI unit of the level whose prices are 1000, 2000
    // and 3000.
    TTask& Service(i32 gate, i32 kind, i32 level)
    {
        TAICommonUnit& unit = m_aUnit.emplace_back();
        unit.m_nAILevel = level;
        unit.aPrice[0] = 1000;
        unit.aPrice[1] = 2000;
        unit.aPrice[2] = 3000;
        TTask& task = m_aTask.emplace_back();
        task.m_nType = GetServiceTaskType(kind);
        task.pGate = m_apGate[gate - 1];
        task.pAIUnit = &unit;
        task.m_nAI = 1;
        m_apGate[gate - 1]->aGateTask.Add(&task);
        return task;
    }
    void Open()
    {
        Menu().OnManagementClick(nullptr);
        MenuFrames(20);
        ASSERT_TRUE(Menu().GetManagementBase()->IsOpen());
    }
    static std::string Status() { return Menu().GetManagementStatus()->m_Caption.GetText(); }
    static std::u16string PopupText(EManagementPopupLabel label)
    {
        return Menu().GetManagementPopupLabel(label)->m_Caption.GetWideText();
    }

    std::deque<TAICommonUnit> m_aUnit;
};
} // namespace

TEST_F(ManagementTest, AnUpgradeNeedsTheLevelBelowThreeAnIdleGateAndThePrice)
{
    // Whether it may be bought, and the status told.
    const auto upgrade = [](const TTask* task) {
        const char* status = "x";
        const bool can = TGameMenuManager::CanUpgradeService(task, status);
        return std::pair(can, std::string(status));
    };
    EXPECT_EQ(upgrade(nullptr), std::pair(false, std::string()));
    TTask& fuel = Service(4, skFuel, 1);
    Parameters().nMoney = 2000;
    EXPECT_EQ(upgrade(&fuel), std::pair(true, std::string("ManagementStatusUpgradeAvailable")))
        << "the price";
    Parameters().nMoney = 1999;
    EXPECT_EQ(upgrade(&fuel), std::pair(false, std::string("ManagementStatusNotEnoughMoney")));
    Parameters().nMoney = 100000;
    m_apGate[3]->m_nState = gsLoading;
    EXPECT_EQ(upgrade(&fuel), std::pair(false, std::string("ManagementStatusGateNotIdle")));
    // The top level says so even at a busy gate.
    fuel.pAIUnit->m_nAILevel = 3;
    EXPECT_EQ(upgrade(&fuel), std::pair(false, std::string("ManagementStatusFullyUpgraded")));
    fuel.pGate = nullptr;
    EXPECT_EQ(upgrade(&fuel), std::pair(false, std::string()));
}

TEST_F(ManagementTest, BuyIsOfferedOnlyWhenAllowedAndRaisesTheLevelAtItsPrice)
{
    TTask& catering = Service(2, skCatering, 1);
    Parameters().nMoney = 2500;
    Open();
    EXPECT_FALSE(Menu().GetIconBase()->IsOpen());
    Menu().GetManagementGrid()->SetSelection(skCatering, 1, false);
    MenuFrames(20);
    EXPECT_EQ(Status(), "ManagementStatusUpgradeAvailable");
    EXPECT_TRUE(Menu().GetManagementBuy()->IsOpen());
    EXPECT_TRUE(Menu().GetManagementInfo()->IsOpen());
    EXPECT_EQ(Menu().GetManagementBalance()->m_Second.GetWideText(), u"2.500");
    Menu().OnManagementInfo(nullptr);
    MenuFrames(20);
    ASSERT_TRUE(Menu().GetManagementPopup()->IsOpen());
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_LOCATION), u"Location: Gate 2");
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_SKILL), u"Skill: Trainee");
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_PRICE), u"Price paid: 1.000");
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_NEXT_PRICE), u"Next level: 2.000");

    TInterfaceSounds sounds({"VehicleUpgrade"});
    Menu().OnManagementBuy(Menu().GetManagementBuy());
    EXPECT_EQ(catering.GetAILevel(), 2);
    EXPECT_EQ(Parameters().nMoney, 500);
    EXPECT_EQ(sounds.Played("VehicleUpgrade"), 1u);
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_PRICE), u"Price paid: 2.000") << "refreshed at once";
    EXPECT_EQ(PopupText(MANAGEMENT_POPUP_NEXT_PRICE), u"Next level: 3.000");
    MenuFrames(20);
    EXPECT_EQ(Status(), "ManagementStatusNotEnoughMoney");
    EXPECT_FALSE(Menu().GetManagementBuy()->IsOpen());
    // The button hidden is no guard on its own: a press reaching it buys nothing.
    Menu().OnManagementBuy(Menu().GetManagementBuy());
    EXPECT_EQ(catering.GetAILevel(), 2);
    EXPECT_EQ(Parameters().nMoney, 500);
    Parameters().nMoney = 100000;
    m_apGate[1]->m_nState = gsUnloading;
    Menu().OnManagementBuy(Menu().GetManagementBuy());
    EXPECT_EQ(catering.GetAILevel(), 2) << "a busy gate";
    EXPECT_EQ(sounds.Played("VehicleUpgrade"), 1u) << "a refused buy is silent";
}

TEST_F(ManagementTest, TheManagementScreenMatchesItsGoldenImage)
{
    for (i32 gate = 1; gate <= 8; ++gate)
        for (i32 kind = 0; kind < SERVICE_KIND_COUNT; ++kind)
            Service(gate, kind, (gate + kind) % 4);
    m_apGate[5]->m_nState = gsLoading;
    // The word and the amount keep apart however large the balance (the golden image's is 102.158).
    Open();
    const TUILabel* balance = Menu().GetManagementBalance();
    for (const i32 money : {INT_MIN, INT_MAX, 102158})
    {
        Parameters().nMoney = money;
        MenuFrames(2);
        EXPECT_LE(balance->m_Caption.GetExtent().fWidth + balance->m_Second.GetExtent().fWidth + 10.0f,
                  balance->m_Size.x)
            << money;
    }
    Menu().GetManagementGrid()->SetSelection(skBus, 2, false);
    Menu().OnManagementInfo(nullptr);
    MenuFrames(20);
    StillClock();
    EXPECT_EQ(RenderGolden("management_1280x720", 1280, 720), "");
}

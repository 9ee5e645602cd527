// The in-game screen: its number and time texts, the gate-selection menu (focus, busy gates,
// the choice), the texts and indicators each frame, the main-menu key, the task list (listing,
// sorting, alerts, the start button) and their golden images.
#include "core/system/timer.h"
#include "menufixture.h"

#include "core/math/random.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"
#include "morvane/ui/gameformat.h"
#include "ui/uibutton.h"
#include "ui/uigrid.h"
#include "ui/uimenu.h"
#include "xaudio2/randomindex.h"

#include <climits>
#include <deque>
#include <string>
#include <vector>

namespace
{
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
            m_apGate[id - 1]->m_nState = gsIdle;
        }
        Parameters().nChosenGate = 0;
        MenuFrames(20);
    }
    void TearDown() override
    {
        Parameters().nChosenGate = 0;
        for (i32 i = 0; i < 8; ++i)
            m_apGate[i]->m_nState = m_aState[i];
        g_pGameLogicManager->Gates().SetCount(m_nLevelGates);
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
    i32 m_nLevelGates = 0;
};
} // namespace

TEST(GameFormat, MoneyIsGroupedByThreeDigitsWithTheSignApart)
{
    EXPECT_EQ(FormatMoney(0), u"0");
    EXPECT_EQ(FormatMoney(-500), u"-500");
    EXPECT_EQ(FormatMoney(999), u"999");
    EXPECT_EQ(FormatMoney(1234), u"1.234");
    EXPECT_EQ(FormatMoney(45000), u"45.000");
    EXPECT_EQ(FormatMoney(1000000), u"1.000.000");
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
    SetGates({3, 7});
    const i32 expected = ExpectedFocus({3, 7});
    Parameters().nFlags = 0;
    Menu().ShowGateSelectionMenu();
    MenuFrames(10);
    ASSERT_TRUE(GateMenu().IsOpen());
    EXPECT_EQ(GateMenu().GetFocusIndex(), expected - 1);
    // Only the idle gates' entries are on the menu.
    for (TUIItem* entry : GateMenu().GetChildren())
        EXPECT_EQ(entry->IsVisible(), entry->m_nTag == 2 || entry->m_nTag == 6) << entry->m_nTag;
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

TEST_F(GameScreenTest, AScriptedRunTakesTheFocusedIdleGateAtOnceAndClosesItsWindows)
{
    SetGates({3, 7});
    const i32 expected = ExpectedFocus({3, 7});
    g_pTimer->SetFixedStep(0.0625f);
    ASSERT_NE(Menu().PushWindow("GameSaveFailed"), nullptr);
    Menu().UpdateManager(0.0625f);
    EXPECT_EQ(Menu().GetWindowCount(), 0) << "nobody is there to close it";
    Menu().ShowGateSelectionMenu();
    g_pTimer->SetFixedStep(0.0f);
    EXPECT_EQ(Parameters().nChosenGate, expected);
    MenuFrames(10);
    EXPECT_FALSE(GateMenu().IsOpen());
    // A run with a player waits for the choice.
    Parameters().nChosenGate = 0;
    Menu().ShowGateSelectionMenu();
    EXPECT_EQ(Parameters().nChosenGate, 0);
}

TEST_F(GameScreenTest, WithEveryGateBusyTheMenuOpensEmptyAndClicksDoNothing)
{
    SetGates({});
    Menu().ShowGateSelectionMenu();
    MenuFrames(10);
    EXPECT_TRUE(GateMenu().IsOpen());
    EXPECT_EQ(GateMenu().GetFocusIndex(), -1);
    for (TUIItem* entry : GateMenu().GetChildren())
        EXPECT_FALSE(entry->IsVisible());
    Menu().OnGateSelected(GateMenu().GetChildren()[4]);
    EXPECT_EQ(Parameters().nChosenGate, 0);
    // A window stacked over the game: the menu waits.
    Menu().GetGateMenu()->Show(false, true);
    ASSERT_NE(Menu().PushWindow("GameSaveFailed"), nullptr);
    Menu().ShowGateSelectionMenu();
    EXPECT_FALSE(GateMenu().IsOpen());
    Menu().PopWindow();
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
    Menu().CloseGameHelp();
    MenuFrames(10);
    EXPECT_TRUE(GateMenu().IsVisible());
    Parameters().nFlags &= ~GAME_LANDING;
}

TEST_F(GameScreenTest, TheMainMenuKeyOpensTheMenuOverTheGame)
{
    ASSERT_FALSE(Menu().IsMenuOpen());
    Menu().OnMainMenuClick(nullptr);
    MenuFrames(10);
    EXPECT_TRUE(Menu().IsMenuOpen());
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f) << "the clock stands still again";
}

TEST_F(GameScreenTest, TheHudWithTheGateMenuOpenMatchesItsGoldenImage)
{
    SetGates({1, 2, 5, 8});
    Parameters().nMoney = 45000;
    Menu().ShowGateSelectionMenu();
    Menu().GetGateMenu()->SetFocus(4);
    MenuFrames(20);
    // The wall clock is not the golden image's.
    Menu().GetGameText("Date")->m_Caption.SetText("07.12.2026");
    Menu().GetGameText("Time")->m_Caption.SetText("12:00");
    EXPECT_EQ(RenderGolden("hud_1280x720", 1280, 720), "");
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
        for (TGate* gate : m_apGate)
            gate->aGateTask.SetCount(0);
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
    static std::string StartCaption() { return Menu().GetTaskStart()->m_Caption.GetText(); }

    std::deque<TTask> m_aTask;
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
}

TEST_F(TaskListTest, OneAlertSoundsPerOverdueEpisode)
{
    TTask& a = Issue(1, gtDeployFuel, 10.0f);
    TTask& b = Issue(2, gtDeployBus, 10.0f);
    a.m_nStarted = b.m_nStarted = 1;
    TTaskList list;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.5f);
    EXPECT_FALSE(list.IsAlert());
    EXPECT_EQ(list.GetTimeSinceAlert(), 0.5f);
    a.m_fCountdown = -0.1f;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.5f);
    EXPECT_TRUE(list.IsAlertNew());
    b.m_fCountdown = -0.1f;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.5f);
    EXPECT_TRUE(list.IsAlert());
    EXPECT_FALSE(list.IsAlertNew()) << "a second overdue task in the next frame: the same episode";
    // Arrived or working tasks are not overdue; the episode ends, a new one alerts again.
    a.m_nArrived = 1;
    b.m_nWorking = 1;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.5f);
    EXPECT_FALSE(list.IsAlert());
    b.m_nWorking = 0;
    list.Rebuild(g_pGameLogicManager->Gates(), 0.5f);
    EXPECT_TRUE(list.IsAlertNew());
}

TEST_F(TaskListTest, TheStartButtonFollowsTheSelectedTaskAndItsRowAcrossReSorts)
{
    TTask& player = Issue(5, gtDeployStairs, 40.0f);
    TTask& ai = Issue(2, gtDeployBus, 20.0f);
    ai.m_nAI = 1;
    MenuFrames(20);
    ASSERT_TRUE(Menu().GetTaskBackground()->IsOpen());
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
    EXPECT_EQ(Menu().GetSelectedTask(), &ai);

    Menu().GetTaskGrid()->SelectRow(List().IndexOf(&player), false);
    MenuFrame();
    EXPECT_EQ(StartCaption(), "TaskStart");
    // The task the player drives is offered no start.
    Parameters().pActiveTask = &player;
    MenuFrames(20);
    EXPECT_FALSE(Menu().GetTaskStart()->IsOpen());
}

TEST_F(TaskListTest, WithoutIssuedTasksThePanelIsClosed)
{
    MenuFrames(20);
    EXPECT_FALSE(Menu().GetTaskBackground()->IsOpen());
    TTask& task = Issue(4, gtDeployFuel, 30.0f);
    MenuFrames(20);
    EXPECT_TRUE(Menu().GetTaskBackground()->IsOpen());
    task.m_nCountdownStarted = 0;
    MenuFrames(20);
    EXPECT_FALSE(Menu().GetTaskBackground()->IsOpen());
}

TEST_F(TaskListTest, TheTaskListMatchesItsGoldenImage)
{
    TTask& working = Issue(1, gtDeployStairs, 40.0f);
    working.m_nStarted = working.m_nWorking = 1;
    working.m_fWorkTimer = 75.0f;
    // No overdue task: its colour pulses with the clock.
    Issue(3, gtDeployBus, 12.0f).m_nStarted = 1;
    Issue(6, gtDeployFuel, 3700.0f);
    Parameters().nMoney = 2500;
    MenuFrames(5);
    Menu().GetTaskGrid()->SelectRow(0, false);
    MenuFrames(2);
    Menu().GetGameText("Date")->m_Caption.SetText("07.12.2026");
    Menu().GetGameText("Time")->m_Caption.SetText("12:00");
    EXPECT_EQ(RenderGolden("tasklist_1280x720", 1280, 720), "");
}

// The in-game screen: its number and time texts, the gate-selection menu (focus, busy gates,
// the choice), the texts and indicators each frame, the main-menu key and its golden image.
#include "menufixture.h"

#include "core/math/random.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gate.h"
#include "morvane/ui/gameformat.h"
#include "ui/uibutton.h"
#include "ui/uimenu.h"
#include "xaudio2/randomindex.h"

#include <climits>
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

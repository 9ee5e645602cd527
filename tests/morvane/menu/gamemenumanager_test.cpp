// The game menu manager: its layers, the fader's one action at a time, the window stack, and the
// player data's start with its default profile.
#include "menufixture.h"

#include "core/system/platform.h"
#include "engine/render/device.h"

namespace
{
using GameMenuTest = MenuTest;
} // namespace

TEST_F(GameMenuTest, TheTreeHasItsLayersInDrawingOrderAndTheMenuOpensAtStart)
{
    Start();
    EXPECT_EQ(Menu().GetRoot()->GetChildren().back(), Menu().GetFader()) << "the fader draws last";
    EXPECT_TRUE(Menu().GetModalLayer()->IsInactive());
    // No game runs: the menu is open, the clock stands still, the fader has faded out.
    EXPECT_TRUE(Menu().IsMenuOpen());
    EXPECT_TRUE(Menu().GetGameUI()->IsInactive());
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f);
    EXPECT_TRUE(Menu().GetFader()->IsInactive());
    EXPECT_EQ(m_Log.Count("error"), 0u) << "every style, icon, texture and key is there";
}

TEST_F(GameMenuTest, TwoFadesInOneFrameRunOnlyTheFirstActionOnceWithItsArgument)
{
    Start();
    static std::vector<u32> s_aRun;
    s_aRun.clear();
    // The action finds its fade over, so that it may start the next.
    const TOneShotCallback::TFunction record = [](void* manager, u32 argument) {
        s_aRun.push_back(static_cast<TGameMenuManager*>(manager)->IsFadePending() ? 0 : argument);
        return 0;
    };
    for (u32 argument : {7u, 0xFFFFFFFFu})
    {
        Menu().StartFade(record, argument, 0, 1);
        // The second is ignored: the game would otherwise quit behind the new game.
        Menu().StartFade(TGameMenuManager::FadeAction<&TGameMenuManager::_Quit>, 0, 0, 1);
        EXPECT_EQ(Menu().GetFader()->m_fFadeInTime, FADER_FAST_IN);
        EXPECT_EQ(Menu().GetFader()->m_fFadeOutTime, FADER_FAST_OUT);
        MenuFrames(30, 0.05f);
        EXPECT_FALSE(Menu().IsFadePending());
    }
    EXPECT_EQ(s_aRun, (std::vector<u32>{7u, 0xFFFFFFFFu})) << "each first action ran once";
    EXPECT_EQ(g_pDeviceManager->GetQuit(), 0u) << "the second never did";
}

TEST_F(GameMenuTest, PushingOntoAnEmptyStackHidesTheMenuLayerAndPoppingTheLastBringsItBack)
{
    Start();
    EXPECT_EQ(Menu().PushWindow("NoSuchWindow"), nullptr);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    TUIItem* first = Menu().PushWindow("GameLoadFailed");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_nFlags & UI_CLOSED, 0u) << "shown at once, the modal layer fading in";
    MenuFrames(20);
    EXPECT_TRUE(Menu().GetMainMenuLayer()->IsInactive());
    EXPECT_FALSE(Menu().GetModalLayer()->IsInactive());
    TUIItem* second = Menu().PushWindow("GameSaveFailed");
    MenuFrames(20);
    EXPECT_TRUE(first->IsInactive());
    EXPECT_FALSE(second->IsInactive());
    EXPECT_EQ(Menu().GetWindowCount(), 2);
    // Capacities grow 1, 3.
    EXPECT_EQ(Menu().GetWindowCapacity(), 3);
    Menu().PopWindow();
    MenuFrames(20);
    EXPECT_FALSE(first->IsInactive());
    EXPECT_TRUE(second->IsInactive());
    Menu().PopWindow();
    MenuFrames(20);
    EXPECT_TRUE(first->IsInactive());
    EXPECT_TRUE(Menu().GetModalLayer()->IsInactive());
    EXPECT_FALSE(Menu().GetMainMenuLayer()->IsInactive());
    Menu().PopWindow();
    EXPECT_EQ(Menu().GetWindowCount(), 0) << "popping an empty stack does nothing";
}

TEST_F(GameMenuTest, TheFirstStartCreatesAProfileNamedAfterTheUser)
{
    Start();
    EXPECT_EQ(m_Log.Count("TGameMenuManager::UpdateManager(): Creating default profile."), 1u);
    ASSERT_EQ(Profiles().GetProfileCount(), 1);
    std::u16string user = GetWindowsUserName();
    if (user.size() > 31)
        user.resize(31);
    EXPECT_EQ(std::u16string(Profiles().GetSelectedProfile()->GetName()), user);
    // The next start finds it.
    Menu().FinalizeManager();
    Profiles().FinalizeManager();
    m_Log.lines.clear();
    MenuFrame(0.0f);
    EXPECT_EQ(m_Log.Count("Creating default profile."), 0u);
    EXPECT_EQ(Profiles().GetProfileCount(), 1);
    // A user name no profile may have gives "Player"; a long one is cut to the 31 characters a
    // profile holds.
    Menu().CreateDefaultProfile(u"a/b");
    ASSERT_EQ(Profiles().GetProfileCount(), 2);
    EXPECT_EQ(std::u16string(Profiles().GetProfile(1)->GetName()), u"Player");
    const std::u16string longName(40, u'x');
    Menu().CreateDefaultProfile(longName.c_str());
    ASSERT_EQ(Profiles().GetProfileCount(), 3);
    EXPECT_EQ(std::u16string(Profiles().GetProfile(2)->GetName()), longName.substr(0, 31));
}

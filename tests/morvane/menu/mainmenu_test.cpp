// The main menu's buttons and actions, the popup dialogs and the golden images of both.
#include "menufixture.h"

#include "engine/render/device.h"
#include "engine/system/resourcemanager.h"
#include "ui/uibutton.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"

#include <cmath>

namespace
{
using MainMenuTest = MenuTest;
using DialogTest = MenuTest;

// The centre of an item in screen pixels of the 1280 x 720 test screen.
void Centre(const TUIItem* item, i32& x, i32& y)
{
    const TUIRect rect = item->GetAbsoluteRect();
    f32 width, height;
    g_pUIManager->GetScreenSize(width, height);
    const TUIItem* root = item;
    while (root->GetParent())
        root = root->GetParent();
    const f32 sx = width / root->m_VirtualSize.x, sy = height / root->m_VirtualSize.y;
    x = static_cast<i32>((rect.fLeft + rect.fRight) * 0.5f * sx);
    y = static_cast<i32>((rect.fTop + rect.fBottom) * 0.5f * sy);
}
} // namespace

TEST_F(MainMenuTest, TheColumnHoldsTheEightButtonsInMenuOrderSilentWithTheirPitch)
{
    Start();
    const std::vector<TUIItem*>& entries = Menu().GetMenu()->GetChildren();
    const char* const order[] = {"MainMenuContinue", "MainMenuNewGame",  "MainMenuPlayers", "MainMenuSaveGame",
                                 "MainMenuAccount",  "MainMenuOptions", "MainMenuCredits", "MainMenuQuit"};
    ASSERT_EQ(entries.size(), 8u);
    for (size_t i = 0; i < entries.size(); ++i)
    {
        EXPECT_EQ(entries[i]->GetName(), TName(order[i])) << i;
        EXPECT_EQ(entries[i]->m_nFlags & UI_SILENT, UI_SILENT);
        EXPECT_EQ(entries[i]->m_Caption.m_fPitch, MENU_CAPTION_PITCH);
    }
    EXPECT_EQ(Menu().GetButton(MENU_SAVE_GAME)->GetName(), TName("MainMenuSaveGame")) << "field order";
    // No game and no saved game: neither Continue nor Save game; Account stays closed.
    EXPECT_TRUE(Menu().GetButton(MENU_CONTINUE)->IsInactive());
    EXPECT_TRUE(Menu().GetButton(MENU_SAVE_GAME)->IsInactive());
    EXPECT_FALSE(Menu().GetButton(MENU_NEW_GAME)->IsInactive());
    EXPECT_EQ(Menu().GetButton(MENU_ACCOUNT)->m_nFlags & (UI_CLOSED | UI_INPUT_WHILE_CLOSED),
              UI_CLOSED | UI_INPUT_WHILE_CLOSED);
    Parameters().nStarted = 1;
    MenuFrame();
    EXPECT_FALSE(Menu().GetButton(MENU_CONTINUE)->IsInactive());
    EXPECT_FALSE(Menu().GetButton(MENU_SAVE_GAME)->IsInactive());
}

TEST_F(MainMenuTest, NewGameWithoutAGameFadesClosesTheMenuAndCountsTheGame)
{
    Start();
    i32 x, y;
    Centre(Menu().GetButton(MENU_NEW_GAME), x, y);
    ClickAt(x, y);
    EXPECT_TRUE(Menu().IsFadePending());
    EXPECT_EQ(Menu().GetWindowCount(), 0) << "no confirmation without a game";
    MenuFrames(100, 0.05f);
    EXPECT_FALSE(Menu().IsMenuOpen());
    EXPECT_EQ(TakeNewGameStartedFlag(), 1u);
    auto* profile = static_cast<TMorvanePlayerProfile*>(Profiles().GetSelectedProfile());
    EXPECT_EQ(profile->GetGamesPlayed(), 1u);
    EXPECT_EQ(g_pTimer->GetScale(), 1.0f);
}

TEST_F(MainMenuTest, NewGameOverAGameAsksFirstAndLoadsTheLevelAgain)
{
    Start();
    Parameters().nStarted = 1;
    Menu().OnNewGame(nullptr);
    EXPECT_FALSE(Menu().IsFadePending());
    ASSERT_EQ(Menu().GetTopWindow(), Menu().GetModalLayer()->FindItem(TName("NewGameConfirm")));
    MenuFrames(10);
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f);
    // Continue anyway: the dialog closes and the fade starts with the menu layer hidden.
    i32 x, y;
    Centre(Menu().GetTopWindow()->FindItem(TName("Button0")), x, y);
    ClickAt(x, y);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_TRUE(Menu().IsFadePending());
    MenuFrames(100, 0.05f);
    EXPECT_EQ(Parameters().nStarted, 0) << "the game logic starts it again";
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), GAME_LEVEL_REPOSITORY);
    EXPECT_EQ(TakeNewGameStartedFlag(), 1u);
    g_pResourceManager->m_PendingRepository = "";
}

TEST_F(MainMenuTest, ContinueClosesTheMenuOverAGameAndDoesNothingWithoutASavedGame)
{
    Start();
    Menu().OnContinueButton(nullptr);
    MenuFrames(10);
    EXPECT_FALSE(Menu().IsFadePending()) << "no game and no saved game";
    EXPECT_TRUE(Menu().IsMenuOpen());
    Parameters().nStarted = 1;
    MenuFrame();
    Menu().OnContinueButton(nullptr);
    EXPECT_FALSE(Menu().IsFadePending()) << "no fade, no load";
    MenuFrames(20);
    EXPECT_FALSE(Menu().IsMenuOpen());
}

TEST_F(MainMenuTest, SaveGameWritesOneSavedGamePerClickAndContinueLoadsIt)
{
    Start();
    Parameters().nStarted = 1;
    MenuFrame();
    i32 x, y;
    Centre(Menu().GetButton(MENU_SAVE_GAME), x, y);
    ClickAt(x, y);
    MenuFrames(20);
    EXPECT_EQ(SaveFiles(), 1u);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_FALSE(Menu().GetMainMenuLayer()->IsInactive());
    // The "Saving" window shown again without a click saves nothing more.
    TUIItem* saving = Menu().GetModalLayer()->FindItem(TName("Saving"));
    saving->Show(false, true);
    saving->Show(true, true);
    EXPECT_EQ(SaveFiles(), 1u);
    EXPECT_EQ(Menu().IsSaveArmed(), 0u);
    ClickAt(x, y);
    MenuFrames(20);
    EXPECT_EQ(SaveFiles(), 2u);
    // Continue without a game: the latest saved game is loaded behind the fader.
    Parameters().nStarted = 0;
    MenuFrame();
    Menu().OnContinueButton(nullptr);
    EXPECT_TRUE(Menu().IsFadePending());
    MenuFrames(100, 0.05f);
    EXPECT_EQ(Parameters().nStarted, 1);
    EXPECT_EQ(Menu().GetWindowCount(), 0) << "loaded";
}

TEST_F(MainMenuTest, SavingWithoutASelectedProfileOpensGameSaveFailed)
{
    Start();
    Profiles().SelectProfile(-1);
    Parameters().nStarted = 1;
    MenuFrame();
    Menu().OnSaveGame(nullptr);
    MenuFrames(20);
    EXPECT_EQ(SaveFiles(), 0u);
    EXPECT_EQ(Menu().GetTopWindow(), Menu().GetModalLayer()->FindItem(TName("GameSaveFailed")));
    EXPECT_TRUE(Menu().IsMenuOpen());
}

TEST_F(MainMenuTest, QuitFadesOutAndAsksTheDeviceToQuit)
{
    Start();
    Menu().OnQuit(nullptr);
    EXPECT_TRUE(Menu().IsFadePending());
    EXPECT_EQ(Menu().GetFader()->m_fFadeInTime, FADER_SLOW_IN);
    MenuFrames(100, 0.05f);
    EXPECT_NE(g_pDeviceManager->GetQuit(), 0u);
}

TEST(AspectClass, SixteenTenComesFirstThenSixteenNineThenFourThree)
{
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1920.0f, 1200.0f), ASPECT_16_10);
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1.78f, 1.0f), ASPECT_16_9);
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1280.0f, 720.0f), ASPECT_16_9);
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1024.0f, 768.0f), ASPECT_4_3);
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1.5f, 1.0f), ASPECT_OTHER);
    // The edges of the 0.01 band.
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1.6099f, 1.0f), ASPECT_16_10);
    EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(1.6101f, 1.0f), ASPECT_OTHER);
}

TEST_F(DialogTest, TheFourteenDialogsAreBuiltInOrderWithTheirKeysAndTags)
{
    Start();
    const char* const ids[] = {"NewGameWelcome",        "NewGameConfirm",        "GameLoadFailed",
                               "GameSaveFailed",        "GameDeleteFailed",      "GameDeleteConfirm",
                               "ProfilesNewFailed",     "ProfilesDeleteConfirm", "ProfilesDeleteFailed",
                               "ProfilesRenameFailedDuplicate", "ProfilesRenameFailedDisk",
                               "ProfilesSelectFailed",  "GameCompleted",         "GameTaskResetConfirm"};
    std::vector<TUIItem*> dialogs;
    for (TUIItem* child : Menu().GetModalLayer()->GetChildren())
        if (child->GetName() != TName("Saving"))
            dialogs.push_back(child);
    ASSERT_EQ(dialogs.size(), 14u);
    for (size_t i = 0; i < 14; ++i)
    {
        EXPECT_EQ(dialogs[i]->GetName(), TName(ids[i]));
        EXPECT_EQ(dialogs[i]->m_nTag, i >= 12 ? 1 : 0) << ids[i];
        EXPECT_EQ(std::string(dialogs[i]->FindItem(TName("Title Label"))->m_Caption.GetText()),
                  std::string(ids[i]) + "Title");
        EXPECT_TRUE(dialogs[i]->IsInactive());
    }
}

TEST_F(DialogTest, ButtonsAreAtLeast108WideWithCentres144Apart)
{
    Start();
    TUIItem* one = Menu().PushWindow("GameLoadFailed");
    MenuFrames(10);
    f32 width, height;
    one->GetInnerSize(width, height);
    TUIItem* ok = one->FindItem(TName("Button0"));
    EXPECT_GE(ok->m_Size.x, DIALOG_BUTTON_WIDTH);
    EXPECT_EQ(ok->m_Size.y, DIALOG_BUTTON_HEIGHT);
    EXPECT_NEAR(ok->m_Position.x + ok->m_Size.x * 0.5f, width * 0.5f, 0.01f) << "one button is centred";
    EXPECT_NEAR(ok->m_Position.y + ok->m_Size.y, height - DIALOG_BUTTON_BOTTOM, 0.01f);
    // One button answers every hot key.
    EXPECT_EQ(ok->GetHotKeyCount(), 3u);
    Menu().PopWindow();
    TUIItem* two = Menu().PushWindow("NewGameConfirm");
    TUIItem* left = two->FindItem(TName("Button0"));
    TUIItem* right = two->FindItem(TName("Button1"));
    // "Continue anyway" is wider than 108: its button widens, the centres stay 144 apart.
    EXPECT_GT(left->m_Size.x, DIALOG_BUTTON_WIDTH);
    const f32 c0 = left->m_Position.x + left->m_Size.x * 0.5f, c1 = right->m_Position.x + right->m_Size.x * 0.5f;
    EXPECT_NEAR(c1 - c0, DIALOG_BUTTON_SPACING, 0.01f);
    EXPECT_NEAR((c0 + c1) * 0.5f, width * 0.5f, 0.01f);
    EXPECT_EQ(left->GetHotKeyCount(), 2u);
    EXPECT_EQ(right->GetHotKeyCount(), 1u);
}

TEST_F(DialogTest, TheClockStandsStillWhileADialogIsOpenAndRunsOnceAButtonClosesIt)
{
    Start();
    Parameters().nStarted = 1;
    Menu().SetMenuVisible(0, 0);
    MenuFrames(20);
    EXPECT_EQ(g_pTimer->GetScale(), 1.0f);
    TUIItem* dialog = Menu().PushWindow("GameCompleted");
    MenuFrames(10);
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f);
    // Keep playing.
    i32 x, y;
    Centre(dialog->FindItem(TName("Button1")), x, y);
    ClickAt(x, y);
    MenuFrames(10);
    EXPECT_EQ(g_pTimer->GetScale(), 1.0f);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_FALSE(Menu().IsMenuOpen());
    // Go to the main menu: the dialog closes and the menu opens.
    Menu().PushWindow("GameCompleted");
    MenuFrames(10);
    Centre(dialog->FindItem(TName("Button0")), x, y);
    ClickAt(x, y);
    MenuFrames(20);
    EXPECT_TRUE(Menu().IsMenuOpen());
    EXPECT_EQ(Menu().GetWindowCount(), 0);
}

TEST_F(DialogTest, ADialogPushedByAButtonsActionStopsTheClockAgain)
{
    Start();
    Parameters().nStarted = 1;
    Menu().PushWindow("NewGameConfirm");
    MenuFrames(10);
    // The button's own action opens a further dialog after the pop.
    TUIItem* button = Menu().GetTopWindow()->FindItem(TName("Button1"));
    button->OnClickList.Add([](TUIItem*, const void*) {
        g_pGameMenuManager->PushWindow("GameLoadFailed");
        return 0;
    });
    u32 select = 0;
    button->Click(select);
    MenuFrames(10);
    EXPECT_EQ(Menu().GetTopWindow(), Menu().GetModalLayer()->FindItem(TName("GameLoadFailed")));
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f);
}

TEST_F(MainMenuTest, TheMainMenuMatchesItsGoldenImages)
{
    Start();
    EXPECT_EQ(RenderGolden("main_menu_1280x720", 1280, 720), "");
    EXPECT_EQ(RenderGolden("main_menu_1920x1200", 1920, 1200), "");
}

TEST_F(DialogTest, APopupOverTheDarkenedLayerMatchesItsGoldenImage)
{
    Start();
    Menu().PushWindow("GameSaveFailed");
    MenuFrames(20);
    EXPECT_EQ(RenderGolden("popup_1280x720", 1280, 720), "");
}

TEST_F(DialogTest, TheWelcomeTextShowsBothItsLinesAt1280x800)
{
    Start();
    Menu().PushWindow("NewGameWelcome");
    MenuFrames(20);
    EXPECT_EQ(RenderGolden("welcome_1280x800", 1280, 800), "");
}

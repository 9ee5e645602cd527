// The main menu's actions (New game, Save game and Continue, Quit), the popup dialogs and the
// golden images of both.
#include "menufixture.h"

#include "engine/system/resourcemanager.h"
#include "platform/window/winuser.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace
{
using MainMenuTest = MenuTest;
using DialogTest = MenuTest;
} // namespace

TEST_F(MainMenuTest, NewGameWithoutAGameFadesClosesTheMenuAndCountsTheGame)
{
    // Clicked once the menu shows, while the black of the start still fades from the screen.
    MenuFrame(0.0f);
    MenuFrames(5, 0.05f);
    ASSERT_TRUE(Menu().IsMenuOpen() && Menu().GetFader()->IsOpen());
    ClickOn(Menu().GetButton(MENU_NEW_GAME));
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
    ClickOn(Menu().GetTopWindow()->FindItem(TName("Button0")));
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_TRUE(Menu().IsFadePending());
    MenuFrames(100, 0.05f);
    EXPECT_EQ(Parameters().nStarted, 0) << "the game logic starts it again";
    EXPECT_STREQ(g_pResourceManager->m_PendingRepository.GetText(), GAME_LEVEL_REPOSITORY);
    EXPECT_EQ(TakeNewGameStartedFlag(), 1u);

    // The next frame loads it, with its dependencies named as the start-up script names them: a
    // file missing or cut short ends the program with 1, its name in the box and in the log.
    std::filesystem::remove(m_Folder.Path() + "/data");
    std::filesystem::create_directory(m_Folder.Path() + "/data");
    for (const char* line : {"resource.associate 2 \"data/common.data\"", "resource.associate 3 \"data/mapped.data\"",
                             "resource.associate 4 \"data/streamed.data\"",
                             "resource.associate 11 \"data/morvane.cooked.data\""})
        TCommandManager::Instance().ExecuteText(line);
    const struct
    {
        const char* file;
        std::uintmax_t size; // cut to this; ~0: missing
        const char* box;
        const char* log;
    } cases[] = {
        {"morvane.data", ~0ull, "Terminal error: 'missing resource 'data/morvane.data''",
         "'data/morvane.data' is missing or cannot be read"},
        {"morvane.data", 100, "Terminal error: ''data/morvane.data' is damaged", "'data/morvane.data' is damaged"},
        {"morvane.cooked.data", ~0ull, "Terminal error: ''data/morvane.cooked.data': unable to open",
         "error opening file 'data/morvane.cooked.data'"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string(c.file) + (c.size == ~0ull ? " missing" : " cut"));
        const std::string data = m_Folder.Path() + "/data/";
        for (const auto& entry : std::filesystem::directory_iterator(VESTAMOR_DATA_DIR))
        {
            std::filesystem::remove(data + entry.path().filename().string());
            if (entry.path().filename() != c.file)
                std::filesystem::create_symlink(entry.path(), data + entry.path().filename().string());
            else if (c.size != ~0ull)
            {
                std::filesystem::copy_file(entry.path(), data + c.file);
                std::filesystem::resize_file(data + c.file, c.size);
            }
        }
        const std::string log = m_Folder.Path() + "/abort.log";
        EXPECT_EXIT(
            {
                // The log's lines where the test can read them once the program has ended.
                struct : TLogListener
                {
                    std::ofstream file;
                    void OnLogLine(u32, const char* text) override { file << text << std::endl; }
                } echo;
                echo.file.open(log);
                g_pSystemLog->SetListener(&echo);
                g_pResourceManager->m_PendingRepository = GAME_LEVEL_REPOSITORY;
                g_pResourceManager->UpdateManager(0.0f);
            },
            ::testing::ExitedWithCode(1), c.box);
        std::ifstream file(log);
        const std::string lines((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_NE(lines.find(c.log), std::string::npos) << lines;
    }
    g_pResourceManager->m_PendingRepository = "";
}

TEST_F(MainMenuTest, SaveGameWritesOneSavedGamePerClickBehindASavingWindowSeenAndContinueLoadsIt)
{
    Start();
    Parameters().nStarted = 1;
    MenuFrame();
    const auto [x, y] = Centre(Menu().GetButton(MENU_SAVE_GAME));
    TUIItem* saving = Menu().GetModalLayer()->FindItem(TName("Saving"));
    // The window is drawn before the save holds the frame, and stays up a second.
    MoveTo(x, y);
    Button(true);
    MenuFrame();
    Button(false);
    EXPECT_EQ(Menu().GetTopWindow(), saving);
    u32 frames = 0;
    for (; frames < 50 && saving->IsInactive(); ++frames)
        MenuFrame();
    EXPECT_EQ(SaveFiles(), 0u) << "not before the window was drawn";
    MenuFrame();
    EXPECT_EQ(SaveFiles(), 1u);
    MenuFrames(48);
    EXPECT_EQ(Menu().GetTopWindow(), saving) << "shown for less than a second";
    MenuFrames(2);
    EXPECT_EQ(SaveFiles(), 1u);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_FALSE(Menu().GetMainMenuLayer()->IsInactive());
    // The "Saving" window shown again without a click saves nothing more.
    saving->Show(false, true);
    saving->Show(true, true);
    MenuFrames(60);
    EXPECT_EQ(SaveFiles(), 1u);
    EXPECT_EQ(Menu().IsSaveArmed(), 0u);
    saving->Show(false, true);
    ClickAt(x, y);
    EXPECT_EQ(Menu().GetTopWindow(), saving);
    MenuFrames(60);
    EXPECT_EQ(SaveFiles(), 2u);
    // Continue without a game, clicked as the menu of the next start shows: the latest saved game
    // is loaded behind the fader.
    Parameters().nStarted = 0;
    TGameMenuManager::RequestRebuild();
    MenuFrames(6, 0.05f);
    ASSERT_TRUE(Menu().GetFader()->IsOpen());
    ClickOn(Menu().GetButton(MENU_CONTINUE));
    EXPECT_TRUE(Menu().IsFadePending());
    MenuFrames(100, 0.05f);
    EXPECT_EQ(Parameters().nStarted, 1);
    EXPECT_EQ(Menu().GetWindowCount(), 0) << "loaded";
    // Without a selected profile: GameSaveFailed, nothing written.
    Profiles().SelectProfile(-1);
    Menu().SetMenuVisible(1, 0);
    Menu().OnSaveGame(nullptr);
    MenuFrames(60);
    EXPECT_EQ(SaveFiles(), 2u);
    EXPECT_EQ(Menu().GetTopWindow(), Menu().GetModalLayer()->FindItem(TName("GameSaveFailed")));
    EXPECT_TRUE(Menu().IsMenuOpen());
}

TEST_F(MainMenuTest, QuitAndClosingTheWindowAskFirstOverARunningGame)
{
    Start();
    // A display to answer on: the program asks.
    const char* headless = std::getenv("VESTAMOR_HEADLESS");
    const std::string oldHeadless = headless ? headless : "";
    const bool hadDisplay = std::getenv("DISPLAY") != nullptr;
    unsetenv("VESTAMOR_HEADLESS");
    setenv("DISPLAY", ":0", 0);
    Parameters().nStarted = 1;
    MenuFrame();
    TUIItem* question = Menu().GetModalLayer()->FindItem(TName("QuitConfirm"));
    ASSERT_NE(question, nullptr);
    EXPECT_STREQ(question->FindItem(TName("Main Label"))->m_Caption.GetText(), "dialog_quit_question");
    struct
    {
        const char* road;
        const char* answer;
    } cases[] = {{"close", "Button1"}, {"quit", "Button1"}, {"close", "Button0"}};
    for (const auto& c : cases)
    {
        if (std::string(c.road) == "close")
            PostMessageW(g_pDxDeviceManager->GetWindowHandle(), WM_CLOSE, 0, 0);
        else
            ClickOn(Menu().GetButton(MENU_QUIT));
        MenuFrames(10);
        ASSERT_EQ(Menu().GetTopWindow(), question) << c.road;
        EXPECT_FALSE(Menu().IsFadePending()) << c.road;
        EXPECT_EQ(g_pDeviceManager->GetQuit(), 0u) << c.road;
        ClickOn(question->FindItem(TName(c.answer)));
        MenuFrames(10);
        EXPECT_EQ(Menu().GetWindowCount(), 0) << c.road;
    }
    MenuFrames(100, 0.05f);
    EXPECT_NE(g_pDeviceManager->GetQuit(), 0u) << "yes quits";
    if (!oldHeadless.empty())
        setenv("VESTAMOR_HEADLESS", oldHeadless.c_str(), 1);
    if (!hadDisplay)
        unsetenv("DISPLAY");
}

TEST_F(DialogTest, TheClockStandsStillWhileADialogIsOpenAndRunsOnceAButtonClosesIt)
{
    StartGame();
    EXPECT_EQ(g_pTimer->GetScale(), 1.0f);
    TUIItem* dialog = Menu().PushWindow("GameCompleted");
    MenuFrames(10);
    EXPECT_EQ(g_pTimer->GetScale(), 0.0f);
    // Keep playing.
    ClickOn(dialog->FindItem(TName("Button1")));
    MenuFrames(10);
    EXPECT_EQ(g_pTimer->GetScale(), 1.0f);
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_FALSE(Menu().IsMenuOpen());
    // Go to the main menu: the dialog closes and the menu opens.
    Menu().PushWindow("GameCompleted");
    MenuFrames(10);
    ClickOn(dialog->FindItem(TName("Button0")));
    MenuFrames(20);
    EXPECT_TRUE(Menu().IsMenuOpen());
    EXPECT_EQ(Menu().GetWindowCount(), 0);
}

TEST_F(DialogTest, TheMainMenuAndThePopupsOverItMatchTheirGoldenImagesAndALoneButtonsKeyClosesItsPopup)
{
    Start();
    const struct
    {
        i32 started;
        const char* dialog;
        const char* golden;
        i32 width, height;
    } cases[] = {{0, nullptr, "main_menu_1280x720", 1280, 720},
                 {0, nullptr, "main_menu_1920x1200", 1920, 1200},
                 {1, nullptr, "main_menu_game_1280x800", 1280, 800},
                 {1, nullptr, "main_menu_game_1920x1200", 1920, 1200},
                 {1, nullptr, "main_menu_game_1024x768", 1024, 768},
                 {0, "GameSaveFailed", "popup_1280x720", 1280, 720},
                 {0, "NewGameWelcome", "welcome_1280x800", 1280, 800},
                 {0, "NewGameWelcome", "welcome_1920x1200", 1920, 1200},
                 {0, "NewGameConfirm", "confirm_1280x800", 1280, 800},
                 {0, "NewGameConfirm", "confirm_1920x1200", 1920, 1200},
                 {0, "NewGameConfirm", "confirm_1024x768", 1024, 768}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.golden);
        Parameters().nStarted = c.started;
        TUIItem* dialog = c.dialog ? Menu().PushWindow(c.dialog) : nullptr;
        MenuFrames(c.dialog ? 20 : 2);
        EXPECT_EQ(RenderGolden(c.golden, c.width, c.height), "");
        if (!dialog)
            continue;
        // A lone button answers every hot key (Enter closes it), a pair shares them; each caption
        // inside its button.
        TUIItem* second = dialog->FindItem(TName("Button1"));
        const bool pair = second && second->IsOpen();
        for (TUIItem* button : {dialog->FindItem(TName("Button0")), pair ? second : nullptr})
            if (button)
            {
                EXPECT_EQ(button->GetHotKeyCount(), button == second ? 1u : pair ? 2u : 3u);
                EXPECT_LE(button->m_Caption.GetExtent().fWidth, button->m_Size.x + 0.01f);
            }
        if (pair)
            Menu().PopWindow();
        else
            Tap(0x1C);
        MenuFrames(20);
        EXPECT_EQ(Menu().GetWindowCount(), 0);
    }
}

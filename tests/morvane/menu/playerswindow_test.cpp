// The players window's load-game tab over the selected profile's saved games.
#include "menufixture.h"

#include "core/stream/memorystream.h"
#include "morvane/ui/formatamount.h"
#include "player/playerprofile.h"
#include "ui/uigrid.h"
#include "ui/uimenu.h"

namespace
{
class PlayersWindowTest : public MenuTest
{
protected:
    // A game's saved games, a minute apart from 5 December 2026 at 14:40: the ids are their times
    // (two saves in one millisecond would share their name).
    TPlayerProfile& SaveGames(i32 count)
    {
        Parameters().nStarted = 1;
        MenuFrame();
        static u64 s_nMinute;
        s_nMinute = 0;
        Profiles().SetClock([] {
            return TDateTime{2026, 12, 6, 5, 14, static_cast<u8>(40 + s_nMinute++), 0, 0}.ToFileTime();
        });
        TPlayerProfile* profile = Profiles().GetSelectedProfile();
        for (i32 i = 0; i < count; ++i)
            EXPECT_NE(profile->SaveGame(0, SAVE_GAME_INSERT, -1), nullptr);
        Profiles().SetClock(nullptr);
        return *profile;
    }
};

std::u16string Cell(const TPlayerSavedGame* record, i32 column)
{
    char16_t text[40];
    TGameMenuManager::FormatLoadGameCell(record, column, text, 40);
    return text;
}

// The load-game tab's footer entry: 0 Back, 1 Delete, 2 Load.
TUIItem* Footer(i32 index)
{
    TUIItem* footer = g_pGameMenuManager->GetLoadGameGrid()->GetParent()->FindItem(TName("FooterMenu"));
    return footer->GetChildren()[static_cast<size_t>(index)];
}
} // namespace

TEST(FormatAmount, EurosAreGroupedByThousandsWithTheSignBeforeTheEuro)
{
    EXPECT_EQ(std::u16string(FormatEuroAmount(1234567)), u"\u20AC1,234,567");
    EXPECT_EQ(std::u16string(FormatEuroAmount(-1500)), u"-\u20AC1,500");
    EXPECT_EQ(std::u16string(FormatEuroAmount(-1)), u"-\u20AC1");
    EXPECT_EQ(std::u16string(FormatEuroAmount(999)), u"\u20AC999");
    EXPECT_EQ(std::u16string(FormatEuroAmount(1000)), u"\u20AC1,000");
    EXPECT_EQ(std::u16string(FormatEuroAmount(-2147483648.0)), u"-\u20AC2,147,483,648");
    EXPECT_EQ(std::u16string(FormatThousands(-1500)), u"-1,500");
    EXPECT_EQ(std::u16string(FormatThousands(-500)), u"-500");
}

TEST(LoadGameCell, DateCompletionAndMoneyOfASavedGame)
{
    TGameSavedGame record;
    TDateTime stamp{2026, 12, 6, 5, 14, 40, 59, 999};
    record.SetId(static_cast<i64>(stamp.ToFileTime()));
    TMemoryStream stream;
    const i32 money = 1234567;
    const u32 completion = 42;
    stream.Write(&money, 4);
    stream.Write(&completion, 4);
    stream.Seek(0, STREAM_SEEK_SET);
    ASSERT_EQ(record.OnPreload(GAME_PLAYER_PATCH_LEVEL, stream), 0u);
    EXPECT_EQ(Cell(&record, 0), u"05.12.2026 14:40");
    EXPECT_EQ(Cell(&record, 1), u"42%");
    EXPECT_EQ(Cell(&record, 2), u"\u20AC1,234,567");
}

TEST_F(PlayersWindowTest, TheGridListsTheSavedGamesAndDeletingTheLastEmptiesIt)
{
    Start();
    // No saved game: no rows, Load and Delete hidden; Delete without a row opens its failure.
    Menu().OnPlayers(nullptr);
    MenuFrames(10);
    TUIGrid* grid = Menu().GetLoadGameGrid();
    EXPECT_EQ(grid->m_nRowCount, 0);
    EXPECT_TRUE(Footer(1)->IsInactive() && Footer(2)->IsInactive());
    Menu().OnDeleteGame(nullptr);
    ASSERT_NE(Menu().GetTopWindow(), nullptr);
    EXPECT_EQ(Menu().GetTopWindow()->GetName(), TName("GameDeleteFailed"));
    Menu().PopWindow();
    Menu().CloseSubWindow();
    TPlayerProfile* profile = &SaveGames(2);
    Menu().OnPlayers(nullptr);
    MenuFrames(10);
    EXPECT_EQ(grid->m_nRowCount, 2);
    // The columns divide the grid 3 : 2 : 3.
    EXPECT_FLOAT_EQ(grid->m_aColumnWidth[0] / grid->m_aColumnWidth[1], 1.5f);
    EXPECT_FLOAT_EQ(grid->m_aColumnWidth[2], grid->m_aColumnWidth[0]);
    grid->SelectRow(1, true);
    EXPECT_FALSE(Footer(1)->IsInactive());
    EXPECT_FALSE(Footer(2)->IsInactive());

    // Delete asks first; its ContinueAnyway deletes the row the dialog carries.
    const i64 kept = profile->GetSavedGame(0)->GetId();
    Press(Footer(1));
    TUIItem* confirm = Menu().GetTopWindow();
    ASSERT_NE(confirm, nullptr);
    EXPECT_EQ(confirm->GetName(), TName("GameDeleteConfirm"));
    Press(confirm->FindItem(TName("Button0")));
    EXPECT_EQ(Menu().GetWindowCount(), 0);
    EXPECT_EQ(SaveFiles(), 1u);
    ASSERT_EQ(grid->m_nRowCount, 1);
    EXPECT_EQ(profile->GetSavedGame(0)->GetId(), kept);
    // "Reconsider" deletes nothing.
    grid->SelectRow(0, true);
    Press(Footer(1));
    Press(Menu().GetTopWindow()->FindItem(TName("Button1")));
    EXPECT_EQ(SaveFiles(), 1u);
    // The last one.
    Press(Footer(1));
    Press(Menu().GetTopWindow()->FindItem(TName("Button0")));
    EXPECT_EQ(SaveFiles(), 0u);
    EXPECT_EQ(grid->m_nRowCount, 0);
    EXPECT_TRUE(Footer(1)->IsInactive() && Footer(2)->IsInactive());
    // Without a selected profile the grid is hidden.
    Profiles().SelectProfile(-1);
    Menu().CloseSubWindow();
    Menu().OnPlayers(nullptr);
    MenuFrames(10);
    EXPECT_TRUE(grid->IsInactive());
}

TEST_F(PlayersWindowTest, TheKeysStepThroughTheSavedGamesWrappingAndSelectHandsTheFocusToLoadAndTheTabMatchesItsGoldenImage)
{
    Start();
    SaveGames(3);
    Menu().OnPlayers(nullptr);
    MenuFrames(10);
    TUIGrid* grid = Menu().GetLoadGameGrid();
    ASSERT_EQ(grid->m_nRowCount, 3);
    EXPECT_TRUE(Footer(2)->IsInactive()) << "no row yet";
    constexpr u16 kDown = 0x50, kUp = 0x48;
    const struct
    {
        u16 key;
        i32 row;
    } steps[] = {{kDown, 2}, {kDown, 0}, {kDown, 1}, {kUp, 0}, {kUp, 2}};
    for (const auto& step : steps)
    {
        Tap(step.key, true);
        EXPECT_EQ(grid->m_nSelectedRow, step.row);
    }
    EXPECT_FALSE(Footer(1)->IsInactive());
    EXPECT_FALSE(Footer(2)->IsInactive());
    // Enter hands the focus to Load; the grid keeps its row.
    Tap(0x1C);
    auto* footer = static_cast<TUIMenu*>(Footer(2)->GetParent());
    EXPECT_EQ(g_pUIManager->m_pActiveMenu, footer);
    EXPECT_EQ(footer->GetFocusIndex(), 2);
    Tap(kDown, true);
    EXPECT_EQ(grid->m_nSelectedRow, 2) << "the footer has the keys";
    // Opened again with the middle row chosen: saved at 14:40, 14:41 and 14:42.
    Menu().CloseSubWindow();
    Menu().OnPlayers(nullptr);
    MenuFrames(20);
    grid->SelectRow(1, true);
    MenuFrames(5);
    EXPECT_EQ(RenderGolden("players_load_game_1280x720", 1280, 720), "");
}

// Load runs behind the fader and closes the menu; a saved game gone since the listing opens
// GameLoadFailed instead.
TEST_F(PlayersWindowTest, LoadRunsBehindTheFaderAndClosesTheMenuOrSaysTheSavedGameIsGone)
{
    Start();
    for (const bool gone : {true, false})
    {
        SCOPED_TRACE(gone ? "gone" : "there");
        Parameters().nStarted = 1;
        MenuFrame();
        ASSERT_NE(Profiles().GetSelectedProfile()->SaveGame(0, SAVE_GAME_INSERT, -1), nullptr);
        Parameters().nStarted = 0;
        Menu().OnPlayers(nullptr);
        MenuFrames(10);
        Menu().GetLoadGameGrid()->SelectRow(0, true);
        if (gone)
            for (const auto& entry : std::filesystem::recursive_directory_iterator(m_Folder.Path() + "/save"))
                if (entry.path().extension() == ".save")
                    std::filesystem::remove(entry.path());
        Press(Footer(2));
        EXPECT_TRUE(Menu().IsFadePending());
        EXPECT_EQ(Parameters().nStarted, 0) << "not before the screen is black";
        MenuFrames(100, 0.05f);
        EXPECT_TRUE(gone || Parameters().nStarted == 1);
        EXPECT_EQ(Menu().GetTopWindow() ? Menu().GetTopWindow()->GetName() : TName(),
                  gone ? TName("GameLoadFailed") : TName());
        EXPECT_EQ(Menu().IsMenuOpen(), gone);
        Menu().PopWindow();
        Menu().CloseSubWindow();
        MenuFrames(10);
    }
}

// The in-game help: categories in the grid, the pages of the selected one (none, sixteen, a
// stored count beyond sixteen, images that are not loaded), the column back at the top, the
// close; and its golden image with three pages.
#include "menufixture.h"

#include "ui/uidraw.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.vscroller.h"

#include <deque>

namespace
{
class HelpTest : public MenuTest
{
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        ASSERT_NE(Help().GetForm(), nullptr) << "the level carries the help's form";
        StartGame();
        m_nCategories = Categories().GetCount();
        for (i32 i = 0; i < m_nCategories; ++i)
            m_aSaved.push_back(Categories()[i]);
        Categories().SetCount(0);
        g_pUIGameManager->AddImage(TName("HelpTestImage", true), UIFindTexture(TName("Help Image 0", true)));
    }
    void TearDown() override
    {
        Help().GetForm()->HideNow();
        Menu().CloseGameHelp();
        Categories().SetCount(0);
        for (i32 i = 0; i < m_nCategories; ++i)
            Categories().Add(m_aSaved[static_cast<size_t>(i)]);
        MenuTest::TearDown();
    }
    static TUIHelpDialog& Help() { return static_cast<TUIHelpDialog&>(g_pUIGameManager->GetScreen(UI_SCREEN_HELP)); }
    DArray<THelpCategory*>& Categories() { return g_pUIGameManager->HelpCategories(); }
    // A category of the name with the count stored and every page's texts; the images named.
    THelpCategory& Category(const char* name, u32 pages, std::initializer_list<const char*> images = {})
    {
        THelpCategory& category = m_aCategory.emplace_back();
        category.Name = TName(name, true);
        category.nPageCount = pages;
        for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
        {
            category.aPageText[i].Key = TName(i == 0 ? "GameHelp" : "desc_gtDeployBus", true);
            category.aPageKeyText[i].Key = TName("TaskStart", true);
        }
        u32 i = 0;
        for (const char* image : images)
            category.aPageImage[i++] = image[0] ? TName(image, true) : TName();
        Categories().Add(&category);
        return category;
    }
    void Open()
    {
        Menu().OnGameHelpClick(nullptr);
        MenuFrames(5);
        ASSERT_TRUE(Help().GetForm()->IsVisibleOnScreen());
    }
    u32 ShownPages() const
    {
        u32 shown = 0;
        for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
            shown += (Help().GetPage(i)->nFlags & UX::CONTROL_VISIBLE) ? 1 : 0;
        return shown;
    }
    static f32 Height(const UX::TControl* control) { return control->Base.Rect.height; }

    std::deque<THelpCategory> m_aCategory;
    i32 m_nCategories = 0;
    std::vector<THelpCategory*> m_aSaved;
};
} // namespace

TEST_F(HelpTest, PagesOfTheSelectedCategoryWithNoneSixteenAndMissingImages)
{
    // Without categories the grid stays empty and no page is built.
    Open();
    EXPECT_EQ(ShownPages(), 0u);
    EXPECT_EQ(Help().GetGrid()->SelectedIndex, -1);
    Help().Close();
    MenuFrames(20);
    Category("GameHelp", 3, {"", "HelpTestImage", "NoSuchHelpImage"});
    Category("TaskHelp", 0);
    Category("TaskStart", 16);
    Category("TaskBack", 40);
    Open();
    EXPECT_EQ(Help().GetGrid()->SelectedIndex, 0) << "the first show selects the first category";
    EXPECT_EQ(ShownPages(), 3u);
    // The picture is the row's tallest part; without one the texts alone set the row.
    UX::TControl* pictured = Help().GetPage(1);
    EXPECT_EQ(Height(pictured), 72.0f + HELP_PAGE_ROOM);
    UX::TControl* missing = Help().GetPage(2);
    EXPECT_LT(Height(missing), Height(pictured));
    EXPECT_EQ(Height(missing),
              Height(missing->FindChild(TName(HELP_TEXT_NAME, true))) + HELP_PAGE_ROOM);
    EXPECT_EQ(m_Log.Count("Texture NoSuchHelpImage not found!"), 1u);
    // The first page's text is the heading at (10, 10), the others beside their image.
    EXPECT_EQ(Help().GetPage(0)->FindChild(TName(HELP_TEXT_NAME, true))->Base.Rect.x, HELP_HEADING_X);
    EXPECT_EQ(pictured->FindChild(TName(HELP_TEXT_NAME, true))->Base.Rect.x, HELP_TEXT_X);
    EXPECT_EQ(Help().GetPanel()->ContentHeight, Help().GetStacker()->GetContentHeight() + HELP_CONTENT_ROOM);

    Help().GetGrid()->SetSelectedIndex(1);
    EXPECT_EQ(ShownPages(), 0u) << "a category without pages: an empty column";
    Help().GetGrid()->SetSelectedIndex(2);
    EXPECT_EQ(ShownPages(), 16u);
    // Another category starts at the top of its column.
    UX::TVScroller* bar = Help().GetPanel()->GetScrollBar();
    ASSERT_NE(bar, nullptr);
    bar->SetPosition(200);
    ASSERT_GT(bar->Position, 0);
    Help().GetGrid()->SetSelectedIndex(3);
    EXPECT_EQ(bar->Position, 0);
    EXPECT_EQ(ShownPages(), 16u) << "a stored count beyond sixteen shows sixteen";
    EXPECT_EQ(m_Log.Count("has 40 pages"), 1u);

    // Close: the form goes, the in-game icons come back and the backdrop goes.
    Help().Close();
    MenuFrames(20);
    EXPECT_FALSE(Help().GetForm()->IsVisibleOnScreen());
    EXPECT_TRUE(Menu().GetIconBase()->IsOpen());
    EXPECT_FALSE(Menu().GetGameHelp()->IsOpen());

    // The level let go and loaded again: the categories' images are found again.
    Category("TaskDone", 2, {"", "Help Image 0"});
    const TName image("Help Image 0", true);
    for (i32 load = 0; load < 2; ++load)
    {
        g_pUIGameManager->OnClusterUnload();
        g_pUIGameManager->OnClusterLoad();
        EXPECT_EQ(g_pUIGameManager->GetImage(image), UIFindTexture(image)) << load;
    }
}

TEST_F(HelpTest, HelpWithThreePagesMatchesItsGoldenImage)
{
    Category("GameHelp", 3, {"", "HelpTestImage", ""});
    Category("TaskHelp", 0);
    Open();
    // Past the fade-in.
    RealFrames(40);
    StillClock();
    EXPECT_EQ(RenderGolden("help_1280x720", 1280, 720, true), "");
}

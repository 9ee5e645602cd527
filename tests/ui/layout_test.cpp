// Placement rules, the tree's open and visible states and their events, unknown names and the
// records going with the cluster.
#include "uifixture.h"

#include "ui/uibutton.h"

#include <string>
#include <vector>

namespace
{
class UILayoutTest : public UITest
{
protected:
    TUIItem* Parent(f32 width, f32 height)
    {
        return MakeRoot<TUIItem>("TUITabControl", "parent", width, height);
    }
    TUIItem* Child(TUIItem* parent, f32 width, f32 height, const char* name = "child")
    {
        TUIItem* child = parent->CreateChild("TUITabControl", name);
        child->SetSize(width, height);
        return child;
    }
    // Appends "name:show" or "name:hide" to the journal as the item opens or closes.
    void Journal(TUIItem* item, std::vector<std::string>& journal)
    {
        const std::string name = item->GetName().GetText();
        auto note = [&journal, name](const char* event) {
            return [&journal, name, event](TUIItem*, const void*) {
                journal.push_back(name + ":" + event);
                return 0;
            };
        };
        item->OnShow.Add(note("show"));
        item->OnHide.Add(note("hide"));
    }
};

TEST_F(UILayoutTest, PlacementRulesCentreMeasureFromTheFarEdgeAndFollowTheParentsWidth)
{
    TUIItem* parent = Parent(400.0f, 300.0f);
    TUIItem* centred = Child(parent, 100.0f, 50.0f);
    centred->SetLeft(UI_PLACE_FRACTION, 0.5f);
    centred->SetTop(UI_PLACE_FRACTION, 0.5f);
    TUIItem* right = Child(parent, 100.0f, 50.0f);
    right->SetFromRight(0.0f);
    right->SetFromBottom(10.0f);
    TUIItem* stretched = Child(parent, 10.0f, 10.0f);
    stretched->SetLeft(UI_PLACE_NEAR, 20.0f);
    stretched->SetRightInset(30.0f);
    stretched->SetTop(UI_PLACE_NEAR, 5.0f);
    stretched->SetBottom(45.0f);
    parent->UpdateLayout();
    EXPECT_EQ(centred->m_Position.x, 150.0f);
    EXPECT_EQ(centred->m_Position.y, 125.0f);
    EXPECT_EQ(right->m_Position.x, 300.0f);
    EXPECT_EQ(right->m_Position.y, 240.0f);
    EXPECT_EQ(stretched->m_Size.x, 350.0f);
    EXPECT_EQ(stretched->m_Size.y, 40.0f);
    parent->SetSize(600.0f, 300.0f);
    EXPECT_EQ(stretched->m_Size.x, 550.0f) << "the width follows the parent";
    EXPECT_EQ(right->m_Position.x, 500.0f);
}

TEST_F(UILayoutTest, ClosingAParentClosesTheDescendantsWithItAndReopeningKeepsTheirOwnState)
{
    TUIItem* parent = Parent(10.0f, 10.0f);
    TUIItem* open = Child(parent, 1.0f, 1.0f, "open");
    TUIItem* closed = Child(parent, 1.0f, 1.0f, "closed");
    TUIItem* grandchild = Child(open, 1.0f, 1.0f, "grandchild");
    closed->Show(false, true);
    std::vector<std::string> journal;
    for (TUIItem* item : {parent, open, closed, grandchild})
        Journal(item, journal);
    parent->Show(false, true);
    EXPECT_TRUE(open->m_nFlags & UI_ANCESTOR_CLOSED);
    EXPECT_TRUE(grandchild->m_nFlags & UI_ANCESTOR_CLOSED);
    EXPECT_FALSE(open->m_nFlags & UI_CLOSED);
    parent->Show(true, true);
    EXPECT_TRUE(open->IsOpen());
    EXPECT_TRUE(grandchild->IsOpen());
    EXPECT_FALSE(closed->IsOpen()) << "closed by itself";
    const std::vector<std::string> expected = {"parent:hide", "open:hide", "grandchild:hide",
                                               "parent:show", "open:show", "grandchild:show"};
    EXPECT_EQ(journal, expected);
}

// A class, style, icon or font of no such name: told once per load, and nothing made or changed.
TEST_F(UILayoutTest, UnknownNamesAreToldOnceAndChangeNothing)
{
    EXPECT_EQ(g_pUIManager->CreateItem("TUINoSuchItem", "x", 1.0f, 1.0f), nullptr);
    EXPECT_EQ(Parent(1.0f, 1.0f)->CreateChild("TUINoSuchItem", "y"), nullptr);
    TUIItem* item = Parent(10.0f, 10.0f);
    item->SetStyle("DialogTextStyle");
    const TUIStyle* style = item->GetStyle();
    ASSERT_NE(style, nullptr);
    TUIText text;
    text.SetText("Missing");
    text.m_Font = TName("no such font", true);
    for (i32 i = 0; i < 2; ++i)
    {
        item->SetStyle("NoSuchStyle");
        EXPECT_EQ(item->GetStyle(), style);
        EXPECT_GT(text.Measure(-1.0f).fWidth, 0.0f) << "the first font measures";
    }
    EXPECT_EQ(g_pUIManager->__FindIcon(TName("NoSuchIcon", true)), nullptr);
    for (const char* line : {"'TUINoSuchItem': no such item class", "'NoSuchStyle': undefined style",
                             "NoSuchIcon: undefined icon", "'no such font': undeclared font"})
        EXPECT_EQ(m_Log.Count(line), 1u) << line;
}

TEST_F(UILayoutTest, ItemsLetTheLoadedRecordsGoWithTheClusterAndFindThemAgain)
{
    auto* button = MakeRoot<TUIButton>("TUIButton", "b", 0.0f, 0.0f);
    button->SetStyle("MenuButtonStyle");
    button->SetIconByName("UI Panel");
    TTexture* white = g_pUIManager->GetWhiteTexture();
    ASSERT_NE(white, nullptr);
    button->SetImage(white);
    const TUIStyle* style = button->GetStyle();
    const TUIIcon* icon = button->m_pIcon;
    g_pUIManager->OnClusterUnload();
    EXPECT_EQ(button->GetStyle(), nullptr);
    EXPECT_EQ(button->m_pIcon, nullptr);
    EXPECT_EQ(button->m_pImage, nullptr);
    g_pUIManager->OnClusterLoad();
    EXPECT_EQ(button->GetStyle(), style);
    EXPECT_EQ(button->m_pIcon, icon);
    EXPECT_EQ(button->m_pImage, white);
}

} // namespace

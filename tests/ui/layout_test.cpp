// Placement rules, the tree's open and visible states and their events, and the containers'
// layouts: stackers and menus.
#include "uifixture.h"

#include "ui/uibutton.h"
#include "ui/uimenu.h"
#include "ui/uistacker.h"

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
    // Appends "name:event" to the journal for the listed events of the item.
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
        item->OnVisible.Add(note("visible"));
        item->OnHidden.Add(note("hidden"));
        item->OnHighlight.Add(note("highlight"));
        item->OnUnhighlight.Add(note("unhighlight"));
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

TEST_F(UILayoutTest, InsetsFillTheParentLessTheStylesInnerMargins)
{
    TUIItem* parent = Parent(400.0f, 300.0f);
    parent->SetStyle("UIWindowStyle");
    TUIItem* filler = Child(parent, 0.0f, 0.0f);
    filler->SetInsets(0.0f);
    parent->UpdateLayout();
    EXPECT_EQ(filler->m_Size.x, 400.0f - 48.0f);
    EXPECT_EQ(filler->m_Size.y, 300.0f - 88.0f);
}

TEST_F(UILayoutTest, HidingFiresOnlyOnChangesAndAHighlightedItemLosesItsHighlight)
{
    TUIItem* item = Parent(10.0f, 10.0f);
    std::vector<std::string> journal;
    Journal(item, journal);
    item->SetHighlighted(true);
    item->SetVisible(true);
    item->SetVisible(false);
    item->SetVisible(false);
    const std::vector<std::string> expected = {"parent:highlight", "parent:hidden", "parent:unhighlight"};
    EXPECT_EQ(journal, expected);
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

TEST_F(UILayoutTest, FindItemPrefersADirectChildToADeeperNamesake)
{
    TUIItem* parent = Parent(10.0f, 10.0f);
    TUIItem* first = Child(parent, 1.0f, 1.0f, "first");
    TUIItem* deep = Child(first, 1.0f, 1.0f, "target");
    TUIItem* direct = Child(parent, 1.0f, 1.0f, "target");
    EXPECT_EQ(parent->FindItem(TName("target")), direct);
    EXPECT_EQ(first->FindItem(TName("target")), deep);
    EXPECT_EQ(parent->FindItem(TName("missing")), nullptr);
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

TEST_F(UILayoutTest, TheClusterArrayHooksAnswerOneForOtherIds)
{
    const u32 icons = g_pUIManager->GetIconCount();
    const u32 styles = g_pUIManager->GetStyleCount();
    ASSERT_GT(icons, 0u);
    void* data = nullptr;
    i32 count = 0;
    for (u32 id : {105u, 108u, 23u})
    {
        EXPECT_EQ(g_pUIManager->SetArray(id, nullptr, 0), 1) << id;
        EXPECT_EQ(g_pUIManager->GetArray(id, data, count), 1) << id;
    }
    EXPECT_EQ(g_pUIManager->GetArray(UI_ICON_TYPE_ID, data, count), 0);
    EXPECT_EQ(g_pUIManager->GetArray(UI_STYLE_TYPE_ID, data, count), 0);
    EXPECT_EQ(g_pUIManager->GetIconCount(), icons);
    EXPECT_EQ(g_pUIManager->GetStyleCount(), styles);
}

TEST_F(UILayoutTest, AStackerSumsItsChildrenWithTheTrailingGap)
{
    auto* stacker = MakeRoot<TUIStacker>("TUIStacker", "stacker", 0.0f, 0.0f);
    stacker->m_nVertical = 0;
    stacker->m_fGap = 10.0f;
    TUIItem* a = Child(stacker, 50.0f, 20.0f);
    TUIItem* b = Child(stacker, 30.0f, 40.0f);
    TUIItem* closed = Child(stacker, 70.0f, 70.0f);
    closed->Show(false, true);
    stacker->UpdateLayout();
    EXPECT_EQ(stacker->m_Size.x, 100.0f);
    EXPECT_EQ(stacker->m_Size.y, 40.0f);
    EXPECT_EQ(a->m_Position.x, 0.0f);
    EXPECT_EQ(b->m_Position.x, 60.0f);
    EXPECT_EQ(a->m_Position.y, 10.0f) << "centred across";
    stacker->m_nVertical = 1;
    stacker->m_nMargin = 1;
    stacker->UpdateLayout();
    EXPECT_EQ(stacker->m_Size.y, 2 * 10.0f + 20.0f + 40.0f + 2 * 10.0f);
    EXPECT_EQ(stacker->m_Size.x, 2 * 10.0f + 50.0f);
    EXPECT_EQ(b->m_Position.y, 40.0f);
}

TEST_F(UILayoutTest, AMenuOfFiveEntriesInTwoColumnsHasThreeRows)
{
    auto* menu = MakeRoot<TUIMenu>("TUIMenu", "menu", 0.0f, 0.0f);
    menu->m_nColumns = 2;
    menu->m_fColumnGap = 20.0f;
    menu->m_fRowGap = 5.0f;
    menu->m_nAlign = UI_ALIGN_NEAR;
    for (i32 i = 0; i < 5; ++i)
        menu->AddButton("Entry", "MenuButtonStyle", 0);
    menu->UpdateLayout();
    const auto& entries = menu->GetChildren();
    const f32 w = entries[0]->m_Size.x;
    const f32 h = entries[0]->m_Size.y;
    ASSERT_GT(w, 0.0f);
    EXPECT_EQ(entries[2]->m_Position.y, 2 * (h + 5.0f));
    EXPECT_EQ(entries[3]->m_Position.x, w + 20.0f);
    EXPECT_EQ(entries[3]->m_Position.y, 0.0f);
    EXPECT_EQ(entries[4]->m_Position.y, h + 5.0f);
    EXPECT_EQ(menu->m_Size.x, 2 * w + 20.0f);
    EXPECT_EQ(entries[4]->m_nTag, 4);
}

TEST_F(UILayoutTest, ARowMenuSpreadsItsEntriesOverTheWidth)
{
    auto* menu = MakeRoot<TUIMenu>("TUIMenu", "row", 0.0f, 0.0f);
    menu->m_nHorizontal = 1;
    menu->m_fSpreadWidth = 600.0f;
    for (i32 i = 0; i < 3; ++i)
    {
        TUIButton* button = menu->AddButton("x", "NoStyleAtAll", 0);
        button->m_Caption.SetText("");
    }
    // Entries of 100 by their fixed style size.
    const TUIStyle* fixed = g_pUIManager->__FindStyle(TName("UIEditStyle"));
    ASSERT_NE(fixed, nullptr);
    for (TUIItem* entry : menu->GetChildren())
        entry->m_pStyle = fixed;
    menu->UpdateLayout();
    const f32 w = fixed->aFixedSize[0];
    const auto& entries = menu->GetChildren();
    EXPECT_EQ(entries[0]->m_Position.x, 0.0f);
    EXPECT_EQ(entries[1]->m_Position.x, w + (600.0f - 3 * w) / 2);
    EXPECT_EQ(entries[2]->m_Position.x, 600.0f - w);
}
} // namespace

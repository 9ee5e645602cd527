// The players window of TGameMenuManager: a sub-window of the flight board with a tab strip. Its
// "Load game" tab lists the selected profile's saved games in a grid (date, completion, money)
// with Load and Delete in its footer.
#include "morvane/ui/gamemenumanager.h"

#include "core/system/datetime.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/ui/formatamount.h"
#include "player/gamesavedgame.h"
#include "player/playerprofile.h"
#include "player/playerprofilemanager.h"
#include "ui/uibutton.h"
#include "ui/uigrid.h"
#include "ui/uimanager.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"
#include "ui/uistyle.h"
#include "ui/uiicon.h"

#include <algorithm>
#include <cstdio>

namespace
{
// Tab strips: each button as wide as its caption and this much, the pages' fades (seconds).
constexpr f32 TAB_BUTTON_EXTRA_WIDTH = 31.0f;
constexpr f32 TAB_BUTTON_HEIGHT = 60.0f;
constexpr f32 TAB_PAGE_FADE_IN = 0.1f;
constexpr f32 TAB_PAGE_FADE_OUT = 0.2f;
// Ours: the room between a tab button's frame and its page's first row.
constexpr f32 TAB_FRAME_GAP = 4.0f;
// Ours: the footer's height and gaps, the grid's rows and scroll bar.
constexpr f32 FOOTER_HEIGHT = 48.0f;
constexpr f32 FOOTER_GAP = 24.0f;
constexpr f32 GRID_ROW_HEIGHT = 40.0f;
constexpr f32 GRID_SLIDER_WIDTH = 24.0f;
constexpr i32 LOAD_GAME_GRID_ROWS = 30;
// The grid's columns divide its width 3 : 2 : 3.
constexpr f32 LOAD_GAME_COLUMN_SHARE[3] = {3.0f / 8.0f, 2.0f / 8.0f, 3.0f / 8.0f};
constexpr i32 LOAD_GAME_COLUMN_ALIGN[3] = {UI_ALIGN_NEAR, UI_ALIGN_FAR, UI_ALIGN_FAR};
// The footer's entries.
constexpr i32 FOOTER_DELETE = 1;
constexpr i32 FOOTER_LOAD = 2;

TPlayerProfile* SelectedProfile()
{
    return g_pPlayerProfileManager ? g_pPlayerProfileManager->GetSelectedProfile() : nullptr;
}

// The footer entry of a page, null outside its entries.
TUIItem* FooterEntry(TUIItem* page, i32 index)
{
    auto* footer = page ? dynamic_cast<TUIMenu*>(page->FindItem(TName("FooterMenu"))) : nullptr;
    if (!footer || index < 0 || index >= static_cast<i32>(footer->GetChildren().size()))
        return nullptr;
    return footer->GetChildren()[static_cast<size_t>(index)];
}
} // namespace

void TGameMenuManager::_CreatePlayersWindow()
{
    TUIButton* window = _CreateSubWindow("Players", true);
    m_pPlayersWindow = window;
    TUIItem* strip = window->FindItem(TName("Tab"));
    TUIItem* buttons = _CreateTabButtons(window);
    TUIButton* loadGame = _CreateTabPage(strip, buttons, "TabLoadGame", "TabButtonLoadGame", "LoadGame");
    loadGame->OnShow.Bind(this, &TGameMenuManager::OnLoadGameTabShown);
    _CreateLoadGameTab(loadGame->FindItem(TName("Inner")));
    TUIButton* profiles = _CreateTabPage(strip, buttons, "TabProfiles", "TabButtonProfiles", "Profiles");
    profiles->OnShow.Bind(this, &TGameMenuManager::OnProfilesTabShown);
    profiles->OnHide.Bind(this, &TGameMenuManager::OnCancelRename);
    _CreateProfilesTab(profiles->FindItem(TName("Inner")));
}

TUIItem* TGameMenuManager::_CreateTabButtons(TUIButton* window)
{
    auto* left = static_cast<TUIButton*>(window->CreateChild("TUIButton", "TabLeft"));
    left->AddAction("tabprev");
    left->m_nFlags |= UI_HOT_KEYS_ALWAYS;
    left->OnClickList.Bind(this, &TGameMenuManager::PreviousTab);
    auto* right = static_cast<TUIButton*>(window->CreateChild("TUIButton", "TabRight"));
    right->AddAction("tabnext");
    right->m_nFlags |= UI_HOT_KEYS_ALWAYS;
    right->OnClickList.Bind(this, &TGameMenuManager::NextTab);

    TUIItem* buttons = window->CreateChild("TUIButton", "TabButtons");
    buttons->SetInsets(0.0f);
    buttons->SetBottom(TAB_BUTTON_HEIGHT);
    return buttons;
}

TUIButton* TGameMenuManager::_CreateTabPage(TUIItem* strip, TUIItem* buttons, const char* pageName,
                                            const char* buttonName, const char* captionKey)
{
    const i32 index = static_cast<i32>(strip->GetChildren().size());
    auto* page = static_cast<TUIButton*>(strip->CreateChild("TUIButton", pageName));
    page->SetInsets(0.0f);
    page->SetFadeTimes(TAB_PAGE_FADE_IN, TAB_PAGE_FADE_OUT);
    page->m_nTag = index;
    page->Show(false, true);
    TUIItem* inner = page->CreateChild("TUIButton", "Inner");
    inner->SetInsets(0.0f);

    f32 left = 0.0f;
    for (TUIItem* button : buttons->GetChildren())
        left += button->m_Size.x;
    auto* button = static_cast<TUIButton*>(buttons->CreateChild("TUIButton", buttonName));
    button->SetCaption(captionKey);
    button->SetStyle("TabButtonStyle");
    button->SetSize(button->m_Caption.GetExtent().fWidth + TAB_BUTTON_EXTRA_WIDTH, TAB_BUTTON_HEIGHT);
    button->SetPosition(left, 0.0f);
    button->m_nTag = index;
    button->OnClickList.Bind(this, &TGameMenuManager::SelectTab);
    // The buttons' frames are drawn outside them: the page's rows start below the frame.
    const TUIStyle* style = button->GetStyle();
    const f32 frame = style && style->pIcon ? style->pIcon->aBorder[UI_RULE_BOTTOM] : 0.0f;
    inner->SetTop(UI_PLACE_NEAR, std::max(SUB_WINDOW_INNER_TOP, TAB_BUTTON_HEIGHT + frame + TAB_FRAME_GAP));
    return page;
}

void TGameMenuManager::_CreateLoadGameTab(TUIItem* inner)
{
    auto* dialog = static_cast<TUIMenu*>(inner->CreateChild("TUIMenu", "DialogLoadGame"));
    dialog->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    // The grid's place in the menus' focus ring: while it has the focus the grid takes the keys.
    TUIButton* dummy = dialog->AddButton("DummyDialogItem", "DialogItemStyle", 0);
    dummy->SetCaption("Dummy");
    dummy->SetSize(0.0f, 0.0f);

    auto* footer = static_cast<TUIMenu*>(inner->CreateChild("TUIMenu", "FooterMenu"));
    footer->m_nHorizontal = 1;
    footer->m_fColumnGap = FOOTER_GAP;
    footer->SetFromBottom(0.0f);
    footer->SetFromRight(0.0f);
    footer->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    footer->AddButton("Back", "FooterMenuBackStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    footer->AddButton("Delete", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::OnDeleteGame);
    footer->AddButton("Load", "FooterMenuStyle", 0)->OnClickList.Bind(this, &TGameMenuManager::_OnLoadClicked);
    dialog->m_pNextMenu = footer;
    footer->m_pNextMenu = dialog;

    auto* grid = static_cast<TUIGrid*>(inner->CreateChild("TUIGrid", "LoadGameGrid"));
    grid->SetInsets(0.0f);
    grid->SetBottomInset(FOOTER_HEIGHT);
    grid->SetColumnCount(3);
    grid->SetRowHeight(GRID_ROW_HEIGHT);
    grid->SetRowCount(LOAD_GAME_GRID_ROWS, false);
    grid->OnDrawCell.Add([this](TUIItem* sender, const void* args) {
        return _DrawLoadGameCell(static_cast<TUIGrid*>(sender), *static_cast<const TUIGridCell*>(args));
    });
    grid->OnSelect.Bind(this, &TGameMenuManager::_UpdateLoadDeleteButtons);
    grid->OnInput.Bind(this, &TGameMenuManager::_HandleGridInput);
    TUISlider* slider = TUISlider::Create(grid, "LoadGameGridSlider", GRID_SLIDER_WIDTH, 0.0f,
                                          "Main Menu Slider Background", "Main Menu Arrow Up",
                                          "Main Menu Arrow Down", "Main Menu Slider Button", 1.0f, 1.0f, 0.0f,
                                          false, UI_THUMB_CLIP, nullptr);
    slider->m_fButtonSize = GRID_SLIDER_WIDTH;
    slider->m_fTrackInset = GRID_SLIDER_WIDTH;
    slider->SetFromRight(0.0f);
    slider->SetTop(UI_PLACE_NEAR, 0.0f);
    slider->SetBottomInset(0.0f);
    grid->SetScrollBar(slider);
    m_pLoadGameGrid = grid;
}

i32 TGameMenuManager::_HandleGridInput(TUIItem* sender)
{
    auto* grid = static_cast<TUIGrid*>(sender);
    TUIItem* inner = grid->GetParent();
    auto* dialog = dynamic_cast<TUIMenu*>(inner->FindItem(TName("DialogLoadGame")));
    auto* footer = dynamic_cast<TUIMenu*>(inner->FindItem(TName("FooterMenu")));
    TUIManager* manager = g_pUIManager;
    if (!manager || !dialog || !footer || !dialog->m_nActive || grid->IsInactive() || !grid->IsVisible() ||
        manager->m_nSelectLatch || manager->IsConsoleShown() ||
        (g_pGameLogicManager && !g_pGameLogicManager->IsTowerView()))
        return 0;
    if (manager->IsActionPressed(UI_ACTION_MENU_DOWN))
        grid->SelectNextRow(true, true);
    else if (manager->IsActionPressed(UI_ACTION_MENU_UP))
        grid->SelectPreviousRow(true, true);
    else if ((manager->IsActionPressed(UI_ACTION_MENU_SELECT) || manager->IsActionPressed(UI_ACTION_MENU_SELECT2)) &&
             grid->m_nSelectedRow >= 0)
    {
        // The press is the grid's: Load takes the next one.
        footer->SetFocus(FOOTER_LOAD);
        footer->Activate();
        manager->m_nSelectLatch = 1;
    }
    return 0;
}

i32 TGameMenuManager::_OnCloseSubWindow(TUIItem*)
{
    CloseSubWindow();
    return 0;
}

i32 TGameMenuManager::OnLoadGameTabShown(TUIItem* page)
{
    auto* dialog = dynamic_cast<TUIMenu*>(page->FindItem(TName("DialogLoadGame")));
    auto* footer = dynamic_cast<TUIMenu*>(page->FindItem(TName("FooterMenu")));
    if (dialog)
    {
        dialog->Activate();
        if (dialog->GetFocusIndex() < 0)
            dialog->SetFocus(0);
    }
    if (footer)
    {
        if (footer->GetFocusIndex() < 0)
            footer->SetFocus(footer->GetChildren().size() < 2 ? 0 : 1);
        footer->SetFocus(FOOTER_LOAD);
    }
    _RefreshLoadGameGrid();
    return 0;
}

void TGameMenuManager::_RefreshLoadGameGrid()
{
    TUIGrid* grid = m_pLoadGameGrid;
    if (!grid)
        return;
    // The columns share the grid's width as laid out now.
    for (i32 column = 0; column < 3; ++column)
        grid->SetColumnWidth(column, grid->m_Size.x * LOAD_GAME_COLUMN_SHARE[column]);
    if (TPlayerProfile* profile = SelectedProfile())
    {
        grid->Show(true, true);
        grid->SetRowCount(profile->GetSavedGameCount(), true);
    }
    else
    {
        grid->SetRowCount(0, true);
        grid->Show(false, true);
    }
    _UpdateLoadDeleteButtons(grid);
}

i32 TGameMenuManager::_UpdateLoadDeleteButtons(TUIItem*)
{
    TUIGrid* grid = m_pLoadGameGrid;
    if (!grid)
        return 0;
    const bool valid = grid->m_nSelectedRow >= 0 && grid->m_nSelectedRow < grid->m_nRowCount;
    TUIItem* page = grid->GetParent();
    // The buttons' own state: the page may be closed around them while it fades in again.
    for (i32 entry : {FOOTER_DELETE, FOOTER_LOAD})
        if (TUIItem* button = FooterEntry(page, entry); button && ((button->m_nFlags & UI_CLOSED) != 0) == valid)
            button->Show(valid, true);
    // The open entries close up.
    if (TUIItem* footer = page ? page->FindItem(TName("FooterMenu")) : nullptr)
        footer->UpdateLayout();
    return 0;
}

i32 TGameMenuManager::_DrawLoadGameCell(TUIGrid* grid, const TUIGridCell& cell)
{
    TPlayerProfile* profile = SelectedProfile();
    if (!profile || cell.nRow >= profile->GetSavedGameCount())
        return 0;
    const TPlayerSavedGame* record = profile->GetSavedGame(cell.nRow);
    // One text block for every cell, set up from the style once.
    static TUIText s_Text;
    static bool s_bStyled = false;
    const TUIStyle* style = g_pUIManager ? g_pUIManager->__FindStyle(TName("DialogItemStyle")) : nullptr;
    if (!s_bStyled)
    {
        s_Text.ApplyStyle(style, UI_STATE_NORMAL);
        s_Text.m_nFlags &= ~UI_TEXT_LOCALISED;
        s_bStyled = true;
    }
    s_Text.ApplyStyle(style, cell.nSelected ? UI_STATE_CHECKED : UI_STATE_NORMAL);
    s_Text.m_nFlags &= ~UI_TEXT_LOCALISED;
    s_Text.m_nAlignH = LOAD_GAME_COLUMN_ALIGN[cell.nColumn];
    char16_t text[40] = {};
    FormatLoadGameCell(record, cell.nColumn, text, sizeof(text) / sizeof(text[0]));
    const TUIRect box{cell.fX, cell.fY, cell.fX + cell.fWidth, cell.fY + cell.fHeight};
    s_Text.DrawText(box, text, grid->m_fEffectiveOpacity);
    return 0;
}

void TGameMenuManager::FormatLoadGameCell(const TPlayerSavedGame* record, i32 column, char16_t* text, u32 capacity)
{
    char line[40] = {};
    const auto* game = dynamic_cast<const TGameSavedGame*>(record);
    const char16_t* wide = nullptr;
    if (column == 0)
    {
        // The record's id is the local time it was written.
        TDateTime time{};
        time.FromFileTime(static_cast<u64>(record->GetId()));
        std::snprintf(line, sizeof(line), "%02d.%02d.%02d %02d:%02d", time.day, time.month, time.year, time.hour,
                      time.minute);
    }
    else if (column == 1)
        std::snprintf(line, sizeof(line), "%d%%", game ? static_cast<i32>(game->GetCompletion()) : 0);
    else
        wide = FormatEuroAmount(game ? game->GetMoney() : 0);
    u32 i = 0;
    if (wide)
        for (; i + 1 < capacity && wide[i]; ++i)
            text[i] = wide[i];
    else
        for (; i + 1 < capacity && line[i]; ++i)
            text[i] = static_cast<char16_t>(line[i]);
    text[i] = 0;
}

i32 TGameMenuManager::OnDeleteGame(TUIItem*)
{
    TUIGrid* grid = m_pLoadGameGrid;
    const bool valid = grid && !grid->IsInactive() && grid->m_nSelectedRow >= 0 &&
                       grid->m_nSelectedRow < grid->m_nRowCount;
    if (!valid)
    {
        PushWindow("GameDeleteFailed");
        return 0;
    }
    if (TUIItem* confirm = PushWindow("GameDeleteConfirm"))
        confirm->m_nTag = grid->m_nSelectedRow;
    return 0;
}

i32 TGameMenuManager::OnDeleteGameConfirmed(TUIItem* sender)
{
    // The row travels in the dialog window, the button's parent.
    const i32 row = sender && sender->GetParent() ? sender->GetParent()->m_nTag : -1;
    TPlayerProfile* profile = SelectedProfile();
    if (!profile || profile->DeleteGame(row) != 0)
        PushWindow("GameDeleteFailed");
    _RefreshLoadGameGrid();
    return 0;
}

i32 TGameMenuManager::_OnLoadClicked(TUIItem*)
{
    StartFade(FadeAction<&TGameMenuManager::OnLoadGame>, 0, 0, 0);
    return 0;
}

i32 TGameMenuManager::OnLoadGame(u32)
{
    TUIGrid* grid = m_pLoadGameGrid;
    TPlayerProfile* profile = SelectedProfile();
    if (!grid || grid->IsInactive() || !profile)
        return 0;
    TPlayerSavedGame* record = profile->GetSavedGame(grid->m_nSelectedRow);
    if (!record)
        return 0;
    if (g_pGameLogicManager)
        g_pGameLogicManager->MarkGameStarted();
    if (profile->LoadGame(record, 0, 0) != 0)
    {
        PushWindow("GameLoadFailed");
        return 0;
    }
    SetFrontEndFlag(&s_nMayContinue);
    CloseSubWindow();
    SetMenuVisible(0, 0);
    return 0;
}

// The management screen of TGameMenuManager: a window over the darkened in-game screen with a
// grid of the eleven service vehicles (rows) by the eight gates (columns), the money balance, a
// status line telling whether the selected cell may be upgraded, Info, Buy and Back, and the
// popup of the selected cell. CanUpgradeService is the one place the purchase rule lives.
#include "morvane/ui/gamemenumanager.h"

#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/render/texture.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"
#include "morvane/ui/gameformat.h"
#include "morvane/ui/soundplayer.h"
#include "ui/uibutton.h"
#include "ui/uigrid.h"
#include "ui/uiicon.h"
#include "ui/uilabel.h"
#include "ui/uimanager.h"

#include <string>

namespace
{
// The window: the vehicle column, the gates' columns, the rows, the header and footer rows.
constexpr f32 MANAGEMENT_EDGE = 20.0f;
constexpr f32 MANAGEMENT_COLUMN_WIDTH = 120.0f;
constexpr f32 MANAGEMENT_GRID_LEFT = 160.0f;
constexpr f32 MANAGEMENT_ROW_HEIGHT = 40.0f;
constexpr f32 MANAGEMENT_GRID_TOP = 33.0f;
constexpr f32 MANAGEMENT_ICON_ROOM = 26.0f;
constexpr f32 MANAGEMENT_BAR_HEIGHT = 30.0f;
constexpr f32 MANAGEMENT_BAR_EDGE = 2.0f;
constexpr f32 MANAGEMENT_WIDTH = MANAGEMENT_GRID_LEFT + MANAGEMENT_COLUMN_WIDTH * GATE_ID_LAST + MANAGEMENT_EDGE;
constexpr f32 MANAGEMENT_HEIGHT = 2.0f * MANAGEMENT_GRID_TOP + MANAGEMENT_ROW_HEIGHT * static_cast<f32>(SERVICE_KIND_COUNT);
constexpr f32 MANAGEMENT_STATUS_GAP = 30.0f;
constexpr f32 MANAGEMENT_BALANCE_TEXT_SIZE = 22.0f;
constexpr f32 MANAGEMENT_STATUS_X = 294.0f;
// The word and the largest amount fit with room between them, up to the status.
constexpr f32 MANAGEMENT_BALANCE_WIDTH = MANAGEMENT_STATUS_X - MANAGEMENT_EDGE - MANAGEMENT_STATUS_GAP;
constexpr f32 MANAGEMENT_STATUS_WIDTH = 400.0f;
// The button strip's corners reach about 97 into a button: a narrower one shows the far
// corner's edge through its caption.
constexpr f32 MANAGEMENT_BUTTON_WIDTH = 100.0f;
// The popup's window, its picture and its texts (tops below the title, as the task popup's).
constexpr f32 MANAGEMENT_POPUP_WIDTH = 720.0f;
constexpr f32 MANAGEMENT_POPUP_HEIGHT = 360.0f;
constexpr f32 MANAGEMENT_PICTURE_WIDTH = 180.0f;
constexpr f32 MANAGEMENT_PICTURE_HEIGHT = 200.0f;
constexpr f32 POPUP_INSET = 32.0f;
constexpr f32 POPUP_EDGE = 8.0f;
constexpr f32 POPUP_CLOSE_SIZE = 32.0f;
constexpr f32 POPUP_ROW_HEIGHT = 20.0f;
constexpr f32 POPUP_TEXT_RIGHT = 64.0f;
constexpr f32 POPUP_TEXT_BOTTOM = 42.0f;
constexpr f32 POPUP_TEXT_TOP = 220.0f;
constexpr f32 MANAGEMENT_POPUP_TOP[MANAGEMENT_POPUP_LABEL_COUNT] = {30.0f, 60.0f, 75.0f, 90.0f, 105.0f};
const char* const MANAGEMENT_POPUP_LABELS[MANAGEMENT_POPUP_LABEL_COUNT] = {
    "PopupTitle", "PopupLocation", "PopupSkill", "PopupPrice", "PopupNextPrice"};
// The masks' buffers.
constexpr u32 MANAGEMENT_MASK_CAPACITY = 64;
// The next price: lit when it may be bought now.
const TColor HIGHLIGHT_YELLOW{1.0f, 227.0f / 255.0f, 40.0f / 255.0f, 1.0f};
const TColor MENU_TEXT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};

struct TFooterButton
{
    const char* name;
    f32 x;
};

const TFooterButton MANAGEMENT_FOOTER[3] = {
    {"ManagementInfo", 780.0f}, {"ManagementBuy", 900.0f}, {"ManagementBack", 1020.0f}};

TUIButton* CreateButton(TUIItem* parent, const char* name)
{
    return static_cast<TUIButton*>(parent->CreateChild("TUIButton", name));
}

TUILabel* CreateLabel(TUIItem* parent, const char* name, const char* style)
{
    auto* label = static_cast<TUILabel*>(parent->CreateChild("TUILabel", name));
    label->SetStyle(style);
    return label;
}

bool KeyPressed(TInput* key)
{
    return key && key->WasPressed();
}

std::string Numbered(const char* format, i32 value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}
} // namespace

void TGameMenuManager::_CreateManagementScreen()
{
    m_pManagementBase = CreateButton(m_pGameUI, "ManagementBase");
    m_pManagementBase->SetInsets(0.0f);
    m_pManagementBase->SetImage(UIFindTexture(TName("Texture Darken Background", true)));
    m_pManagementBase->AddAction("menuback");
    m_pManagementBase->AddAction("management");
    // Over the game it takes the keys and clicks: the title bar's "menuback" waits.
    m_pManagementBase->m_nFlags |= UI_MODAL;
    m_pManagementBase->OnClickList.Bind(this, &TGameMenuManager::OnManagementBack);

    TUIButton* window = CreateButton(m_pManagementBase, "ManagementBackground");
    window->SetIconByName("Game UI Management Background");
    window->SetSize(MANAGEMENT_WIDTH, MANAGEMENT_HEIGHT);
    window->SetLeft(UI_PLACE_FRACTION, 0.5f);
    window->SetTop(UI_PLACE_FRACTION, 0.5f);
    window->OnInput.Bind(this, &TGameMenuManager::_UpdateManagementScreen);
    m_pManagementWindow = window;

    TUILabel* vehicles = CreateLabel(window, "Header0", "ManagementHeaderStyle");
    vehicles->SetCaption("managementHeaderVehicles");
    vehicles->SetPosition(MANAGEMENT_EDGE, MANAGEMENT_BAR_EDGE);
    vehicles->SetSize(MANAGEMENT_COLUMN_WIDTH, MANAGEMENT_BAR_HEIGHT);
    for (i32 gate = GATE_ID_FIRST; gate <= GATE_ID_LAST; ++gate)
    {
        TUILabel* header = CreateLabel(window, Numbered("Header%d", gate).c_str(), "ManagementHeaderStyle");
        header->SetPosition(MANAGEMENT_GRID_LEFT + MANAGEMENT_COLUMN_WIDTH * static_cast<f32>(gate - 1),
                            MANAGEMENT_BAR_EDGE);
        header->SetSize(MANAGEMENT_COLUMN_WIDTH, MANAGEMENT_BAR_HEIGHT);
        header->m_Caption.SetWideText(FormatMask("GateMask", {i64{gate}}).c_str());
    }
    m_pManagementBalance = CreateLabel(window, "ManagementBalance", "ManagementHeaderStyle");
    m_pManagementBalance->SetCaption("ManagementBalance");
    // The word and the amount share the label's width.
    m_pManagementBalance->m_Caption.m_nAlignH = UI_ALIGN_NEAR;
    m_pManagementBalance->m_Caption.m_fSize = MANAGEMENT_BALANCE_TEXT_SIZE;
    m_pManagementBalance->m_Second.SetStyle(TName("ManagementEuroStyle", true));
    m_pManagementBalance->m_Second.m_nAlignH = UI_ALIGN_FAR;
    m_pManagementBalance->m_Caption.SetMargins(0.0f, 0.0f);
    m_pManagementBalance->m_Second.SetMargins(0.0f, 0.0f);
    m_pManagementStatus = CreateLabel(window, "ManagementStatus", "ManagementStatusStyle");
    const TUILabel* bar[2] = {m_pManagementBalance, m_pManagementStatus};
    const f32 barX[2] = {MANAGEMENT_EDGE, MANAGEMENT_STATUS_X};
    const f32 barWidth[2] = {MANAGEMENT_BALANCE_WIDTH, MANAGEMENT_STATUS_WIDTH};
    for (u32 i = 0; i < 2; ++i)
    {
        TUIItem* label = const_cast<TUILabel*>(bar[i]);
        label->SetPosition(barX[i], 0.0f);
        label->SetSize(barWidth[i], MANAGEMENT_BAR_HEIGHT);
        label->SetFromBottom(MANAGEMENT_BAR_EDGE);
    }
    TUIButton* footer[3];
    for (u32 b = 0; b < 3; ++b)
    {
        footer[b] = CreateButton(window, MANAGEMENT_FOOTER[b].name);
        footer[b]->SetStyle("ManagementFooterButtonStyle");
        footer[b]->SetCaption(MANAGEMENT_FOOTER[b].name);
        footer[b]->SetPosition(MANAGEMENT_FOOTER[b].x, 0.0f);
        footer[b]->SetSize(MANAGEMENT_BUTTON_WIDTH, MANAGEMENT_BAR_HEIGHT);
        footer[b]->SetFromBottom(MANAGEMENT_BAR_EDGE);
    }
    m_pManagementInfo = footer[0];
    for (const char* key : {"helptoggle", "menuselect", "menuselect2"})
        m_pManagementInfo->AddAction(key);
    m_pManagementInfo->OnClickList.Bind(this, &TGameMenuManager::OnManagementInfo);
    m_pManagementInfo->Show(false, true);
    m_pManagementBuy = footer[1];
    m_pManagementBuy->AddAction("optionnext");
    m_pManagementBuy->OnClickList.Bind(this, &TGameMenuManager::OnManagementBuy);
    footer[2]->m_nTag = 1;
    footer[2]->OnClickList.Bind(this, &TGameMenuManager::OnManagementBack);

    auto* vehicleGrid = static_cast<TUIGrid*>(window->CreateChild("TUIGrid", "ManagementHeaderGrid"));
    vehicleGrid->SetColumnCount(1);
    vehicleGrid->SetColumnWidth(0, MANAGEMENT_COLUMN_WIDTH);
    vehicleGrid->SetRowHeight(MANAGEMENT_ROW_HEIGHT);
    vehicleGrid->SetRowCount(SERVICE_KIND_COUNT, false);
    vehicleGrid->SetLeft(UI_PLACE_NEAR, MANAGEMENT_EDGE);
    vehicleGrid->SetTop(UI_PLACE_NEAR, MANAGEMENT_GRID_TOP);
    vehicleGrid->SetBottomInset(MANAGEMENT_GRID_TOP);
    vehicleGrid->SetSize(MANAGEMENT_COLUMN_WIDTH, 0.0f);
    vehicleGrid->m_nFlags |= UI_GRID_NO_SCROLL_BAR | UI_IGNORES_SELECT;
    vehicleGrid->OnDrawCell.Add([this](TUIItem*, const void* cell) {
        return _DrawManagementVehicleCell(*static_cast<const TUIGridCell*>(cell));
    });

    m_pManagementGrid = static_cast<TUIGrid*>(window->CreateChild("TUIGrid", "ManagementGrid"));
    m_pManagementGrid->m_nFlags |= UI_GRID_CELLS | UI_GRID_NO_SCROLL_BAR;
    m_pManagementGrid->SetColumnCount(GATE_ID_LAST);
    for (i32 c = 0; c < GATE_ID_LAST; ++c)
        m_pManagementGrid->SetColumnWidth(c, MANAGEMENT_COLUMN_WIDTH);
    m_pManagementGrid->SetRowHeight(MANAGEMENT_ROW_HEIGHT);
    m_pManagementGrid->SetRowCount(SERVICE_KIND_COUNT, false);
    m_pManagementGrid->SetLeft(UI_PLACE_NEAR, MANAGEMENT_GRID_LEFT);
    m_pManagementGrid->SetTop(UI_PLACE_NEAR, MANAGEMENT_GRID_TOP);
    m_pManagementGrid->SetBottomInset(MANAGEMENT_GRID_TOP);
    m_pManagementGrid->SetRightInset(MANAGEMENT_EDGE);
    m_pManagementGrid->OnDrawCell.Add([this](TUIItem*, const void* cell) {
        return _DrawManagementCell(*static_cast<const TUIGridCell*>(cell));
    });
    m_pManagementGrid->OnSelect.Bind(this, &TGameMenuManager::OnManagementCellSelected);
    m_ManagementCellText.SetStyle(TName("ManagementCellNextPriceStyle", true));
    m_ManagementCellText.m_nAlignH = UI_ALIGN_NEAR;
    m_ManagementCellText.m_nFlags &= ~UI_TEXT_LOCALISED;
    _CreateManagementPopup();
    m_pManagementBase->Show(false, true);
}

void TGameMenuManager::_CreateManagementPopup()
{
    TUIButton* popup = CreateButton(m_pManagementGrid, "ManagementPopup");
    popup->SetPosition(0.0f, 0.0f);
    popup->SetSize(MENU_DESIGN_WIDTH, MENU_DESIGN_HEIGHT);
    popup->m_nFlags |= UI_MODAL;
    popup->OnShow.Bind(this, &TGameMenuManager::_FollowOpenState);
    popup->OnHide.Bind(this, &TGameMenuManager::_FollowOpenState);
    m_apPopup[GAME_POPUP_MANAGEMENT] = popup;
    // The window's panel lets a little through: the grid would show behind its texts.
    TUIButton* plate = CreateButton(popup, "ManagementPopupPlate");
    plate->SetImage(UIFindTexture(TName("ui.black", true)));
    plate->SetSize(MANAGEMENT_POPUP_WIDTH, MANAGEMENT_POPUP_HEIGHT);
    plate->SetLeft(UI_PLACE_FRACTION, 0.5f);
    plate->SetTop(UI_PLACE_FRACTION, 0.5f);
    TUIButton* window = CreateButton(popup, "ManagementPopupFG");
    window->SetIconByName("Game UI Popup Window");
    window->SetSize(MANAGEMENT_POPUP_WIDTH, MANAGEMENT_POPUP_HEIGHT);
    window->SetLeft(UI_PLACE_FRACTION, 0.5f);
    window->SetTop(UI_PLACE_FRACTION, 0.5f);
    m_pManagementPopupWindow = window;
    TUIButton* close = CreateButton(window, "Close");
    close->SetIconByName("Game UI Popup Window Close");
    close->SetSize(POPUP_CLOSE_SIZE, POPUP_CLOSE_SIZE);
    close->SetTop(UI_PLACE_NEAR, POPUP_EDGE);
    close->SetFromRight(POPUP_EDGE);
    close->m_nTag = GAME_POPUP_MANAGEMENT;
    close->OnClickList.Bind(this, &TGameMenuManager::OnPopupClose);
    m_pManagementPicture = CreateButton(window, "PopupIcon");
    m_pManagementPicture->SetPosition(0.0f, 0.0f);
    m_pManagementPicture->SetSize(MANAGEMENT_PICTURE_WIDTH, MANAGEMENT_PICTURE_HEIGHT);
    TUIButton* ok = CreateButton(window, "OK");
    ok->SetStyle("TaskPopupButtonStyle");
    ok->SetCaption("OK");
    ok->SetSize(DIALOG_BUTTON_WIDTH, DIALOG_BUTTON_HEIGHT);
    ok->SetLeft(UI_PLACE_FRACTION, 0.5f);
    ok->SetFromBottom(POPUP_EDGE);
    for (const char* key : {"menuselect", "menuselect2", "menuback"})
        ok->AddAction(key);
    ok->m_nFlags |= UI_DEFAULT;
    ok->m_nTag = GAME_POPUP_MANAGEMENT;
    ok->OnClickList.Bind(this, &TGameMenuManager::OnPopupClose);
    for (u32 l = 0; l < MANAGEMENT_POPUP_LABEL_COUNT; ++l)
    {
        TUILabel* label = CreateLabel(window, MANAGEMENT_POPUP_LABELS[l],
                                      l == MANAGEMENT_POPUP_TITLE ? "PopupHeaderStyle" : "PopupTextStyle");
        // The texts keep to the right of the picture.
        label->SetLeft(UI_PLACE_NEAR, MANAGEMENT_PICTURE_WIDTH + POPUP_INSET);
        label->SetRightInset(POPUP_INSET);
        label->SetTop(UI_PLACE_NEAR, MANAGEMENT_POPUP_TOP[l]);
        label->SetSize(0.0f, POPUP_ROW_HEIGHT);
        m_apManagementPopupLabel[l] = label;
    }
    m_pManagementPopupText = CreateLabel(window, "PopupText", "PopupTextStyle");
    m_pManagementPopupText->m_Caption.m_nFlags |= UI_TEXT_WRAP;
    m_pManagementPopupText->m_Caption.m_nAlignV = UI_ALIGN_NEAR;
    m_pManagementPopupText->SetLeft(UI_PLACE_NEAR, POPUP_INSET);
    m_pManagementPopupText->SetRightInset(POPUP_TEXT_RIGHT);
    m_pManagementPopupText->SetTop(UI_PLACE_NEAR, POPUP_TEXT_TOP);
    m_pManagementPopupText->SetBottomInset(POPUP_TEXT_BOTTOM);
    popup->Show(false, true);
}

i32 TGameMenuManager::OnManagementClick(TUIItem*)
{
    ShowManagement(true);
    return 0;
}

void TGameMenuManager::ShowManagement(bool open)
{
    if (!m_pManagementBase)
        return;
    m_pIconBase->Show(!open, false);
    m_pManagementBase->Show(open, false);
    if (!open)
        m_apPopup[GAME_POPUP_MANAGEMENT]->Show(false, false);
}

i32 TGameMenuManager::OnManagementBack(TUIItem* sender)
{
    TUIButton* popup = m_apPopup[GAME_POPUP_MANAGEMENT];
    if (popup->IsOpen())
    {
        popup->Show(false, false);
        if (!sender || sender->m_nTag != 1)
            return 0;
    }
    else if (sender == m_pManagementBase && (m_pManagementWindow->m_nFlags & UI_POINTER_INSIDE) &&
             g_pUIManager && !g_pUIManager->IsActionPressed(UI_ACTION_MENU_BACK))
        // A click on the window is no click on the backdrop around it.
        return 0;
    ShowManagement(false);
    return 0;
}

TTask* TGameMenuManager::GetManagementCellTask(TGate** gate) const
{
    const i32 row = m_pManagementGrid ? m_pManagementGrid->m_nSelectedRow : -1;
    const i32 column = m_pManagementGrid ? m_pManagementGrid->m_nSelectedColumn : -1;
    return GetServiceCellTask(row, column, gate);
}

TTask* TGameMenuManager::GetServiceCellTask(i32 row, i32 column, TGate** gate)
{
    TGate* found = g_pGameLogicManager && row >= 0 && column >= 0 ? g_pGameLogicManager->FindGate(column + 1) : nullptr;
    if (gate)
        *gate = found;
    return found ? found->GetServiceTask(row) : nullptr;
}

bool TGameMenuManager::CanUpgradeService(const TTask* task, const char*& status)
{
    status = "";
    if (!task || !task->pGate || !g_pGameLogicManager)
        return false;
    const bool full = task->GetAILevel() >= UNIT_AI_LEVEL_MAX;
    status = full ? "ManagementStatusFullyUpgraded" : "ManagementStatusGateNotIdle";
    if (task->pGate->m_nState != gsIdle || full)
        return false;
    if (g_pGameLogicManager->GetParameters().nMoney >= task->GetNextLevelPrice())
    {
        status = "ManagementStatusUpgradeAvailable";
        return true;
    }
    status = "ManagementStatusNotEnoughMoney";
    return false;
}

i32 TGameMenuManager::OnManagementInfo(TUIItem*)
{
    TUIButton* popup = m_apPopup[GAME_POPUP_MANAGEMENT];
    if (!GetManagementCellTask())
    {
        popup->Show(false, false);
        return 0;
    }
    popup->Show(popup->IsInactive(), false);
    _UpdateManagementPopup();
    return 0;
}

i32 TGameMenuManager::OnManagementCellSelected(TUIItem*)
{
    m_pManagementInfo->Show(GetManagementCellTask() != nullptr, false);
    _UpdateManagementPopup();
    return 0;
}

i32 TGameMenuManager::OnManagementBuy(TUIItem*)
{
    if (m_pManagementBase->IsInactive())
        return 0;
    TGate* gate = nullptr;
    TTask* task = GetManagementCellTask(&gate);
    // The hidden button alone is no guard: the rule is asked again.
    const char* status = nullptr;
    if (!gate || !task || !CanUpgradeService(task, status))
        return 0;
    gate->LevelUpService(task->m_nType);
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayVehicleUpgrade(nullptr);
    m_pManagementGrid->SetSelection(m_pManagementGrid->m_nSelectedRow, m_pManagementGrid->m_nSelectedColumn, false);
    return 0;
}

i32 TGameMenuManager::_FollowOpenState(TUIItem* sender)
{
    m_pManagementPopupWindow->Show(sender->IsOpen(), true);
    return 0;
}

void TGameMenuManager::_UpdateManagementPopup()
{
    TTask* task = GetManagementCellTask();
    if (!task)
        return;
    const i32 kind = m_pManagementGrid->m_nSelectedRow;
    m_pManagementPicture->SetImage(UIFindTexture(TName(Numbered("Texture Vehicle Big %d", kind).c_str(), true)));
    m_apManagementPopupLabel[MANAGEMENT_POPUP_TITLE]->SetCaption(Numbered("name_Vehicle%d", kind).c_str());
    m_pManagementPopupText->SetCaption(Numbered("desc_Vehicle%d", kind).c_str());
    const i32 level = task->GetAILevel();
    const std::u16string price = level <= 0 ? LocalizedText("ManagementNotYetUpgradedPriceMask")
                                            : FormatMoney(task->GetCurrentLevelPrice());
    const std::u16string next = level >= UNIT_AI_LEVEL_MAX ? LocalizedText("ManagementNoUpgradePriceMask")
                                                           : FormatMoney(task->GetNextLevelPrice());
    const std::u16string texts[MANAGEMENT_POPUP_LABEL_COUNT] = {
        {},
        FormatMask("ManagementLocationMask", {i64{task->GetGateId()}}, MANAGEMENT_MASK_CAPACITY),
        FormatMask("ManagementSkillMask", {LocalizedText(Numbered("Skill%d", level).c_str())},
                   MANAGEMENT_MASK_CAPACITY),
        FormatMask("ManagementPriceMask", {price}, MANAGEMENT_MASK_CAPACITY),
        FormatMask("ManagementNextPriceMask", {next}, MANAGEMENT_MASK_CAPACITY)};
    for (u32 l = MANAGEMENT_POPUP_LOCATION; l < MANAGEMENT_POPUP_LABEL_COUNT; ++l)
        m_apManagementPopupLabel[l]->m_Caption.SetWideText(texts[l].c_str());
}

i32 TGameMenuManager::_UpdateManagementScreen(TUIItem*)
{
    TUIButton* popup = m_apPopup[GAME_POPUP_MANAGEMENT];
    // The popup's backdrop sits at the screen's origin although the grid is its parent.
    const TVector& at = popup->m_Absolute;
    if (popup->IsOpen() && (at.x != 0.0f || at.y != 0.0f) && at.x < MENU_DESIGN_WIDTH)
        popup->SetPosition(popup->m_Position.x - at.x, popup->m_Position.y - at.y);

    TInputManager& input = TInputManager::Instance();
    const char* const names[4] = {"Down", "Up", "Left", "Right"};
    for (u32 k = 0; k < 4; ++k)
        if (!m_apManagementKey[k])
            m_apManagementKey[k] = input.GetInputAt(input.FindInputIndex(TName(names[k], true)));
    if (KeyPressed(m_apManagementKey[0]))
        m_pManagementGrid->SelectNextRow(true, true);
    else if (KeyPressed(m_apManagementKey[1]))
        m_pManagementGrid->SelectPreviousRow(true, true);
    else if (KeyPressed(m_apManagementKey[2]))
        m_pManagementGrid->SelectPreviousColumn(true);
    else if (KeyPressed(m_apManagementKey[3]))
        m_pManagementGrid->SelectNextColumn(true);

    if (g_pGameLogicManager)
        m_pManagementBalance->m_Second.SetWideText(FormatMoney(g_pGameLogicManager->GetParameters().nMoney).c_str());
    const char* status = "";
    TTask* task = GetManagementCellTask();
    const bool allowed = CanUpgradeService(task, status);
    const bool selected = m_pManagementGrid->m_nSelectedRow >= 0 && m_pManagementGrid->m_nSelectedColumn >= 0;
    m_pManagementStatus->Show(selected && status[0], false);
    if (selected && status[0])
        m_pManagementStatus->SetCaption(status);
    m_pManagementBuy->Show(allowed, false);
    return 0;
}

i32 TGameMenuManager::_DrawManagementCell(const TUIGridCell& cell)
{
    const TUIRect box = {cell.fX, cell.fY, cell.fX + cell.fWidth, cell.fY + cell.fHeight};
    const f32 opacity = m_pManagementGrid->m_fEffectiveOpacity;
    if (cell.nSelected)
        if (TTexture* overlay = UIFindTexture(TName("Texture Game UI Management Selected Cell", true)))
            UIDrawRect(box, UIColor(1.0f, 1.0f, 1.0f, opacity), overlay);
    const TTask* task = GetServiceCellTask(cell.nRow, cell.nColumn);
    if (!task)
        return 0;
    const i32 level = task->GetAILevel();
    if (level < UNIT_AI_LEVEL_MAX)
    {
        const char* status = nullptr;
        TUIText text = m_ManagementCellText;
        text.m_Color = CanUpgradeService(task, status) ? HIGHLIGHT_YELLOW : MENU_TEXT_COLOUR;
        // In the room right of the level icon.
        text.DrawText({box.fLeft + MANAGEMENT_ICON_ROOM, box.fTop, box.fRight, box.fBottom},
                      FormatMoney(task->GetNextLevelPrice()).c_str(), opacity);
    }
    const TUIIcon* icon = level >= 1 && g_pUIManager ? g_pUIManager->__FindIcon(TName("Game UI Management AI Level", true))
                                                     : nullptr;
    if (icon && icon->pNormal)
    {
        const f32 size = static_cast<f32>(icon->pNormal->m_nHeight) / 3.0f;
        const f32 top = (box.fTop + box.fBottom - size) / 2.0f;
        icon->Draw({box.fLeft + 1.0f, top, box.fLeft + 1.0f + size, top + size}, static_cast<u32>(level - 1),
                   UIColor(1.0f, 1.0f, 1.0f, opacity), nullptr);
    }
    return 0;
}

i32 TGameMenuManager::_DrawManagementVehicleCell(const TUIGridCell& cell)
{
    TTexture* picture = UIFindTexture(TName(Numbered("Texture Vehicle Small %d", cell.nRow).c_str(), true));
    if (!picture)
        return 0;
    const f32 height = static_cast<f32>(picture->m_nHeight);
    const f32 top = cell.fY + (cell.fHeight - height) / 2.0f;
    UIDrawRect({cell.fX + 1.0f, top, cell.fX + 1.0f + static_cast<f32>(picture->m_nWidth), top + height},
               UIColor(1.0f, 1.0f, 1.0f, m_pManagementGrid->m_fEffectiveOpacity), picture);
    return 0;
}

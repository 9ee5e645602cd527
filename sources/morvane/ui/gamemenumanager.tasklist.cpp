// The task list of TGameMenuManager's in-game screen: the panel of every issued gate task, one
// row each (gate, type, time), sorted by the header clicked, an alert when one becomes overdue,
// and the start button that takes, lets the AI do, watches or resets the selected task.
#include "morvane/ui/gamemenumanager.h"

#include "core/system/timer.h"
#include "engine/localization/localization.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/task.h"
#include "morvane/ui/gameformat.h"
#include "morvane/ui/soundplayer.h"
#include "ui/uibutton.h"
#include "ui/uigrid.h"
#include "ui/uimanager.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace
{
// The panel and its grid (design pixels), the header row above the grid, the footer.
constexpr f32 TASK_PANEL_X = 20.0f;
constexpr f32 TASK_PANEL_Y = 20.0f;
constexpr f32 TASK_PANEL_HEIGHT = 640.0f;
constexpr f32 TASK_COLUMN_WIDTH[TASK_COLUMN_COUNT] = {20.0f, 120.0f, 20.0f, 240.0f, 120.0f};
constexpr f32 TASK_ROW_HEIGHT = 40.0f;
constexpr f32 TASK_GRID_LEFT = 33.0f;
constexpr f32 TASK_GRID_TOP = 32.0f;
constexpr f32 TASK_GRID_RIGHT = 37.0f;
constexpr f32 TASK_GRID_BOTTOM = 120.0f;
constexpr f32 TASK_HEADER_HEIGHT = 30.0f;
constexpr f32 TASK_START_X = 257.0f;
constexpr f32 TASK_START_WIDTH = 112.0f;
constexpr f32 TASK_FOOTER_HEIGHT = 40.0f;
constexpr f32 TASK_FOOTER_BOTTOM = 70.0f;
constexpr f32 TASK_CELL_FONT_SIZE = 20.0f;
// The overdue time's colour pulses between the alert red and the text colour.
const TColor ALERT_RED{194.0f / 255.0f, 0.0f, 0.0f, 1.0f};
const TColor CELL_TEXT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};
constexpr f32 TWO_PI = 6.2831853f;

struct THeader
{
    const char* name;
    const char* caption;
    const char* key;
    u32 column;
};

const THeader TASK_HEADERS[3] = {
    {"HeaderGate", "taskHeaderGate", "sortgate", 1},
    {"HeaderTask", "taskHeaderTask", "sorttask", 3},
    {"HeaderTime", "taskHeaderTime", "sorttime", 4},
};

f32 PanelWidth()
{
    f32 width = TASK_GRID_LEFT + TASK_GRID_RIGHT;
    for (f32 column : TASK_COLUMN_WIDTH)
        width += column;
    return width;
}

// The language's text of a key (the key itself when the language has none).
std::u16string Text(const char* key)
{
    char16_t buffer[128];
    return TLocalizationManager::Instance().GetText(buffer, 128, TName(key, true), false);
}

// The language's "GateMask" with the gate's number; the key alone when the mask is not one
// number's format.
std::u16string GateText(i32 gate)
{
    const std::u16string mask = Text("GateMask");
    const size_t at = mask.find(u"%d");
    if (at == std::u16string::npos || mask.find(u'%', at + 2) != std::u16string::npos)
        return u"GateMask";
    char number[16];
    std::snprintf(number, sizeof number, "%d", gate);
    std::u16string text = mask.substr(0, at);
    for (const char* c = number; *c; ++c)
        text.push_back(static_cast<char16_t>(*c));
    return text + mask.substr(at + 2);
}
} // namespace

void TGameMenuManager::_CreateTaskPanel()
{
    m_pTaskBackground = static_cast<TUIButton*>(m_pIconBase->CreateChild("TUIButton", "TaskBackground"));
    m_pTaskBackground->SetIconByName("Game UI Task Background");
    m_pTaskBackground->SetPosition(TASK_PANEL_X, TASK_PANEL_Y);
    m_pTaskBackground->SetSize(PanelWidth(), TASK_PANEL_HEIGHT);
    m_pTaskBackground->OnInput.Bind(this, &TGameMenuManager::_UpdateTaskPanel);
    TUIItem* buttons = m_pTaskBackground->CreateChild("TUIButton", "Buttons");
    buttons->SetInsets(0.0f);

    f32 x = TASK_GRID_LEFT;
    u32 column = 0;
    for (u32 h = 0; h < 3; ++h)
    {
        for (; column < TASK_HEADERS[h].column; ++column)
            x += TASK_COLUMN_WIDTH[column];
        auto* header = static_cast<TUIButton*>(buttons->CreateChild("TUIButton", TASK_HEADERS[h].name));
        header->SetCaption(TASK_HEADERS[h].caption);
        header->SetStyle("TaskHeaderStyle");
        header->SetPosition(x, 0.0f);
        header->SetSize(TASK_COLUMN_WIDTH[TASK_HEADERS[h].column], TASK_HEADER_HEIGHT);
        header->m_nTag = static_cast<i32>(h);
        header->AddAction(TASK_HEADERS[h].key);
        header->OnClickList.Bind(this, &TGameMenuManager::OnTaskSortHeaderClick);
        m_apTaskHeader[h] = header;
    }
    m_pTaskStart = static_cast<TUIButton*>(buttons->CreateChild("TUIButton", "TaskStart"));
    m_pTaskStart->SetStyle("TaskListFooterStyle");
    m_pTaskStart->SetCaption("TaskStart");
    m_pTaskStart->SetPosition(TASK_START_X, 0.0f);
    m_pTaskStart->SetSize(TASK_START_WIDTH, TASK_FOOTER_HEIGHT);
    m_pTaskStart->SetFromBottom(TASK_FOOTER_BOTTOM);
    m_pTaskStart->AddAction("menuselect");
    m_pTaskStart->AddAction("menuselect2");
    m_pTaskStart->OnClickList.Bind(this, &TGameMenuManager::OnTaskStartClick);
    m_pTaskStart->Show(false, true);

    m_pTaskGrid = static_cast<TUIGrid*>(m_pTaskBackground->CreateChild("TUIGrid", "TaskGrid"));
    m_pTaskGrid->SetColumnCount(TASK_COLUMN_COUNT);
    for (u32 c = 0; c < TASK_COLUMN_COUNT; ++c)
        m_pTaskGrid->SetColumnWidth(static_cast<i32>(c), TASK_COLUMN_WIDTH[c]);
    m_pTaskGrid->SetRowHeight(TASK_ROW_HEIGHT);
    m_pTaskGrid->SetLeft(UI_PLACE_NEAR, TASK_GRID_LEFT);
    m_pTaskGrid->SetTop(UI_PLACE_NEAR, TASK_GRID_TOP);
    m_pTaskGrid->SetRightInset(TASK_GRID_RIGHT);
    m_pTaskGrid->SetBottomInset(TASK_GRID_BOTTOM);
    m_pTaskGrid->OnDrawCell.Add([this](TUIItem*, const void* cell) {
        return _DrawTaskCell(*static_cast<const TUIGridCell*>(cell));
    });
    m_pTaskGrid->OnSelect.Bind(this, &TGameMenuManager::OnTaskSelected);
    m_CellText.SetFont(TName("ui_sans", true), TASK_CELL_FONT_SIZE, CELL_TEXT_COLOUR, UI_ALIGN_NEAR, UI_ALIGN_CENTRE,
                       0, -2.0f, -1.0f);
    OnTaskSortHeaderClick(m_apTaskHeader[TASK_SORT_URGENCY]);
    m_pTaskBackground->Show(false, true);
}

i32 TGameMenuManager::_RebuildTaskList()
{
    if (!g_pGameLogicManager)
        return 0;
    const f32 step = g_pUIManager ? g_pUIManager->m_Input.fStep : 0.0f;
    const i32 count = m_TaskList.Rebuild(g_pGameLogicManager->Gates(), step);
    if (m_TaskList.IsAlertNew() && g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayTaskAlert(nullptr);
    return count;
}

TTask* TGameMenuManager::GetSelectedTask() const
{
    return m_pTaskGrid ? m_TaskList.Get(m_pTaskGrid->m_nSelectedRow) : nullptr;
}

i32 TGameMenuManager::OnTaskSortHeaderClick(TUIItem* sender)
{
    m_TaskList.m_nSort = static_cast<u32>(sender->m_nTag);
    for (TUIButton* header : m_apTaskHeader)
        if (header)
            header->SetChecked(header == sender);
    return 0;
}

i32 TGameMenuManager::OnTaskSelected(TUIItem*)
{
    TTask* task = GetSelectedTask();
    m_TaskList.m_pSelected = task;
    if (!task)
    {
        m_pTaskStart->Show(false, false);
        return 0;
    }
    const char* caption = nullptr;
    bool enabled = true;
    if (task == g_pGameLogicManager->GetParameters().pActiveTask)
    {
        // The unit idle: the reset is offered for the active AI task only then.
        const TAICommonUnit* unit = task->pAIUnit;
        if (task->m_nAI && unit && !unit->m_nDriving)
            caption = "TaskReset";
    }
    else if (!task->m_nAI)
        caption = "TaskStart";
    else if (!task->m_nStarted)
    {
        caption = "TaskActivateAI";
        enabled = task->m_nStartRequest == 0;
    }
    else
        caption = "TaskObserve";
    m_pTaskStart->Show(caption != nullptr, false);
    if (caption)
        m_pTaskStart->SetCaption(caption);
    // A start already asked for shows in its disabled look and takes no click.
    m_pTaskStart->SetVisible(enabled);
    return 0;
}

i32 TGameMenuManager::OnTaskStartClick(TUIItem*)
{
    StartTask(GetSelectedTask());
    return 0;
}

i32 TGameMenuManager::_UpdateTaskPanel(TUIItem*)
{
    if (!m_pTaskGrid)
        return 0;
    // The selection follows its task across re-sorts; a task gone leaves its row selected while
    // the row is still in the list.
    const i32 row = m_pTaskGrid->m_nSelectedRow;
    if (TTask* selected = m_TaskList.m_pSelected; selected && m_TaskList.Get(row) != selected)
    {
        const i32 moved = m_TaskList.IndexOf(selected);
        if (moved >= 0)
            m_pTaskGrid->SelectRow(moved, false);
    }
    else if (!m_TaskList.m_pSelected && row >= m_TaskList.GetCount())
        m_pTaskGrid->SelectRow(-1, false);
    TUIManager* ui = g_pUIManager;
    if (ui && g_pGameLogicManager && g_pGameLogicManager->IsTowerView() && m_pTaskBackground->IsOpen())
    {
        if (ui->IsActionPressed(UI_ACTION_MENU_DOWN))
            m_pTaskGrid->SelectNextRow(true, false);
        else if (ui->IsActionPressed(UI_ACTION_MENU_UP))
            m_pTaskGrid->SelectPreviousRow(true, false);
    }
    if (m_pTaskGrid->IsVisible() && !m_pTaskGrid->IsInactive())
        OnTaskSelected(m_pTaskGrid);
    return 0;
}

i32 TGameMenuManager::_DrawTaskCell(const TUIGridCell& cell)
{
    const TTask* task = m_TaskList.Get(cell.nRow);
    if (!task)
        return 0;
    const TUIRect box = {cell.fX, cell.fY, cell.fX + cell.fWidth, cell.fY + cell.fHeight};
    const f32 opacity = m_pTaskGrid->m_fEffectiveOpacity;
    switch (cell.nColumn)
    {
    case 1:
        m_CellText.DrawText(box, GateText(task->GetGateId()).c_str(), opacity);
        break;
    case 3:
    {
        TGameName name;
        GetTaskTypeName(task->m_nType, name);
        std::string key = name.GetText();
        if (task->IsWorking())
            key += "_work";
        m_CellText.DrawText(box, Text(key.c_str()).c_str(), opacity);
        break;
    }
    case 4:
    {
        if (task->IsWorking())
        {
            m_CellText.DrawText(box, FormatDuration(task->m_fWorkTimer, false, 32).c_str(), opacity);
            break;
        }
        const bool late = task->m_fCountdown < 0.0f;
        TUIText text = m_CellText;
        if (late)
        {
            const f32 t = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
            const f32 c = 0.35f + 0.15f * std::sin(TWO_PI * 0.75f * t);
            const TColor colour{(1.0f - c) * ALERT_RED.r + c * CELL_TEXT_COLOUR.r,
                                (1.0f - c) * ALERT_RED.g + c * CELL_TEXT_COLOUR.g,
                                (1.0f - c) * ALERT_RED.b + c * CELL_TEXT_COLOUR.b, 1.0f};
            text.m_Color = colour;
        }
        text.DrawText(box, FormatDuration(std::fabs(task->m_fCountdown), late, 32).c_str(), opacity);
        break;
    }
    default:
        break;
    }
    return 0;
}

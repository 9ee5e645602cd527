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
#include "engine/input/input.h"
#include "engine/input/inputmanager.h"
#include "engine/render/texture.h"
#include "engine/system/command/deferredvariable.h"
#include "ui/uigrid.h"
#include "ui/uiicon.h"
#include "ui/uilabel.h"
#include "ui/uimanager.h"
#include "ui/uislider.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
TDeferredVariable s_ConsoleShow("console_show");

// The panel and its grid (design pixels): the collapsed strip and the open height, the header
// row above the grid, the footer's buttons.
constexpr f32 TASK_PANEL_X = 20.0f;
constexpr f32 TASK_PANEL_Y = 20.0f;
constexpr f32 TASK_PANEL_HEIGHT = 640.0f;
constexpr f32 TASK_PANEL_COLLAPSED_HEIGHT = 64.0f;
constexpr f32 TASK_COLUMN_WIDTH[TASK_COLUMN_COUNT] = {20.0f, 120.0f, 20.0f, 240.0f, 120.0f};
constexpr f32 TASK_ROW_HEIGHT = 40.0f;
constexpr f32 TASK_GRID_LEFT = 33.0f;
constexpr f32 TASK_GRID_TOP = 48.0f;
constexpr f32 TASK_GRID_RIGHT = 37.0f;
constexpr f32 TASK_GRID_BOTTOM = 120.0f;
// The headers' bold texts stand clear above the first row.
constexpr f32 TASK_HEADER_TOP = 4.0f;
constexpr f32 TASK_HEADER_HEIGHT = 36.0f;
constexpr f32 TASK_FOOTER_HEIGHT = 40.0f;
constexpr f32 TASK_FOOTER_BOTTOM = 70.0f;
constexpr f32 TASK_SLIDER_WIDTH = 24.0f;
constexpr f32 TASK_PIN_SIZE = 24.0f;
constexpr f32 TASK_PIN_TOP = 8.0f;
// In the margin right of the grid, clear of the time header.
constexpr f32 TASK_PIN_RIGHT = 12.0f;
constexpr f32 TASK_CELL_FONT_SIZE = 20.0f;
constexpr f32 TASK_CELL_SMALL_FONT_SIZE = 18.0f;
// The popup: its window, the texts' rows, the buttons.
constexpr f32 TASK_POPUP_X = 600.0f;
constexpr f32 TASK_POPUP_Y = 100.0f;
constexpr f32 POPUP_WIDTH = 720.0f;
constexpr f32 POPUP_HEIGHT = 300.0f;
constexpr f32 POPUP_INSET = 32.0f;
constexpr f32 POPUP_LABEL_TOP[TASK_POPUP_LABEL_COUNT] = {30.0f, 60.0f, 80.0f, 100.0f, 130.0f};
constexpr f32 POPUP_ROW_HEIGHT = 20.0f;
constexpr f32 POPUP_CLOSE_SIZE = 32.0f;
constexpr f32 POPUP_EDGE = 8.0f;
constexpr f32 POPUP_TEXT_BOTTOM = 42.0f;
// A row younger than this asks for the "NewTask" sound.
constexpr f32 TASK_AGE_NEW = 0.4f;
constexpr f32 TASK_ALERT_OVERLAY_WIDTH = 500.0f;
// The attention icon: from the panel's right edge and top.
constexpr f32 TASK_ATTENTION_RIGHT = 48.0f;
constexpr f32 TASK_ATTENTION_TOP = 88.0f;
// The overdue time's colour pulses between the alert red and the text colour.
const TColor ALERT_RED{194.0f / 255.0f, 0.0f, 0.0f, 1.0f};
const TColor CELL_TEXT_COLOUR{226.0f / 255.0f, 242.0f / 255.0f, 1.0f, 1.0f};
constexpr f32 PI = 3.14159265f;
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

struct TFooterButton
{
    const char* name;
    const char* key;
    f32 x;
    f32 width;
};

// At least 97 wide: the button strip's corners reach that far into a button, and a narrower one
// shows the far corner's edge through its caption.
const TFooterButton TASK_FOOTER[3] = {
    {"TaskHelp", "helptoggle", 45.0f, 120.0f},
    {"TaskStart", "menuselect", 235.0f, 120.0f},
    {"TaskBack", "toggle", 425.0f, 120.0f},
};

const char* const TASK_POPUP_LABELS[TASK_POPUP_LABEL_COUNT] = {"PopupTitle", "PopupLocation", "PopupDuration",
                                                                "PopupStatus", "PopupText"};
// Until the first fill.
const char* const TASK_POPUP_PLACEHOLDERS[TASK_POPUP_LABEL_COUNT] = {
    "Task #", "Location: Gate 1", "Time: 15 minutes", "Status: Started", "Yadda, yadda, yadda, yadda."};

f32 PanelWidth()
{
    f32 width = TASK_GRID_LEFT + TASK_GRID_RIGHT;
    for (f32 column : TASK_COLUMN_WIDTH)
        width += column;
    return width;
}

TUIButton* CreateButton(TUIItem* parent, const char* name)
{
    return static_cast<TUIButton*>(parent->CreateChild("TUIButton", name));
}

TInput* FindKey(const char* name)
{
    TInputManager& input = TInputManager::Instance();
    return input.GetInputAt(input.FindInputIndex(TName(name, true)));
}

// An icon of a strip drawn one frame high (the third of its texture) at the state's frame.
void DrawStripIcon(const char* name, const TUIRect& box, u32 state, f32 opacity, f32 scale = 1.0f)
{
    const TUIIcon* icon = g_pUIManager ? g_pUIManager->__FindIcon(TName(name, true)) : nullptr;
    if (!icon || !icon->pNormal)
        return;
    const f32 size = static_cast<f32>(icon->pNormal->m_nHeight) / 3.0f * scale;
    const f32 cx = (box.fLeft + box.fRight) / 2.0f + 2.0f;
    const f32 cy = (box.fTop + box.fBottom) / 2.0f;
    const TUIRect rect = {cx - size / 2.0f, cy - size / 2.0f, cx + size / 2.0f, cy + size / 2.0f};
    icon->Draw(rect, state, UIColor(1.0f, 1.0f, 1.0f, opacity), nullptr);
}
} // namespace

void TGameMenuManager::_CreateTaskPanel()
{
    m_pTaskBackground = CreateButton(m_pIconBase, "TaskBackground");
    m_pTaskBackground->SetIconByName("Game UI Task Background");
    m_pTaskBackground->SetPosition(TASK_PANEL_X, TASK_PANEL_Y);
    m_pTaskBackground->SetSize(PanelWidth(), TASK_PANEL_COLLAPSED_HEIGHT);
    m_pTaskBackground->OnInput.Bind(this, &TGameMenuManager::_UpdateTaskPanel);
    m_pTaskBackground->OnAfterDraw.Bind(this, &TGameMenuManager::_DrawTaskPanelOverlay);
    m_pTaskBackground->OnPointerEnter.Bind(this, &TGameMenuManager::OnTaskPanelEnter);
    m_pTaskBackground->OnPointerLeave.Bind(this, &TGameMenuManager::OnTaskPanelToggle);
    m_pTaskButtons = CreateButton(m_pTaskBackground, "Buttons");
    m_pTaskButtons->SetInsets(0.0f);

    f32 x = TASK_GRID_LEFT;
    u32 column = 0;
    for (u32 h = 0; h < 3; ++h)
    {
        for (; column < TASK_HEADERS[h].column; ++column)
            x += TASK_COLUMN_WIDTH[column];
        TUIButton* header = CreateButton(m_pTaskButtons, TASK_HEADERS[h].name);
        header->SetCaption(TASK_HEADERS[h].caption);
        header->SetStyle("TaskHeaderStyle");
        header->SetPosition(x, TASK_HEADER_TOP);
        header->SetSize(TASK_COLUMN_WIDTH[TASK_HEADERS[h].column], TASK_HEADER_HEIGHT);
        header->m_nTag = static_cast<i32>(h);
        header->AddAction(TASK_HEADERS[h].key);
        header->OnClickList.Bind(this, &TGameMenuManager::OnTaskSortHeaderClick);
        m_apTaskHeader[h] = header;
    }
    m_pTaskPin = CreateButton(m_pTaskButtons, "Pin");
    m_pTaskPin->SetIconByName("Game UI Gate Task List Pin");
    m_pTaskPin->SetSize(TASK_PIN_SIZE, TASK_PIN_SIZE);
    m_pTaskPin->SetTop(UI_PLACE_NEAR, TASK_PIN_TOP);
    m_pTaskPin->SetFromRight(TASK_PIN_RIGHT);
    m_pTaskPin->m_nToggle = 1;

    TUIButton* footer[3];
    for (u32 b = 0; b < 3; ++b)
    {
        footer[b] = CreateButton(m_pTaskButtons, TASK_FOOTER[b].name);
        footer[b]->SetStyle("TaskListFooterStyle");
        footer[b]->SetCaption(TASK_FOOTER[b].name);
        footer[b]->SetPosition(TASK_FOOTER[b].x, 0.0f);
        footer[b]->SetSize(TASK_FOOTER[b].width, TASK_FOOTER_HEIGHT);
        footer[b]->SetFromBottom(TASK_FOOTER_BOTTOM);
        footer[b]->AddAction(TASK_FOOTER[b].key);
    }
    m_pTaskHelp = footer[0];
    m_pTaskHelp->OnClickList.Bind(this, &TGameMenuManager::OnTaskHelpClick);
    m_pTaskHelp->Show(false, true);
    m_pTaskStart = footer[1];
    m_pTaskStart->AddAction("menuselect2");
    m_pTaskStart->OnClickList.Bind(this, &TGameMenuManager::OnTaskStartClick);
    m_pTaskStart->Show(false, true);
    m_pTaskBack = footer[2];
    m_pTaskBack->m_nTag = 1;
    m_pTaskBack->OnClickList.Bind(this, &TGameMenuManager::OnTaskPanelToggle);
    m_pTaskButtons->Show(false, true);

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
    TUISlider* slider = TUISlider::Create(m_pTaskGrid, "TaskGridSlider", TASK_SLIDER_WIDTH, 0.0f,
                                          "Game UI Task Slider Bar", "Game UI Task Slider Up", "Game UI Task Slider Down",
                                          "Game UI Task Slider Bar", 1.0f, 1.0f, 0.0f, false, UI_THUMB_CLIP, nullptr);
    slider->m_fButtonSize = TASK_SLIDER_WIDTH;
    slider->m_fTrackInset = TASK_SLIDER_WIDTH;
    slider->SetFromRight(-TASK_SLIDER_WIDTH);
    slider->SetTop(UI_PLACE_NEAR, 0.0f);
    slider->SetBottomInset(0.0f);
    m_pTaskGrid->SetScrollBar(slider);
    m_pTaskGrid->SetVisible(false);
    m_CellText.SetFont(TName("ui_sans", true), TASK_CELL_FONT_SIZE, CELL_TEXT_COLOUR, UI_ALIGN_NEAR, UI_ALIGN_CENTRE,
                       0, -2.0f, -1.0f);
    m_CellSmallText = m_CellText;
    m_CellSmallText.m_fSize = TASK_CELL_SMALL_FONT_SIZE;
    _CreateTaskPopup();
    OnTaskSortHeaderClick(m_apTaskHeader[TASK_SORT_URGENCY]);
    m_pTaskBackground->Show(false, true);
}

void TGameMenuManager::_CreateTaskPopup()
{
    m_pTaskPopupBG = CreateButton(m_pTaskGrid, "TaskPopupBG");
    m_pTaskPopupBG->SetPosition(0.0f, 0.0f);
    m_pTaskPopupBG->SetSize(MENU_DESIGN_WIDTH, MENU_DESIGN_HEIGHT);
    m_pTaskPopupBG->m_nFlags |= UI_MODAL;
    m_pTaskPopupBG->Show(false, true);
    TUIButton* popup = CreateButton(m_pTaskPopupBG, "TaskPopup");
    popup->SetIconByName("Game UI Popup Window");
    popup->SetPosition(TASK_POPUP_X, TASK_POPUP_Y);
    popup->SetSize(POPUP_WIDTH, POPUP_HEIGHT);
    popup->OnHide.Bind(this, &TGameMenuManager::OnTaskPopupHide);
    m_apPopup[GAME_POPUP_TASK] = popup;
    TUIButton* close = CreateButton(popup, "Close");
    close->SetIconByName("Game UI Popup Window Close");
    close->SetSize(POPUP_CLOSE_SIZE, POPUP_CLOSE_SIZE);
    close->SetTop(UI_PLACE_NEAR, POPUP_EDGE);
    close->SetFromRight(POPUP_EDGE);
    close->m_nTag = GAME_POPUP_TASK;
    close->OnClickList.Bind(this, &TGameMenuManager::OnPopupClose);
    TUIButton* ok = CreateButton(popup, "OK");
    ok->SetStyle("TaskPopupButtonStyle");
    ok->SetCaption("OK");
    ok->SetSize(DIALOG_BUTTON_WIDTH, DIALOG_BUTTON_HEIGHT);
    ok->SetLeft(UI_PLACE_FRACTION, 0.5f);
    ok->SetFromBottom(POPUP_EDGE);
    for (const char* key : {"menuselect", "menuselect2", "menuback"})
        ok->AddAction(key);
    ok->m_nTag = GAME_POPUP_TASK;
    ok->OnClickList.Bind(this, &TGameMenuManager::OnPopupClose);
    for (u32 l = 0; l < TASK_POPUP_LABEL_COUNT; ++l)
    {
        auto* label = static_cast<TUILabel*>(popup->CreateChild("TUILabel", TASK_POPUP_LABELS[l]));
        label->SetStyle(l == TASK_POPUP_TITLE ? "PopupHeaderStyle" : "PopupTextStyle");
        label->SetLeft(UI_PLACE_NEAR, POPUP_INSET);
        label->SetRightInset(POPUP_INSET);
        label->SetTop(UI_PLACE_NEAR, POPUP_LABEL_TOP[l]);
        if (l == TASK_POPUP_TEXT)
        {
            label->SetBottomInset(POPUP_TEXT_BOTTOM);
            label->m_Caption.m_nFlags |= UI_TEXT_WRAP;
            label->m_Caption.m_nAlignV = UI_ALIGN_NEAR;
        }
        else
            label->SetSize(0.0f, POPUP_ROW_HEIGHT);
        label->m_Caption.SetText(TASK_POPUP_PLACEHOLDERS[l]);
        m_apTaskPopupLabel[l] = label;
    }
    popup->Show(false, true);
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
        m_apPopup[GAME_POPUP_TASK]->Show(false, false);
        m_pTaskHelp->Show(false, false);
        m_pTaskStart->Show(false, false);
        return 0;
    }
    m_pTaskHelp->Show(true, false);
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
    if (m_apPopup[GAME_POPUP_TASK]->IsOpen())
        _UpdateTaskPopup();
    return 0;
}

i32 TGameMenuManager::OnTaskStartClick(TUIItem*)
{
    StartTask(GetSelectedTask());
    if (m_apPopup[GAME_POPUP_TASK]->IsOpen())
        _UpdateTaskPopup();
    return 0;
}

i32 TGameMenuManager::OnTaskHelpClick(TUIItem* sender)
{
    TUIButton* popup = m_apPopup[GAME_POPUP_TASK];
    if (!GetSelectedTask())
    {
        if (sender)
            sender->Show(false, false);
        popup->Show(false, false);
        return 0;
    }
    if (popup->IsOpen())
    {
        popup->Show(false, false);
        return 0;
    }
    _UpdateTaskPopup();
    m_pTaskPopupBG->Show(true, true);
    popup->Show(true, false);
    return 0;
}

i32 TGameMenuManager::OnPopupClose(TUIItem* sender)
{
    if (sender && sender->m_nTag >= 0 && sender->m_nTag < GAME_POPUP_COUNT && m_apPopup[sender->m_nTag])
        m_apPopup[sender->m_nTag]->Show(false, false);
    return 0;
}

i32 TGameMenuManager::OnTaskPopupHide(TUIItem*)
{
    m_pTaskPopupBG->Show(false, true);
    OnTaskPanelToggle(m_pTaskGrid);
    return 0;
}

void TGameMenuManager::_UpdateTaskPopup()
{
    TTask* task = GetSelectedTask();
    m_pTaskPopupTask = task;
    if (!task)
        return;
    TGameName name;
    GetTaskTypeName(task->m_nType, name);
    m_apTaskPopupLabel[TASK_POPUP_TITLE]->m_Caption.SetWideText(LocalizedText(name.GetText()).c_str());
    std::string description = std::string("desc_") + name.GetText();
    if (task->IsWorking())
        description += "_work";
    m_apTaskPopupLabel[TASK_POPUP_TEXT]->m_Caption.SetWideText(LocalizedText(description.c_str()).c_str());
    const char* status = "TaskStatusInactive";
    f32 duration = task->m_fDeadline;
    if (task->IsWorking())
    {
        status = "TaskStatusWorking";
        duration = task->m_fBaseWorkTime;
    }
    else if (task->m_nStarted)
        // The AI drives its own tasks: only the player's may lack a driver.
        status = task->m_nAI || (!task->m_nArrived && task->m_nTakenOver) ? "TaskStatusDeploying"
                                                                           : "TaskStatusNeedsDeploying";
    m_apTaskPopupLabel[TASK_POPUP_LOCATION]->m_Caption.SetWideText(
        task->pGate ? FormatMask("TaskLocationMask", {i64{task->GetGateId()}}).c_str() : u"");
    m_apTaskPopupLabel[TASK_POPUP_DURATION]->m_Caption.SetWideText(
        FormatMask("TaskDurationMask", {FormatDuration(duration, false, 32)}).c_str());
    m_apTaskPopupLabel[TASK_POPUP_STATUS]->m_Caption.SetWideText(
        FormatMask("TaskStatusMask", {LocalizedText(status)}).c_str());
}

f32 TGameMenuManager::EaseTaskSlide(f32 fraction)
{
    return (1.0f + std::sin(PI / 2.0f * std::sin(PI / 2.0f * (2.0f * fraction - 1.0f)))) / 2.0f;
}

void TGameMenuManager::_ExpandTaskPanel()
{
    if (m_nTaskPanelState == TASK_PANEL_OPENING || m_nTaskPanelState == TASK_PANEL_OPEN)
        return;
    if (m_nTaskPanelState == TASK_PANEL_COLLAPSED && m_pTaskBackground->IsOpen() && g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayTaskListExpand(nullptr);
    m_nTaskPanelState = TASK_PANEL_OPENING;
}

i32 TGameMenuManager::OnTaskPanelEnter(TUIItem*)
{
    if (m_nTaskPanelState == TASK_PANEL_CLOSING)
        return 0;
    if (m_fTaskHoverDelay > 0.0f)
        m_nTaskPanelState = TASK_PANEL_HOVER_WAIT;
    else
        _ExpandTaskPanel();
    return 0;
}

i32 TGameMenuManager::OnTaskPanelToggle(TUIItem* sender)
{
    if (!sender || m_apPopup[GAME_POPUP_TASK]->IsOpen())
        return 0;
    // A pinned panel stays open when the pointer leaves; the back button closes it all the same.
    TUIItem* parent = sender->GetParent();
    const TUIItem* pin = parent ? parent->FindItem(TName("Pin")) : nullptr;
    if (pin && (pin->m_nFlags & UI_CHECKED) && sender->m_nTag == 0)
        return 0;
    const TUIItem* over = parent ? parent->GetParent() : nullptr;
    if (sender != m_pTaskBack && !(over && (over->m_nFlags & UI_POINTER_INSIDE)))
        return 0;
    if (m_nTaskPanelState == TASK_PANEL_CLOSING)
        return 0;
    if (sender->m_nTag != 0)
    {
        m_nTaskPanelState = TASK_PANEL_CLOSING;
        m_fTaskCloseDelay = 0.0f;
        if (m_pTaskBackground->IsOpen() && g_pSoundPlayerManager)
            g_pSoundPlayerManager->PlayTaskListContract(nullptr);
    }
    else if (m_nTaskPanelState == TASK_PANEL_OPEN)
    {
        m_nTaskPanelState = TASK_PANEL_SHORT;
        m_fTaskCloseDelay = TASK_PANEL_CLOSE_DELAY;
    }
    else
    {
        m_nTaskPanelState = TASK_PANEL_OPENING_SHORT;
        m_fTaskCloseDelay = 0.0f;
    }
    return 0;
}

void TGameMenuManager::_AdvanceTaskPanel(f32 step)
{
    TUIItem* scrollBar = m_pTaskGrid->m_pScrollBar;
    auto hideGrid = [&](bool deselect) {
        m_pTaskButtons->Show(false, false);
        m_pTaskGrid->SetVisible(false);
        if (scrollBar)
            scrollBar->Show(false, true);
        if (deselect)
            m_pTaskGrid->SelectRow(-1, false);
    };
    switch (m_nTaskPanelState)
    {
    case TASK_PANEL_COLLAPSED:
    case TASK_PANEL_HOVER_WAIT:
        if (m_fTaskHoverDelay > 0.0f)
        {
            m_fTaskHoverDelay -= step;
            if (m_fTaskHoverDelay <= 0.0f)
            {
                if (m_nTaskPanelState == TASK_PANEL_HOVER_WAIT)
                    _ExpandTaskPanel();
                m_pTaskGrid->SetScrollRow(0);
                m_fTaskHoverDelay = 0.0f;
            }
        }
        break;
    case TASK_PANEL_OPENING:
    case TASK_PANEL_OPENING_SHORT:
        m_fTaskSlide = std::min(1.0f, m_fTaskSlide + TASK_PANEL_SLIDE_SPEED * step);
        if (m_fTaskSlide < 1.0f)
            break;
        if (m_nTaskPanelState == TASK_PANEL_OPENING_SHORT)
        {
            hideGrid(true);
            m_nTaskPanelState = TASK_PANEL_SHORT;
            m_fTaskCloseDelay = TASK_PANEL_CLOSE_DELAY;
        }
        else if (m_pTaskBackground->IsVisible() && m_pTaskBackground->IsOpen())
        {
            m_pTaskButtons->Show(true, false);
            m_nTaskPanelState = TASK_PANEL_OPEN;
            if (scrollBar)
                scrollBar->Show(true, true);
            m_pTaskGrid->SetVisible(true);
        }
        break;
    case TASK_PANEL_CLOSING:
    case TASK_PANEL_SHORT:
        if (m_fTaskCloseDelay > 0.0f)
        {
            m_fTaskCloseDelay -= step;
            if (m_fTaskCloseDelay > 0.0f)
                break;
            if (scrollBar)
                scrollBar->Show(false, true);
            if (m_pTaskBackground->IsOpen() && g_pSoundPlayerManager)
                g_pSoundPlayerManager->PlayTaskListContract(nullptr);
        }
        m_fTaskCloseDelay = 0.0f;
        hideGrid(true);
        m_fTaskSlide = std::max(0.0f, m_fTaskSlide - TASK_PANEL_SLIDE_SPEED * step);
        if (m_fTaskSlide <= 0.0f)
        {
            m_nTaskPanelState = TASK_PANEL_COLLAPSED;
            if (m_pTaskGrid->m_nRowCount > 0)
                m_fTaskHoverDelay = TASK_PANEL_HOVER_DELAY;
        }
        break;
    default:
        break;
    }
    // The panel's height follows the eased slide; the grid keeps to its inside.
    const f32 height = TASK_PANEL_COLLAPSED_HEIGHT +
                       EaseTaskSlide(m_fTaskSlide) * (TASK_PANEL_HEIGHT - TASK_PANEL_COLLAPSED_HEIGHT);
    if (m_pTaskBackground->m_Size.y != height)
        m_pTaskBackground->SetSize(PanelWidth(), height);
}

i32 TGameMenuManager::_UpdateTaskPanel(TUIItem*)
{
    if (!m_pTaskGrid)
        return 0;
    TUIManager* ui = g_pUIManager;
    const f32 step = ui ? ui->m_Input.fStep : 0.0f;
    // The popup's backdrop sits at the screen's origin although the grid is its parent.
    const TVector& at = m_pTaskPopupBG->m_Absolute;
    if (m_pTaskPopupBG->IsOpen() && (at.x != 0.0f || at.y != 0.0f) && at.x < MENU_DESIGN_WIDTH)
        m_pTaskPopupBG->SetPosition(m_pTaskPopupBG->m_Position.x - at.x, m_pTaskPopupBG->m_Position.y - at.y);

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
    if (ui && m_pManagementBase->IsInactive() && m_nTaskPanelState == TASK_PANEL_OPEN &&
        g_pGameLogicManager && g_pGameLogicManager->IsTowerView())
    {
        if (ui->IsActionPressed(UI_ACTION_MENU_DOWN))
            m_pTaskGrid->SelectNextRow(true, false);
        else if (ui->IsActionPressed(UI_ACTION_MENU_UP))
            m_pTaskGrid->SelectPreviousRow(true, false);
    }

    // "Tab" (not "LAlt"+"Tab", which leaves the window) opens and shuts the panel.
    if (!m_pTabKey)
        m_pTabKey = FindKey("Tab");
    if (!m_pLAltKey)
        m_pLAltKey = FindKey("LAlt");
    if (m_pTabKey && m_pTabKey->WasPressed() && s_ConsoleShow.GetValue().ToInt() == 0 &&
        !TInputManager::Instance().IsBufferedInputOn() && !(m_pLAltKey && m_pLAltKey->IsPressed()))
    {
        if (m_nTaskPanelState != TASK_PANEL_COLLAPSED && m_nTaskPanelState != TASK_PANEL_SHORT)
            OnTaskPanelToggle(m_pTaskBack);
        else
        {
            m_pTaskPin->SetChecked(true);
            if (m_fTaskHoverDelay > 0.0f)
                m_nTaskPanelState = TASK_PANEL_HOVER_WAIT;
            else
                _ExpandTaskPanel();
        }
    }
    _AdvanceTaskPanel(step);

    TTask* selected = GetSelectedTask();
    if (selected != m_pTaskPopupTask)
    {
        if (selected)
            _UpdateTaskPopup();
        else
        {
            m_pTaskPopupTask = nullptr;
            m_apPopup[GAME_POPUP_TASK]->Show(false, false);
        }
    }
    if (m_pTaskGrid->IsVisible() && !m_pTaskGrid->IsInactive())
        OnTaskSelected(m_pTaskGrid);
    return 0;
}

i32 TGameMenuManager::_DrawTaskPanelOverlay(TUIItem*)
{
    const f32 since = m_TaskList.GetTimeSinceAlert();
    const f32 factor = m_TaskList.IsAlert() ? 1.0f : 1.0f - since;
    TTexture* icon = factor > 0.0f ? UIFindTexture(TName("Task List Attention Icon", true)) : nullptr;
    if (!icon)
        return 0;
    const TUIRect panel = m_pTaskBackground->GetAbsoluteRect();
    const f32 width = static_cast<f32>(icon->m_nWidth);
    const f32 height = static_cast<f32>(icon->m_nHeight) / 2.0f;
    const TUIRect rect = {panel.fRight - TASK_ATTENTION_RIGHT - width / 2.0f, panel.fTop + TASK_ATTENTION_TOP,
                          panel.fRight - TASK_ATTENTION_RIGHT + width / 2.0f, panel.fTop + TASK_ATTENTION_TOP + height};
    const f32 opacity = factor * m_pTaskBackground->m_fEffectiveOpacity;
    const f32 t = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
    UIDrawFrame(rect, 0, 2, UIColor(1.0f, 1.0f, 1.0f, opacity), icon, nullptr);
    UIDrawFrame(rect, 1, 2, UIColor(1.0f, 1.0f, 1.0f, opacity * (1.0f + std::sin(TWO_PI * t)) / 2.0f), icon,
                nullptr);
    return 0;
}

i32 TGameMenuManager::_DrawTaskCell(const TUIGridCell& cell)
{
    const TTask* task = m_TaskList.Get(cell.nRow);
    if (!task)
        return 0;
    const TUIRect box = {cell.fX, cell.fY, cell.fX + cell.fWidth, cell.fY + cell.fHeight};
    const f32 opacity = m_pTaskGrid->m_fEffectiveOpacity;
    const f32 t = g_pUIManager ? g_pUIManager->GetTime() : 0.0f;
    const f32 age = TTaskList::Age(*task);
    const f32 highlight = TTaskList::AgeHighlight(age);
    switch (cell.nColumn)
    {
    case 0:
    {
        const u32 state = task->IsWorking()                                      ? UI_STATE_DOWN
                          : task->IsPlayerDeploying() || (task->m_nAI && task->m_nStarted) ? UI_STATE_OVER
                                                                                 : UI_STATE_NORMAL;
        DrawStripIcon("Game UI Task Markers", box, state, opacity);
        break;
    }
    case 1:
    {
        if (cell.nSelected && m_nTaskPanelState != TASK_PANEL_COLLAPSED)
            if (TTexture* selection = UIFindTexture(TName("Task List Selection Overlay", true)))
                UIDrawRect({box.fLeft, box.fTop, box.fLeft + TASK_ALERT_OVERLAY_WIDTH, box.fBottom},
                           UIColor(1.0f, 1.0f, 1.0f, opacity), selection);
        if (highlight > 0.0f)
        {
            if (age < TASK_AGE_NEW && g_pSoundPlayerManager)
                g_pSoundPlayerManager->PlayNewTask(nullptr);
            if (TTexture* alert = UIFindTexture(TName("Task List Alert Overlay", true)))
                UIDrawRect({box.fLeft, box.fTop + 1.0f, box.fLeft + TASK_ALERT_OVERLAY_WIDTH, box.fBottom - 3.0f},
                           UIColor(1.0f, 1.0f, 1.0f, highlight * opacity), alert);
        }
        // A task without a gate is listed without one.
        if (task->pGate)
            m_CellText.DrawText(box, FormatMask("GateMask", {i64{task->GetGateId()}}).c_str(), opacity);
        break;
    }
    case 2:
        if (task->m_nAI && task->GetAILevel() > 0)
            DrawStripIcon("Game UI Management AI Level", box, static_cast<u32>(task->GetAILevel() - 1), opacity);
        if (highlight > 0.0f)
            DrawStripIcon("Game UI Task Exclamation", box, UI_STATE_NORMAL, highlight * opacity,
                          0.75f + 0.25f * std::sin(TWO_PI * t));
        break;
    case 3:
    {
        TGameName name;
        GetTaskTypeName(task->m_nType, name);
        std::string key = name.GetText();
        if (task->IsWorking())
            key += "_work";
        m_CellSmallText.DrawText(box, LocalizedText(key.c_str()).c_str(), opacity);
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
            const f32 c = 0.35f + 0.15f * std::sin(TWO_PI * 0.75f * t);
            text.m_Color = {(1.0f - c) * ALERT_RED.r + c * CELL_TEXT_COLOUR.r,
                            (1.0f - c) * ALERT_RED.g + c * CELL_TEXT_COLOUR.g,
                            (1.0f - c) * ALERT_RED.b + c * CELL_TEXT_COLOUR.b, 1.0f};
        }
        text.DrawText(box, FormatDuration(std::fabs(task->m_fCountdown), late, 32).c_str(), opacity);
        break;
    }
    default:
        break;
    }
    return 0;
}

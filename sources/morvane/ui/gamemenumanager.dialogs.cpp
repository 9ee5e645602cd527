// The popup dialogs of TGameMenuManager: one window per dialog id under the modal layer, opened
// by name with PushWindow; a title, a wrapped text and one or two buttons, every text a language
// key formed from the id. Any button closes its dialog and lets the game clock run again.
#include "morvane/ui/gamemenumanager.h"

#include "core/system/timer.h"
#include "ui/uibutton.h"
#include "ui/uiicon.h"
#include "ui/uimanager.h"
#include "ui/uilabel.h"
#include "ui/uiwindow.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{
// The dialogs' frame (ours: the frame icon's texture is sliced over it).
constexpr f32 DIALOG_WIDTH = 720.0f;
constexpr f32 DIALOG_HEIGHT = 300.0f;

struct TDialog
{
    const char* id;
    const char* buttons[2];
    i32 tag;
    TGameMenuManager::TClickHandler action;
    // The title's and text's keys when they are not formed from the id.
    const char* title = nullptr;
    const char* text = nullptr;
};

// In the order they are built.
const TDialog DIALOGS[] = {
    {"NewGameWelcome", {"OK", nullptr}, 0, nullptr},
    {"NewGameConfirm", {"ContinueAnyway", "Reconsider"}, 0, &TGameMenuManager::OnNewGameConfirmed},
    {"GameLoadFailed", {"TooBad", nullptr}, 0, nullptr},
    {"GameSaveFailed", {"TooBad", nullptr}, 0, nullptr},
    {"GameDeleteFailed", {"TooBad", nullptr}, 0, nullptr},
    {"GameDeleteConfirm", {"ContinueAnyway", "Reconsider"}, 0, &TGameMenuManager::OnDeleteGameConfirmed},
    {"ProfilesNewFailed", {"TooBad", nullptr}, 0, nullptr},
    {"ProfilesDeleteConfirm", {"ContinueAnyway", "Reconsider"}, 0, &TGameMenuManager::OnDeleteProfileConfirmed},
    {"ProfilesDeleteFailed", {"TooBad", nullptr}, 0, nullptr},
    {"ProfilesRenameFailedDuplicate", {"TooBad", nullptr}, 0, nullptr},
    {"ProfilesRenameFailedDisk", {"TooBad", nullptr}, 0, nullptr},
    {"ProfilesSelectFailed", {"TooBad", nullptr}, 0, nullptr},
    {"GameCompleted", {"GoToMainMenu", "ContinuePlaying"}, 1, &TGameMenuManager::OnGoToMainMenu},
    {"GameTaskResetConfirm", {"OK", "Cancel"}, 1, &TGameMenuManager::OnTaskResetConfirmed},
    // Quitting a running game asks the language's own question.
    {"QuitConfirm", {"dialog_yes", "dialog_no"}, 0, &TGameMenuManager::OnQuitConfirmed, "menu_quit",
     "dialog_quit_question"},
};

const TName s_ModalBoxScale(TIME_SCALE_MODAL_BOX, true);

void SetModalBoxScale(f32 factor)
{
    if (g_pTimer)
        g_pTimer->SetScale(factor, s_ModalBoxScale);
}

u32 ButtonCount(const TDialog& dialog)
{
    return dialog.buttons[1] ? 2u : 1u;
}
} // namespace

void TGameMenuManager::_CreateDialogs()
{
    for (const TDialog& dialog : DIALOGS)
    {
        const u32 count = ButtonCount(dialog);
        TUIButton* window = _CreatePopupWindow(dialog.id, count, dialog.tag);
        if (dialog.title)
            window->FindItem(TName("Title Label"))->SetCaption(dialog.title);
        if (dialog.text)
            window->FindItem(TName("Main Label"))->SetCaption(dialog.text);
        for (u32 i = 0; i < count; ++i)
        {
            TUIButton* button = _PlaceDialogButton(window, i, dialog.buttons[i]);
            if (i == 0 && dialog.action)
                button->OnClickList.Bind(this, dialog.action);
        }
    }
    // The welcome draws its own frame and text; its button stands under it.
    auto* welcome = static_cast<TUIButton*>(m_pModalLayer->FindItem(TName("NewGameWelcome")));
    welcome->OnDraw.Bind(this, &TGameMenuManager::_DrawNewGameWelcome);
    welcome->SetIcon(nullptr);
    for (const char* part : {"Title Label", "Main Label", "Button0"})
        welcome->FindItem(TName(part))->Show(false, true);
    welcome->FindItem(TName("Button0"))->SetTop(UI_PLACE_NEAR, welcome->m_Size.y + WELCOME_BUTTON_GAP);
}

i32 TGameMenuManager::_DrawNewGameWelcome(TUIItem* sender)
{
    if (!g_pUIManager)
        return 0;
    const TUIRect rect = sender->GetAbsoluteRect();
    const u32 white = UIColor(1.0f, 1.0f, 1.0f, sender->m_fEffectiveOpacity);
    if (const TUIIcon* frame = g_pUIManager->__FindIcon(TName("Game UI Popup Window")))
        frame->Draw(rect, UI_STATE_NORMAL, white, nullptr);
    TUIText text;
    text.SetStyle(TName("DialogTextStyle"));
    text.m_nFlags |= UI_TEXT_WRAP;
    text.SetText("NewGameWelcome");
    const TUIRect box = {rect.fLeft + WELCOME_TEXT_MARGIN, rect.fTop, rect.fRight - WELCOME_TEXT_MARGIN,
                         rect.fBottom};
    text.Draw(box, sender->m_fEffectiveOpacity);
    if (TUIItem* button = sender->FindItem(TName("Button0")); button && button->IsInactive())
        button->Show(true, true);
    return 0;
}

TUIButton* TGameMenuManager::_CreatePopupWindow(const char* id, u32 buttonCount, i32 tag)
{
    auto* window = static_cast<TUIWindow*>(m_pModalLayer->CreateChild("TUIWindow", id));
    window->SetIconByName("Game UI Popup Window");
    window->SetSize(DIALOG_WIDTH, DIALOG_HEIGHT);
    window->SetLeft(UI_PLACE_FRACTION, 0.5f);
    window->SetTop(UI_PLACE_FRACTION, 0.5f);
    window->m_nFlags |= UI_MODAL;
    window->SetFadeTimes(0.0f, 0.0f);
    window->m_nTag = tag;

    auto* title = static_cast<TUILabel*>(window->CreateChild("TUILabel", "Title Label"));
    const std::string titleKey = std::string(id) + "Title";
    title->SetCaption(titleKey.c_str());
    title->SetStyle("DialogTitleStyle");
    title->SetLeft(UI_PLACE_NEAR, DIALOG_INSET);
    title->SetRightInset(DIALOG_INSET);
    title->SetTop(UI_PLACE_NEAR, DIALOG_INSET);
    title->SetBottom(DIALOG_TITLE_BOTTOM);

    auto* text = static_cast<TUILabel*>(window->CreateChild("TUILabel", "Main Label"));
    text->SetCaption(id);
    text->SetStyle("DialogTextStyle");
    text->m_Caption.m_nFlags |= UI_TEXT_WRAP;
    text->SetLeft(UI_PLACE_NEAR, DIALOG_INSET);
    text->SetRightInset(DIALOG_INSET);
    text->SetTop(UI_PLACE_NEAR, DIALOG_TITLE_BOTTOM);
    text->SetBottomInset(DIALOG_TEXT_BOTTOM);

    for (u32 i = 0; i < buttonCount; ++i)
    {
        const std::string name = "Button" + std::to_string(i);
        auto* button = static_cast<TUIButton*>(window->CreateChild("TUIButton", name.c_str()));
        button->m_nTag = static_cast<i32>(i);
        button->SetStyle("DialogButtonStyle");
        button->OnClickList.Bind(this, &TGameMenuManager::_OnPopupButton);
        if (i == 0)
        {
            button->AddAction("menuselect");
            button->AddAction("menuselect2");
        }
        if (i + 1 == buttonCount)
            button->AddAction("menuback");
    }
    window->OnShow.Bind(this, &TGameMenuManager::_OnPopupShown);
    window->Show(false, true);
    return window;
}

TUIButton* TGameMenuManager::_PlaceDialogButton(TUIItem* window, u32 index, const char* key)
{
    const std::string name = "Button" + std::to_string(index);
    auto* button = static_cast<TUIButton*>(window->FindItem(TName(name.c_str())));
    if (!button)
        return nullptr;
    button->SetCaption(key);
    std::vector<TUIButton*> buttons;
    while (auto* next = static_cast<TUIButton*>(window->FindItem(TName(("Button" + std::to_string(buttons.size())).c_str()))))
        buttons.push_back(next);
    std::vector<f32> widths;
    for (TUIButton* each : buttons)
        widths.push_back(std::max(each->m_Caption.GetExtent().fWidth, DIALOG_BUTTON_WIDTH));
    // Centres 144 apart, further where wide captions would bring two buttons closer than two
    // narrow ones stand.
    f32 spacing = DIALOG_BUTTON_SPACING;
    for (size_t i = 1; i < widths.size(); ++i)
        spacing = std::max(spacing, (widths[i - 1] + widths[i]) * 0.5f + DIALOG_BUTTON_SPACING - DIALOG_BUTTON_WIDTH);
    f32 windowWidth, windowHeight;
    window->GetInnerSize(windowWidth, windowHeight);
    for (size_t i = 0; i < buttons.size(); ++i)
    {
        const f32 centre = windowWidth * 0.5f +
                           (static_cast<f32>(i) - static_cast<f32>(buttons.size() - 1) * 0.5f) * spacing;
        buttons[i]->SetSize(widths[i], DIALOG_BUTTON_HEIGHT);
        buttons[i]->SetLeft(UI_PLACE_NEAR, centre - widths[i] * 0.5f);
        buttons[i]->SetFromBottom(DIALOG_BUTTON_BOTTOM);
    }
    return button;
}

i32 TGameMenuManager::_OnPopupShown(TUIItem*)
{
    SetModalBoxScale(0.0f);
    return 0;
}

i32 TGameMenuManager::_OnPopupButton(TUIItem*)
{
    SetModalBoxScale(1.0f);
    PopWindow();
    return 0;
}

i32 TGameMenuManager::OnGoToMainMenu(TUIItem*)
{
    SetMenuVisible(1, 0);
    return 0;
}

#include "uxaccountrecords.h"

#include "morvane/ui/uiaccountconnected.h"
#include "morvane/ui/uiaccountcreate.h"
#include "morvane/ui/uiaccountlogin.h"
#include "morvane/ui/uiaccountupdate.h"
#include "morvane/ux/datecontrol.h"
#include "morvane/ux/extendedcheckbox.h"
#include "morvane/ux/extendedtextbox.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"
#include "uxdatawriter.h"
#include "uxdemorecords.h"
#include "uxtextures.h"

namespace
{
using namespace UxTextures;

constexpr f32 kFormWidth = 760.0f;
constexpr f32 kFormHeight = 520.0f;
constexpr f32 kSide = 32.0f;
constexpr f32 kRowHeight = 44.0f;
constexpr f32 kCaptionWidth = 240.0f;
constexpr f32 kButtonHeight = 44.0f;
constexpr f32 kButtonWidth = 180.0f;
// Screens slide in and out over this time (seconds).
constexpr f32 kSlideTime = 0.3f;
// The password box's room: the record's.
constexpr i16 kTextRoom = 31;
// The create and update forms: the rows' panel between the title and the buttons.
constexpr f32 kFieldsTop = 76.0f;
constexpr f32 kFieldsPitch = 48.0f;
constexpr f32 kBarWidth = 16.0f;

UX::TTransitionStyle* Style(const char* name)
{
    return UX::TUXManager::Instance().FindStyle(TName(name, true));
}

void SetText(UX::TLocalization& text, const char* key)
{
    text.SetName(TName(key, true));
}

void Place(UX::TControl* control, f32 x, f32 y, f32 width, f32 height)
{
    control->SetPosition(x, y);
    control->SetSize(width, height);
}

// A form of its own style: its hidden place is where the screen sets a slide's start or end.
UX::TForm* AddForm(TUxDataWriter& data, UX::TLayer* layer, const char* name, const char* style)
{
    UX::TTransitionStyle* slide = data.AddStyle(style);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = slide->aTransition[state];
        block.TransitionTime = kSlideTime;
        if (state != UX::STATE_NORMAL && state != UX::STATE_HIDDEN)
            block.nFlags |= UX::BLOCK_UNUSED;
    }
    slide->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    UX::TForm* form = data.AddControl<UX::TForm>(name, nullptr, style);
    form->LayerIndex = 0;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    form->fLeft = 0.5f;
    form->fTop = 0.5f;
    form->SetSize(kFormWidth, kFormHeight);
    const UX::TImage panel = UX::TImage::Make(
        data.AddTexture((std::string(style) + "_panel").c_str(), 48, 48, Framed(48, 4, 0xFFA0B4C8, 0xF0141E2A)),
        UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    data.AddFormToLayer(form, layer);
    return form;
}

UX::TLabel* AddLabel(TUxDataWriter& data, UX::TControl* parent, const char* name, const char* style,
                     const char* key, f32 x, f32 y, f32 width, f32 height)
{
    UX::TLabel* label = data.AddControl<UX::TLabel>(name, parent, style);
    Place(label, x, y, width, height);
    if (key)
        SetText(label->Text, key);
    return label;
}

UX::TButton* AddButton(TUxDataWriter& data, UX::TControl* parent, const char* name, const char* key, f32 x, f32 y)
{
    UX::TButton* button = data.AddControl<UX::TButton>(name, parent, "ux_msg_button");
    SetText(button->Text, key);
    button->nFlags |= UX::CONTROL_FOCUSABLE;
    Place(button, x, y, kButtonWidth, kButtonHeight);
    return button;
}

// A row: the caption on the left, the box on the right.
UX::TExtendedTextBox* AddTextRow(TUxDataWriter& data, UX::TControl* parent, const char* name, const char* key, f32 x,
                                 f32 y, f32 width, bool password)
{
    auto* row = data.AddControl<UX::TExtendedTextBox>(name, parent);
    Place(row, x, y, width, kRowHeight);
    row->pLabel = AddLabel(data, row, nullptr, "ux_msg_text", key, 0.0f, 0.0f, kCaptionWidth, kRowHeight);
    UX::TTextBox* box = data.AddControl<UX::TTextBox>((std::string(name) + "Box").c_str(), row, "ux_msg_input");
    Place(box, kCaptionWidth, 0.0f, width - kCaptionWidth, kRowHeight);
    box->MaxLength = kTextRoom;
    box->Password = password ? 1 : 0;
    box->nFlags |= UX::CONTROL_FOCUSABLE;
    row->pTextBox = box;
    return row;
}

UX::TExtendedCheckBox* AddCheckRow(TUxDataWriter& data, UX::TControl* form, const char* name, const char* key, f32 y)
{
    auto* row = data.AddControl<UX::TExtendedCheckBox>(name, form);
    Place(row, kSide, y, kFormWidth - 2.0f * kSide, kRowHeight);
    row->pLabel = AddLabel(data, row, nullptr, "ux_msg_text", key, 0.0f, 0.0f, kCaptionWidth, kRowHeight);
    UX::TCheckBox* box = data.AddControl<UX::TCheckBox>((std::string(name) + "Box").c_str(), row, "ux_demo_check_off");
    box->pStyle[0] = Style("ux_demo_check_off");
    box->pStyle[1] = Style("ux_demo_check_on");
    box->nFlags |= UX::CONTROL_FOCUSABLE;
    Place(box, kCaptionWidth, 0.0f, kRowHeight, kRowHeight);
    box->AddActionBinding(UX::ClickAction(), "Space", UX::SCOPE_FOCUSED);
    row->pCheckBox = box;
    return row;
}

void AddLoginForm(TUxDataWriter& data, UX::TLayer* layer)
{
    UX::TForm* form = AddForm(data, layer, ACCOUNT_LOGIN_NAME, "ux_account_login_form");
    AddLabel(data, form, "lblTitle", "ux_msg_title", "locAccountLoginTitle", kSide, 24.0f, 600.0f, 40.0f);
    AddTextRow(data, form, ACCOUNT_USERNAME_BOX, "locAccountUsername", kSide, 100.0f, kFormWidth - 2.0f * kSide, false);
    AddTextRow(data, form, ACCOUNT_PASSWORD_BOX, "locAccountPassword", kSide, 160.0f, kFormWidth - 2.0f * kSide, true);
    AddCheckRow(data, form, ACCOUNT_REMEMBER_BOX, "locAccountRememberPassword", 230.0f);
    AddCheckRow(data, form, ACCOUNT_AUTOLOGIN_BOX, "locAccountAutoLogin", 284.0f);
    UX::TLabel* status = AddLabel(data, form, ACCOUNT_STATUS_LABEL, "ux_msg_text", "lblStatusLogin", kSide, 350.0f,
                                  400.0f, 40.0f);
    status->HideNow();
    // The screen sizes the buttons to their texts and lines up the three on the right.
    UX::TButton* close = AddButton(data, form, ACCOUNT_CLOSE_BUTTON, "btnClose", 24.0f, 0.0f);
    close->nEdgeFlags = UX::SIDE_BOTTOM;
    close->fBottom = ACCOUNT_BUTTON_EDGE;
    close->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    AddButton(data, form, ACCOUNT_LOGIN_BUTTON, "btnAccountLogin", 0.0f, 0.0f)
        ->AddActionBinding(UX::ClickAction(), "Enter", UX::SCOPE_TOP_FORM);
    AddButton(data, form, ACCOUNT_CREATE_BUTTON, "btnAccountCreate", 0.0f, 0.0f);
    AddButton(data, form, ACCOUNT_FORGOT_BUTTON, "btnAccountForgotPassword", 0.0f, 0.0f);
    form->HideNow();
}

// A vertical scroll bar with its arrows and thumb, for the fields' panel.
UX::TVScroller* AddBar(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 x, f32 y, f32 height)
{
    const UX::TImage groove = UX::TImage::Make(
        data.AddTexture((std::string(name) + "_groove").c_str(), 16, 16, Framed(16, 2, 0xFF40546C, 0xC0101820)),
        UX::IMAGE_NINE_SLICES);
    const UX::TImage part = UX::TImage::Make(
        data.AddTexture((std::string(name) + "_part").c_str(), 16, 16, Framed(16, 2, 0xFFA0B4C8, 0xFF304458)),
        UX::IMAGE_NINE_SLICES);
    UX::TVScroller* bar = data.AddControl<UX::TVScroller>(name, parent);
    Place(bar, x, y, kBarWidth, height);
    bar->SetBackgroundImage(&groove);
    bar->Step = 1;
    UX::TPictureBox* up = data.AddControl<UX::TPictureBox>((std::string(name) + "Up").c_str(), bar);
    Place(up, 0.0f, 0.0f, kBarWidth, kBarWidth);
    up->SetBackgroundImage(&part);
    UX::TPictureBox* down = data.AddControl<UX::TPictureBox>((std::string(name) + "Down").c_str(), bar);
    down->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_BOTTOM;
    down->fBottom = 0.0f;
    down->SetSize(kBarWidth, kBarWidth);
    down->SetBackgroundImage(&part);
    UX::TPictureBox* thumb = data.AddControl<UX::TPictureBox>((std::string(name) + "Thumb").c_str(), bar);
    Place(thumb, 0.0f, kBarWidth, kBarWidth, 100.0f);
    thumb->SetBackgroundImage(&part);
    bar->pUp = up;
    bar->pDown = down;
    bar->pSlider = thumb;
    return bar;
}

// The create and update forms: a title; a scrolling panel whose stacker holds the rows, one a
// line from the top (three password rows, the three personal texts, the birth date's lists,
// the avatar chooser; the screens arrange it when shown); the status and the two buttons below.
void AddFieldsForm(TUxDataWriter& data, UX::TLayer* layer, const char* name, const char* style,
                   const char* titleKey, const char* const (&rows)[3][2], bool firstMasked, const char* confirm,
                   const char* confirmKey)
{
    constexpr f32 kHeight = 620.0f;
    constexpr f32 kButtonsTop = kHeight - kButtonHeight - 20.0f;
    constexpr f32 kPanelWidth = kFormWidth - 2.0f * kSide - kBarWidth - 8.0f;
    constexpr f32 kPanelHeight = kButtonsTop - 12.0f - kFieldsTop;
    UX::TForm* form = AddForm(data, layer, name, style);
    form->SetSize(kFormWidth, kHeight);
    AddLabel(data, form, "lblTitle", "ux_msg_title", titleKey, kSide, 24.0f, 600.0f, 40.0f);

    UX::TPanel* panel = data.AddControl<UX::TPanel>(ACCOUNT_FIELDS_PANEL, form);
    Place(panel, kSide, kFieldsTop, kPanelWidth, kPanelHeight);
    panel->nFlags |= UX::CONTROL_CLIPS;
    panel->AutoHideScrollBar = 1;
    panel->ResetScrollOnShow = 1;
    UX::TStacker* stacker = data.AddControl<UX::TStacker>(ACCOUNT_FIELDS_STACKER, panel);
    Place(stacker, 0.0f, 0.0f, kPanelWidth, kPanelHeight);
    stacker->SpacingX = 0.0f;
    stacker->SpacingY = kFieldsPitch - kRowHeight;
    stacker->MarginX = stacker->MarginY = 0.0f;
    // One row a line, from the top.
    stacker->Alignment = 10;
    stacker->StackFlags = UX::STACK_BREAK_BEFORE;
    for (u32 i = 0; i < 3; ++i)
        stacker->AddItem(AddTextRow(data, stacker, rows[i][0], rows[i][1], 0.0f, 0.0f, kPanelWidth, i > 0 || firstMasked));
    const char* captions[3] = {"locAccountFirstName", "locAccountLastName", "locAccountCity"};
    for (u32 i = 0; i < 3; ++i)
        stacker->AddItem(AddTextRow(data, stacker, ACCOUNT_TEXT_BOXES[i], captions[i], 0.0f, 0.0f, kPanelWidth, false));

    auto* date = data.AddControl<UX::TDateControl>(ACCOUNT_BIRTH_DATE, stacker);
    Place(date, 0.0f, 0.0f, kPanelWidth, kRowHeight);
    date->pLabel = AddLabel(data, date, nullptr, "ux_msg_text", "locAccountBirthDate", 0.0f, 0.0f, kCaptionWidth,
                            kRowHeight);
    const f32 widths[3] = {136.0f, 88.0f, 88.0f};
    const char* parts[3] = {"Year", "Month", "Day"};
    UX::TComboBox* lists[3];
    f32 x = kCaptionWidth;
    for (u32 i = 0; i < 3; ++i)
    {
        const std::string list = std::string(form->Name.GetText()) + "BirthDate" + parts[i];
        lists[i] = AddDemoComboBox(data, layer, date, list.c_str(), widths[i], kRowHeight);
        lists[i]->SetPosition(x, 0.0f);
        x += widths[i] + 8.0f;
    }
    date->pYear = lists[0];
    date->pMonth = lists[1];
    date->pDay = lists[2];
    stacker->AddItem(date);

    UX::TPictureBox* avatarRow = data.AddControl<UX::TPictureBox>("rowAvatar", stacker);
    Place(avatarRow, 0.0f, 0.0f, kPanelWidth, kRowHeight);
    AddLabel(data, avatarRow, "lblAvatar", "ux_msg_text", "locAccountAvatar", 0.0f, 0.0f, kCaptionWidth, kRowHeight);
    UX::TSelector* avatar = AddDemoSelector(data, avatarRow, ACCOUNT_AVATAR, 320.0f, kRowHeight, {});
    avatar->SetPosition(kCaptionWidth, 0.0f);
    stacker->AddItem(avatarRow);
    panel->pContainer = stacker;
    panel->pVScroller = AddBar(data, form, (std::string(name) + "Bar").c_str(), kSide + kPanelWidth + 8.0f,
                               kFieldsTop, kPanelHeight);

    // The screens size the buttons to their texts; the confirming one keeps to the right.
    AddButton(data, form, ACCOUNT_BACK_BUTTON, "btnBack", 24.0f, kButtonsTop)
        ->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    UX::TButton* button = AddButton(data, form, confirm, confirmKey, kFormWidth - kButtonWidth - 24.0f, kButtonsTop);
    button->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_BOTTOM;
    button->fRight = ACCOUNT_BUTTON_EDGE;
    button->fBottom = ACCOUNT_BUTTON_EDGE;
    UX::TLabel* status = AddLabel(data, form, ACCOUNT_STATUS_LABEL, "ux_msg_text", "lblStatusCreate",
                                  24.0f + kButtonWidth + 16.0f, kButtonsTop, 300.0f, kButtonHeight);
    status->HideNow();
    form->HideNow();
}

void AddCreateForm(TUxDataWriter& data, UX::TLayer* layer)
{
    const char* const rows[3][2] = {{ACCOUNT_USERNAME_BOX, "locAccountUsername"},
                                    {ACCOUNT_PASSWORD_BOX, "locAccountPassword"},
                                    {ACCOUNT_REPEAT_BOX, "locAccountPassword2"}};
    AddFieldsForm(data, layer, ACCOUNT_CREATE_NAME, "ux_account_create_form", "locAccountCreateTitle", rows, false,
                  ACCOUNT_CREATE_CONFIRM, "btnAccountCreate");
}

void AddUpdateForm(TUxDataWriter& data, UX::TLayer* layer)
{
    const char* const rows[3][2] = {{ACCOUNT_OLD_PASSWORD_BOX, "locAccountOldPassword"},
                                    {ACCOUNT_PASSWORD_BOX, "locAccountNewPassword"},
                                    {ACCOUNT_REPEAT_BOX, "locAccountPassword2"}};
    AddFieldsForm(data, layer, ACCOUNT_UPDATE_NAME, "ux_account_update_form", "locAccountUpdateTitle", rows, true,
                  ACCOUNT_SAVE_BUTTON, "btnAccountSave");
}

void AddConnectedForm(TUxDataWriter& data, UX::TLayer* layer)
{
    UX::TForm* form = AddForm(data, layer, ACCOUNT_CONNECTED_NAME, "ux_account_connected_form");
    AddLabel(data, form, "lblTitle", "ux_msg_title", "locAccountConnectedTitle", kSide, 24.0f, 600.0f, 40.0f);
    AddLabel(data, form, "lblText", "ux_msg_text", "locAccountConnectedText", kSide, 100.0f, 696.0f, 120.0f);
    AddButton(data, form, ACCOUNT_UPDATE_BUTTON, "btnAccountUpdate", kSide, 260.0f);
    AddButton(data, form, ACCOUNT_LOGOUT_BUTTON, "btnAccountLogout", kSide + kButtonWidth + 16.0f, 260.0f);
    AddButton(data, form, ACCOUNT_BACK_BUTTON, "btnBack", kSide, kFormHeight - kButtonHeight - 24.0f)
        ->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    form->HideNow();
}
} // namespace

void AddAccountForms(TUxDataWriter& data, UX::TLayer* layer)
{
    AddLoginForm(data, layer);
    AddCreateForm(data, layer);
    AddUpdateForm(data, layer);
    AddConnectedForm(data, layer);
}

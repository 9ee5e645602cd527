#include "uxmessageboxrecords.h"

#include "morvane/ui/uimessagedialog.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/ux.actions.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

namespace
{
using namespace UxTextures;

constexpr f32 kTitleSize = 30.0f;
constexpr f32 kTextSize = 24.0f;
constexpr f32 kButtonWidth = 150.0f;
constexpr f32 kButtonHeight = 44.0f;
// Text layouts of a state block (ones: 0 left, 1 centred).
constexpr u32 kTextLeft = 0;
constexpr u32 kTextCentred = 1;

UX::TImage Image(TUxDataWriter& data, const char* name, i32 size, i32 border, u32 frame, u32 fill)
{
    return UX::TImage::Make(data.AddTexture(name, size, size, Framed(size, border, frame, fill)),
                            UX::IMAGE_NINE_SLICES);
}

// White text in every state, faded when disabled, clear when hidden.
UX::TTransitionStyle* TextStyle(TUxDataWriter& data, const char* name, f32 size, u32 layout)
{
    UX::TTransitionStyle* style = data.AddTextStyle(name, size, layout, {0.94f, 0.96f, 1.0f, 1.0f});
    style->aTransition[UX::STATE_DISABLED].TextColor = {0.6f, 0.62f, 0.66f, 0.7f};
    return style;
}

void Place(UX::TControl* control, u32 edges, f32 left, f32 top, f32 right, f32 bottom, f32 width, f32 height)
{
    control->nEdgeFlags = edges;
    control->fLeft = left;
    control->fTop = top;
    control->fRight = right;
    control->fBottom = bottom;
    control->SetSize(width, height);
}

UX::TButton* AddButton(TUxDataWriter& data, const char* name, UX::TForm* form, const char* key)
{
    UX::TButton* button = data.AddControl<UX::TButton>(name, form, "ux_msg_button");
    button->Text.SetName(TName(key, true));
    button->nFlags |= UX::CONTROL_FOCUSABLE;
    return button;
}
} // namespace

void AddMessageBoxForm(TUxDataWriter& data, UX::TLayer* layer)
{
    // The box fades in over a fifth of a second and goes at once.
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_msg_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = formStyle->aTransition[state];
        block.TransitionTime = 0.2f;
        if (state != UX::STATE_NORMAL && state != UX::STATE_HIDDEN)
            block.nFlags |= UX::BLOCK_UNUSED;
    }
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;

    UX::TTransitionStyle* buttonStyle = TextStyle(data, "ux_msg_button", kTextSize, kTextCentred);
    const u32 frames[UX::STATE_COUNT] = {0x00A0B4C8, 0xFFF0C040, 0xFFA0B4C8, 0xFFA0B4C8, 0x80606870, 0xFFE0ECF8};
    const u32 fills[UX::STATE_COUNT] = {0x00304458, 0xFF304458, 0xFF304458, 0xFF18222E, 0x80303840, 0xFF44607C};
    const char* names[UX::STATE_COUNT] = {"ux_msg_button_hidden", "ux_msg_button_focused", "ux_msg_button_normal",
                                          "ux_msg_button_pressed", "ux_msg_button_disabled", "ux_msg_button_hover"};
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        buttonStyle->aTransition[state].Image = Image(data, names[state], 24, 3, frames[state], fills[state]);

    UX::TForm* form = data.AddControl<UX::TForm>(MESSAGE_DIALOG_NAME, nullptr, "ux_msg_form");
    form->LayerIndex = 1;
    form->FormFlags |= UX::FORM_MODAL;
    form->nAspectMode = 3;
    Place(form, UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY, 0.5f, 0.5f, 0.0f, 0.0f,
          MESSAGE_BOX_WIDTH, MESSAGE_BOX_HEIGHT);
    const UX::TImage panel = Image(data, "ux_msg_panel", 48, 4, 0xFFA0B4C8, 0xF0141E2A);
    form->SetBackgroundImage(&panel);
    data.AddFormToLayer(form, layer);

    TextStyle(data, "ux_msg_title", kTitleSize, kTextLeft);
    UX::TLabel* title = data.AddControl<UX::TLabel>(MESSAGE_TITLE_NAME, form, "ux_msg_title");
    Place(title, UX::SIDE_LEFT | UX::SIDE_TOP | UX::SIDE_RIGHT, MESSAGE_TEXT_SIDE, 0.0f, -MESSAGE_TEXT_SIDE, 0.0f,
          0.0f, 34.0f);
    TextStyle(data, "ux_msg_text", kTextSize, kTextLeft);
    UX::TLabel* text = data.AddControl<UX::TLabel>(MESSAGE_TEXT_NAME, form, "ux_msg_text");
    Place(text, UX::SIDE_LEFT | UX::SIDE_TOP | UX::SIDE_RIGHT, MESSAGE_TEXT_SIDE, MESSAGE_TEXT_TOP_UNDER_TITLE,
          -MESSAGE_TEXT_SIDE, 0.0f, 0.0f, 80.0f);

    UX::TTransitionStyle* inputStyle = TextStyle(data, "ux_msg_input", kTextSize, kTextLeft);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        inputStyle->aTransition[state].Image = buttonStyle->aTransition[state].Image;
    UX::TTextBox* input = data.AddControl<UX::TTextBox>(MESSAGE_INPUT_NAME, form, "ux_msg_input");
    Place(input, UX::SIDE_LEFT | UX::SIDE_RIGHT | UX::SIDE_BOTTOM, MESSAGE_TEXT_SIDE, 0.0f, -MESSAGE_TEXT_SIDE,
          -(kButtonHeight - MESSAGE_BUTTON_BOTTOM + 10.0f), 0.0f, 40.0f);
    input->HideNow();

    UX::TButton* first = AddButton(data, MESSAGE_FIRST_NAME, form, MESSAGE_OK_KEY);
    Place(first, UX::SIDE_BOTTOM | UX::EDGE_CENTRE_HORIZONTALLY, 0.5f, 0.0f, 0.0f, MESSAGE_BUTTON_BOTTOM,
          kButtonWidth, kButtonHeight);
    first->AddActionBinding(UX::ClickAction(), "Enter", UX::SCOPE_TOP_FORM);
    UX::TButton* second = AddButton(data, MESSAGE_SECOND_NAME, form, MESSAGE_CANCEL_KEY);
    Place(second, UX::SIDE_RIGHT | UX::SIDE_BOTTOM, 0.0f, 0.0f, -MESSAGE_BUTTON_SIDE, MESSAGE_BUTTON_BOTTOM,
          kButtonWidth, kButtonHeight);
    second->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    second->HideNow();
    // Stored hidden: a message brings it in.
    form->HideNow();
}

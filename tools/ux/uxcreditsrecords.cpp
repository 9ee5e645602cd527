#include "uxcreditsrecords.h"

#include "morvane/ui/uicreditsmenu.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

#include <cstdio>

namespace
{
constexpr f32 kScreenWidth = 1920.0f;
constexpr f32 kScreenHeight = 1200.0f;
constexpr f32 kLineHeight = 44.0f;
constexpr f32 kCloseWidth = 160.0f;
constexpr f32 kCloseHeight = 48.0f;
// The scroll bar's step: items a frame at 24 frames a second.
constexpr i32 kScrollStep = 4;
// Text layouts of a state block (ones: 1 centred across; tens: 0 centred down, 1 from the top).
constexpr u32 kTextCentred = 1;
constexpr u32 kTextTopCentred = 11;

// Text of the UX font in every state, gone when hidden.
void WithText(UX::TTransitionStyle* style, f32 size, u32 layout, const TColor& colour)
{
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = style->aTransition[state];
        block.Font = TName(UX_FONT_NAME, true);
        block.TextScale = size;
        block.TextSetting = layout;
        block.TextColor = colour;
        block.TransitionTime = 0.3f;
    }
    style->aTransition[UX::STATE_HIDDEN].TextColor.a = 0.0f;
    style->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
}

UX::TLabel* AddLine(TUxDataWriter& data, const char* name, UX::TControl* parent, const char* style,
                    const char* key, f32 height)
{
    UX::TLabel* label = data.AddControl<UX::TLabel>(name, parent, style);
    label->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    label->SetSize(CREDITS_CONTENT_WIDTH, height);
    label->Text.SetName(TName(key, true));
    label->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    return label;
}
} // namespace

void AddCreditsForm(TUxDataWriter& data, UX::TLayer* layer)
{
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_credits_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        formStyle->aTransition[state].TransitionTime = 0.5f;
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    WithText(data.AddStyle("ux_credits_title"), 56.0f, kTextCentred, {1.0f, 0.89f, 0.16f, 1.0f});
    WithText(data.AddStyle("ux_credits_heading"), 36.0f, kTextCentred, {1.0f, 0.89f, 0.16f, 1.0f});
    WithText(data.AddStyle("ux_credits_names"), 30.0f, kTextTopCentred, {0.89f, 0.95f, 1.0f, 1.0f});
    UX::TTransitionStyle* buttonStyle = data.AddStyle("ux_credits_button");
    WithText(buttonStyle, 28.0f, kTextCentred, {0.94f, 0.96f, 1.0f, 1.0f});
    const UX::TImage buttonImage = UX::TImage::Make(
        data.AddTexture("ux_credits_button", 24, 24, UxTextures::Framed(24, 3, 0xFFA0B4C8, 0xFF304458)),
        UX::IMAGE_NINE_SLICES);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        buttonStyle->aTransition[state].Image = buttonImage;

    UX::TForm* form = data.AddControl<UX::TForm>(CREDITS_FORM_NAME, nullptr, "ux_credits_form");
    form->LayerIndex = 1;
    form->FormFlags |= UX::FORM_MODAL;
    form->nAspectMode = 3;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    form->fLeft = form->fTop = 0.5f;
    form->SetSize(kScreenWidth, kScreenHeight);
    const UX::TImage dark = UX::TImage::Make(data.AddTexture("ux_credits_dark", 4, 4, UxTextures::Solid(4, 4, 0xE8080C14)),
                                             UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&dark);
    data.AddFormToLayer(form, layer);

    // The panel spans the screen's height in the middle; its content scrolls past the title.
    UX::TPanel* panel = data.AddControl<UX::TPanel>(CREDITS_PANEL_NAME, form);
    panel->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    panel->fLeft = (kScreenWidth - CREDITS_CONTENT_WIDTH) / 2.0f;
    panel->SetSize(CREDITS_CONTENT_WIDTH, kScreenHeight);
    panel->nFlags |= UX::CONTROL_CLIPS | UX::CONTROL_IGNORES_MOUSE;
    UX::TPictureBox* content = data.AddControl<UX::TPictureBox>(CREDITS_CONTENT_NAME, panel);
    content->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    content->SetSize(CREDITS_CONTENT_WIDTH, kScreenHeight);
    content->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    panel->pContainer = content;
    // The bar is the scroll's clock only: never shown, its parts without size.
    UX::TVScroller* bar = data.AddControl<UX::TVScroller>("vsCredits", panel);
    bar->SetSize(0.0f, 0.0f);
    bar->Step = kScrollStep;
    bar->pUp = data.AddControl<UX::TPictureBox>("vsCreditsUp", bar);
    bar->pDown = data.AddControl<UX::TPictureBox>("vsCreditsDown", bar);
    bar->pSlider = data.AddControl<UX::TPictureBox>("vsCreditsThumb", bar);
    bar->HideNow();
    panel->pVScroller = bar;

    char name[64];
    char key[64];
    for (u32 i = 0; i < CREDITS_BLOCK_COUNT; ++i)
    {
        std::snprintf(name, sizeof name, CREDITS_HEADING_NAME, i);
        std::snprintf(key, sizeof key, "CreditsHeading%u", i);
        AddLine(data, name, content, "ux_credits_heading", key, kLineHeight);
        std::snprintf(name, sizeof name, CREDITS_NAMES_NAME, i);
        std::snprintf(key, sizeof key, "CreditsNames%u", i);
        AddLine(data, name, content, "ux_credits_names", key, kLineHeight);
    }
    AddLine(data, CREDITS_CLOSING_NAME, content, "ux_credits_heading", "CreditsClosing", kLineHeight);
    AddLine(data, CREDITS_CLOSING2_NAME, content, "ux_credits_names", "CreditsClosing2", kLineHeight);

    UX::TLabel* title = data.AddControl<UX::TLabel>(CREDITS_TITLE_NAME, form, "ux_credits_title");
    title->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    title->SetSize(kScreenWidth, 80.0f);
    title->Text.SetName(TName("CreditsTitle", true));
    title->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    UX::TButton* close = data.AddControl<UX::TButton>(CREDITS_CLOSE_NAME, form, "ux_credits_button");
    close->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_BOTTOM;
    close->fRight = -40.0f;
    close->fBottom = -40.0f;
    close->SetSize(kCloseWidth, kCloseHeight);
    close->Text.SetName(TName("btnClose", true));
    close->nFlags |= UX::CONTROL_FOCUSABLE;
    close->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    // Stored hidden: the main menu brings it in.
    form->HideNow();
}

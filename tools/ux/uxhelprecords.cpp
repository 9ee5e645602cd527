#include "uxhelprecords.h"

#include "morvane/ui/uihelpdialog.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/ux.actions.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

#include <cstdio>

namespace
{
constexpr f32 kFormWidth = 1280.0f;
constexpr f32 kFormHeight = 900.0f;
constexpr f32 kTop = 90.0f;
constexpr f32 kGridLeft = 24.0f;
constexpr f32 kGridWidth = 400.0f;
constexpr f32 kRowHeight = 56.0f;
constexpr u32 kRows = 12;
constexpr f32 kPanelLeft = 448.0f;
constexpr f32 kPanelWidth = 740.0f;
constexpr f32 kPanelHeight = 720.0f;
constexpr f32 kBarWidth = 40.0f;
constexpr f32 kKeyTextX = HELP_TEXT_X + HELP_TEXT_WIDTH + 10.0f;
// Text layouts of a state block (ones: 0 left, 1 centred across; tens: 0 centred down, 1 from
// the top).
constexpr u32 kTextLeft = 0;
constexpr u32 kTextCentred = 1;
constexpr u32 kTextTopLeft = 10;

UX::TImage Picture(TUxDataWriter& data, const char* name, i32 size, u32 frame, u32 fill, u32 mode)
{
    return UX::TImage::Make(data.AddTexture(name, size, size, UxTextures::Framed(size, 2, frame, fill)), mode);
}

void Place(UX::TControl* control, f32 x, f32 y, f32 width, f32 height)
{
    control->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    control->fLeft = x;
    control->fTop = y;
    control->SetSize(width, height);
}

// A vertical scroll bar with its arrows and thumb.
UX::TVScroller* AddBar(TUxDataWriter& data, UX::TControl* parent, f32 x, f32 y, f32 height)
{
    const UX::TImage groove = Picture(data, "ux_help_groove", 16, 0xFF40546C, 0xC0101820, UX::IMAGE_NINE_SLICES);
    const UX::TImage part = Picture(data, "ux_help_bar_part", 16, 0xFFA0B4C8, 0xFF304458, UX::IMAGE_NINE_SLICES);
    UX::TVScroller* bar = data.AddControl<UX::TVScroller>("vsHelpPages", parent);
    Place(bar, x, y, kBarWidth, height);
    bar->SetBackgroundImage(&groove);
    bar->Step = 1;
    UX::TPictureBox* up = data.AddControl<UX::TPictureBox>("vsHelpPagesUp", bar);
    Place(up, 0.0f, 0.0f, kBarWidth, kBarWidth);
    up->SetBackgroundImage(&part);
    UX::TPictureBox* down = data.AddControl<UX::TPictureBox>("vsHelpPagesDown", bar);
    down->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_BOTTOM;
    down->fBottom = 0.0f;
    down->SetSize(kBarWidth, kBarWidth);
    down->SetBackgroundImage(&part);
    UX::TPictureBox* thumb = data.AddControl<UX::TPictureBox>("vsHelpPagesThumb", bar);
    Place(thumb, 0.0f, kBarWidth, kBarWidth, 100.0f);
    thumb->SetBackgroundImage(&part);
    bar->pUp = up;
    bar->pDown = down;
    bar->pSlider = thumb;
    return bar;
}
} // namespace

void AddHelpForm(TUxDataWriter& data, UX::TLayer* layer)
{
    const TColor white{0.94f, 0.96f, 1.0f, 1.0f};
    const TColor yellow{1.0f, 0.89f, 0.16f, 1.0f};
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_help_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        formStyle->aTransition[state].TransitionTime = 0.2f;
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    data.AddTextStyle("ux_help_title", 40.0f, kTextCentred, yellow);
    data.AddTextStyle("ux_help_category", 26.0f, kTextLeft, white);
    data.AddTextStyle(HELP_HEADING_STYLE, 34.0f, kTextTopLeft, yellow);
    data.AddTextStyle(HELP_TEXT_STYLE, 22.0f, kTextTopLeft, white);
    data.AddTextStyle("ux_help_keys", 22.0f, kTextTopLeft, yellow);
    UX::TTransitionStyle* buttonStyle = data.AddTextStyle("ux_help_button", 26.0f, kTextCentred, white);
    const UX::TImage buttonImage = Picture(data, "ux_help_button", 24, 0xFFA0B4C8, 0xFF304458, UX::IMAGE_NINE_SLICES);
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        buttonStyle->aTransition[state].Image = buttonImage;

    UX::TForm* form = data.AddControl<UX::TForm>(HELP_FORM_NAME, nullptr, "ux_help_form");
    form->LayerIndex = 1;
    form->nAspectMode = 3;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    form->fLeft = form->fTop = 0.5f;
    form->SetSize(kFormWidth, kFormHeight);
    const UX::TImage panel = Picture(data, "ux_help_panel", 48, 0xFF7090C0, 0xF0101828, UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    data.AddFormToLayer(form, layer);

    UX::TLabel* title = data.AddControl<UX::TLabel>("lblHelpTitle", form, "ux_help_title");
    Place(title, 0.0f, 16.0f, kFormWidth, 56.0f);
    title->Text.SetName(TName("GameHelp", true));
    title->nFlags |= UX::CONTROL_IGNORES_MOUSE;

    UX::TGridView* grid = data.AddControl<UX::TGridView>(HELP_GRID_NAME, form, "ux_help_category");
    Place(grid, kGridLeft, kTop, kGridWidth, kRowHeight * kRows);
    grid->nFlags |= UX::CONTROL_FOCUSABLE;
    grid->RowHeight = kRowHeight;
    grid->SelectedBackground =
        UX::TImage::Make(data.AddTexture("ux_help_selected", 16, 16, UxTextures::Solid(16, 16, 0xFF2A5C90)));
    for (u32 i = 0; i < kRows; ++i)
    {
        UX::TPictureBox* row = data.AddControl<UX::TPictureBox>(nullptr, grid);
        row->SetSize(kGridWidth, kRowHeight);
        UX::TLabel* label = data.AddControl<UX::TLabel>(HELP_CATEGORY_LABEL_NAME, row, "ux_help_category");
        Place(label, 16.0f, 0.0f, kGridWidth - 32.0f, kRowHeight);
        label->nFlags |= UX::CONTROL_IGNORES_MOUSE;
        grid->aDetail.Add(row);
    }

    UX::TPanel* pages = data.AddControl<UX::TPanel>(HELP_PANEL_NAME, form);
    Place(pages, kPanelLeft, kTop, kPanelWidth, kPanelHeight);
    pages->nFlags |= UX::CONTROL_CLIPS;
    pages->AutoHideScrollBar = 1;
    UX::TStacker* stacker = data.AddControl<UX::TStacker>(HELP_STACKER_NAME, pages);
    Place(stacker, 0.0f, 0.0f, kPanelWidth, kPanelHeight);
    stacker->SpacingX = stacker->SpacingY = 0.0f;
    stacker->MarginX = stacker->MarginY = 0.0f;
    // One page a row, from the top.
    stacker->Alignment = 10;
    stacker->StackFlags = UX::STACK_BREAK_BEFORE;
    char name[32];
    for (u32 i = 0; i < HELP_PAGE_CAPACITY; ++i)
    {
        std::snprintf(name, sizeof name, HELP_PAGE_NAME, i);
        UX::TPictureBox* page = data.AddControl<UX::TPictureBox>(name, stacker);
        page->SetSize(HELP_PAGE_WIDTH, 100.0f);
        page->nFlags |= UX::CONTROL_IGNORES_MOUSE;
        UX::TPictureBox* image = data.AddControl<UX::TPictureBox>(HELP_IMAGE_NAME, page);
        Place(image, HELP_HEADING_X, HELP_TEXT_Y, 0.0f, 0.0f);
        UX::TLabel* text = data.AddControl<UX::TLabel>(HELP_TEXT_NAME, page, HELP_TEXT_STYLE);
        Place(text, HELP_TEXT_X, HELP_TEXT_Y, HELP_TEXT_WIDTH, 40.0f);
        UX::TLabel* keys = data.AddControl<UX::TLabel>(HELP_KEY_TEXT_NAME, page, "ux_help_keys");
        Place(keys, kKeyTextX, HELP_TEXT_Y, HELP_KEY_TEXT_WIDTH, 40.0f);
        page->HideNow();
        stacker->AddItem(page);
    }
    pages->pContainer = stacker;
    pages->pVScroller = AddBar(data, form, kPanelLeft + kPanelWidth + 8.0f, kTop, kPanelHeight);

    UX::TButton* close = data.AddControl<UX::TButton>(HELP_CLOSE_NAME, form, "ux_help_button");
    close->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_BOTTOM;
    close->fRight = -24.0f;
    close->fBottom = -24.0f;
    close->SetSize(160.0f, 48.0f);
    close->Text.SetName(TName("btnClose", true));
    close->nFlags |= UX::CONTROL_FOCUSABLE;
    close->AddActionBinding(UX::ClickAction(), "Esc", UX::SCOPE_TOP_FORM);
    form->HideNow();
}

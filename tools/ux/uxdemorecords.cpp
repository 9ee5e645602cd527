#include "uxdemorecords.h"

#include "morvane/ux/uxdemoscreen.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.radiobutton.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.tab.h"
#include "ux/controls/ux.control.tabcontrol.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.actions.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

#include <cstdio>
#include <utility>

namespace
{
using namespace UxTextures;

// Text in a style: its size in layout units and its layout (tens: 0 centred vertically; ones:
// 0 left, 1 centred).
constexpr f32 kTextSize = 28.0f;
constexpr u32 TEXT_LEFT = 0;
constexpr u32 TEXT_CENTRED = 1;

constexpr u32 kLight = 0xFFC8DCF0;
constexpr u32 kChips = 30;

void Place(UX::TControl* control, f32 x, f32 y, f32 width, f32 height)
{
    control->SetPosition(x, y);
    control->SetSize(width, height);
}

void SetText(UX::TLocalization& text, const char* key)
{
    text.SetName(TName(key, true));
}

// The font of the UX in every state of the style, with white text that fades as the state does.
void WithText(UX::TTransitionStyle* style, f32 size, u32 layout, f32 indent = 0.0f)
{
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = style->aTransition[state];
        block.Font = TName(UX_FONT_NAME, true);
        block.TextScale = size;
        block.TextSetting = layout;
        block.TextColor = {0.94f, 0.96f, 1.0f, 1.0f};
        if (indent > 0.0f)
        {
            block.Padding.nFlags = UX::SIDE_LEFT;
            block.Padding.left = indent;
        }
    }
    style->aTransition[UX::STATE_DISABLED].TextColor = {0.6f, 0.62f, 0.66f, 0.7f};
    style->aTransition[UX::STATE_HIDDEN].TextColor.a = 0.0f;
}

// One image in every state, tinted by the state: hover bright, normal a little dim, pressed
// darker, focused warm, disabled faint, hidden clear.
UX::TTransitionStyle* TintedStyle(TUxDataWriter& data, const char* name, const UX::TImage& image)
{
    UX::TTransitionStyle* style = data.AddStyle(name);
    const TColor tints[UX::STATE_COUNT] = {
        {1.0f, 1.0f, 1.0f, 0.0f}, {1.0f, 0.92f, 0.7f, 1.0f}, {0.85f, 0.87f, 0.9f, 1.0f},
        {0.62f, 0.66f, 0.72f, 1.0f}, {0.5f, 0.5f, 0.52f, 0.5f}, {1.0f, 1.0f, 1.0f, 1.0f},
    };
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = style->aTransition[state];
        block.Image = image;
        block.Color = tints[state];
        block.TransitionTime = 0.12f;
    }
    return style;
}

UX::TImage Image(TUxDataWriter& data, const char* name, i32 width, i32 height, const std::vector<u32>& texels,
                 u32 mode = UX::IMAGE_STRETCH)
{
    return UX::TImage::Make(data.AddTexture(name, width, height, texels), mode);
}

// A button of the demonstration's button style with the text of the key.
UX::TButton* AddButton(TUxDataWriter& data, const char* name, UX::TControl* parent, const char* key)
{
    UX::TButton* button = data.AddControl<UX::TButton>(name, parent, "ux_demo_button");
    SetText(button->Text, key);
    return button;
}

UX::TLabel* AddValueLabel(TUxDataWriter& data, const char* name, UX::TControl* parent, f32 x, f32 y)
{
    UX::TLabel* label = data.AddControl<UX::TLabel>(name, parent, "ux_demo_value");
    Place(label, x, y, 120.0f, 56.0f);
    return label;
}

void AddHeader(TUxDataWriter& data, UX::TForm* form)
{
    UX::TPictureBox* header = data.AddControl<UX::TPictureBox>("ux_demo_header", form);
    Place(header, 24.0f, 20.0f, 1152.0f, 64.0f);
    // Presses on the header reach the form, which is dragged by them.
    header->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    const UX::TImage band = Image(data, "ux_demo_header", 48, 16, Header(48, 16), UX::IMAGE_SLICES_HORIZONTAL);
    header->SetBackgroundImage(&band);
    UX::TTransitionStyle* titleStyle = data.AddStyle("ux_demo_title");
    WithText(titleStyle, 36.0f, TEXT_LEFT);
    UX::TLabel* title = data.AddControl<UX::TLabel>("ux_demo_title", header, "ux_demo_title");
    Place(title, 24.0f, 0.0f, 700.0f, 64.0f);
    title->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    SetText(title->Text, "ux_demo_title");

    UX::TPictureBox* flag = data.AddControl<UX::TPictureBox>("ux_demo_flag", header);
    Place(flag, 1080.0f, 16.0f, 48.0f, 32.0f);
    flag->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    UX::TImage flagImage =
        Image(data, UX_DEMO_FLAG_VARIANTS[0], 24, 16, Flag(24, 16, 0xFFC8102E, 0xFFFFFFFF, 0xFF012169));
    flagImage.ImageFlags |= UX::IMAGE_LANGUAGE_VARIANTS;
    data.AddTexture(UX_DEMO_FLAG_VARIANTS[1], 24, 16, Flag(24, 16, 0xFF000000, 0xFFDD0000, 0xFFFFCE00));
    flag->SetBackgroundImage(&flagImage);
}

// The check box and the radio buttons: a mark on the left of their text, a style per state.
void AddChoices(TUxDataWriter& data, UX::TForm* form)
{
    // The mark is as high as its control: drawn in three slices, it stays square at any scale.
    constexpr i32 kMark = 48;
    constexpr f32 kRow = 48.0f;
    constexpr f32 kIndent = 60.0f;
    auto pair = [&](const char* name, bool round) {
        UX::TTransitionStyle* styles[2];
        for (int checked = 0; checked < 2; ++checked)
        {
            char styleName[48];
            std::snprintf(styleName, sizeof styleName, "%s_%s", name, checked ? "on" : "off");
            const std::vector<u32> texels =
                round ? RadioMark(kMark, checked, kLight) : CheckMark(kMark, checked, kLight);
            styles[checked] = TintedStyle(
                data, styleName, Image(data, styleName, kMark * 3, kMark, texels, UX::IMAGE_SLICES_HORIZONTAL));
            WithText(styles[checked], kTextSize, TEXT_LEFT, kIndent);
        }
        return std::pair{styles[0], styles[1]};
    };
    const auto [checkOff, checkOn] = pair("ux_demo_check", false);
    UX::TCheckBox* check = data.AddControl<UX::TCheckBox>("ux_demo_check", form, "ux_demo_check_off");
    check->pStyle[0] = checkOff;
    check->pStyle[1] = checkOn;
    check->nFlags |= UX::CONTROL_FOCUSABLE;
    Place(check, 40.0f, 112.0f, 520.0f, kRow);
    SetText(check->Text, "ux_demo_check");
    check->AddActionBinding(UX::ClickAction(), "Space", UX::SCOPE_FOCUSED);

    const auto [radioOff, radioOn] = pair("ux_demo_radio", true);
    // The radio buttons have a parent of their own: checking one unchecks its siblings only.
    UX::TPictureBox* group = data.AddControl<UX::TPictureBox>("ux_demo_radios", form);
    Place(group, 40.0f, 176.0f, 520.0f, 164.0f);
    for (i32 i = 0; i < 3; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "ux_demo_radio_%d", i + 1);
        UX::TRadioButton* radio = data.AddControl<UX::TRadioButton>(name, group, "ux_demo_radio_off");
        radio->pStyle[0] = radioOff;
        radio->pStyle[1] = radioOn;
        Place(radio, 0.0f, static_cast<f32>(i) * 56.0f, 520.0f, kRow);
        SetText(radio->Text, name);
    }
    static_cast<UX::TRadioButton*>(group->lChild.pFirst->pNext)->SetChecked(1, 1);
}

// The slider 0 .. 100 in steps of 10 at 30, and the track bar 0 .. 10 at 5, each with its value.
void AddValues(TUxDataWriter& data, UX::TForm* form)
{
    UX::TTransitionStyle* valueStyle = data.AddStyle("ux_demo_value");
    WithText(valueStyle, kTextSize, TEXT_CENTRED);

    UX::TTransitionStyle* fill = data.AddStyle("ux_demo_slider_fill");
    fill->aTransition[UX::STATE_FOCUSED].Image =
        Image(data, "ux_demo_fill", 64, 8, Gradient(64, 8, 0xFF3070C0, 0xFF60D0F0));
    fill->aTransition[UX::STATE_NORMAL].Image = Image(data, "ux_demo_empty", 64, 8, Solid(64, 8, 0xFF1A2633));

    UX::TSlider* slider = data.AddControl<UX::TSlider>("ux_demo_slider", form);
    Place(slider, 40.0f, 368.0f, 440.0f, 56.0f);
    slider->nFlags |= UX::CONTROL_FOCUSABLE;
    slider->Minimum = 0;
    slider->Maximum = 100;
    slider->Step = 10;
    slider->Value = 30;
    slider->ClickToSet = 1;
    slider->pTrackbarStyle = fill;
    UX::TButton* down = AddButton(data, "ux_demo_slider_down", slider, "ux_demo_minus");
    Place(down, 0.0f, 0.0f, 56.0f, 56.0f);
    UX::TButton* up = AddButton(data, "ux_demo_slider_up", slider, "ux_demo_plus");
    up->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
    up->fRight = 0.0f;
    up->SetSize(56.0f, 56.0f);
    UX::TPictureBox* track = data.AddControl<UX::TPictureBox>("ux_demo_slider_track", slider);
    track->SetSize(0.0f, 0.0f);
    // The slider is the tab stop; its buttons only take clicks.
    down->nFlags &= ~UX::CONTROL_FOCUSABLE;
    up->nFlags &= ~UX::CONTROL_FOCUSABLE;
    slider->pLeft = down;
    slider->pRight = up;
    slider->pTrackbar = track;
    slider->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    slider->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
    AddValueLabel(data, "ux_demo_slider_value", form, 496.0f, 368.0f);

    UX::TTrackBar* bar = data.AddControl<UX::TTrackBar>("ux_demo_trackbar", form);
    Place(bar, 40.0f, 448.0f, 440.0f, 56.0f);
    UX::TPictureBox* scale = data.AddControl<UX::TPictureBox>("ux_demo_trackbar_scale", bar);
    Place(scale, 20.0f, 24.0f, 400.0f, 8.0f);
    const UX::TImage line = Image(data, "ux_demo_scale", 16, 8, Framed(16, 8, 2, 0xFF7A9CC0, 0xFF52708C));
    scale->SetBackgroundImage(&line);
    TintedStyle(data, "ux_demo_knob", Image(data, "ux_demo_knob", 24, 48, Knob(24, 48, kLight, 0xFF3A5068)));
    UX::TPictureBox* knob = data.AddControl<UX::TPictureBox>("ux_demo_trackbar_knob", bar, "ux_demo_knob");
    Place(knob, 208.0f, 4.0f, 24.0f, 48.0f);
    // Held, the knob keeps the mouse however far it is dragged.
    knob->nFlags |= UX::CONTROL_CAPTURES;
    bar->pScale = scale;
    bar->pSlider = knob;
    bar->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    bar->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
    AddValueLabel(data, "ux_demo_trackbar_value", form, 496.0f, 448.0f);
}

// The second tab's settings: a resolution combo box whose list drops from it (a form of its own,
// a grid of item rows) and a quality selector between its arrows.
void AddSettings(TUxDataWriter& data, UX::TLayer* layer, UX::TControl* panel)
{
    TintedStyle(data, "ux_demo_setting",
                Image(data, "ux_demo_setting", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xFF101A24), UX::IMAGE_NINE_SLICES));
    UX::TComboBox* combo = data.AddControl<UX::TComboBox>("ux_demo_resolution", panel, "ux_demo_setting");
    Place(combo, 16.0f, 16.0f, 400.0f, 56.0f);
    UX::TButton* drop = AddButton(data, "ux_demo_resolution_drop", combo, "ux_demo_drop");
    drop->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
    drop->fRight = 0.0f;
    drop->SetSize(56.0f, 56.0f);
    // The box keeps the focus; its parts only take clicks.
    drop->nFlags &= ~UX::CONTROL_FOCUSABLE;
    UX::TLabel* label = data.AddControl<UX::TLabel>("ux_demo_resolution_label", combo, "ux_demo_value");
    label->SetSize(344.0f, 56.0f);
    combo->pDrop = drop;
    combo->pLabel = label;

    UX::TForm* list = data.AddControl<UX::TForm>("ux_demo_resolution_list", nullptr, "ux_demo_form");
    list->LayerIndex = 1;
    const UX::TImage frame =
        Image(data, "ux_demo_list", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xF0101A24), UX::IMAGE_NINE_SLICES);
    list->SetBackgroundImage(&frame);
    data.AddFormToLayer(list, layer, false);
    UX::TGridView* grid = data.AddControl<UX::TGridView>("ux_demo_resolution_rows", list);
    grid->SetLeft(0.0f);
    grid->SetTop(0.0f);
    grid->SetRight(0.0f);
    grid->SetBottom(0.0f);
    grid->RowHeight = 48.0f;
    grid->SelectedBackground =
        Image(data, "ux_demo_selected", 16, 16, Solid(16, 16, 0xFF2A5C90), UX::IMAGE_STRETCH);
    for (i16 i = 0; i < UX::COMBO_MAX_DROP_ROWS; ++i)
    {
        // Named as the list's one column: the row shows the item's text.
        UX::TLabel* row = data.AddControl<UX::TLabel>("itemname", grid, "ux_demo_value");
        row->SetSize(400.0f, 48.0f);
        grid->aDetail.Add(row);
    }
    combo->pDropForm = list;
    combo->pListBox = grid;
    combo->pListBoxItem0 = grid->aDetail[0];
    list->HideNow();

    UX::TSelector* quality = data.AddControl<UX::TSelector>("ux_demo_quality", panel, "ux_demo_setting");
    Place(quality, 16.0f, 96.0f, 400.0f, 56.0f);
    quality->nFlags |= UX::CONTROL_FOCUSABLE;
    UX::TButton* previous = AddButton(data, "ux_demo_quality_previous", quality, "ux_demo_minus");
    previous->SetSize(56.0f, 56.0f);
    UX::TButton* next = AddButton(data, "ux_demo_quality_next", quality, "ux_demo_plus");
    next->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
    next->fRight = 0.0f;
    next->SetSize(56.0f, 56.0f);
    for (UX::TButton* arrow : {previous, next})
        arrow->nFlags &= ~UX::CONTROL_FOCUSABLE;
    UX::TLabel* shown = data.AddControl<UX::TLabel>("ux_demo_quality_label", quality, "ux_demo_value");
    shown->SetSize(288.0f, 56.0f);
    quality->pLeft = previous;
    quality->pRight = next;
    quality->pLabel = shown;
    for (u32 i = 0; i < 3; ++i)
    {
        char key[32];
        std::snprintf(key, sizeof key, "ux_demo_radio_%u", i + 1);
        UX::TLocalization text;
        SetText(text, key);
        quality->Items.Add(i, text);
    }
    quality->SelectedIndex = 1;
    quality->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    quality->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
}

// Two tabs over their panels: three buttons, and the settings; the first selected.
void AddTabs(TUxDataWriter& data, UX::TForm* form, UX::TLayer* layer)
{
    UX::TTransitionStyle* tabStyles[2];
    const char* names[2] = {"ux_demo_tab_off", "ux_demo_tab_on"};
    const u32 frames[2] = {0xFF52708C, 0xFFB0D0F0};
    const u32 fills[2] = {0xFF223244, 0xFF3A5068};
    for (int on = 0; on < 2; ++on)
    {
        tabStyles[on] = TintedStyle(data, names[on],
                                    Image(data, names[on], 24, 24, Framed(24, 3, frames[on], fills[on]),
                                          UX::IMAGE_NINE_SLICES));
        WithText(tabStyles[on], kTextSize, TEXT_CENTRED);
    }
    UX::TTabControl* tabs = data.AddControl<UX::TTabControl>("ux_demo_tabs", form);
    Place(tabs, 40.0f, 528.0f, 560.0f, 224.0f);
    tabs->TabSpacing = 8.0f;
    tabs->AutoLayoutTabs = 1;
    const UX::TImage panelImage =
        Image(data, "ux_demo_tab_panel", 24, 24, Framed(24, 3, 0xFFB0D0F0, 0xC0182838), UX::IMAGE_NINE_SLICES);
    for (i32 t = 0; t < 2; ++t)
    {
        char name[32];
        std::snprintf(name, sizeof name, "ux_demo_tab_%d", t + 1);
        UX::TTab* tab = data.AddControl<UX::TTab>(name, tabs, names[0]);
        tab->pStyle[0] = tabStyles[0];
        tab->pStyle[1] = tabStyles[1];
        Place(tab, 0.0f, 0.0f, 276.0f, 48.0f);
        SetText(tab->Text, name);
        tabs->aTab.Add(tab);
    }
    for (i32 t = 0; t < 2; ++t)
    {
        char name[32];
        std::snprintf(name, sizeof name, "ux_demo_panel_%d", t + 1);
        UX::TPictureBox* panel = data.AddControl<UX::TPictureBox>(name, tabs);
        Place(panel, 0.0f, 52.0f, 560.0f, 172.0f);
        panel->SetBackgroundImage(&panelImage);
        tabs->aPanel.Add(panel);
        if (t == 1)
        {
            AddSettings(data, layer, panel);
            continue;
        }
        for (i32 b = 0; b < 3; ++b)
        {
            std::snprintf(name, sizeof name, "ux_demo_button_%d", t * 3 + b + 1);
            Place(AddButton(data, name, panel, name), 16.0f + static_cast<f32>(b) * 180.0f, 32.0f, 168.0f, 108.0f);
        }
    }
    static_cast<UX::TTab*>(tabs->aTab[0])->SetChecked(1, 1);
}

// A tiled panel of chips flowed three to a row by a stacker, scrolled by the bar beside it.
void AddChips(TUxDataWriter& data, UX::TForm* form)
{
    UX::TPanel* area = data.AddControl<UX::TPanel>("ux_demo_area", form);
    Place(area, 640.0f, 112.0f, 440.0f, 400.0f);
    const UX::TImage tile = Image(data, "ux_demo_tile", 16, 16, Tile(16), UX::IMAGE_TILE);
    area->SetBackgroundImage(&tile);
    // Chips scrolled out of the panel are cut at its edges.
    area->nFlags |= UX::CONTROL_CLIPS;
    area->AutoHideScrollBar = 1;
    area->ResetScrollOnShow = 1;

    UX::TStacker* chips = data.AddControl<UX::TStacker>("ux_demo_chips", area);
    Place(chips, 0.0f, 0.0f, 440.0f, 400.0f);
    chips->SpacingX = chips->SpacingY = 12.0f;
    chips->MarginX = chips->MarginY = 12.0f;
    // From the top left; a chip that would not fit opens the next row.
    chips->Alignment = 10;
    chips->StackFlags = UX::STACK_BREAK_BEFORE;
    UX::TTransitionStyle* chipStyle =
        TintedStyle(data, "ux_demo_chip",
                    Image(data, "ux_demo_chip", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xFF2A3E52), UX::IMAGE_NINE_SLICES));
    WithText(chipStyle, kTextSize, TEXT_CENTRED);
    // Unnamed: the screen numbers them through the stacker.
    for (u32 i = 0; i < kChips; ++i)
    {
        UX::TLabel* chip = data.AddControl<UX::TLabel>(nullptr, chips, "ux_demo_chip");
        chip->SetSize(128.0f, 56.0f);
        chips->AddItem(chip);
    }
    area->pContainer = chips;

    UX::TVScroller* scroll = data.AddControl<UX::TVScroller>("ux_demo_scroll", form);
    Place(scroll, 1096.0f, 112.0f, 48.0f, 400.0f);
    const UX::TImage groove =
        Image(data, "ux_demo_groove", 16, 16, Framed(16, 2, 0xFF52708C, 0xFF1A2633), UX::IMAGE_NINE_SLICES);
    scroll->SetBackgroundImage(&groove);
    TintedStyle(data, "ux_demo_arrow_up", Image(data, "ux_demo_arrow_up", 24, 24, Arrow(24, true, kLight)));
    TintedStyle(data, "ux_demo_arrow_down", Image(data, "ux_demo_arrow_down", 24, 24, Arrow(24, false, kLight)));
    TintedStyle(data, "ux_demo_thumb",
                Image(data, "ux_demo_thumb", 16, 16, Framed(16, 2, kLight, 0xFF3A5068), UX::IMAGE_NINE_SLICES));
    UX::TPictureBox* up = data.AddControl<UX::TPictureBox>("ux_demo_scroll_up", scroll, "ux_demo_arrow_up");
    Place(up, 0.0f, 0.0f, 48.0f, 48.0f);
    UX::TPictureBox* down = data.AddControl<UX::TPictureBox>("ux_demo_scroll_down", scroll, "ux_demo_arrow_down");
    down->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_BOTTOM;
    down->fBottom = 0.0f;
    down->SetSize(48.0f, 48.0f);
    UX::TPictureBox* thumb = data.AddControl<UX::TPictureBox>("ux_demo_scroll_thumb", scroll, "ux_demo_thumb");
    Place(thumb, 0.0f, 48.0f, 48.0f, 100.0f);
    scroll->pUp = up;
    scroll->pDown = down;
    scroll->pSlider = thumb;
    area->pVScroller = scroll;
}

// The name box with its hint and the password box under the chips.
void AddTextBoxes(TUxDataWriter& data, UX::TForm* form)
{
    UX::TTransitionStyle* style = TintedStyle(
        data, "ux_demo_textbox",
        Image(data, "ux_demo_textbox", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xFF101A24), UX::IMAGE_NINE_SLICES));
    WithText(style, kTextSize, TEXT_LEFT);
    for (UX::TStateBlock& block : style->aTransition)
    {
        block.Padding.nFlags |= UX::SIDE_LEFT | UX::SIDE_RIGHT;
        block.Padding.left = block.Padding.right = 14.0f;
    }
    // The hint is drawn with the disabled state's text colour.
    style->aTransition[UX::STATE_DISABLED].TextColor = {0.55f, 0.6f, 0.68f, 1.0f};
    const char* names[2][2] = {{"ux_demo_name", "ux_demo_name_hint"}, {"ux_demo_password", "ux_demo_password_hint"}};
    for (i32 i = 0; i < 2; ++i)
    {
        UX::TTextBox* box = data.AddControl<UX::TTextBox>(names[i][0], form, "ux_demo_textbox");
        Place(box, 640.0f, 536.0f + static_cast<f32>(i) * 104.0f, 504.0f, 56.0f);
        box->Hint = TName(names[i][1], true);
        box->Password = static_cast<u8>(i);
    }
}

// The modal confirmation of Apply: a question and Yes and No.
void AddConfirmation(TUxDataWriter& data, UX::TLayer* layer, const UX::TImage& panel)
{
    UX::TForm* confirm = data.AddControl<UX::TForm>(UX_DEMO_CONFIRM_NAME, nullptr, "ux_demo_form");
    confirm->LayerIndex = 1;
    confirm->FormFlags = UX::FORM_MODAL;
    confirm->nAspectMode = 3;
    confirm->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    confirm->fLeft = confirm->fTop = 0.5f;
    confirm->SetSize(640.0f, 280.0f);
    confirm->SetBackgroundImage(&panel);
    data.AddFormToLayer(confirm, layer);
    UX::TLabel* question = data.AddControl<UX::TLabel>("ux_demo_confirm_text", confirm, "ux_demo_value");
    Place(question, 40.0f, 40.0f, 560.0f, 80.0f);
    SetText(question->Text, "ux_demo_confirm_text");
    const char* answers[2][2] = {{"ux_demo_confirm_yes", "dialog_yes"}, {"ux_demo_confirm_no", "dialog_no"}};
    for (i32 i = 0; i < 2; ++i)
        Place(AddButton(data, answers[i][0], confirm, answers[i][1]), 80.0f + static_cast<f32>(i) * 260.0f, 168.0f,
              220.0f, 72.0f);
    confirm->HideNow();
}
} // namespace

void AddDemoForm(TUxDataWriter& data, UX::TLayer* layer, UX::TSimpleToolTip* toolTip)
{
    // The form fades in and out over half a second; it uses no other state.
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_demo_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = formStyle->aTransition[state];
        block.TransitionTime = 0.5f;
        if (state != UX::STATE_NORMAL && state != UX::STATE_HIDDEN)
            block.nFlags |= UX::BLOCK_UNUSED;
    }
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;

    // The buttons: one nine-slice image per state, the text centred.
    struct TStateLook
    {
        const char* name;
        u32 frame;
        u32 fill;
    };
    const TStateLook looks[UX::STATE_COUNT] = {
        {"ux_demo_button_hidden", 0x007A9CC0, 0x003A5068},  {"ux_demo_button_focused", 0xFFF0C040, 0xFF3A5068},
        {"ux_demo_button_normal", 0xFF7A9CC0, 0xFF3A5068},  {"ux_demo_button_pressed", 0xFF7A9CC0, 0xFF1C2A3A},
        {"ux_demo_button_disabled", 0x80606870, 0x80303840}, {"ux_demo_button_hover", 0xFFB0D0F0, 0xFF4C6A8C},
    };
    UX::TTransitionStyle* buttonStyle = data.AddStyle("ux_demo_button");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = buttonStyle->aTransition[state];
        block.Image = Image(data, looks[state].name, 24, 24, Framed(24, 3, looks[state].frame, looks[state].fill),
                            UX::IMAGE_NINE_SLICES);
        block.TransitionTime = 0.15f;
    }
    buttonStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    WithText(buttonStyle, kTextSize, TEXT_CENTRED);

    UX::TForm* form = data.AddControl<UX::TForm>(UX_DEMO_NAME, nullptr, "ux_demo_form");
    form->LayerIndex = 1;
    form->nAspectMode = 3;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    form->fLeft = form->fTop = 0.5f;
    form->SetSize(1200.0f, 840.0f);
    const UX::TImage panel = Image(data, "ux_demo_panel", 48, 48, Framed(48, 4, 0xFF5A8CC8, 0xE0182838),
                                   UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    // Dragged by its header: the body below it takes the presses between the controls.
    form->FormFlags = UX::FORM_DRAGGABLE;
    data.AddFormToLayer(form, layer);
    UX::TPictureBox* body = data.AddControl<UX::TPictureBox>("ux_demo_body", form);
    Place(body, 0.0f, 96.0f, 1200.0f, 744.0f);
    // The mouse wheel scrolls the panel the mouse is over (the screen hands the actions on).
    form->AddActionBinding(UX::ScrollUpAction(), "MouseScrollUp", UX::SCOPE_TOP_FORM);
    form->AddActionBinding(UX::ScrollDownAction(), "MouseScrollDown", UX::SCOPE_TOP_FORM);

    AddHeader(data, form);
    AddChoices(data, form);
    AddValues(data, form);
    AddTabs(data, form, layer);
    AddChips(data, form);
    AddTextBoxes(data, form);

    const char* closing[2][2] = {{"ux_demo_apply", "ux_demo_apply_tip"}, {"ux_demo_close", "ux_demo_close_tip"}};
    for (i32 i = 0; i < 2; ++i)
    {
        UX::TButton* button = AddButton(data, closing[i][0], form, closing[i][0]);
        Place(button, 664.0f + static_cast<f32>(i) * 256.0f, 760.0f, 240.0f, 60.0f);
        // The tip shows the control's own text, not the caption.
        SetText(button->TControl::Text, closing[i][1]);
        button->nFlags |= UX::CONTROL_SHOWS_TOOL_TIP;
        button->pToolTip = toolTip;
    }
    // Stored hidden: ux_form_show brings it in.
    form->HideNow();
    AddConfirmation(data, layer, panel);
}

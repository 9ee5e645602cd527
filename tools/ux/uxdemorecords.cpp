#include "uxdemorecords.h"

#include "morvane/ux/datecontrol.h"
#include "morvane/ux/extendedcheckbox.h"
#include "morvane/ux/extendedkeyinput.h"
#include "morvane/ux/extendedlabel.h"
#include "morvane/ux/extendedselector.h"
#include "morvane/ux/extendedslider.h"
#include "morvane/ux/extendedtextbox.h"
#include "morvane/ux/extendedtrackbar.h"
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
#include "ux/ux.manager.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

#include <cstdio>
#include <initializer_list>
#include <string>
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
// Three columns: the choices and values, the chips and text boxes, the option rows and the saved
// games.
constexpr f32 kFormWidth = 1800.0f;

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
    Place(header, 24.0f, 20.0f, kFormWidth - 48.0f, 64.0f);
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
    Place(flag, kFormWidth - 120.0f, 16.0f, 48.0f, 32.0f);
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

// Looks several controls share, made once.
struct TSharedLooks
{
    UX::TTransitionStyle* sliderFill;
    UX::TImage scale;
    UX::TImage selected;
    UX::TImage groove;
    UX::TImage list;
};

// The looks of the last demonstration written, for the forms written after it.
TSharedLooks s_Looks = {};

TSharedLooks AddSharedLooks(TUxDataWriter& data)
{
    TSharedLooks looks;
    WithText(data.AddStyle("ux_demo_value"), kTextSize, TEXT_CENTRED);
    looks.sliderFill = data.AddStyle("ux_demo_slider_fill");
    looks.sliderFill->aTransition[UX::STATE_FOCUSED].Image =
        Image(data, "ux_demo_fill", 64, 8, Gradient(64, 8, 0xFF3070C0, 0xFF60D0F0));
    looks.sliderFill->aTransition[UX::STATE_NORMAL].Image =
        Image(data, "ux_demo_empty", 64, 8, Solid(64, 8, 0xFF1A2633));
    looks.scale = Image(data, "ux_demo_scale", 16, 8, Framed(16, 8, 2, 0xFF7A9CC0, 0xFF52708C));
    TintedStyle(data, "ux_demo_knob", Image(data, "ux_demo_knob", 24, 48, Knob(24, 48, kLight, 0xFF3A5068)));
    TintedStyle(data, "ux_demo_setting",
                Image(data, "ux_demo_setting", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xFF101A24), UX::IMAGE_NINE_SLICES));
    looks.list = Image(data, "ux_demo_list", 24, 24, Framed(24, 2, 0xFF7A9CC0, 0xF0101A24), UX::IMAGE_NINE_SLICES);
    looks.selected = Image(data, "ux_demo_selected", 16, 16, Solid(16, 16, 0xFF2A5C90), UX::IMAGE_STRETCH);
    looks.groove = Image(data, "ux_demo_groove", 16, 16, Framed(16, 2, 0xFF52708C, 0xFF1A2633), UX::IMAGE_NINE_SLICES);
    TintedStyle(data, "ux_demo_arrow_up", Image(data, "ux_demo_arrow_up", 24, 24, Arrow(24, true, kLight)));
    TintedStyle(data, "ux_demo_arrow_down", Image(data, "ux_demo_arrow_down", 24, 24, Arrow(24, false, kLight)));
    TintedStyle(data, "ux_demo_thumb",
                Image(data, "ux_demo_thumb", 16, 16, Framed(16, 2, kLight, 0xFF3A5068), UX::IMAGE_NINE_SLICES));
    return looks;
}

// A button of the right edge, as high as it is wide.
void PlaceRight(UX::TControl* control, f32 size)
{
    control->nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_TOP;
    control->fRight = 0.0f;
    control->SetSize(size, size);
}

// A slider with its minus and plus buttons and its track, in that child order; the caller places
// it and sets its range.
UX::TSlider* AddSlider(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 height,
                       const TSharedLooks& looks)
{
    const std::string base(name);
    UX::TSlider* slider = data.AddControl<UX::TSlider>(name, parent);
    slider->nFlags |= UX::CONTROL_FOCUSABLE;
    slider->ClickToSet = 1;
    slider->pTrackbarStyle = looks.sliderFill;
    UX::TButton* down = AddButton(data, (base + "_down").c_str(), slider, "ux_demo_minus");
    Place(down, 0.0f, 0.0f, height, height);
    UX::TButton* up = AddButton(data, (base + "_up").c_str(), slider, "ux_demo_plus");
    PlaceRight(up, height);
    UX::TPictureBox* track = data.AddControl<UX::TPictureBox>((base + "_track").c_str(), slider);
    track->SetSize(0.0f, 0.0f);
    // The slider is the tab stop; its buttons only take clicks.
    down->nFlags &= ~UX::CONTROL_FOCUSABLE;
    up->nFlags &= ~UX::CONTROL_FOCUSABLE;
    slider->pLeft = down;
    slider->pRight = up;
    slider->pTrackbar = track;
    slider->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    slider->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
    return slider;
}

// A track bar of the size with its scale and its knob in the middle; the caller places it.
UX::TTrackBar* AddTrackBar(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 width, f32 height,
                           const TSharedLooks& looks)
{
    const std::string base(name);
    UX::TTrackBar* bar = data.AddControl<UX::TTrackBar>(name, parent);
    UX::TPictureBox* scale = data.AddControl<UX::TPictureBox>((base + "_scale").c_str(), bar);
    Place(scale, 20.0f, height * 0.5f - 4.0f, width - 40.0f, 8.0f);
    scale->SetBackgroundImage(&looks.scale);
    UX::TPictureBox* knob = data.AddControl<UX::TPictureBox>((base + "_knob").c_str(), bar, "ux_demo_knob");
    Place(knob, width * 0.5f - 12.0f, height * 0.5f - 24.0f, 24.0f, 48.0f);
    // Held, the knob keeps the mouse however far it is dragged.
    knob->nFlags |= UX::CONTROL_CAPTURES;
    bar->pScale = scale;
    bar->pSlider = knob;
    bar->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    bar->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
    return bar;
}

// A combo box whose list drops from it: a form of its own on the layer, a grid of item rows as
// high as the box; the caller places the box.
UX::TComboBox* AddComboBox(TUxDataWriter& data, UX::TLayer* layer, UX::TControl* parent, const char* name, f32 width,
                           f32 height, const TSharedLooks& looks)
{
    const std::string base(name);
    UX::TComboBox* combo = data.AddControl<UX::TComboBox>(name, parent, "ux_demo_setting");
    combo->SetSize(width, height);
    UX::TButton* drop = AddButton(data, (base + "_drop").c_str(), combo, "ux_demo_drop");
    PlaceRight(drop, height);
    // The box keeps the focus; its parts only take clicks.
    drop->nFlags &= ~UX::CONTROL_FOCUSABLE;
    UX::TLabel* label = data.AddControl<UX::TLabel>((base + "_label").c_str(), combo, "ux_demo_value");
    label->SetSize(width - height, height);
    combo->pDrop = drop;
    combo->pLabel = label;

    UX::TForm* list = data.AddControl<UX::TForm>((base + "_list").c_str(), nullptr, "ux_demo_form");
    list->LayerIndex = 1;
    list->SetBackgroundImage(&looks.list);
    data.AddFormToLayer(list, layer, false);
    UX::TGridView* grid = data.AddControl<UX::TGridView>((base + "_rows").c_str(), list);
    grid->SetLeft(0.0f);
    grid->SetTop(0.0f);
    grid->SetRight(0.0f);
    grid->SetBottom(0.0f);
    grid->RowHeight = height - 8.0f;
    grid->SelectedBackground = looks.selected;
    for (i16 i = 0; i < UX::COMBO_MAX_DROP_ROWS; ++i)
    {
        // Named as the list's one column: the row shows the item's text.
        UX::TLabel* row = data.AddControl<UX::TLabel>("itemname", grid, "ux_demo_value");
        row->SetSize(width, grid->RowHeight);
        grid->aDetail.Add(row);
    }
    combo->pDropForm = list;
    combo->pListBox = grid;
    combo->pListBoxItem0 = grid->aDetail[0];
    list->HideNow();
    return combo;
}

// A selector between its previous and next arrows, its items the texts of the keys; the caller
// places it.
UX::TSelector* AddSelector(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 width, f32 height,
                           std::initializer_list<const char*> keys)
{
    const std::string base(name);
    UX::TSelector* selector = data.AddControl<UX::TSelector>(name, parent, "ux_demo_setting");
    selector->SetSize(width, height);
    selector->nFlags |= UX::CONTROL_FOCUSABLE;
    UX::TButton* previous = AddButton(data, (base + "_previous").c_str(), selector, "ux_demo_minus");
    previous->SetSize(height, height);
    UX::TButton* next = AddButton(data, (base + "_next").c_str(), selector, "ux_demo_plus");
    PlaceRight(next, height);
    for (UX::TButton* arrow : {previous, next})
        arrow->nFlags &= ~UX::CONTROL_FOCUSABLE;
    UX::TLabel* shown = data.AddControl<UX::TLabel>((base + "_label").c_str(), selector, "ux_demo_value");
    Place(shown, height, 0.0f, width - 2.0f * height, height);
    selector->pLeft = previous;
    selector->pRight = next;
    selector->pLabel = shown;
    for (const char* key : keys)
    {
        UX::TLocalization text;
        SetText(text, key);
        selector->Items.Add(selector->Items.GetCount(), text);
    }
    selector->AddActionBinding(UX::LeftAction(), "Left", UX::SCOPE_FOCUSED);
    selector->AddActionBinding(UX::RightAction(), "Right", UX::SCOPE_FOCUSED);
    return selector;
}

// A vertical scroll bar of the height: its arrows at the ends and its thumb between them; the
// caller places it and hands it to what it scrolls.
UX::TVScroller* AddScrollBar(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 height,
                             const TSharedLooks& looks)
{
    const std::string base(name);
    UX::TVScroller* scroll = data.AddControl<UX::TVScroller>(name, parent);
    scroll->SetSize(48.0f, height);
    scroll->SetBackgroundImage(&looks.groove);
    UX::TPictureBox* up = data.AddControl<UX::TPictureBox>((base + "_up").c_str(), scroll, "ux_demo_arrow_up");
    Place(up, 0.0f, 0.0f, 48.0f, 48.0f);
    UX::TPictureBox* down = data.AddControl<UX::TPictureBox>((base + "_down").c_str(), scroll, "ux_demo_arrow_down");
    down->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_BOTTOM;
    down->fBottom = 0.0f;
    down->SetSize(48.0f, 48.0f);
    UX::TPictureBox* thumb = data.AddControl<UX::TPictureBox>((base + "_thumb").c_str(), scroll, "ux_demo_thumb");
    Place(thumb, 0.0f, 48.0f, 48.0f, 100.0f);
    scroll->pUp = up;
    scroll->pDown = down;
    scroll->pSlider = thumb;
    return scroll;
}

// The slider 0 .. 100 in steps of 10 at 30, and the track bar 0 .. 10 at 5, each with its value.
void AddValues(TUxDataWriter& data, UX::TForm* form, const TSharedLooks& looks)
{
    UX::TSlider* slider = AddSlider(data, form, "ux_demo_slider", 56.0f, looks);
    Place(slider, 40.0f, 368.0f, 440.0f, 56.0f);
    slider->Minimum = 0;
    slider->Maximum = 100;
    slider->Step = 10;
    slider->Value = 30;
    AddValueLabel(data, "ux_demo_slider_value", form, 496.0f, 368.0f);

    UX::TTrackBar* bar = AddTrackBar(data, form, "ux_demo_trackbar", 440.0f, 56.0f, looks);
    Place(bar, 40.0f, 448.0f, 440.0f, 56.0f);
    AddValueLabel(data, "ux_demo_trackbar_value", form, 496.0f, 448.0f);
}

// The second tab's settings: a resolution combo box and a quality selector.
void AddSettings(TUxDataWriter& data, UX::TLayer* layer, UX::TControl* panel, const TSharedLooks& looks)
{
    UX::TComboBox* combo = AddComboBox(data, layer, panel, "ux_demo_resolution", 400.0f, 56.0f, looks);
    combo->SetPosition(16.0f, 16.0f);
    UX::TSelector* quality =
        AddSelector(data, panel, "ux_demo_quality", 400.0f, 56.0f, {"ux_demo_radio_1", "ux_demo_radio_2", "ux_demo_radio_3"});
    quality->SetPosition(16.0f, 96.0f);
    quality->SelectedIndex = 1;
}

// Two tabs over their panels: three buttons, and the settings; the first selected.
void AddTabs(TUxDataWriter& data, UX::TForm* form, UX::TLayer* layer, const TSharedLooks& looks)
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
            AddSettings(data, layer, panel, looks);
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
void AddChips(TUxDataWriter& data, UX::TForm* form, const TSharedLooks& looks)
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

    UX::TVScroller* scroll = AddScrollBar(data, form, "ux_demo_scroll", 400.0f, looks);
    scroll->TControl::SetPosition(1096.0f, 112.0f);
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

// A control's style of the name, made before.
UX::TTransitionStyle* Style(const char* name)
{
    return UX::TUXManager::Instance().FindStyle(TName(name, true));
}

// The option rows of the third column, one of each kind: a caption (lit while the row's control
// is active) and the control on its right.
void AddOptionRows(TUxDataWriter& data, UX::TForm* form, UX::TLayer* layer, const TSharedLooks& looks)
{
    constexpr f32 kLeft = 1176.0f;
    constexpr f32 kRowWidth = 584.0f;
    constexpr f32 kHeight = 48.0f;
    constexpr f32 kPitch = 56.0f;
    constexpr f32 kControl = 256.0f;
    constexpr f32 kControlWidth = kRowWidth - kControl;
    UX::TTransitionStyle* caption = data.AddStyle("ux_demo_caption");
    WithText(caption, kTextSize, TEXT_LEFT);
    caption->aTransition[UX::STATE_FOCUSED].TextColor = {1.0f, 0.86f, 0.45f, 1.0f};
    f32 y = 112.0f;
    auto row = [&](auto* control, const char* key) {
        Place(control, kLeft, y, kRowWidth, kHeight);
        y += kPitch;
        UX::TLabel* label = data.AddControl<UX::TLabel>(nullptr, control, "ux_demo_caption");
        label->SetSize(kControl - 8.0f, kHeight);
        SetText(label->Text, key);
        control->pLabel = label;
        return control;
    };

    auto* subtitles = row(data.AddControl<UX::TExtendedCheckBox>("ux_demo_option_subtitles", form), "ux_demo_check");
    UX::TCheckBox* box = data.AddControl<UX::TCheckBox>("ux_demo_option_subtitles_box", subtitles, "ux_demo_check_off");
    box->pStyle[0] = Style("ux_demo_check_off");
    box->pStyle[1] = Style("ux_demo_check_on");
    box->nFlags |= UX::CONTROL_FOCUSABLE;
    // The mark keeps its three slices square at the left of a wider box.
    Place(box, kControl, 0.0f, kControlWidth, kHeight);
    box->AddActionBinding(UX::ClickAction(), "Space", UX::SCOPE_FOCUSED);
    subtitles->pCheckBox = box;

    auto* shadows = row(data.AddControl<UX::TExtendedSelector>("ux_demo_option_shadows", form), "ux_demo_shadows");
    shadows->pSelector = AddSelector(data, shadows, "ux_demo_option_shadows_selector", kControlWidth, kHeight,
                                     {"ux_demo_radio_1", "ux_demo_radio_2", "ux_demo_radio_3"});
    shadows->pSelector->SetPosition(kControl, 0.0f);
    shadows->pSelector->SelectedIndex = 2;

    auto* code = row(data.AddControl<UX::TExtendedLabel>("ux_demo_option_code", form), "ux_demo_code");
    code->pValue = data.AddControl<UX::TLabel>("ux_demo_option_code_value", code, "ux_demo_value");
    Place(code->pValue, kControl, 0.0f, kControlWidth, kHeight);
    SetText(code->pValue->Text, "ux_demo_code_value");

    auto* callSign = row(data.AddControl<UX::TExtendedTextBox>("ux_demo_option_call_sign", form), "ux_demo_call_sign");
    callSign->pTextBox = data.AddControl<UX::TTextBox>("ux_demo_option_call_sign_box", callSign, "ux_demo_textbox");
    Place(callSign->pTextBox, kControl, 0.0f, kControlWidth, kHeight);
    callSign->pTextBox->Hint = TName("ux_demo_call_sign_hint", true);

    // The key buttons look like tabs: checked, a button listens for its key.
    auto* horn = row(data.AddControl<UX::TExtendedKeyInput>("ux_demo_option_horn", form), "ux_demo_horn");
    UX::TCheckBox* keys[2];
    const char* keyNames[2][2] = {{"ux_demo_option_horn_primary", "ux_demo_key_horn"},
                                  {"ux_demo_option_horn_secondary", "ux_demo_key_horn_2"}};
    for (int i = 0; i < 2; ++i)
    {
        keys[i] = data.AddControl<UX::TCheckBox>(keyNames[i][0], horn, "ux_demo_tab_off");
        keys[i]->pStyle[0] = Style("ux_demo_tab_off");
        keys[i]->pStyle[1] = Style("ux_demo_tab_on");
        keys[i]->nFlags |= UX::CONTROL_FOCUSABLE;
        Place(keys[i], kControl + static_cast<f32>(i) * 168.0f, 0.0f, 160.0f, kHeight);
        SetText(keys[i]->Text, keyNames[i][1]);
    }
    horn->pButtonPrimary = keys[0];
    horn->pButtonSecondary = keys[1];

    auto* traffic = row(data.AddControl<UX::TExtendedTrackBar>("ux_demo_option_traffic", form), "ux_demo_traffic");
    traffic->pLeft = AddButton(data, "ux_demo_option_traffic_left", traffic, "ux_demo_minus");
    Place(traffic->pLeft, kControl, 0.0f, kHeight, kHeight);
    traffic->pTrackbar = AddTrackBar(data, traffic, "ux_demo_option_traffic_bar", kControlWidth - 2.0f * kHeight,
                                     kHeight, looks);
    Place(traffic->pTrackbar, kControl + kHeight, 0.0f, kControlWidth - 2.0f * kHeight, kHeight);
    traffic->pTrackbar->Value = 3;
    traffic->pRight = AddButton(data, "ux_demo_option_traffic_right", traffic, "ux_demo_plus");
    PlaceRight(traffic->pRight, kHeight);

    // In the order a copy finds them by place: the caption, the slider, and under the slider its
    // value and percent sign after its three parts.
    auto* volume = row(data.AddControl<UX::TExtendedSlider>("ux_demo_option_volume", form), "ux_demo_volume");
    constexpr f32 kSlider = 208.0f;
    UX::TSlider* slider = AddSlider(data, volume, "ux_demo_option_volume_slider", kHeight, looks);
    Place(slider, kControl, 0.0f, kSlider, kHeight);
    slider->Minimum = 0;
    slider->Maximum = 100;
    slider->Step = 5;
    slider->Value = 80;
    UX::TLabel* value = AddValueLabel(data, "ux_demo_option_volume_value", slider, 0.0f, 0.0f);
    Place(value, kSlider + 8.0f, 0.0f, 72.0f, kHeight);
    UX::TLabel* percent = AddValueLabel(data, "ux_demo_option_volume_percent", slider, 0.0f, 0.0f);
    Place(percent, kSlider + 80.0f, 0.0f, 32.0f, kHeight);
    SetText(percent->Text, "ux_demo_percent");
    volume->pSlider = slider;
    volume->pLabelValue = value;
    volume->pLabelPercent = percent;

    auto* licence = row(data.AddControl<UX::TDateControl>("ux_demo_option_licence", form), "ux_demo_licence");
    const char* lists[3] = {"ux_demo_option_licence_year", "ux_demo_option_licence_month",
                            "ux_demo_option_licence_day"};
    const f32 widths[3] = {136.0f, 88.0f, 88.0f};
    UX::TComboBox* combos[3];
    f32 x = kControl;
    for (int i = 0; i < 3; ++i)
    {
        combos[i] = AddComboBox(data, layer, licence, lists[i], widths[i], kHeight, looks);
        combos[i]->SetPosition(x, 0.0f);
        x += widths[i] + 8.0f;
    }
    licence->pYear = combos[0];
    licence->pMonth = combos[1];
    licence->pDay = combos[2];
}

// The saved games below the option rows: a grid of three rows, each with a title, the money and
// the time saved (named as the screen's record columns), and its scroll bar.
void AddSavedGames(TUxDataWriter& data, UX::TForm* form, const TSharedLooks& looks)
{
    constexpr f32 kLeft = 1176.0f;
    constexpr f32 kWidth = 536.0f;
    constexpr f32 kRow = 48.0f;
    constexpr i32 kRows = 3;
    UX::TLabel* heading = data.AddControl<UX::TLabel>("ux_demo_saved_games", form, "ux_demo_caption");
    Place(heading, kLeft, 556.0f, kWidth, 40.0f);
    SetText(heading->Text, "ux_demo_saved_games");
    WithText(data.AddStyle("ux_demo_cell"), 22.0f, TEXT_LEFT);

    UX::TGridView* grid = data.AddControl<UX::TGridView>(UX_DEMO_SAVED_GAMES_NAME, form, "ux_demo_setting");
    Place(grid, kLeft, 600.0f, kWidth, kRow * kRows);
    grid->nFlags |= UX::CONTROL_FOCUSABLE;
    grid->RowHeight = kRow;
    grid->SelectedBackground = looks.selected;
    struct TCell
    {
        const char* column;
        f32 x;
        f32 width;
    };
    const TCell cells[3] = {{"title", 12.0f, 240.0f}, {"money", 260.0f, 88.0f}, {"saved", 352.0f, 184.0f}};
    for (i32 i = 0; i < kRows; ++i)
    {
        UX::TPictureBox* line = data.AddControl<UX::TPictureBox>(nullptr, grid);
        line->SetSize(kWidth, kRow);
        for (const TCell& cell : cells)
        {
            UX::TLabel* label = data.AddControl<UX::TLabel>(cell.column, line, "ux_demo_cell");
            Place(label, cell.x, 0.0f, cell.width, kRow);
            // A click on a cell selects its row.
            label->nFlags |= UX::CONTROL_IGNORES_MOUSE;
        }
        grid->aDetail.Add(line);
    }
    UX::TVScroller* scroll = AddScrollBar(data, form, "ux_demo_saved_games_scroll", kRow * kRows, looks);
    scroll->TControl::SetPosition(kLeft + kWidth, 600.0f);
    grid->pVScroller = scroll;
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

UX::TSelector* AddDemoSelector(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 width, f32 height,
                               std::initializer_list<const char*> keys)
{
    return AddSelector(data, parent, name, width, height, keys);
}

UX::TComboBox* AddDemoComboBox(TUxDataWriter& data, UX::TLayer* layer, UX::TControl* parent, const char* name,
                               f32 width, f32 height)
{
    return AddComboBox(data, layer, parent, name, width, height, s_Looks);
}

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
    const TStateLook buttonLooks[UX::STATE_COUNT] = {
        {"ux_demo_button_hidden", 0x007A9CC0, 0x003A5068},  {"ux_demo_button_focused", 0xFFF0C040, 0xFF3A5068},
        {"ux_demo_button_normal", 0xFF7A9CC0, 0xFF3A5068},  {"ux_demo_button_pressed", 0xFF7A9CC0, 0xFF1C2A3A},
        {"ux_demo_button_disabled", 0x80606870, 0x80303840}, {"ux_demo_button_hover", 0xFFB0D0F0, 0xFF4C6A8C},
    };
    UX::TTransitionStyle* buttonStyle = data.AddStyle("ux_demo_button");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = buttonStyle->aTransition[state];
        block.Image = Image(data, buttonLooks[state].name, 24, 24,
                            Framed(24, 3, buttonLooks[state].frame, buttonLooks[state].fill),
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
    form->SetSize(kFormWidth, 840.0f);
    const UX::TImage panel = Image(data, "ux_demo_panel", 48, 48, Framed(48, 4, 0xFF5A8CC8, 0xE0182838),
                                   UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    // Dragged by its header: the body below it takes the presses between the controls.
    form->FormFlags = UX::FORM_DRAGGABLE;
    data.AddFormToLayer(form, layer);
    UX::TPictureBox* body = data.AddControl<UX::TPictureBox>("ux_demo_body", form);
    Place(body, 0.0f, 96.0f, kFormWidth, 744.0f);
    // The mouse wheel scrolls the panel the mouse is over (the screen hands the actions on).
    form->AddActionBinding(UX::ScrollUpAction(), "MouseScrollUp", UX::SCOPE_TOP_FORM);
    form->AddActionBinding(UX::ScrollDownAction(), "MouseScrollDown", UX::SCOPE_TOP_FORM);

    const TSharedLooks looks = AddSharedLooks(data);
    s_Looks = looks;
    AddHeader(data, form);
    AddChoices(data, form);
    AddValues(data, form, looks);
    AddTabs(data, form, layer, looks);
    AddChips(data, form, looks);
    AddTextBoxes(data, form);
    AddOptionRows(data, form, layer, looks);
    AddSavedGames(data, form, looks);

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

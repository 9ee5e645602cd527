#include "uxvehicletaskrecords.h"

#include "morvane/ui/uivehicletaskdialog.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.trackbar.h"
#include "uxdatawriter.h"
#include "uxrecords.h"
#include "uxtextures.h"

#include <string>

namespace
{
using namespace UxTextures;

constexpr f32 kFormWidth = 560.0f;
constexpr f32 kFormHeight = 176.0f;
// Below the in-game screen's title bar.
constexpr f32 kFormTop = 96.0f;
constexpr f32 kRowTop = 64.0f;
constexpr f32 kRowHeight = 48.0f;
constexpr f32 kCaptionWidth = 140.0f;
constexpr f32 kBarWidth = 260.0f;
constexpr f32 kValueWidth = 120.0f;
constexpr f32 kSide = 16.0f;
// Text layouts of a state block (ones: 0 left, 1 centred, 2 right).
constexpr u32 kTextLeft = 0;
constexpr u32 kTextCentred = 1;
constexpr u32 kTextRight = 2;

// White text, clear when hidden; the pressed state in the warning colour.
void TextStyle(TUxDataWriter& data, const char* name, f32 size, u32 layout)
{
    data.AddTextStyle(name, size, layout, {0.94f, 0.96f, 1.0f, 1.0f})->aTransition[UX::STATE_PRESSED].TextColor = {
        1.0f, 0.3f, 0.2f, 1.0f};
}

void Place(UX::TControl* control, f32 x, f32 y, f32 width, f32 height)
{
    control->nEdgeFlags = UX::SIDE_LEFT | UX::SIDE_TOP;
    control->SetPosition(x, y);
    control->SetSize(width, height);
    control->nFlags |= UX::CONTROL_IGNORES_MOUSE;
}

UX::TLabel* AddLabel(TUxDataWriter& data, const char* name, UX::TControl* parent, const char* style,
                     const char* key)
{
    UX::TLabel* label = data.AddControl<UX::TLabel>(name, parent, style);
    if (key)
        label->Text.SetName(TName(key, true));
    return label;
}

// One row: the caption, a track bar with its scale and a knob in the middle, the value.
void AddRow(TUxDataWriter& data, UX::TControl* form, f32 y, const char* caption, const char* key, const char* barName,
            const char* valueName, i32 range)
{
    Place(AddLabel(data, caption, form, "ux_vehicle_caption", key), kSide, y, kCaptionWidth, kRowHeight);
    const std::string base(barName);
    UX::TTrackBar* bar = data.AddControl<UX::TTrackBar>(barName, form);
    Place(bar, kSide + kCaptionWidth, y, kBarWidth, kRowHeight);
    bar->Minimum = static_cast<i16>(-range);
    bar->Maximum = static_cast<i16>(range);
    bar->Value = 0;
    UX::TPictureBox* scale = data.AddControl<UX::TPictureBox>((base + "_scale").c_str(), bar);
    Place(scale, 12.0f, kRowHeight * 0.5f - 3.0f, kBarWidth - 24.0f, 6.0f);
    const UX::TImage scaleImage =
        UX::TImage::Make(data.AddTexture("ux_vehicle_scale", 8, 8, Solid(8, 8, 0xFF6C8098)), UX::IMAGE_STRETCH);
    scale->SetBackgroundImage(&scaleImage);
    // The middle of the scale: docked.
    UX::TPictureBox* mark = data.AddControl<UX::TPictureBox>((base + "_mark").c_str(), bar);
    Place(mark, kBarWidth * 0.5f - 1.0f, kRowHeight * 0.5f - 12.0f, 2.0f, 24.0f);
    const UX::TImage markImage =
        UX::TImage::Make(data.AddTexture("ux_vehicle_mark", 4, 4, Solid(4, 4, 0xFF60D070)), UX::IMAGE_STRETCH);
    mark->SetBackgroundImage(&markImage);
    UX::TPictureBox* knob = data.AddControl<UX::TPictureBox>((base + "_knob").c_str(), bar);
    Place(knob, kBarWidth * 0.5f - 6.0f, kRowHeight * 0.5f - 14.0f, 12.0f, 28.0f);
    const UX::TImage knobImage = UX::TImage::Make(
        data.AddTexture("ux_vehicle_knob", 12, 12, Framed(12, 2, 0xFF202830, 0xFFF0C040)), UX::IMAGE_NINE_SLICES);
    knob->SetBackgroundImage(&knobImage);
    bar->pScale = scale;
    bar->pSlider = knob;
    Place(AddLabel(data, valueName, form, "ux_vehicle_value", nullptr), kSide + kCaptionWidth + kBarWidth, y,
          kValueWidth, kRowHeight);
}
} // namespace

void AddVehicleTaskForm(TUxDataWriter& data, UX::TLayer* layer)
{
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_vehicle_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
        formStyle->aTransition[state].TransitionTime = 0.2f;
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;
    TextStyle(data, "ux_vehicle_title", 28.0f, kTextCentred);
    TextStyle(data, "ux_vehicle_caption", 24.0f, kTextLeft);
    TextStyle(data, "ux_vehicle_value", 26.0f, kTextRight);

    UX::TForm* form = data.AddControl<UX::TForm>(VEHICLE_TASK_FORM_NAME, nullptr, "ux_vehicle_form");
    form->LayerIndex = 0;
    form->nAspectMode = 3;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::SIDE_TOP;
    form->fLeft = 0.5f;
    form->fTop = kFormTop;
    form->SetSize(kFormWidth, kFormHeight);
    form->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    const UX::TImage panel = UX::TImage::Make(
        data.AddTexture("ux_vehicle_panel", 48, 48, Framed(48, 3, 0xFFA0B4C8, 0xD8141E2A)), UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    data.AddFormToLayer(form, layer);

    UX::TLabel* title = AddLabel(data, VEHICLE_TASK_TITLE_NAME, form, "ux_vehicle_title", "VehicleTaskTitle");
    Place(title, 0.0f, 10.0f, kFormWidth, 44.0f);
    AddRow(data, form, kRowTop, VEHICLE_TASK_DISTANCE_CAPTION_NAME, "VehicleTaskDistance",
           VEHICLE_TASK_DISTANCE_BAR_NAME, VEHICLE_TASK_DISTANCE_NAME, VEHICLE_TASK_DISTANCE_RANGE);
    AddRow(data, form, kRowTop + kRowHeight + 8.0f, VEHICLE_TASK_ANGLE_CAPTION_NAME, "VehicleTaskAngle",
           VEHICLE_TASK_ANGLE_BAR_NAME, VEHICLE_TASK_ANGLE_NAME, VEHICLE_TASK_ANGLE_RANGE);
    // Stored hidden: the player's cargo task brings it in.
    form->HideNow();
}

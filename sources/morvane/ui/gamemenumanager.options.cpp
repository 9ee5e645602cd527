// The options window of TGameMenuManager: tabs Video, Audio and Controls, each a menu of rows
// holding one slider or YES/NO check box over a console variable. A tab loads its controls from
// the variables when it is shown; Controls and Audio write each change back at once (through
// the variable's own change notification); Video waits for Apply, except the gamma. Apply also
// writes the settings files the next start reads.
#include "morvane/ui/gamemenumanager.h"

#include "engine/render/device.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/command/variable.h"
#include "morvane/ui/soundplayer.h"
#include "ui/uibutton.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>
#include <cstdio>

// A row of a tab's menu and the variable its control edits: the tab loads it when shown.
struct TOptionRow
{
    const char* pRow;
    const char* pCaption;
    const char* pControl;
    // A slider's maximum and labels "0" .. maximum; 0: a check box.
    i32 nMaximum;
    TDeferredVariable* pVariable;
    TGameMenuManager::TClickHandler pHandler;
};

namespace
{
// Ours: the gap between rows and the share of a row its control takes at the right.
constexpr f32 OPTION_ROW_GAP = 8.0f;
constexpr f32 OPTION_CONTROL_SHARE = 0.5f;
constexpr f32 OPTION_CONTROL_WIDTH = 240.0f;
constexpr f32 OPTION_SLIDER_HEIGHT = 20.0f;
constexpr f32 OPTION_FOOTER_GAP = 12.0f;
// The footer: the page's width, this far above its bottom.
constexpr f32 OPTION_FOOTER_HEIGHT = 32.0f;
constexpr f32 OPTION_FOOTER_BOTTOM = 28.0f;
// Resolutions below this height are not offered.
constexpr f32 VIDEO_MODE_MIN_HEIGHT = 600.0f;
constexpr u32 ASPECT_CLASS_COUNT = 4;

// The display modes of each aspect class and their labels "%dx%d", as the Video tab lists them.
struct TVideoModeLabel
{
    char aText[32];
};
std::vector<TVector> s_aVideoMode[ASPECT_CLASS_COUNT];
std::vector<TVideoModeLabel> s_aVideoModeLabel[ASPECT_CLASS_COUNT];

TDeferredVariable s_MouseSensitivity("device_mouse_sensitivity");
TDeferredVariable s_InvertAxis("device_invert_axis");
TDeferredVariable s_AutoStartAITasks("game_autostartaitask");
TDeferredVariable s_TotalVolume("device_audio_mainvolume");
TDeferredVariable s_MusicVolume("device_audio_musicvolume");
TDeferredVariable s_EffectsVolume("device_audio_effectsvolume");
TDeferredVariable s_AmbientVolume("device_audio_ambientvolume");
TDeferredVariable s_DetailLevel("device_detaillevel");
TDeferredVariable s_Gamma("game_gamma");
TDeferredVariable s_VideoSize("device_size");


const TOptionRow CONTROLS_ROWS[] = {
    {"MouseSensitivityDialogItem", "MouseSensitivity", "MouseSensitivitySlider", 10, &s_MouseSensitivity,
     &TGameMenuManager::_OnMouseSensitivityChanged},
    {"InvertAxisDialogItem", "InvertAxis", "InvertAxisCheckBox", 0, &s_InvertAxis,
     &TGameMenuManager::_OnInvertAxisChanged},
    {"AutoStartAITasksDialogItem", "AutoStartAITasks", "AutoStartAITasksCheckBox", 0, &s_AutoStartAITasks,
     &TGameMenuManager::_OnAutoStartAITasksChanged},
};
const TOptionRow AUDIO_ROWS[] = {
    {"TotalVolumeDialogItem", "TotalVolume", "TotalVolumeSlider", 11, &s_TotalVolume,
     &TGameMenuManager::_OnTotalVolumeChanged},
    {"MusicVolumeDialogItem", "MusicVolume", "MusicVolumeSlider", 11, &s_MusicVolume,
     &TGameMenuManager::_OnMusicVolumeChanged},
    {"EffectsVolumeDialogItem", "EffectsVolume", "EffectsVolumeSlider", 11, &s_EffectsVolume,
     &TGameMenuManager::_OnEffectsVolumeChanged},
    {"AmbientVolumeDialogItem", "AmbientVolume", "AmbientVolumeSlider", 11, &s_AmbientVolume,
     &TGameMenuManager::_OnAmbientVolumeChanged},
};

TUIButton* AddOptionRow(TUIMenu* dialog, const char* name, const char* captionKey)
{
    TUIButton* row = dialog->AddButton(captionKey, "DialogItemStyle", 0);
    row->SetName(name);
    return row;
}

// A slider of the options: arrows left and right, the labels "0" .. maximum (the caption shows
// the label of the value), never below 1 unless the minimum is 0; it reacts to hot keys only.
TUISlider* AddOptionSlider(TUIItem* row, const char* name, i32 maximum, bool minimumOne)
{
    TUISlider* slider = TUISlider::Create(row, name, OPTION_CONTROL_WIDTH, OPTION_SLIDER_HEIGHT, nullptr,
                                          "Arrow Left", "Arrow Right", nullptr, 1.0f, static_cast<f32>(maximum),
                                          0.0f, true, UI_THUMB_NONE, nullptr);
    slider->SetStyle("DialogItemStyle");
    slider->m_Caption.m_nAlignH = UI_ALIGN_CENTRE;
    slider->m_Caption.m_nFlags &= ~UI_TEXT_LOCALISED;
    if (minimumOne)
        slider->SetMinimumOne(true);
    for (i32 label = 0; label <= maximum; ++label)
    {
        char text[8];
        std::snprintf(text, sizeof(text), "%d", label);
        slider->AddLabel(text);
    }
    slider->m_nFlags |= UI_IGNORES_SELECT;
    slider->SetFromRight(0.0f);
    for (const char* key : {"menuleft", "optionprev"})
        slider->GetUpButton()->AddAction(key);
    for (const char* key : {"menuright", "menuselect", "optionnext"})
        slider->GetDownButton()->AddAction(key);
    return slider;
}

TUIButton* AddCheckBox(TUIItem* row, const char* name)
{
    auto* box = static_cast<TUIButton*>(row->CreateChild("TUIButton", name));
    box->SetCaption("YES");
    box->SetStyle("DialogCheckBoxStyle");
    box->m_nToggle = 1;
    box->SetSize(OPTION_CONTROL_WIDTH, OPTION_SLIDER_HEIGHT);
    box->SetFromRight(0.0f);
    for (const char* key : {"menuleft", "menuright", "menuselect", "menuselect2", "optionnext", "optionprev"})
        box->AddAction(key);
    box->OnClickList.Add([](TUIItem* sender, const void*) { return TGameMenuManager::SetYesNoCaption(sender); });
    return box;
}

void WriteFloat(TDeferredVariable& variable, f32 value)
{
    if (variable.GetVariable())
        variable.SetFloat(value);
}

f32 SliderValue(TUIItem* sender)
{
    auto* slider = dynamic_cast<TUISlider*>(sender);
    return slider ? slider->GetValue() : 0.0f;
}

i32 CheckedValue(TUIItem* sender)
{
    return sender && (sender->m_nFlags & UI_CHECKED) ? 1 : 0;
}

// Activates the page's dialog menu; the footer's entry 1 (or its only one) takes the focus.
void FocusTab(TUIItem* page, const char* dialogName)
{
    auto* dialog = dynamic_cast<TUIMenu*>(page->FindItem(TName(dialogName)));
    auto* footer = dynamic_cast<TUIMenu*>(page->FindItem(TName("FooterMenu")));
    if (dialog)
    {
        dialog->Activate();
        if (dialog->GetFocusIndex() < 0)
            dialog->SetFocus(0);
        TGameMenuManager::_FitDialogRows(dialog);
    }
    if (footer && footer->GetFocusIndex() < 0)
        footer->SetFocus(footer->GetChildren().size() < 2 ? 0 : 1);
}

// Each control takes its variable's value: a slider as a float (its change listeners run once
// with it), a check box checked when the value as an integer is non-zero.
void LoadRows(TUIItem* page, const TOptionRow* rows, size_t count)
{
    for (const TOptionRow& row : std::span(rows, count))
    {
        TUIItem* control = page->FindItem(TName(row.pControl));
        if (auto* slider = dynamic_cast<TUISlider*>(control))
            slider->SetValueAndNotify(row.pVariable->GetValue().ToFloat());
        else if (control)
        {
            control->SetChecked(row.pVariable->GetValue().ToInt() != 0);
            TGameMenuManager::SetYesNoCaption(control);
        }
    }
}
} // namespace


TUIMenu* TGameMenuManager::_CreateOptionsTab(TUIButton* page, const char* dialogName, bool apply)
{
    TUIItem* inner = page->FindItem(TName("Inner"));
    auto* dialog = static_cast<TUIMenu*>(inner->CreateChild("TUIMenu", dialogName));
    dialog->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    auto* footer = static_cast<TUIMenu*>(page->CreateChild("TUIMenu", "FooterMenu"));
    footer->m_nHorizontal = 1;
    footer->m_fColumnGap = OPTION_FOOTER_GAP;
    footer->SetSize(0.0f, OPTION_FOOTER_HEIGHT);
    footer->SetFromBottom(OPTION_FOOTER_BOTTOM);
    footer->SetFromRight(0.0f);
    footer->OnBack.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    TUIButton* back = footer->AddButton("Back", "FooterMenuBackStyle", 0);
    back->OnClickList.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    back->AddAction("menuselect");
    if (apply)
    {
        TUIButton* applyButton = footer->AddButton("Apply", "FooterMenuStyle", 0);
        applyButton->OnClickList.Bind(this, &TGameMenuManager::OnApplyVideo);
        applyButton->AddAction("menuselect");
    }
    dialog->m_pNextMenu = footer;
    footer->m_pNextMenu = dialog;
    return dialog;
}

void TGameMenuManager::_AddOptionRows(TUIMenu* dialog, const TOptionRow* rows, size_t count)
{
    for (const TOptionRow& row : std::span(rows, count))
    {
        TUIButton* item = AddOptionRow(dialog, row.pRow, row.pCaption);
        if (row.nMaximum > 0)
            AddOptionSlider(item, row.pControl, row.nMaximum, true)->OnChange.Bind(this, row.pHandler);
        else
            AddCheckBox(item, row.pControl)->OnClickList.Bind(this, row.pHandler);
    }
}

void TGameMenuManager::_CreateOptionsWindow()
{
    TUIButton* window = _CreateSubWindow("Options", true);
    m_pOptionsWindow = window;
    // Its key closes it; a press on its background does not.
    window->AddAction("menuback");
    window->m_nFlags |= UI_IGNORES_SELECT;
    window->OnClickList.Bind(this, &TGameMenuManager::_OnCloseSubWindow);
    TUIItem* strip = window->FindItem(TName("Tab"));
    TUIItem* buttons = _CreateTabButtons(window);
    TUIButton* video = _CreateTabPage(strip, buttons, "TabVideo", "TabButtonVideo", "Video");
    TUIButton* audio = _CreateTabPage(strip, buttons, "TabAudio", "TabButtonAudio", "Audio");
    TUIButton* controls = _CreateTabPage(strip, buttons, "TabControls", "TabButtonControls", "Controls");
    video->OnShow.Bind(this, &TGameMenuManager::OnVideoTabShown);
    audio->OnShow.Bind(this, &TGameMenuManager::OnAudioTabShown);
    controls->OnShow.Bind(this, &TGameMenuManager::OnControlsTabShown);

    _AddOptionRows(_CreateOptionsTab(controls, "DialogControls", false), CONTROLS_ROWS, std::size(CONTROLS_ROWS));

    TUIMenu* dialog = _CreateOptionsTab(video, "DialogVideo", true);
    TUISlider* aspect =
        AddOptionSlider(AddOptionRow(dialog, "AspectRatioDialogItem", "AspectRatio"), "AspectRatioSlider", 0, false);
    aspect->ClearLabels();
    for (const char* label : {"4:3", "16:9", "16:10", "Other"})
        aspect->AddLabel(label);
    aspect->SetMaxValue(static_cast<f32>(ASPECT_OTHER));
    aspect->OnChange.Bind(this, &TGameMenuManager::_OnAspectRatioChanged);
    AddOptionSlider(AddOptionRow(dialog, "ResolutionDialogItem", "Resolution"), "ResolutionSlider", 0, false)
        ->ClearLabels();
    AddCheckBox(AddOptionRow(dialog, "FullScreenDialogItem", "FullScreen"), "FullScreenCheckBox");
    AddOptionSlider(AddOptionRow(dialog, "DetailLevelDialogItem", "DetailLevel"), "DetailLevelSlider", 5, true);
    AddOptionSlider(AddOptionRow(dialog, "GammaLevelDialogItem", "GammaLevel"), "GammaLevelSlider", 10, true)
        ->OnChange.Bind(this, &TGameMenuManager::_OnGammaChanged);

    _AddOptionRows(_CreateOptionsTab(audio, "DialogAudio", false), AUDIO_ROWS, std::size(AUDIO_ROWS));
}

void TGameMenuManager::_FitDialogRows(TUIMenu* dialog)
{
    const f32 width = dialog->GetParent() ? dialog->GetParent()->m_Size.x : 0.0f;
    dialog->m_fRowGap = OPTION_ROW_GAP;
    // The rows are as wide as the page: centred on their captions they would stand out left.
    dialog->m_nAlign = UI_ALIGN_NEAR;
    for (TUIItem* row : dialog->GetChildren())
    {
        f32 captionWidth = 0.0f, height = 0.0f;
        TUIMenu::MeasureEntry(row, captionWidth, height);
        height = std::max(height, OPTION_SLIDER_HEIGHT);
        row->SetSize(width, height);
        // A long caption keeps its text whole: the control gives way to it.
        const f32 controlWidth =
            std::max(0.0f, std::min(width * OPTION_CONTROL_SHARE, width - captionWidth - OPTION_ROW_GAP));
        for (TUIItem* control : row->GetChildren())
        {
            control->SetSize(controlWidth, OPTION_SLIDER_HEIGHT);
            control->SetTop(UI_PLACE_NEAR, (height - OPTION_SLIDER_HEIGHT) * 0.5f);
        }
    }
}

i32 TGameMenuManager::SetYesNoCaption(TUIItem* box)
{
    if (box)
        box->SetCaption(box->m_nFlags & UI_CHECKED ? "YES" : "NO");
    return 0;
}

i32 TGameMenuManager::OnControlsTabShown(TUIItem* page)
{
    FocusTab(page, "DialogControls");
    LoadRows(page, CONTROLS_ROWS, std::size(CONTROLS_ROWS));
    return 0;
}

i32 TGameMenuManager::OnAudioTabShown(TUIItem* page)
{
    FocusTab(page, "DialogAudio");
    LoadRows(page, AUDIO_ROWS, std::size(AUDIO_ROWS));
    return 0;
}

i32 TGameMenuManager::_OnMouseSensitivityChanged(TUIItem* sender)
{
    WriteFloat(s_MouseSensitivity, SliderValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnInvertAxisChanged(TUIItem* sender)
{
    if (s_InvertAxis.GetVariable())
        s_InvertAxis.SetInt(CheckedValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnAutoStartAITasksChanged(TUIItem* sender)
{
    if (s_AutoStartAITasks.GetVariable())
        s_AutoStartAITasks.SetInt(CheckedValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnTotalVolumeChanged(TUIItem* sender)
{
    WriteFloat(s_TotalVolume, SliderValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnMusicVolumeChanged(TUIItem* sender)
{
    WriteFloat(s_MusicVolume, SliderValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnEffectsVolumeChanged(TUIItem* sender)
{
    WriteFloat(s_EffectsVolume, SliderValue(sender));
    return 0;
}

i32 TGameMenuManager::_OnAmbientVolumeChanged(TUIItem* sender)
{
    WriteFloat(s_AmbientVolume, SliderValue(sender));
    return 0;
}

i32 TGameMenuManager::_AddVideoMode(const TVector& mode)
{
    const u32 aspect = ClassifyAspectRatio(mode.x, mode.y);
    if (s_aVideoMode[aspect].size() >= UI_SLIDER_LABEL_CAPACITY)
        return -1;
    TVideoModeLabel label = {};
    std::snprintf(label.aText, sizeof(label.aText), "%dx%d", static_cast<i32>(mode.x), static_cast<i32>(mode.y));
    s_aVideoMode[aspect].push_back(mode);
    s_aVideoModeLabel[aspect].push_back(label);
    return static_cast<i32>(s_aVideoMode[aspect].size() - 1);
}

u32 TGameMenuManager::GetVideoModeCount(u32 aspect)
{
    return aspect < ASPECT_CLASS_COUNT ? static_cast<u32>(s_aVideoMode[aspect].size()) : 0;
}

const TVector* TGameMenuManager::GetVideoMode(u32 aspect, u32 index)
{
    return index < GetVideoModeCount(aspect) ? &s_aVideoMode[aspect][index] : nullptr;
}

i32 TGameMenuManager::_BuildVideoModes(const TVector* modes, u32 count, i32 width, i32 height, bool fullScreen,
                                       u32& aspect)
{
    for (u32 i = 0; i < ASPECT_CLASS_COUNT; ++i)
    {
        s_aVideoMode[i].clear();
        s_aVideoModeLabel[i].clear();
    }
    i32 selected = -1;
    for (u32 i = 0; i < count; ++i)
    {
        const TVector& mode = modes[i];
        if (mode.y < VIDEO_MODE_MIN_HEIGHT)
            continue;
        const i32 index = _AddVideoMode(mode);
        if (index >= 0 && static_cast<i32>(mode.x) == width && static_cast<i32>(mode.y) == height)
        {
            selected = index;
            aspect = ClassifyAspectRatio(mode.x, mode.y);
        }
    }
    if (selected >= 0)
        return selected;
    if (!fullScreen)
    {
        const TVector window{static_cast<f32>(width), static_cast<f32>(height), 0.0f, 1.0f};
        selected = _AddVideoMode(window);
        aspect = ClassifyAspectRatio(window.x, window.y);
    }
    if (selected < 0)
    {
        selected = 0;
        aspect = ASPECT_4_3;
    }
    return selected;
}

i32 TGameMenuManager::OnVideoTabShown(TUIItem* page)
{
    FocusTab(page, "DialogVideo");
    TDeviceManager* device = g_pDeviceManager;
    if (!device)
        return 0;
    std::vector<TVector> modes;
    for (u32 i = 0; i < device->GetDisplayModeCount(); ++i)
        modes.push_back(device->GetDisplayMode(i));
    u32 aspect = ASPECT_4_3;
    const i32 selected = _BuildVideoModes(modes.data(), static_cast<u32>(modes.size()), device->GetVideoWidth(),
                                          device->GetVideoHeight(), device->IsFullScreen() != 0, aspect);
    auto* aspectSlider = dynamic_cast<TUISlider*>(page->FindItem(TName("AspectRatioSlider")));
    auto* resolution = dynamic_cast<TUISlider*>(page->FindItem(TName("ResolutionSlider")));
    if (aspectSlider && resolution)
    {
        aspectSlider->SetValueAndNotify(1.0f);
        aspectSlider->SetValueAndNotify(static_cast<f32>(aspect));
        resolution->SetValueAndNotify(static_cast<f32>(selected));
    }
    if (TUIItem* box = page->FindItem(TName("FullScreenCheckBox")))
    {
        box->SetChecked(device->IsFullScreen() != 0);
        SetYesNoCaption(box);
    }
    if (auto* detail = dynamic_cast<TUISlider*>(page->FindItem(TName("DetailLevelSlider"))))
        detail->SetValueAndNotify(s_DetailLevel.GetValue().ToFloat());
    if (auto* gamma = dynamic_cast<TUISlider*>(page->FindItem(TName("GammaLevelSlider"))))
        gamma->SetValueAndNotify(s_Gamma.GetValue().ToFloat());
    return 0;
}

i32 TGameMenuManager::_OnAspectRatioChanged(TUIItem* sender)
{
    auto* aspectSlider = dynamic_cast<TUISlider*>(sender);
    TUIItem* dialog = m_pOptionsWindow;
    auto* resolution = dialog ? dynamic_cast<TUISlider*>(dialog->FindItem(TName("ResolutionSlider"))) : nullptr;
    if (!aspectSlider || !resolution)
        return 0;
    const u32 aspect = std::min(static_cast<u32>(std::max(aspectSlider->GetValue(), 0.0f)), ASPECT_CLASS_COUNT - 1);
    resolution->SetValueAndNotify(0.0f);
    const i32 count = static_cast<i32>(s_aVideoModeLabel[aspect].size());
    resolution->SetMaxValue(static_cast<f32>(count - 1));
    resolution->ClearLabels();
    // A slider holds so many labels: the modes past them are not offered.
    for (i32 i = 0; i < count && resolution->AddLabel(s_aVideoModeLabel[aspect][static_cast<size_t>(i)].aText); ++i)
        ;
    resolution->SetMaxValue(static_cast<f32>(static_cast<i32>(resolution->GetLabelCount()) - 1));
    // A class without modes shows no resolution rather than the last class's.
    if (resolution->GetLabelCount() == 0)
        resolution->SetCaption("");
    return 0;
}

i32 TGameMenuManager::OnApplyVideo(TUIItem*)
{
    if (g_pSoundPlayerManager)
        g_pSoundPlayerManager->PlayButtonClick(nullptr);
    TUIItem* window = m_pOptionsWindow;
    if (!window)
        return 0;
    auto* aspectSlider = dynamic_cast<TUISlider*>(window->FindItem(TName("AspectRatioSlider")));
    auto* resolution = dynamic_cast<TUISlider*>(window->FindItem(TName("ResolutionSlider")));
    TUIItem* box = window->FindItem(TName("FullScreenCheckBox"));
    const TVector* mode = aspectSlider && resolution
                              ? GetVideoMode(static_cast<u32>(std::max(aspectSlider->GetValue(), 0.0f)),
                                             static_cast<u32>(std::max(resolution->GetValue(), 0.0f)))
                              : nullptr;
    // No mode in the class: the video mode stays, the rest applies.
    if (mode && g_pDeviceManager)
    {
        g_pDeviceManager->SetVideoMode(static_cast<i32>(mode->x), static_cast<i32>(mode->y), CheckedValue(box));
        // The device keeps the size unmarked; the player's choice is a setting to keep.
        if (TVariable* size = s_VideoSize.GetVariable())
            size->SetFlags(size->GetFlags() | VARIABLE_CHANGED);
    }
    if (auto* detail = dynamic_cast<TUISlider*>(window->FindItem(TName("DetailLevelSlider"))))
        WriteFloat(s_DetailLevel, detail->GetValue());
    _OnGammaChanged(nullptr);
    // Applied is kept: the next start reads these files before it makes the device.
    TCommandManager::Instance().SaveSettings();
    return 0;
}

i32 TGameMenuManager::_OnGammaChanged(TUIItem*)
{
    TUIItem* window = m_pOptionsWindow;
    if (auto* gamma = window ? dynamic_cast<TUISlider*>(window->FindItem(TName("GammaLevelSlider"))) : nullptr)
        WriteFloat(s_Gamma, gamma->GetValue());
    return 0;
}

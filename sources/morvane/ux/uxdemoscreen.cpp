#include "morvane/ux/uxdemoscreen.h"

#include "core/system/name.h"
#include "morvane/ux/datecontrol.h"
#include "morvane/ux/extendedslider.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"

#include <cstddef>
#include <iterator>

namespace
{
// A saved game as the list shows it.
struct TSavedGame
{
    char16_t title[UX::DATA_STRING_CAPACITY];
    i32 money;
    u64 saved;
};

// Days of 100-ns file time steps.
constexpr u64 kFileTimeDay = 864000000000ull;
// 1 June 2026, 00:00 UTC.
constexpr u64 kFileTimeJune2026 = 134'247'456'000'000'000ull;

const TSavedGame s_aSavedGame[] = {
    {u"Morning shift", 48200, kFileTimeJune2026 + 9 * kFileTimeDay / 24},
    {u"De-icing rush", 51750, kFileTimeJune2026 + 2 * kFileTimeDay + 17 * kFileTimeDay / 24},
    {u"Night cargo", 39900, kFileTimeJune2026 + 5 * kFileTimeDay + 23 * kFileTimeDay / 24},
    {u"Fog on runway 2", 60125, kFileTimeJune2026 + 9 * kFileTimeDay + 7 * kFileTimeDay / 24},
    {u"Holiday peak", 72480, kFileTimeJune2026 + 12 * kFileTimeDay + 14 * kFileTimeDay / 24},
};

UX::TRecordLayout SavedGameLayout()
{
    UX::TRecordLayout layout = {};
    layout.aColumn.Add({TName("title", true), UX::COLUMN_STRING, offsetof(TSavedGame, title)});
    layout.aColumn.Add({TName("money", true), UX::COLUMN_INT32, offsetof(TSavedGame, money)});
    layout.aColumn.Add({TName("saved", true), UX::COLUMN_FILE_TIME, offsetof(TSavedGame, saved)});
    layout.nStride = sizeof(TSavedGame);
    return layout;
}

// The control of the name and class below the form; null when there is none.
template <class T> T* FindControl(UX::TControl* form, const char* name)
{
    UX::TControl* control = form ? form->FindChild(TName(name, true)) : nullptr;
    return control && control->IsClass(T::Class()) ? static_cast<T*>(control) : nullptr;
}

void ShowNumber(UX::TLabel* label, i32 value)
{
    if (label)
        label->Text.Format(u"%d", value);
}

template <class O> void OnClick(UX::TControl* form, const char* name, O* owner, void (O::*handler)(UX::TControl*, UX::TMouse*))
{
    if (UX::TControl* control = form ? form->FindChild(TName(name, true)) : nullptr)
        control->Event(UX::EVENT_CLICK).AddHandler(0, owner, handler);
}
} // namespace

TUXDemoScreen::TUXDemoScreen() : UX::TInstance(UX_DEMO_NAME)
{
    // The language variants are found by their names' texts.
    for (const char* name : UX_DEMO_FLAG_VARIANTS)
        TName(name, true);
}

UX::TLabel* TUXDemoScreen::FindLabel(const char* name) const
{
    return FindControl<UX::TLabel>(GetForm(), name);
}

void TUXDemoScreen::OnInitialize()
{
    UX::TControl* form = GetForm();
    OnClick(form, "ux_demo_close", this, &TUXDemoScreen::OnClose);
    OnClick(form, "ux_demo_apply", this, &TUXDemoScreen::OnApply);
    if (form)
    {
        form->Event(UX::EVENT_ACTION).AddHandler(0, this, &TUXDemoScreen::OnFormAction);
        form->Event(UX::EVENT_SHOW).AddHandler(0, this, &TUXDemoScreen::OnFormShow);
    }
    m_pSliderValue = FindLabel("ux_demo_slider_value");
    m_pTrackBarValue = FindLabel("ux_demo_trackbar_value");
    m_pPanel = FindControl<UX::TPanel>(form, "ux_demo_area");
    if (UX::TSlider* slider = FindControl<UX::TSlider>(form, "ux_demo_slider"))
    {
        slider->OnChange.AddHandler(0, this, &TUXDemoScreen::OnSliderChange);
        ShowNumber(m_pSliderValue, slider->Value);
    }
    if (UX::TTrackBar* bar = FindControl<UX::TTrackBar>(form, "ux_demo_trackbar"))
    {
        bar->OnChange.AddHandler(0, this, &TUXDemoScreen::OnTrackBarChange);
        ShowNumber(m_pTrackBarValue, bar->Value);
    }
    // The resolutions the settings offer, as the game lists its display modes.
    if (UX::TComboBox* resolution = FindControl<UX::TComboBox>(form, "ux_demo_resolution"))
    {
        resolution->Items.Clear();
        for (const char16_t* mode : {u"1280 x 720", u"1366 x 768", u"1600 x 900", u"1920 x 1080", u"1920 x 1200",
                                     u"2560 x 1440"})
            resolution->Items.Add(resolution->Items.GetCount(), UX::TLocalization(mode));
        // Hidden now: shown later with the chosen mode.
        resolution->OnRefresh();
    }
    if (UX::TExtendedSlider* volume = FindControl<UX::TExtendedSlider>(form, "ux_demo_option_volume");
        volume && volume->pSlider && volume->pSlider->IsClass(UX::TSlider::Class()))
    {
        m_pVolumeValue = volume->pLabelValue && volume->pLabelValue->IsClass(UX::TLabel::Class())
                             ? static_cast<UX::TLabel*>(volume->pLabelValue)
                             : nullptr;
        auto* slider = static_cast<UX::TSlider*>(volume->pSlider);
        slider->OnChange.AddHandler(0, this, &TUXDemoScreen::OnVolumeChange);
        ShowNumber(m_pVolumeValue, slider->Value);
    }
    if (UX::TDateControl* licence = FindControl<UX::TDateControl>(form, "ux_demo_option_licence"))
        licence->SetDate({1998, 4, 0, 17, {}});
    if (UX::TGridView* saved = FindControl<UX::TGridView>(form, UX_DEMO_SAVED_GAMES_NAME))
    {
        m_SavedGames.Assign(s_aSavedGame, static_cast<u32>(std::size(s_aSavedGame)), SavedGameLayout(), false);
        saved->SetDataSet(&m_SavedGames);
        saved->SetSelectedIndex(0);
    }
    m_pChips = FindControl<UX::TStacker>(form, "ux_demo_chips");
    if (m_pChips)
        for (u32 i = 0; i < m_pChips->aDetail.GetCount(); ++i)
            if (UX::TControl* chip = m_pChips->aDetail[i]; chip && chip->IsClass(UX::TLabel::Class()))
                ShowNumber(static_cast<UX::TLabel*>(chip), static_cast<i32>(i) + 1);
    // A form of no screen: its tree is loaded here.
    m_pConfirm = UX::g_pUXManager->PrepareForm(TName(UX_DEMO_CONFIRM_NAME, true));
    OnClick(m_pConfirm, "ux_demo_confirm_yes", this, &TUXDemoScreen::OnAnswer);
    OnClick(m_pConfirm, "ux_demo_confirm_no", this, &TUXDemoScreen::OnAnswer);
}

void TUXDemoScreen::OnClose(UX::TControl*, UX::TMouse*)
{
    if (UX::TControl* form = GetForm())
        form->Hide(0);
}

void TUXDemoScreen::OnApply(UX::TControl*, UX::TMouse*)
{
    if (m_pConfirm)
        m_pConfirm->Show(0);
}

void TUXDemoScreen::OnAnswer(UX::TControl*, UX::TMouse*)
{
    if (m_pConfirm)
        m_pConfirm->Hide(0);
}

void TUXDemoScreen::OnSliderChange(UX::TControl* slider, void*)
{
    ShowNumber(m_pSliderValue, static_cast<UX::TSlider*>(slider)->Value);
}

void TUXDemoScreen::OnTrackBarChange(UX::TControl* trackBar, void*)
{
    ShowNumber(m_pTrackBarValue, static_cast<UX::TTrackBar*>(trackBar)->Value);
}

void TUXDemoScreen::OnVolumeChange(UX::TControl* slider, void*)
{
    ShowNumber(m_pVolumeValue, static_cast<UX::TSlider*>(slider)->Value);
}

void TUXDemoScreen::OnFormShow(UX::TControl*, void*)
{
    // The form is laid out: the chips flow into its width and the panel takes their height.
    if (!m_pChips)
        return;
    m_pChips->Arrange(1);
    if (m_pPanel)
        m_pPanel->SetContentHeight(m_pChips->GetContentHeight());
}

void TUXDemoScreen::OnFormAction(UX::TControl*, void* action)
{
    const TName& name = *static_cast<const TName*>(action);
    if (m_pPanel && (name == UX::ScrollUpAction() || name == UX::ScrollDownAction()))
        m_pPanel->DoAction(m_pPanel, name, 0);
}

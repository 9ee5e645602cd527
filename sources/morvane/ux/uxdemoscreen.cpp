#include "morvane/ux/uxdemoscreen.h"

#include "core/system/name.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.panel.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/ux.actions.h"
#include "ux/ux.manager.h"

namespace
{
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

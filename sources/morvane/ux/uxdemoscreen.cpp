#include "morvane/ux/uxdemoscreen.h"

#include "core/system/name.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/controls/ux.control.vscroller.h"

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
    if (UX::TControl* close = form ? form->FindChild(TName("ux_demo_close", true)) : nullptr)
        close->Event(UX::EVENT_CLICK).AddHandler(0, this, &TUXDemoScreen::OnClose);
    m_pSliderValue = FindLabel("ux_demo_slider_value");
    m_pTrackBarValue = FindLabel("ux_demo_trackbar_value");
    m_pScrollValue = FindLabel("ux_demo_scroll_value");
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
    if (UX::TVScroller* scroll = FindControl<UX::TVScroller>(form, "ux_demo_scroll"))
    {
        scroll->OnScroll.AddHandler(0, this, &TUXDemoScreen::OnScroll);
        ShowNumber(m_pScrollValue, scroll->Position + 1);
    }
}

void TUXDemoScreen::OnClose(UX::TControl*, UX::TMouse*)
{
    if (UX::TControl* form = GetForm())
        form->Hide(0);
}

void TUXDemoScreen::OnSliderChange(UX::TControl* slider, void*)
{
    ShowNumber(m_pSliderValue, static_cast<UX::TSlider*>(slider)->Value);
}

void TUXDemoScreen::OnTrackBarChange(UX::TControl* trackBar, void*)
{
    ShowNumber(m_pTrackBarValue, static_cast<UX::TTrackBar*>(trackBar)->Value);
}

void TUXDemoScreen::OnScroll(UX::TControl* scrollBar, void*)
{
    ShowNumber(m_pScrollValue, static_cast<UX::TVScroller*>(scrollBar)->Position + 1);
}

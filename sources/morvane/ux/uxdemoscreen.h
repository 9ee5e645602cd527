#pragma once
// The demonstration screen of the UX library: the form "UXDemo" (layer 1, hidden until
// ux_form_show "UXDemo"), whose records the UX data writer puts beside the level. It binds its
// controls by name as the game's screens do: Close hides the form, and the slider, the track
// bar and the scroll bar show their values in labels.
#include "ux/ux.instance.h"

namespace UX
{
class TControl;
class TLabel;
struct TMouse;
} // namespace UX

// The screen's class name, which is also its form's name.
inline constexpr const char* UX_DEMO_NAME = "UXDemo";
// The picture whose texture has a variant per language: the name up to its last "." and the
// language's name.
inline constexpr const char* UX_DEMO_FLAG_TEXTURE = "ux_demo_flag.English";
inline constexpr const char* UX_DEMO_FLAG_VARIANTS[] = {"ux_demo_flag.English", "ux_demo_flag.Deutsch"};

class TUXDemoScreen : public UX::TInstance
{
public:
    TUXDemoScreen();

    void OnInitialize() override;

private:
    void OnClose(UX::TControl* button, UX::TMouse* mouse);
    void OnSliderChange(UX::TControl* slider, void*);
    void OnTrackBarChange(UX::TControl* trackBar, void* dragging);
    void OnScroll(UX::TControl* scrollBar, void*);
    // A label of the form by its name; null when there is none.
    UX::TLabel* FindLabel(const char* name) const;

    UX::TLabel* m_pSliderValue = nullptr;
    UX::TLabel* m_pTrackBarValue = nullptr;
    UX::TLabel* m_pScrollValue = nullptr;
};

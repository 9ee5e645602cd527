#pragma once
// The demonstration screen of the UX library: the form "UXDemo" (layer 1, hidden until
// ux_form_show "UXDemo"), whose records the UX data writer puts beside the level. It binds its
// controls by name as the game's screens do: Close hides the form, Apply opens the modal
// confirmation "UXDemoConfirm" (Yes and No close it), the slider and the track bar show their
// values in labels, the chips are numbered and the mouse wheel scrolls the panel under it; the
// option rows show their values (the volume in its label, the licence date) and the grid lists
// the demonstration's saved games.
#include "ux/controls/ux.recorddataset.h"
#include "ux/ux.instance.h"

namespace UX
{
class TControl;
class TLabel;
class TPanel;
class TStacker;
struct TMouse;
} // namespace UX

// The screen's class name, which is also its form's name.
inline constexpr const char* UX_DEMO_NAME = "UXDemo";
// The confirmation of Apply, a form of its own.
inline constexpr const char* UX_DEMO_CONFIRM_NAME = "UXDemoConfirm";
// The grid of the demonstration's saved games, whose rows' labels are named after its columns:
// "title" (a text), "money" (a number) and "saved" (a file time).
inline constexpr const char* UX_DEMO_SAVED_GAMES_NAME = "ux_demo_saved_games_grid";
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
    void OnApply(UX::TControl* button, UX::TMouse* mouse);
    void OnAnswer(UX::TControl* button, UX::TMouse* mouse);
    void OnSliderChange(UX::TControl* slider, void*);
    void OnTrackBarChange(UX::TControl* trackBar, void* dragging);
    void OnVolumeChange(UX::TControl* slider, void*);
    // The form's wheel actions, handed to the panel.
    void OnFormAction(UX::TControl* form, void* action);
    void OnFormShow(UX::TControl* form, void*);
    // A label of the form by its name; null when there is none.
    UX::TLabel* FindLabel(const char* name) const;

    UX::TLabel* m_pSliderValue = nullptr;
    UX::TLabel* m_pTrackBarValue = nullptr;
    UX::TLabel* m_pVolumeValue = nullptr;
    // The saved games the grid shows.
    UX::TRecordDataSet m_SavedGames;
    UX::TPanel* m_pPanel = nullptr;
    UX::TStacker* m_pChips = nullptr;
    UX::TControl* m_pConfirm = nullptr;
};

#pragma once
// Tdevice_detaillevelVariable ("device_detaillevel"): the one detail level of the video options.
// A change turns the level into the renderers' settings with fourteen "set" lines, run through
// the command manager (which reports a variable not registered). Levels of 2 and more need the
// deferred renderer: where the device cannot run it, the level falls to 1.
#include "engine/system/command/variable.h"

#include <array>
#include <string>

constexpr i32 DETAIL_LEVEL_DEFAULT = 3;
// Higher levels set through the console act as this one.
constexpr i32 DETAIL_LEVEL_HIGHEST = 5;
constexpr u32 DETAIL_COMMAND_COUNT = 14;

class Tdevice_detaillevelVariable : public TVariable
{
public:
    Tdevice_detaillevelVariable();
    // A level below 0 (or a value that is no number) is refused with a line and the level in
    // force put back, so that the settings keep what applies.
    void OnChange() override;
    // The lines of a level, in the order they run.
    static std::array<std::string, DETAIL_COMMAND_COUNT> Commands(i32 level);

private:
    i32 m_nInForce = DETAIL_LEVEL_DEFAULT;
};

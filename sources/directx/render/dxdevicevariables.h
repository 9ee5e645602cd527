#pragma once
// The console variables of the device. A change calls the device manager's operation (only
// once the device manager has a window, except for the gamma variables); the device manager
// writes some of them back without marking them changed.
#include "core/math/vector.h"
#include "engine/system/command/variable.h"

class TDxDeviceVariable : public TVariable
{
public:
    using TVariable::TVariable;

    // Integers and colours as stored, floats truncated, names their id; otherwise -1.
    i32 GetInt() const { return m_Value.ToInt(); }
    // 0, 0, 0, 1 when the variable does not hold four floats.
    TVector GetVector() const;
};

#define DX_DEVICE_VARIABLE(name) DECLARE_VARIABLE_CLASS(TDxDeviceVariable, name)

DX_DEVICE_VARIABLE(screenshot_name)
DX_DEVICE_VARIABLE(device_video_aspectratio)
DX_DEVICE_VARIABLE(game_gamma)
DX_DEVICE_VARIABLE(device_adapter)
DX_DEVICE_VARIABLE(device_pos)
DX_DEVICE_VARIABLE(device_size)
DX_DEVICE_VARIABLE(device_windowed)
DX_DEVICE_VARIABLE(device_verticalsyn)
DX_DEVICE_VARIABLE(device_refreshrate)
DX_DEVICE_VARIABLE(device_ctor)
DX_DEVICE_VARIABLE(disable_deactivate)
DX_DEVICE_VARIABLE(window_title)
DX_DEVICE_VARIABLE(device_cursor_show)
DX_DEVICE_VARIABLE(device_cursor_clip)
DX_DEVICE_VARIABLE(device_gamma)
DX_DEVICE_VARIABLE(device_present_flush)
DX_DEVICE_VARIABLE(device_present_interleave_flush)
DX_DEVICE_VARIABLE(device_frame_latency)

#undef DX_DEVICE_VARIABLE

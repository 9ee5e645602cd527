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

    // Store without marking the variable changed or applying the value.
    void Store(i32 value) { m_Value.SetInt(value); }
    void Store(f32 x, f32 y, f32 z, f32 w) { m_Value.SetVector(x, y, z, w); }
    // Store and mark changed (so the settings script keeps it), without applying the value:
    // the device manager itself is the one applying it.
    void StoreChanged(i32 value)
    {
        Store(value);
        m_nFlags |= VARIABLE_CHANGED;
    }
    void StoreChanged(f32 x, f32 y, f32 z, f32 w)
    {
        Store(x, y, z, w);
        m_nFlags |= VARIABLE_CHANGED;
    }
    // Integers and colours as stored, floats truncated, names their id; otherwise -1.
    i32 GetInt() const { return m_Value.ToInt(); }
    // 0, 0, 0, 1 when the variable does not hold four floats.
    TVector GetVector() const;
};

#define DX_DEVICE_VARIABLE(name)                                                                             \
    class T##name##Variable : public TDxDeviceVariable                                                       \
    {                                                                                                        \
    public:                                                                                                  \
        T##name##Variable();                                                                                 \
        void OnChange() override;                                                                            \
    };                                                                                                       \
    extern T##name##Variable g_##name;

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

#pragma once
// TDxDeviceSettings: the record of device settings (25 little-endian words) that the current,
// pending and last good settings of the device manager share.
#include "core/system/types.h"
#include "platform/d3d9/d3d9types.h"

#include <cstddef>

struct TDxDeviceSettings
{
    u32 nAdapter;
    D3DDEVTYPE DeviceType;
    // Shown by device_info only.
    u32 nFormat;
    // D3DCREATE_*.
    u32 nBehaviour;
    D3DPRESENT_PARAMETERS Present;
    // The adapter's monitor, filled after creation.
    HMONITOR hMonitor;
    // The full-screen mode of the Vista-class device.
    D3DDISPLAYMODEEX DisplayMode;

    bool IsWindowed() const { return Present.Windowed != 0; }
};

static_assert(sizeof(TDxDeviceSettings) == 100);
static_assert(offsetof(TDxDeviceSettings, Present) == 16);
static_assert(offsetof(TDxDeviceSettings, hMonitor) == 72);
static_assert(offsetof(TDxDeviceSettings, DisplayMode) == 76);

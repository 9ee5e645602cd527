#pragma once
// TDeviceMethods: the device listener interface. Managers and drivers take it as an extra base
// and register with the device manager (TDeviceManager::AddMethod); broadcasts walk the
// listeners in registration order.
#include "core/system/types.h"
#include "platform/windef/windef.h"

// OnDeviceMessage and OnSystemCrash: the listener did not consume the message.
constexpr LRESULT DEVICE_MESSAGE_NOT_CONSUMED = -1;

class TDeviceMethods
{
public:
    virtual ~TDeviceMethods() = default;
    virtual void OnDeviceActivate() {}
    virtual void OnDeviceDeactivate() {}
    // Last step of a device creation and of a reset.
    virtual void OnDeviceRestore() {}
    // First step before a reset or a re-creation.
    virtual void OnDeviceRelease() {}
    // Just before the device is reset.
    virtual void OnDeviceLost() {}
    // After the reset.
    virtual void OnDeviceReset() {}
    // After every creation and every reset.
    virtual void OnDeviceChange() {}
    // A new device replaced a released one.
    virtual void OnDeviceCreate() {}
    // The device is about to be released for re-creation.
    virtual void OnDeviceDestroy() {}
    virtual void OnRendererChange() {}
    // Every window message; anything other than -1 consumes it.
    virtual i32 OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        return DEVICE_MESSAGE_NOT_CONSUMED;
    }
    virtual i32 OnSystemCrash() { return DEVICE_MESSAGE_NOT_CONSUMED; }
};

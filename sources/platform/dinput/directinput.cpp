#include "platform/dinput/directinput.h"

#include "platform/dinput/directinputdevice.h"
#include "platform/dinput/joysticklist.h"

ULONG TDirectInput::AddRef()
{
    return ++references_;
}

ULONG TDirectInput::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT TDirectInput::CreateDevice(const GUID& instance, IDirectInputDevice8A** device, void* outer)
{
    if (!device)
        return DIERR_INVALIDPARAM;
    *device = nullptr;
    if (outer)
        return DIERR_NOINTERFACE;
    std::shared_ptr<TJoystickSource> source = TJoystickList::Get().Find(instance);
    if (!source)
        return DIERR_DEVICENOTREG;
    *device = new TDirectInputDevice(std::move(source), instance);
    return DI_OK;
}

HRESULT TDirectInput::EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags)
{
    if (!callback || deviceClass > DI8DEVCLASS_GAMECTRL)
        return DIERR_INVALIDPARAM;
    if (deviceClass != DI8DEVCLASS_ALL && deviceClass != DI8DEVCLASS_GAMECTRL)
        return DI_OK;
    // A copy: the callback may create devices, which may refresh the list.
    const std::vector<TJoystickEntry> entries = TJoystickList::Get().Refresh();
    for (const TJoystickEntry& entry : entries)
    {
        IDirectInputDevice8A* device = nullptr;
        if (FAILED(CreateDevice(entry.instance, &device, nullptr)))
            continue;
        DIDEVICEINSTANCEA instance = {};
        instance.dwSize = sizeof instance;
        device->GetDeviceInfo(&instance);
        device->Release();
        if (callback(&instance, context) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

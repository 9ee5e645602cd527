#pragma once
// TDirectInput: IDirectInput8A. It lists the attached game controllers (TJoystickList) and
// makes a device for one of them by its instance GUID.
#include "platform/dinput/dinput.h"

class TDirectInput final : public IDirectInput8A
{
public:
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateDevice(const GUID& instance, IDirectInputDevice8A** device, void* outer) override;
    HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, void* context, DWORD flags) override;

private:
    ~TDirectInput() = default;

    ULONG references_ = 1;
};

#include "platform/window/rawinput.h"

#include <cstring>

HANDLE const TRawInput::kKeyboardDevice = reinterpret_cast<HANDLE>(0x00010001);
HANDLE const TRawInput::kMouseDevice = reinterpret_cast<HANDLE>(0x00010002);

namespace
{
// GetRawInputDeviceList and GetRawInputData report failures as (UINT)-1.
constexpr UINT kFailed = static_cast<UINT>(-1);
} // namespace

BOOL TRawInput::Register(const RAWINPUTDEVICE* devices, UINT count, UINT size)
{
    if (devices == nullptr || count == 0 || size != sizeof(RAWINPUTDEVICE))
        return FALSE;
    // Windows takes all the entries or none: check them first.
    for (UINT i = 0; i < count; ++i)
    {
        const RAWINPUTDEVICE& device = devices[i];
        if ((device.dwFlags & RIDEV_INPUTSINK) && device.hwndTarget == nullptr)
            return FALSE;
        if ((device.dwFlags & RIDEV_REMOVE) && device.hwndTarget != nullptr)
            return FALSE;
    }
    for (UINT i = 0; i < count; ++i)
    {
        const RAWINPUTDEVICE& device = devices[i];
        if (device.usUsagePage != kUsagePageGeneric)
            continue;
        TRegistration* registration = nullptr;
        if (device.usUsage == kUsageMouse)
            registration = &mouse_;
        else if (device.usUsage == kUsageKeyboard)
            registration = &keyboard_;
        else
            continue;
        if (device.dwFlags & RIDEV_REMOVE)
            *registration = TRegistration{};
        else
            *registration = TRegistration{true, device.dwFlags, device.hwndTarget};
    }
    return TRUE;
}

const TRawInput::TRegistration& TRawInput::GetRegistration(DWORD type) const
{
    return type == RIM_TYPEMOUSE ? mouse_ : keyboard_;
}

void TRawInput::RemoveWindow(HWND window)
{
    for (TRegistration* registration : {&mouse_, &keyboard_})
        if (registration->target == window)
            *registration = TRegistration{};
}

UINT TRawInput::GetDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size) const
{
    const RAWINPUTDEVICELIST devices[] = {{kKeyboardDevice, RIM_TYPEKEYBOARD}, {kMouseDevice, RIM_TYPEMOUSE}};
    const UINT deviceCount = sizeof(devices) / sizeof(devices[0]);
    if (count == nullptr || size != sizeof(RAWINPUTDEVICELIST))
        return kFailed;
    if (list == nullptr)
    {
        *count = deviceCount;
        return 0;
    }
    if (*count < deviceCount)
    {
        *count = deviceCount;
        return kFailed;
    }
    std::memcpy(list, devices, sizeof(devices));
    return deviceCount;
}

DWORD TRawInput::RecordSize(DWORD type)
{
    if (type == RIM_TYPEKEYBOARD)
        return sizeof(RAWINPUTHEADER) + sizeof(RAWKEYBOARD);
    return sizeof(RAWINPUTHEADER) + sizeof(RAWMOUSE);
}

HRAWINPUT TRawInput::Store(const RAWINPUT& record)
{
    // Sequence 0 is never handed out, so a null handle is never valid.
    if (++lastSequence_ == 0)
        ++lastSequence_;
    TSlot& slot = records_[lastSequence_ % kRecordCapacity];
    slot.sequence = lastSequence_;
    slot.record = record;
    return reinterpret_cast<HRAWINPUT>(static_cast<UINT_PTR>(lastSequence_));
}

UINT TRawInput::GetData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) const
{
    if (size == nullptr || headerSize != sizeof(RAWINPUTHEADER))
        return kFailed;
    if (command != RID_INPUT && command != RID_HEADER)
        return kFailed;
    const std::uint32_t sequence = static_cast<std::uint32_t>(reinterpret_cast<UINT_PTR>(input));
    const TSlot& slot = records_[sequence % kRecordCapacity];
    if (sequence == 0 || slot.sequence != sequence)
        return kFailed;
    const UINT wanted = command == RID_HEADER ? sizeof(RAWINPUTHEADER) : slot.record.header.dwSize;
    if (data == nullptr)
    {
        *size = wanted;
        return 0;
    }
    if (*size < wanted)
    {
        *size = wanted;
        return kFailed;
    }
    std::memcpy(data, &slot.record, wanted);
    return wanted;
}

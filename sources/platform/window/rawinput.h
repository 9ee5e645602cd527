#pragma once
// Raw-input state: which device kinds are registered and for which window, the one keyboard
// and one mouse the layer reports (SDL merges every mouse into one), and the records of recent
// WM_INPUT messages, found again through the message's handle. Not locked itself: the window
// system guards it.
#include "platform/window/winuser.h"

#include <array>
#include <cstdint>

class TRawInput
{
public:
    static constexpr USHORT kUsagePageGeneric = 1;
    static constexpr USHORT kUsageMouse = 2;
    static constexpr USHORT kUsageKeyboard = 6;
    // Handles of the two devices in the device list and in every record.
    static HANDLE const kKeyboardDevice;
    static HANDLE const kMouseDevice;

    struct TRegistration
    {
        bool registered = false;
        DWORD flags = 0;
        HWND target = nullptr;
    };

    BOOL Register(const RAWINPUTDEVICE* devices, UINT count, UINT size);
    const TRegistration& GetRegistration(DWORD type) const;
    // Forgets the registrations that target a destroyed window.
    void RemoveWindow(HWND window);

    UINT GetDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size) const;

    // Keeps a record and answers the handle that WM_INPUT carries in lParam. The record stays
    // readable until kRecordCapacity newer records have been stored.
    HRAWINPUT Store(const RAWINPUT& record);
    UINT GetData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize) const;

    // Size of a record of its type, as dwSize and GetRawInputData report it.
    static DWORD RecordSize(DWORD type);

private:
    static constexpr std::size_t kRecordCapacity = 1024;

    struct TSlot
    {
        std::uint32_t sequence = 0;
        RAWINPUT record = {};
    };

    TRegistration mouse_;
    TRegistration keyboard_;
    std::array<TSlot, kRecordCapacity> records_;
    std::uint32_t lastSequence_ = 0;
};

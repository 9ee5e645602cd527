#pragma once
// TDirectInputDevice: IDirectInputDevice8A over one attached controller. Its objects are the
// controller's axes (X, Y, Z, Rx, Ry, Rz, then sliders), hats and buttons; a data format maps
// them onto the caller's state record. The device is read only while acquired: Poll takes a
// reading, GetDeviceState copies it through the format. A foreground device is lost when its
// window loses the focus, any device when its controller is unplugged; an exclusive one keeps
// other exclusive devices of the same controller from acquiring it.
#include "platform/dinput/dinput.h"
#include "platform/dinput/joysticksource.h"

#include <memory>
#include <string>
#include <vector>

class TDirectInputDevice final : public IDirectInputDevice8A
{
public:
    TDirectInputDevice(std::shared_ptr<TJoystickSource> source, const GUID& instance);

    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) override;
    HRESULT SetProperty(const GUID* property, const DIPROPHEADER* header) override;
    HRESULT GetProperty(const GUID* property, DIPROPHEADER* header) override;
    HRESULT Acquire() override;
    HRESULT Unacquire() override;
    HRESULT GetDeviceState(DWORD size, void* data) override;
    HRESULT SetDataFormat(const DIDATAFORMAT* format) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) override;
    HRESULT Poll() override;

private:
    static constexpr DWORD kNoOffset = 0xFFFFFFFFu;

    struct TObject
    {
        const GUID* type;
        DWORD kindAndInstance;
        DWORD flags;
        std::string name;
        int index;
        LONG min = 0;
        LONG max = 0xFFFF;
        DWORD offset = kNoOffset;
    };

    ~TDirectInputDevice();
    // Null when no object answers to the header's dwObj and dwHow.
    TObject* FindObject(const DIPROPHEADER& header);
    // Unacquires and answers true when the device cannot be read any more.
    bool CheckLost();
    void ReleaseExclusive();

    ULONG references_ = 1;
    std::shared_ptr<TJoystickSource> source_;
    GUID instance_;
    std::vector<TObject> objects_;
    bool formatSet_ = false;
    DWORD dataSize_ = 0;
    // Hat offsets of the format: they read centred when no hat fills them.
    std::vector<DWORD> hatOffsets_;
    HWND window_ = nullptr;
    DWORD cooperation_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    TJoystickReading reading_;
};

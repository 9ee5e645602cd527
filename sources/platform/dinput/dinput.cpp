#include "platform/dinput/dinput.h"

#include "platform/dinput/directinput.h"
#include "platform/dinput/joysticklist.h"

namespace
{
constexpr GUID ObjectGuid(DWORD data1)
{
    return {data1, 0xC9F3, 0x11CF, {0xBF, 0xC7, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
}

constexpr DWORD kAnyAxis = DIDFT_AXIS | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;
constexpr DWORD kAnyHat = DIDFT_POV | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;
constexpr DWORD kAnyButton = DIDFT_BUTTON | DIDFT_ANYINSTANCE | DIDFT_OPTIONAL;

struct TJoystick2Objects
{
    DIOBJECTDATAFORMAT objects[6 + 2 + 4 + 128];

    TJoystick2Objects()
    {
        const GUID* const axes[] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
        DWORD n = 0;
        for (DWORD i = 0; i < 6; ++i)
            objects[n++] = {axes[i], i * 4, kAnyAxis, DIDOI_ASPECTPOSITION};
        for (DWORD i = 0; i < 2; ++i)
            objects[n++] = {&GUID_Slider, offsetof(DIJOYSTATE2, rglSlider) + i * 4, kAnyAxis, DIDOI_ASPECTPOSITION};
        for (DWORD i = 0; i < 4; ++i)
            objects[n++] = {&GUID_POV, offsetof(DIJOYSTATE2, rgdwPOV) + i * 4, kAnyHat, 0};
        for (DWORD i = 0; i < 128; ++i)
            objects[n++] = {nullptr, offsetof(DIJOYSTATE2, rgbButtons) + i, kAnyButton, 0};
    }
};

const TJoystick2Objects s_Joystick2;
} // namespace

const GUID GUID_XAxis = ObjectGuid(0xA36D02E0);
const GUID GUID_YAxis = ObjectGuid(0xA36D02E1);
const GUID GUID_ZAxis = ObjectGuid(0xA36D02E2);
const GUID GUID_RxAxis = ObjectGuid(0xA36D02F4);
const GUID GUID_RyAxis = ObjectGuid(0xA36D02F5);
const GUID GUID_RzAxis = ObjectGuid(0xA36D02E3);
const GUID GUID_Slider = ObjectGuid(0xA36D02E4);
const GUID GUID_Button = ObjectGuid(0xA36D02F0);
const GUID GUID_POV = ObjectGuid(0xA36D02F2);
const GUID GUID_Unknown = ObjectGuid(0xA36D02F3);
const GUID IID_IDirectInput8A = {0xBF798030, 0x483A, 0x4DA2, {0xAA, 0x99, 0x5D, 0x64, 0xED, 0x36, 0x97, 0x00}};

const DIDATAFORMAT c_dfDIJoystick2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_ABSAXIS,
                                      sizeof(DIJOYSTATE2),
                                      sizeof(s_Joystick2.objects) / sizeof(DIOBJECTDATAFORMAT),
                                      s_Joystick2.objects};

HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, void** object,
                           void* outer)
{
    if (!object)
        return DIERR_INVALIDPARAM;
    *object = nullptr;
    if (version < DIRECTINPUT_VERSION)
        return DIERR_OLDDIRECTINPUTVERSION;
    if (version > DIRECTINPUT_VERSION)
        return DIERR_BETADIRECTINPUTVERSION;
    if (!SameGuid(interfaceId, IID_IDirectInput8A) || outer)
        return DIERR_NOINTERFACE;
    *object = static_cast<IDirectInput8A*>(new TDirectInput);
    return DI_OK;
}

#pragma once
// The DirectInput 8 interfaces, records and constants that the joystick driver calls, with
// DirectInput's values and 32-bit layouts, served by this folder over SDL's joysticks. Game
// controllers only: no keyboard or mouse devices, no buffered data, no effects. Without a
// display nothing is attached except the fake controllers of TJoystickList (tests).
//
// Property identifiers are passed by address (DIPROP_RANGE is the small number 4 in
// DirectInput), so SetProperty takes a GUID pointer.
#include "platform/windef/windef.h"

#include <cstddef>

constexpr DWORD DIRECTINPUT_VERSION = 0x0800;

// Results.
constexpr HRESULT DI_OK = S_OK;
constexpr HRESULT DI_NOEFFECT = S_FALSE;
constexpr HRESULT DIERR_OLDDIRECTINPUTVERSION = static_cast<HRESULT>(0x8007047Eu);
constexpr HRESULT DIERR_BETADIRECTINPUTVERSION = static_cast<HRESULT>(0x80070481u);
constexpr HRESULT DIERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DIERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DIERR_DEVICENOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT DIERR_OBJECTNOTFOUND = static_cast<HRESULT>(0x80070002u);
constexpr HRESULT DIERR_OTHERAPPHASPRIO = static_cast<HRESULT>(0x80070005u);
constexpr HRESULT DIERR_NOTACQUIRED = static_cast<HRESULT>(0x8007000Cu);
constexpr HRESULT DIERR_INPUTLOST = static_cast<HRESULT>(0x8007001Eu);
constexpr HRESULT DIERR_ACQUIRED = static_cast<HRESULT>(0x800700AAu);
constexpr HRESULT DIERR_UNSUPPORTED = E_NOTIMPL;

// EnumDevices.
constexpr DWORD DI8DEVCLASS_ALL = 0;
constexpr DWORD DI8DEVCLASS_DEVICE = 1;
constexpr DWORD DI8DEVCLASS_POINTER = 2;
constexpr DWORD DI8DEVCLASS_KEYBOARD = 3;
constexpr DWORD DI8DEVCLASS_GAMECTRL = 4;
constexpr DWORD DIEDFL_ALLDEVICES = 0x0;
constexpr DWORD DIEDFL_ATTACHEDONLY = 0x1;
constexpr BOOL DIENUM_STOP = 0;
constexpr BOOL DIENUM_CONTINUE = 1;
constexpr DWORD DI8DEVTYPE_JOYSTICK = 0x14;
constexpr DWORD DI8DEVTYPE_GAMEPAD = 0x15;

// SetCooperativeLevel.
constexpr DWORD DISCL_EXCLUSIVE = 0x1;
constexpr DWORD DISCL_NONEXCLUSIVE = 0x2;
constexpr DWORD DISCL_FOREGROUND = 0x4;
constexpr DWORD DISCL_BACKGROUND = 0x8;

// Object types: the kind in the low byte, the instance in bits 8-23.
constexpr DWORD DIDFT_ALL = 0x00000000;
constexpr DWORD DIDFT_RELAXIS = 0x00000001;
constexpr DWORD DIDFT_ABSAXIS = 0x00000002;
constexpr DWORD DIDFT_AXIS = 0x00000003;
constexpr DWORD DIDFT_PSHBUTTON = 0x00000004;
constexpr DWORD DIDFT_TGLBUTTON = 0x00000008;
constexpr DWORD DIDFT_BUTTON = 0x0000000C;
constexpr DWORD DIDFT_POV = 0x00000010;
constexpr DWORD DIDFT_ANYINSTANCE = 0x00FFFF00;
constexpr DWORD DIDFT_INSTANCEMASK = DIDFT_ANYINSTANCE;
constexpr DWORD DIDFT_FFACTUATOR = 0x01000000;
constexpr DWORD DIDFT_OPTIONAL = 0x80000000;
constexpr DWORD DIDFT_MAKEINSTANCE(DWORD n) { return (n & 0xFFFF) << 8; }
constexpr DWORD DIDFT_GETINSTANCE(DWORD type) { return (type >> 8) & 0xFFFF; }
constexpr DWORD DIDOI_FFACTUATOR = 0x00000001;
constexpr DWORD DIDOI_ASPECTPOSITION = 0x00000100;
constexpr DWORD DIDF_ABSAXIS = 0x1;

// Properties: how the object is named.
constexpr DWORD DIPH_DEVICE = 0;
constexpr DWORD DIPH_BYOFFSET = 1;
constexpr DWORD DIPH_BYID = 2;
inline const GUID* const DIPROP_RANGE = reinterpret_cast<const GUID*>(4);

// Object type GUIDs.
extern const GUID GUID_XAxis;
extern const GUID GUID_YAxis;
extern const GUID GUID_ZAxis;
extern const GUID GUID_RxAxis;
extern const GUID GUID_RyAxis;
extern const GUID GUID_RzAxis;
extern const GUID GUID_Slider;
extern const GUID GUID_Button;
extern const GUID GUID_POV;
extern const GUID GUID_Unknown;
extern const GUID IID_IDirectInput8A;

struct DIDEVICEINSTANCEA
{
    DWORD dwSize;
    GUID guidInstance;
    GUID guidProduct;
    DWORD dwDevType;
    CHAR tszInstanceName[260];
    CHAR tszProductName[260];
    GUID guidFFDriver;
    WORD wUsagePage;
    WORD wUsage;
};

struct DIDEVICEOBJECTINSTANCEA
{
    DWORD dwSize;
    GUID guidType;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
    CHAR tszName[260];
    DWORD dwFFMaxForce;
    DWORD dwFFForceResolution;
    WORD wCollectionNumber;
    WORD wDesignatorIndex;
    WORD wUsagePage;
    WORD wUsage;
    DWORD dwDimension;
    WORD wExponent;
    WORD wReportId;
};

struct DIPROPHEADER
{
    DWORD dwSize;
    DWORD dwHeaderSize;
    DWORD dwObj;
    DWORD dwHow;
};

struct DIPROPRANGE
{
    DIPROPHEADER diph;
    LONG lMin;
    LONG lMax;
};

struct DIOBJECTDATAFORMAT
{
    const GUID* pguid;
    DWORD dwOfs;
    DWORD dwType;
    DWORD dwFlags;
};

struct DIDATAFORMAT
{
    DWORD dwSize;
    DWORD dwObjSize;
    DWORD dwFlags;
    DWORD dwDataSize;
    DWORD dwNumObjs;
    const DIOBJECTDATAFORMAT* rgodf;
};

// The extended joystick state of c_dfDIJoystick2. Hats read 0xFFFFFFFF when centred, else
// their angle in hundredths of a degree clockwise from up; a pressed button reads 0x80.
struct DIJOYSTATE2
{
    LONG lX;
    LONG lY;
    LONG lZ;
    LONG lRx;
    LONG lRy;
    LONG lRz;
    LONG rglSlider[2];
    DWORD rgdwPOV[4];
    BYTE rgbButtons[128];
    LONG lVX, lVY, lVZ, lVRx, lVRy, lVRz;
    LONG rglVSlider[2];
    LONG lAX, lAY, lAZ, lARx, lARy, lARz;
    LONG rglASlider[2];
    LONG lFX, lFY, lFZ, lFRx, lFRy, lFRz;
    LONG rglFSlider[2];
};

static_assert(sizeof(DIDEVICEINSTANCEA) == 580 && sizeof(DIDEVICEOBJECTINSTANCEA) == 316);
static_assert(sizeof(DIPROPRANGE) == 24 && sizeof(DIOBJECTDATAFORMAT) == 16 && sizeof(DIDATAFORMAT) == 24);
static_assert(sizeof(DIJOYSTATE2) == 272 && offsetof(DIJOYSTATE2, rgdwPOV) == 32 &&
              offsetof(DIJOYSTATE2, rgbButtons) == 48);

// The standard extended joystick format: six axes, two sliders, four hats and 128 buttons,
// every object optional. Velocities, accelerations and forces are not reported (they read 0).
extern const DIDATAFORMAT c_dfDIJoystick2;

typedef BOOL (*LPDIENUMDEVICESCALLBACKA)(const DIDEVICEINSTANCEA* instance, void* context);
typedef BOOL (*LPDIENUMDEVICEOBJECTSCALLBACKA)(const DIDEVICEOBJECTINSTANCEA* object, void* context);

struct IDirectInputDevice8A
{
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags) = 0;
    virtual HRESULT SetProperty(const GUID* property, const DIPROPHEADER* header) = 0;
    virtual HRESULT GetProperty(const GUID* property, DIPROPHEADER* header) = 0;
    virtual HRESULT Acquire() = 0;
    virtual HRESULT Unacquire() = 0;
    virtual HRESULT GetDeviceState(DWORD size, void* data) = 0;
    virtual HRESULT SetDataFormat(const DIDATAFORMAT* format) = 0;
    virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
    virtual HRESULT GetDeviceInfo(DIDEVICEINSTANCEA* instance) = 0;
    virtual HRESULT Poll() = 0;

protected:
    ~IDirectInputDevice8A() = default;
};

struct IDirectInput8A
{
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    virtual HRESULT CreateDevice(const GUID& instance, IDirectInputDevice8A** device, void* outer) = 0;
    virtual HRESULT EnumDevices(DWORD deviceClass, LPDIENUMDEVICESCALLBACKA callback, void* context,
                                DWORD flags) = 0;

protected:
    ~IDirectInput8A() = default;
};

typedef IDirectInput8A* LPDIRECTINPUT8A;
typedef IDirectInputDevice8A* LPDIRECTINPUTDEVICE8A;

// Version 0x0800 and the ANSI interface only; the module handle is not used.
HRESULT DirectInput8Create(HINSTANCE instance, DWORD version, const GUID& interfaceId, void** object,
                           void* outer);

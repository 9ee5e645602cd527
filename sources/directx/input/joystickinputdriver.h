#pragma once
// TJoystickInputDriver ("Windows joystick input driver"): up to four game controllers read
// through DirectInput, each feeding one of four sets of 40 named inputs ("Joy0Button1" ..
// "Joy3Pov3Down"). A controller keeps its set by its device id (a hash of its instance GUID)
// through the link table and the variables joystick_device0..3. Axis values pass a dead zone,
// a curve and a sensitivity factor and may be calibrated to a rest position; hats feed their
// up and down inputs with 1, buttons with 1. While an object captures, the first button or
// the first value that moves far enough from where it was is reported. One static object, the
// plug-in "TJoystickInputDriver" of class "TInputDriver".
#include "core/system/templates/sarray.h"
#include "directx/input/joystick.h"
#include "directx/input/joystickinput.h"
#include "engine/input/inputdriver.h"
#include "engine/render/devicemethods.h"
#include "engine/system/resourcemethods.h"

constexpr u32 JOYSTICK_COUNT = 4;
constexpr u32 JOYSTICK_INPUT_COUNT = JOYSTICK_COUNT * JOYSTICK_SET_SIZE;
constexpr u32 JOYSTICK_BUTTON_COUNT = 16;
// X, Y, Z, Rx, Ry, Rz, slider 0, slider 1, hat 0-3.
constexpr u32 JOYSTICK_VALUE_COUNT = 12;
constexpr u32 JOYSTICK_FIRST_HAT = 8;
// Axes are set to -10000..10000 and read as -1..1.
constexpr LONG JOYSTICK_RANGE = 10000;
constexpr f32 JOYSTICK_AXIS_SCALE = 0.0001f;
constexpr f32 JOYSTICK_CAPTURE_DISTANCE = 0.2f;
constexpr f32 JOYSTICK_DEFAULT_THRESHOLD = 0.005f;
constexpr f32 JOYSTICK_DEFAULT_ACCELERATION = 1.2f;
constexpr f32 JOYSTICK_DEFAULT_SENSITIVITY = 1.0f;

class TJoystickInputDriver;
extern TJoystickInputDriver* g_pJoystickInputDriver;

class TJoystickInputDriver : public TInputDriver, public TDeviceMethods, public TResourceMethods
{
public:
    TJoystickInputDriver();

    const TName* GetDescription() override;
    i32 InitializeDriver() override;
    void FinalizeDriver() override;
    void UpdateDriver() override;

    // Links a device id to input set `index`; with `move` the joystick of that id changes set.
    void LinkDeviceId(i32 index, u32 id, u32 move);
    // The input set of a device id, linking it to a free set (else to set 3) when it has none.
    i32 FindLinkIndex(u32 id);
    // A new value of the variable of set `index`.
    void OnDeviceVariable(i32 index, i32 id);

    // The console commands.
    void Calibrate();
    // Joystick numbers from 1; prints the error of a number out of range.
    void Swap(i32 first, i32 second);
    void List();

    void SetDeadZone(f32 value) { m_fDeadZone = value; }
    void SetAcceleration(f32 value) { m_fAcceleration = value; }
    void SetSensitivity(f32 value) { m_fSensitivity = value; }

    u32 GetJoystickCount() const { return m_aJoystick.GetCount(); }
    const TJoystick& GetJoystick(u32 index) const { return m_aJoystick[index]; }
    u32 GetLink(u32 set) const { return m_aLink[set]; }
    TJoystickInput& GetInput(u32 set, u32 position) { return m_aInput[set * JOYSTICK_SET_SIZE + position]; }

private:
    static BOOL EnumJoysticksCallback(const DIDEVICEINSTANCEA* instance, void* driver);
    BOOL AddJoystick(const DIDEVICEINSTANCEA& instance);
    void ReleaseJoysticks();
    // The 12 values of a state, in -1..1 after the curve (hats 1 up, -1 down).
    void ReadValues(const DIJOYSTATE2& state, const TJoystick& joystick, f32* values) const;
    f32 Curve(LONG raw) const;
    void Capture(u32 j, const DIJOYSTATE2& state);
    TJoystick* FindJoystick(u32 id);
    void MoveJoystick(u32 id, i32 index);

    IDirectInput8A* m_pDirectInput;
    SArray<TJoystick, JOYSTICK_COUNT, 1> m_aJoystick;
    SArray<TJoystickInput, JOYSTICK_INPUT_COUNT, 1> m_aInput;
    f32 m_fDeadZone;
    f32 m_fAcceleration;
    f32 m_fSensitivity;
    u32 m_aLink[JOYSTICK_COUNT];
    f32 m_aValue[JOYSTICK_COUNT][JOYSTICK_VALUE_COUNT];
    u32 m_nCalibrate;
    f32 m_aCalibration[JOYSTICK_COUNT][JOYSTICK_VALUE_COUNT];
    u32 m_nLastCapture;
    f32 m_aCaptureReference[JOYSTICK_COUNT][JOYSTICK_VALUE_COUNT];
};

#pragma once
// TWinInputDriver ("Windows keyboard and mouse input driver"): Windows raw input turned into
// the engine's named inputs. The window procedure offers it every message (it is a device
// listener): raw keyboard records are only queued there, one entry per key, and applied once
// per frame by UpdateDriver (a press and release within a frame show over two frames); mouse records add up motion, buttons and wheel turns, which
// UpdateDriver turns into values (the all-mice motion smoothed over four frames). The same
// messages feed the input manager's event stream (navigation keys, characters, button
// releases, wheel notches, the pointer) and, while an object captures, the first input that
// moves. One static object, the plug-in "TWinInputDriver" of class "TInputDriver".
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"
#include "directx/input/wininput.h"
#include "engine/input/inputdriver.h"
#include "engine/input/inputkey.h"
#include "engine/render/devicemethods.h"
#include "engine/system/resourcemethods.h"
#include "platform/window/winuser.h"

constexpr u32 WIN_INPUT_COUNT = 3840;
constexpr u32 WIN_INPUT_QUEUE_SIZE = 64;
constexpr u32 WIN_INPUT_CHANGED_SIZE = 256;
constexpr u32 WIN_INPUT_DEVICE_LIST_SIZE = 64;
// Mouse slots filled from the device list; only the first four have input sets of their own.
constexpr u32 WIN_INPUT_MOUSE_SLOTS = 8;
constexpr u32 WIN_INPUT_MOUSE_SETS = 4;
constexpr u32 WIN_INPUT_MOUSE_BUTTONS = 5;
// Input sets of 13: five buttons, four motion directions, four wheel directions. The first
// set stands for all mice together, then one per mouse.
constexpr u32 WIN_INPUT_MOUSE_FIRST = 1489;
constexpr u32 WIN_INPUT_MOUSE_SET_SIZE = 13;
constexpr u32 WIN_INPUT_MOUSE_MOTION = 5;
constexpr u32 WIN_INPUT_MOUSE_WHEEL = 9;
// Raw relative motion counts are worth a tenth each.
constexpr f32 WIN_INPUT_MOTION_SCALE = 0.1f;
constexpr u32 WIN_INPUT_SMOOTHING = 4;
// One notch (120 units) is 1.0; a frame's wheel value is held to 10.
constexpr f32 WIN_INPUT_WHEEL_FACTOR = 0.008333334f;
constexpr f32 WIN_INPUT_WHEEL_MAX = 10.0f;
// Motion that reports a direction while capturing.
constexpr f32 WIN_INPUT_CAPTURE_DISTANCE = 50.0f;
// The E0 2A make code of Print Screen.
constexpr u32 WIN_INPUT_FAKE_SHIFT = 0x2A0;
// A pending key or button state (beside 0 up and 1 down): the input left its state and came
// back within one frame. The frame shows the other state, with its edge, and the state it came
// back to waits for the next frame: a tap shorter than a frame is still a press.
constexpr i32 WIN_INPUT_BOUNCED = 2;

// Modifier word bits.
constexpr u32 WIN_MODIFIER_SHIFT = 0x1;
constexpr u32 WIN_MODIFIER_ALT = 0x2;
constexpr u32 WIN_MODIFIER_CTRL = 0x4;
constexpr u32 WIN_MODIFIER_BIT25 = 0x8;
// Added to the modifier word of key and of mouse events.
constexpr u32 WIN_EVENT_KEY = INPUT_KEY_PRESS;
constexpr u32 WIN_EVENT_MOUSE = INPUT_KEY_MOUSE;

typedef TMapKey<i32, i32> TWinKeyChange;

class TWinInputDriver : public TInputDriver, public TDeviceMethods, public TResourceMethods
{
public:
    TWinInputDriver();

    const TName* GetDescription() override;
    // Always enabled.
    u32 GetType() override { return 1; }
    void Enable() override {}
    void Disable() override {}
    i32 InitializeDriver() override;
    void FinalizeDriver() override { m_nActive = 0; }
    void UpdateDriver() override;
    void Reset() override;

    void OnDeviceActivate() override { m_nActive = 1; }
    void OnDeviceDeactivate() override { m_nActive = 0; }
    void OnDeviceCreate() override { Initialize(); }
    i32 OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Registers the raw-input devices with the device window and lists the mice.
    void Initialize();

    TWinInput& GetInput(u32 index) { return m_aInput[index]; }
    u32 IsActive() const { return m_nActive; }
    u32 GetModifiers() const { return m_nModifiers; }

private:
    void OnRawInput(WPARAM code, HRAWINPUT handle);
    void OnRawKeyboard(WPARAM code, const RAWKEYBOARD& keyboard);
    void OnRawMouse(HANDLE device, const RAWMOUSE& mouse);
    void CaptureMouse(const RAWMOUSE& mouse);
    void SendKeyEvent(UINT message, WPARAM wParam, LPARAM lParam);
    void SendEvent(u32 modifiers, u32 code, u32 value);
    void Report(u32 index);
    // The buttons and wheels of one input set from its states and counts; a bounced button's
    // state becomes the one left for the next frame.
    void UpdateButtons(u32 set, u8* buttons, i32& wheelUp, i32& wheelDown);
    TWinInput& MouseInput(u32 set, u32 offset) { return m_aInput[WIN_INPUT_MOUSE_FIRST + set * WIN_INPUT_MOUSE_SET_SIZE + offset]; }

    f32 m_fFrameX;
    f32 m_fFrameY;
    f32 m_aFrameX[WIN_INPUT_MOUSE_SLOTS];
    f32 m_aFrameY[WIN_INPUT_MOUSE_SLOTS];
    HANDLE m_hLastDevice;
    HANDLE m_aMouse[WIN_INPUT_MOUSE_SLOTS];
    f32 m_aSmoothX[WIN_INPUT_SMOOTHING];
    u32 m_nSmoothX;
    f32 m_aSmoothY[WIN_INPUT_SMOOTHING];
    u32 m_nSmoothY;
    u8 m_aButton[WIN_INPUT_MOUSE_BUTTONS];
    i32 m_nWheelUp;
    i32 m_nWheelDown;
    u8 m_aMouseButton[WIN_INPUT_MOUSE_BUTTONS][WIN_INPUT_MOUSE_SLOTS];
    i32 m_aWheelUp[WIN_INPUT_MOUSE_SLOTS];
    i32 m_aWheelDown[WIN_INPUT_MOUSE_SLOTS];
    SArray<TWinInput, WIN_INPUT_COUNT, 1> m_aInput;
    SSet<TWinKeyChange, WIN_INPUT_QUEUE_SIZE, i32, 0> m_Queue;
    u32 m_nActive;
    RAWINPUTDEVICE m_Device;
    u32 m_nModifiers;
    i32 m_nAbsoluteX;
    i32 m_nAbsoluteY;
    i32 m_aAbsoluteX[WIN_INPUT_MOUSE_SLOTS];
    i32 m_aAbsoluteY[WIN_INPUT_MOUSE_SLOTS];
    f32 m_fCaptureX;
    f32 m_fCaptureY;
};

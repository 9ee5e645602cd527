#include "directx/input/wininputdriver.h"

#include "core/system/log.h"
#include "core/system/plugin.h"
#include "engine/input/inputmanager.h"
#include "engine/render/device.h"

#include <algorithm>
#include <cstring>

VESTAMOR_PLUGIN(TWinInputDriver, TInputDriver);

namespace
{
struct TKeyName
{
    const char* pName;
    u32 nIndex;
};

// Input indexes are raw make codes, E0 codes shifted left by 4. "NumPadComma" shares the
// comma key's input and, named last, is the name that input reads.
const TKeyName s_aKeyName[] = {
    {"Esc", 0x1},           {"1", 0x2},           {"2", 0x3},          {"3", 0x4},
    {"4", 0x5},             {"5", 0x6},           {"6", 0x7},          {"7", 0x8},
    {"8", 0x9},             {"9", 0xA},           {"0", 0xB},          {"Minus", 0xC},
    {"Equals", 0xD},        {"BackSpace", 0xE},   {"Tab", 0xF},        {"Q", 0x10},
    {"W", 0x11},            {"E", 0x12},          {"R", 0x13},         {"T", 0x14},
    {"Y", 0x15},            {"U", 0x16},          {"I", 0x17},         {"O", 0x18},
    {"P", 0x19},            {"LBracket", 0x1A},   {"RBracket", 0x1B},  {"Enter", 0x1C},
    {"LCtrl", 0x1D},        {"A", 0x1E},          {"S", 0x1F},         {"D", 0x20},
    {"F", 0x21},            {"G", 0x22},          {"H", 0x23},         {"J", 0x24},
    {"K", 0x25},            {"L", 0x26},          {"Semicolon", 0x27}, {"Apostrophe", 0x28},
    {"Tilde", 0x29},        {"LShift", 0x2A},     {"BackSlash", 0x2B}, {"Z", 0x2C},
    {"X", 0x2D},            {"C", 0x2E},          {"V", 0x2F},         {"B", 0x30},
    {"N", 0x31},            {"M", 0x32},          {"Comma", 0x33},     {"Period", 0x34},
    {"Slash", 0x35},        {"RShift", 0x36},     {"NumPadStar", 0x37}, {"LAlt", 0x38},
    {"Space", 0x39},        {"CapsLock", 0x3A},   {"F1", 0x3B},        {"F2", 0x3C},
    {"F3", 0x3D},           {"F4", 0x3E},         {"F5", 0x3F},        {"F6", 0x40},
    {"F7", 0x41},           {"F8", 0x42},         {"F9", 0x43},        {"F10", 0x44},
    {"NumLock", 0x45},      {"ScrollLock", 0x46}, {"NumPad7", 0x47},   {"NumPad8", 0x48},
    {"NumPad9", 0x49},      {"NumPadMinus", 0x4A}, {"NumPad4", 0x4B},  {"NumPad5", 0x4C},
    {"NumPad6", 0x4D},      {"NumPadPlus", 0x4E}, {"NumPad1", 0x4F},   {"NumPad2", 0x50},
    {"NumPad3", 0x51},      {"NumPad0", 0x52},    {"NumPadDel", 0x53}, {"Oem_102", 0x56},
    {"F11", 0x57},          {"F12", 0x58},        {"F13", 0x64},       {"F14", 0x65},
    {"F15", 0x66},          {"Kana", 0x70},       {"Abnt_c1", 0x73},   {"Convert", 0x79},
    {"NoConvert", 0x7B},    {"Yen", 0x7D},        {"Abnt_c2", 0x7E},   {"NumPadEquals", 0x8D},
    {"At", 0x91},           {"Colon", 0x92},      {"Underline", 0x93}, {"Kanji", 0x94},
    {"Ax", 0x96},           {"NumPadEnter", 0x1C0}, {"RCtrl", 0x1D0},  {"NumPadComma", 0x33},
    {"NumPadSlash", 0x350}, {"PrnScr", 0x370},    {"RAlt", 0x380},     {"Pause", 0xC50},
    {"Home", 0x470},        {"Up", 0x480},        {"PgUp", 0x490},     {"Left", 0x4B0},
    {"Right", 0x4D0},       {"End", 0x4F0},       {"Down", 0x500},     {"PgDn", 0x510},
    {"Ins", 0x520},         {"Del", 0x530},       {"LWindows", 0x5B0}, {"RWindows", 0x5C0},
    {"Menu", 0x5D0},
};
static_assert(sizeof(s_aKeyName) / sizeof(s_aKeyName[0]) == 121);

const char* const s_aMouseName[WIN_INPUT_MOUSE_SET_SIZE] = {
    "mbLeftButton", "mbRightButton", "mbMiddleButton", "mbButton4",   "mbButton5",
    "MouseLeft",    "MouseRight",    "MouseForward",   "MouseBackward", "mbWheelUp",
    "mbWheelDown",  "mbWheelLeft",   "mbWheelRight",
};

// The (down, up) flag pairs of the five buttons in a raw mouse record.
const USHORT s_aButtonDown[WIN_INPUT_MOUSE_BUTTONS] = {RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_RIGHT_BUTTON_DOWN,
                                                       RI_MOUSE_MIDDLE_BUTTON_DOWN, RI_MOUSE_BUTTON_4_DOWN,
                                                       RI_MOUSE_BUTTON_5_DOWN};
const USHORT s_aButtonUp[WIN_INPUT_MOUSE_BUTTONS] = {RI_MOUSE_LEFT_BUTTON_UP, RI_MOUSE_RIGHT_BUTTON_UP,
                                                     RI_MOUSE_MIDDLE_BUTTON_UP, RI_MOUSE_BUTTON_4_UP,
                                                     RI_MOUSE_BUTTON_5_UP};

// The keyboard inputs whose edges the last update set; only they need clearing.
SArray<TWinInput*, WIN_INPUT_CHANGED_SIZE, 0> s_aChanged;

constexpr u32 RAW_HEADER_SIZE = sizeof(RAWINPUTHEADER);
constexpr u32 KEY_EXTENDED = 1u << 24;
constexpr u32 KEY_BIT25 = 1u << 25;
// Inside the scan code: AltGr characters come without them.
constexpr u32 KEY_ALTGR_BITS = (1u << 18) | (1u << 19) | (1u << 21);
constexpr u32 EXTENDED_CODE_OFFSET = 70;

const TName& DriverName()
{
    static const TName s_Name("Windows keyboard and mouse input driver", true);
    return s_Name;
}

// A wheel count as its input's value: a notch is 1.0, held to 0..10.
f32 WheelValue(i32 count)
{
    return std::clamp(static_cast<f32>(count) * WIN_INPUT_WHEEL_FACTOR, 0.0f, WIN_INPUT_WHEEL_MAX);
}

// The state pending after a record of the given state: pending is what the frame's earlier
// records left (the applied state when none), current the applied state.
i32 NextPending(i32 pending, i32 current, i32 state)
{
    if (pending == WIN_INPUT_BOUNCED)
        return state == current ? WIN_INPUT_BOUNCED : state;
    return pending != current && state == current ? WIN_INPUT_BOUNCED : state;
}

// The state this frame shows for a pending one. A bounced input shows the other state than
// its applied one, and pending becomes the applied one, left for the next frame.
i32 ShownState(i32& pending, i32 current)
{
    if (pending != WIN_INPUT_BOUNCED)
        return pending;
    pending = current;
    return 1 - current;
}

i32 AppliedState(const TWinInput& input)
{
    return input.fValue != 0.0f ? 1 : 0;
}

f32 Average(const f32* ring)
{
    f32 sum = 0.0f;
    for (u32 i = 0; i < WIN_INPUT_SMOOTHING; ++i)
        sum += ring[i];
    return sum / static_cast<f32>(WIN_INPUT_SMOOTHING);
}
} // namespace

const TName* TWinInput::GetDriverName()
{
    return &DriverName();
}

TWinInputDriver::TWinInputDriver()
    : m_fFrameX(0.0f), m_fFrameY(0.0f), m_aFrameX(), m_aFrameY(), m_hLastDevice(nullptr), m_aMouse(),
      m_aSmoothX(), m_nSmoothX(0), m_aSmoothY(), m_nSmoothY(0), m_aButton(), m_nWheelUp(0), m_nWheelDown(0),
      m_aMouseButton(), m_aWheelUp(), m_aWheelDown(), m_nActive(1), m_Device(), m_nModifiers(0),
      m_nAbsoluteX(0), m_nAbsoluteY(0), m_aAbsoluteX(), m_aAbsoluteY(), m_fCaptureX(0.0f), m_fCaptureY(0.0f)
{
    m_aInput.SetCount(WIN_INPUT_COUNT);
    TInputManager& manager = TInputManager::Instance();
    for (const TKeyName& key : s_aKeyName)
    {
        TWinInput& input = m_aInput[key.nIndex];
        input.Name.Set(key.pName, true);
        manager.RegisterInput(&input);
    }
    char name[32];
    for (u32 set = 0; set <= WIN_INPUT_MOUSE_SETS; ++set)
        for (u32 i = 0; i < WIN_INPUT_MOUSE_SET_SIZE; ++i)
        {
            if (set == 0)
                std::snprintf(name, sizeof name, "%s", s_aMouseName[i]);
            else
                std::snprintf(name, sizeof name, "%s_%u", s_aMouseName[i], set - 1);
            TWinInput& input = MouseInput(set, i);
            input.Name.Set(name, true);
            if (i >= WIN_INPUT_MOUSE_MOTION && i < WIN_INPUT_MOUSE_WHEEL)
                input.nFlags = WIN_INPUT_MOTION;
            manager.RegisterInput(&input);
        }
}

const TName* TWinInputDriver::GetDescription()
{
    return &DriverName();
}

i32 TWinInputDriver::InitializeDriver()
{
    g_pDeviceManager->AddMethod(this);
    Initialize();
    return 0;
}

void TWinInputDriver::Initialize()
{
    const HWND window = g_pDeviceManager->GetWindowHandle();
    const RAWINPUTDEVICE mouse = {1, 2, 0, window};
    RegisterRawInputDevices(&mouse, 1, sizeof(RAWINPUTDEVICE));
    m_Device = mouse;
    const RAWINPUTDEVICE devices[2] = {{1, 2, RIDEV_INPUTSINK, window},
                                       {1, 6, RIDEV_INPUTSINK | RIDEV_NOHOTKEYS, window}};
    if (!RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)))
    {
        const DWORD error = GetLastError();
        TLog::Print(g_pSystemLog, LOG_ERROR, "TWinInputDriver::Initialize(): error: ",
                    "failed to register input device (%u)", error);
    }

    RAWINPUTDEVICELIST list[WIN_INPUT_DEVICE_LIST_SIZE];
    UINT count = WIN_INPUT_DEVICE_LIST_SIZE;
    UINT listed = GetRawInputDeviceList(list, &count, sizeof(RAWINPUTDEVICELIST));
    if (listed == static_cast<UINT>(-1))
    {
        // More devices than the list holds: the mice stay unknown and count as mouse 0.
        TLog::Print(g_pSystemLog, LOG_ERROR, "TWinInputDriver::Initialize(): error: ",
                    "unable to list input devices (%u)", count);
        listed = 0;
    }

    m_fFrameX = m_fFrameY = 0.0f;
    std::fill(std::begin(m_aMouse), std::end(m_aMouse), nullptr);
    std::fill(std::begin(m_aFrameX), std::end(m_aFrameX), 0.0f);
    std::fill(std::begin(m_aFrameY), std::end(m_aFrameY), 0.0f);
    std::memset(m_aButton, 0, sizeof m_aButton);
    std::memset(m_aMouseButton, 0, sizeof m_aMouseButton);
    m_nWheelUp = m_nWheelDown = 0;
    std::fill(std::begin(m_aWheelUp), std::end(m_aWheelUp), 0);
    std::fill(std::begin(m_aWheelDown), std::end(m_aWheelDown), 0);

    u32 mice = 0;
    for (UINT i = 0; i < listed; ++i)
    {
        if (list[i].dwType != RIM_TYPEMOUSE)
            continue;
        if (mice == WIN_INPUT_MOUSE_SLOTS)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TWinInputDriver::Initialize(): error: ",
                        "too many mouse deviced attached (%d)", WIN_INPUT_MOUSE_SLOTS);
            continue;
        }
        m_aMouse[mice++] = list[i].hDevice;
    }
}

// Messages.

i32 TWinInputDriver::OnDeviceMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!m_nActive)
    {
        m_nModifiers = 0;
        return DEVICE_MESSAGE_NOT_CONSUMED;
    }
    TInputManager& manager = TInputManager::Instance();
    switch (message)
    {
    case WM_INPUT:
        if ((wParam & 0xFF) == RIM_INPUT || (wParam & 0xFF) == RIM_INPUTSINK)
            OnRawInput(wParam & 0xFF, reinterpret_cast<HRAWINPUT>(lParam));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (wParam == VK_SHIFT)
            m_nModifiers |= WIN_MODIFIER_SHIFT;
        else if (wParam == VK_CONTROL)
            m_nModifiers |= WIN_MODIFIER_CTRL;
        else if (wParam == VK_MENU)
            m_nModifiers |= WIN_MODIFIER_ALT;
        else
            SendKeyEvent(message, wParam, lParam);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (wParam == VK_SHIFT)
            m_nModifiers &= ~WIN_MODIFIER_SHIFT;
        else if (wParam == VK_CONTROL)
            m_nModifiers &= ~WIN_MODIFIER_CTRL;
        else if (wParam == VK_MENU)
            m_nModifiers &= ~WIN_MODIFIER_ALT;
        break;
    case WM_CHAR:
    {
        u32 modifiers = m_nModifiers;
        u32 key = static_cast<u32>(lParam);
        const u32 altGr = WIN_MODIFIER_CTRL | WIN_MODIFIER_ALT;
        if ((modifiers & altGr) == altGr)
        {
            key &= ~KEY_ALTGR_BITS;
            modifiers = (modifiers & ~altGr) | WIN_MODIFIER_SHIFT;
        }
        if ((modifiers & WIN_MODIFIER_ALT) && wParam != '@')
            break;
        key &= ~KEY_BIT25;
        const u32 code = ((key >> 16) & 0xFF) + ((key & KEY_EXTENDED) ? EXTENDED_CODE_OFFSET : 0);
        SendEvent(modifiers & ~WIN_MODIFIER_ALT, code, static_cast<u32>(wParam));
        break;
    }
    case WM_MOUSEMOVE:
        manager.SetPointerPosition(static_cast<f32>(GET_X_LPARAM(lParam)), static_cast<f32>(GET_Y_LPARAM(lParam)));
        break;
    case WM_LBUTTONUP:
        SendEvent(m_nModifiers | WIN_EVENT_MOUSE, 1000, 0);
        break;
    case WM_RBUTTONUP:
        SendEvent(m_nModifiers | WIN_EVENT_MOUSE, 1001, 0);
        break;
    case WM_MBUTTONUP:
        SendEvent(m_nModifiers | WIN_EVENT_MOUSE, 1002, 0);
        break;
    default:
        break;
    }
    return DEVICE_MESSAGE_NOT_CONSUMED;
}

void TWinInputDriver::SendKeyEvent(UINT message, WPARAM wParam, LPARAM lParam)
{
    const u32 key = static_cast<u32>(lParam);
    const u32 scanCode = (key >> 16) & 0xFF;
    if (message == WM_KEYDOWN)
    {
        // Plain key-downs only for the keys text fields and menus navigate with.
        const bool navigation = wParam == VK_CLEAR || (wParam >= VK_PRIOR && wParam <= VK_DOWN) ||
                                wParam == VK_INSERT || wParam == VK_DELETE ||
                                (wParam >= VK_F1 && wParam <= VK_F12) || wParam == VK_NUMLOCK;
        const bool held = (m_nModifiers & (WIN_MODIFIER_CTRL | WIN_MODIFIER_ALT)) != 0;
        if (!navigation || (scanCode < 0x3B && !held))
            return;
    }
    m_nModifiers = (m_nModifiers & ~WIN_MODIFIER_BIT25) | ((key & KEY_BIT25) ? WIN_MODIFIER_BIT25 : 0);
    const u32 code = scanCode + ((key & KEY_EXTENDED) ? EXTENDED_CODE_OFFSET : 0);
    SendEvent(m_nModifiers | WIN_EVENT_KEY, code, static_cast<u32>(wParam));
}

void TWinInputDriver::SendEvent(u32 modifiers, u32 code, u32 value)
{
    TInputManager::Instance().OnInputEvent({modifiers, code, value});
}

void TWinInputDriver::Report(u32 index)
{
    TInputManager::Instance().OnDriverEvent(&m_aInput[index]);
}

void TWinInputDriver::OnRawInput(WPARAM code, HRAWINPUT handle)
{
    UINT size = 0;
    GetRawInputData(handle, RID_INPUT, nullptr, &size, RAW_HEADER_SIZE);
    RAWINPUT record;
    UINT capacity = sizeof record;
    // A record larger than ours is refused before it is read.
    if (size > sizeof record || GetRawInputData(handle, RID_INPUT, &record, &capacity, RAW_HEADER_SIZE) != size)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TWinInputDriver::OnDeviceMessage(): error: ", "incorrect data size");
        return;
    }
    if (record.header.dwType == RIM_TYPEKEYBOARD)
        OnRawKeyboard(code, record.data.keyboard);
    else if (record.header.dwType == RIM_TYPEMOUSE)
        OnRawMouse(record.header.hDevice, record.data.mouse);
    else
        TLog::Print(g_pSystemLog, LOG_ERROR, "TWinInputDriver::OnDeviceMessage(): error: ",
                    "unknown raw input data type");
    RAWINPUT* records = &record;
    DefRawInputProc(&records, 1, RAW_HEADER_SIZE);
}

void TWinInputDriver::OnRawKeyboard(WPARAM code, const RAWKEYBOARD& keyboard)
{
    u32 index = keyboard.MakeCode;
    if (keyboard.Flags & RI_KEY_E0)
        index = (index << 4) & 0xFFFF;
    // E0 codes from 0xF0 up lie beyond the table.
    if (index == WIN_INPUT_FAKE_SHIFT || index >= WIN_INPUT_COUNT)
        return;
    i32 state;
    if (keyboard.Flags & RI_KEY_BREAK)
        state = 0;
    else if (code == RIM_INPUT)
        state = 1;
    else
        return;

    const i32 at = m_Queue.FindKey(static_cast<i32>(index));
    if (at >= 0)
        m_Queue[static_cast<u32>(at)].value =
            NextPending(m_Queue[static_cast<u32>(at)].value, AppliedState(m_aInput[index]), state);
    else if (!m_Queue.IsFull())
        m_Queue.Insert({static_cast<i32>(index), state});
    // A 65th key in one frame is dropped: its next change is queued again.
    if (state && m_nCapture)
        Report(index);
}

void TWinInputDriver::OnRawMouse(HANDLE device, const RAWMOUSE& mouse)
{
    m_hLastDevice = device;
    u32 n = 0;
    for (u32 i = 0; i < WIN_INPUT_MOUSE_SETS; ++i)
        if (m_aMouse[i] == device)
        {
            n = i;
            break;
        }

    if (mouse.usFlags == MOUSE_MOVE_RELATIVE)
    {
        const f32 dx = static_cast<f32>(mouse.lLastX) * WIN_INPUT_MOTION_SCALE;
        const f32 dy = static_cast<f32>(mouse.lLastY) * WIN_INPUT_MOTION_SCALE;
        m_fFrameX += dx;
        m_fFrameY += dy;
        m_aFrameX[n] += dx;
        m_aFrameY[n] += dy;
    }
    else if (mouse.usFlags & MOUSE_MOVE_ABSOLUTE)
    {
        m_fFrameX += static_cast<f32>(mouse.lLastX - m_nAbsoluteX);
        m_fFrameY += static_cast<f32>(mouse.lLastY - m_nAbsoluteY);
        m_nAbsoluteX = mouse.lLastX;
        m_nAbsoluteY = mouse.lLastY;
        m_aFrameX[n] += static_cast<f32>(mouse.lLastX - m_aAbsoluteX[n]);
        m_aFrameY[n] += static_cast<f32>(mouse.lLastY - m_aAbsoluteY[n]);
        m_aAbsoluteX[n] = mouse.lLastX;
        m_aAbsoluteY[n] = mouse.lLastY;
    }

    for (u32 b = 0; b < WIN_INPUT_MOUSE_BUTTONS; ++b)
    {
        i32 state;
        if (mouse.usButtonFlags & s_aButtonDown[b])
            state = 1;
        else if (mouse.usButtonFlags & s_aButtonUp[b])
            state = 0;
        else
            continue;
        m_aButton[b] = static_cast<u8>(NextPending(m_aButton[b], AppliedState(MouseInput(0, b)), state));
        m_aMouseButton[b][n] =
            static_cast<u8>(NextPending(m_aMouseButton[b][n], AppliedState(MouseInput(n + 1, b)), state));
    }

    if (mouse.usButtonFlags & RI_MOUSE_WHEEL)
    {
        const i32 delta = static_cast<i16>(mouse.usButtonData);
        if (delta > 0)
        {
            m_nWheelUp += delta;
            m_aWheelUp[n] += delta;
            SendEvent(m_nModifiers | WIN_EVENT_MOUSE, 1003, 0);
        }
        else
        {
            m_nWheelDown -= delta;
            m_aWheelDown[n] -= delta;
            SendEvent(m_nModifiers | WIN_EVENT_MOUSE, 1004, 0);
        }
    }

    if (m_nCapture)
        CaptureMouse(mouse);
    else
        m_fCaptureX = m_fCaptureY = 0.0f;
}

void TWinInputDriver::CaptureMouse(const RAWMOUSE& mouse)
{
    m_fCaptureX += m_fFrameX;
    m_fCaptureY += m_fFrameY;
    const u32 all = WIN_INPUT_MOUSE_FIRST;
    if (m_fCaptureX < -WIN_INPUT_CAPTURE_DISTANCE)
        Report(all + WIN_INPUT_MOUSE_MOTION);
    else if (m_fCaptureX > WIN_INPUT_CAPTURE_DISTANCE)
        Report(all + WIN_INPUT_MOUSE_MOTION + 1);
    if (m_fCaptureY > WIN_INPUT_CAPTURE_DISTANCE)
        Report(all + WIN_INPUT_MOUSE_MOTION + 2);
    else if (m_fCaptureY < -WIN_INPUT_CAPTURE_DISTANCE)
        Report(all + WIN_INPUT_MOUSE_MOTION + 3);
    for (u32 b = 0; b < WIN_INPUT_MOUSE_BUTTONS; ++b)
        if (mouse.usButtonFlags & s_aButtonDown[b])
            Report(all + b);
    if (mouse.usButtonFlags & RI_MOUSE_WHEEL)
        Report(all + WIN_INPUT_MOUSE_WHEEL + (static_cast<i16>(mouse.usButtonData) > 0 ? 0 : 1));
}

// The frame.

void TWinInputDriver::UpdateDriver()
{
    for (u32 i = 0; i < s_aChanged.GetCount(); ++i)
        s_aChanged[i]->nFlags &= ~(WIN_INPUT_PRESSED | WIN_INPUT_RELEASED);
    s_aChanged.SetCount(0);
    SArray<TWinKeyChange, WIN_INPUT_QUEUE_SIZE, 0> later;
    for (u32 i = 0; i < m_Queue.GetCount(); ++i)
    {
        TWinInput& input = m_aInput[static_cast<u32>(m_Queue[i].key)];
        i32 pending = m_Queue[i].value;
        const i32 shown = ShownState(pending, AppliedState(input));
        if (shown != pending)
            later.Add({m_Queue[i].key, pending});
        // The queue holds at most 64 keys, so the list of changed keys never fills.
        if (input.Apply(shown ? 1.0f : 0.0f))
            s_aChanged.Add(&input);
    }
    m_Queue._SetCount(0);
    for (u32 i = 0; i < later.GetCount(); ++i)
        m_Queue.Insert(later[i]);

    m_aSmoothX[m_nSmoothX] = m_fFrameX;
    m_nSmoothX = (m_nSmoothX + 1) % WIN_INPUT_SMOOTHING;
    m_aSmoothY[m_nSmoothY] = m_fFrameY;
    m_nSmoothY = (m_nSmoothY + 1) % WIN_INPUT_SMOOTHING;
    m_fFrameX = m_fFrameY = 0.0f;
    const f32 x = Average(m_aSmoothX);
    const f32 y = Average(m_aSmoothY);
    MouseInput(0, WIN_INPUT_MOUSE_MOTION).fValue = x <= 0.0f ? -x : 0.0f;
    MouseInput(0, WIN_INPUT_MOUSE_MOTION + 1).fValue = x > 0.0f ? x : 0.0f;
    MouseInput(0, WIN_INPUT_MOUSE_MOTION + 2).fValue = y > 0.0f ? y : 0.0f;
    MouseInput(0, WIN_INPUT_MOUSE_MOTION + 3).fValue = y <= 0.0f ? -y : 0.0f;
    UpdateButtons(0, m_aButton, m_nWheelUp, m_nWheelDown);

    for (u32 n = 0; n < WIN_INPUT_MOUSE_SETS; ++n)
    {
        const f32 mx = m_aFrameX[n];
        const f32 my = m_aFrameY[n];
        MouseInput(n + 1, WIN_INPUT_MOUSE_MOTION).fValue = mx < 0.0f ? -mx : 0.0f;
        MouseInput(n + 1, WIN_INPUT_MOUSE_MOTION + 1).fValue = mx > 0.0f ? mx : 0.0f;
        MouseInput(n + 1, WIN_INPUT_MOUSE_MOTION + 2).fValue = my > 0.0f ? my : 0.0f;
        MouseInput(n + 1, WIN_INPUT_MOUSE_MOTION + 3).fValue = my < 0.0f ? -my : 0.0f;
        m_aFrameX[n] = m_aFrameY[n] = 0.0f;
        u8 buttons[WIN_INPUT_MOUSE_BUTTONS];
        for (u32 b = 0; b < WIN_INPUT_MOUSE_BUTTONS; ++b)
            buttons[b] = m_aMouseButton[b][n];
        UpdateButtons(n + 1, buttons, m_aWheelUp[n], m_aWheelDown[n]);
        for (u32 b = 0; b < WIN_INPUT_MOUSE_BUTTONS; ++b)
            m_aMouseButton[b][n] = buttons[b];
    }
}

void TWinInputDriver::UpdateButtons(u32 set, u8* buttons, i32& wheelUp, i32& wheelDown)
{
    for (u32 b = 0; b < WIN_INPUT_MOUSE_BUTTONS; ++b)
    {
        TWinInput& input = MouseInput(set, b);
        i32 pending = buttons[b];
        input.Apply(ShownState(pending, AppliedState(input)) ? 1.0f : 0.0f);
        buttons[b] = static_cast<u8>(pending);
    }
    MouseInput(set, WIN_INPUT_MOUSE_WHEEL).Apply(WheelValue(wheelUp));
    MouseInput(set, WIN_INPUT_MOUSE_WHEEL + 1).Apply(WheelValue(wheelDown));
    wheelUp = wheelDown = 0;
}

void TWinInputDriver::Reset()
{
    m_nModifiers = 0;
    m_nAbsoluteX = m_nAbsoluteY = 0;
    m_aAbsoluteY[0] = 0;
    m_fCaptureX = 0.0f;
    for (u32 i = 0; i < WIN_INPUT_COUNT; ++i)
    {
        m_aInput[i].fValue = 0.0f;
        m_aInput[i].nFlags = 0;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE) ||
           PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE))
    {
    }
}

#include "platform/window/sdleventtranslator.h"

#include "platform/window/scancodes.h"
#include "platform/window/textconversion.h"
#include "platform/window/windowsystem.h"

#include <algorithm>

namespace
{
// Virtual-key code of the extra records a PC keyboard sends around Pause and Print Screen.
constexpr WORD kFillerKey = 0xFF;
// The E1 1D 45 sequence of Pause and the fake E0 2A shift of Print Screen.
constexpr USHORT kPauseLead = 0x1D;
constexpr USHORT kPauseTail = 0x45;
constexpr USHORT kFakeShift = 0x2A;

// Key-message lParam bits.
constexpr DWORD kRepeatCount = 1;
constexpr int kScanCodeShift = 16;
constexpr DWORD kExtendedBit = 1u << 24;
constexpr DWORD kAltContextBit = 1u << 29;
constexpr DWORD kPreviousStateBit = 1u << 30;
constexpr DWORD kTransitionBit = 1u << 31;

struct TButton
{
    USHORT downFlag;
    USHORT upFlag;
    WORD keyFlag;
    UINT downMessage;
    UINT upMessage;
    WORD xButton;
};

const TButton* FindButton(Uint8 button)
{
    static const TButton kButtons[] = {
        {RI_MOUSE_LEFT_BUTTON_DOWN, RI_MOUSE_LEFT_BUTTON_UP, MK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, 0},
        {RI_MOUSE_MIDDLE_BUTTON_DOWN, RI_MOUSE_MIDDLE_BUTTON_UP, MK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, 0},
        {RI_MOUSE_RIGHT_BUTTON_DOWN, RI_MOUSE_RIGHT_BUTTON_UP, MK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, 0},
        {RI_MOUSE_BUTTON_4_DOWN, RI_MOUSE_BUTTON_4_UP, MK_XBUTTON1, WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON1},
        {RI_MOUSE_BUTTON_5_DOWN, RI_MOUSE_BUTTON_5_UP, MK_XBUTTON2, WM_XBUTTONDOWN, WM_XBUTTONUP, XBUTTON2},
    };
    // SDL numbers them left 1, middle 2, right 3, X1 4, X2 5.
    if (button < SDL_BUTTON_LEFT || button > SDL_BUTTON_X2)
        return nullptr;
    return &kButtons[button - SDL_BUTTON_LEFT];
}

LPARAM PointParam(int x, int y)
{
    return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
}

SDL_KeyboardEvent FakeLeftCtrl(Uint32 type)
{
    SDL_KeyboardEvent event = {};
    event.type = type;
    event.keysym.scancode = SDL_SCANCODE_LCTRL;
    event.keysym.sym = SDLK_LCTRL;
    return event;
}

// The control character Windows makes of a key-down, or 0.
WPARAM ControlCharacter(WORD virtualKey, bool ctrl)
{
    switch (virtualKey)
    {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        return virtualKey;
    default:
        return ctrl && virtualKey >= 'A' && virtualKey <= 'Z' ? virtualKey - 'A' + 1 : 0;
    }
}
} // namespace

void TSdlEventTranslator::Translate(const SDL_Event& event, HWND window)
{
    switch (event.type)
    {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_TEXTINPUT:
        TranslateText(event.text);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event.motion, window);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button, window);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event.wheel, window);
        break;
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window, window);
        break;
    default:
        break;
    }
}

bool TSdlEventTranslator::IsHeld(SDL_Scancode first, SDL_Scancode second) const
{
    return pressed_[first] || pressed_[second];
}

void TSdlEventTranslator::PostKeyRecord(USHORT makeCode, USHORT flags, WORD virtualKey, UINT message)
{
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEKEYBOARD;
    record.data.keyboard.MakeCode = makeCode;
    record.data.keyboard.Flags = flags;
    record.data.keyboard.VKey = virtualKey;
    record.data.keyboard.Message = message;
    TWindowSystem::Get().PostRawInput(record);
}

void TSdlEventTranslator::TranslateKey(const SDL_KeyboardEvent& event)
{
    // Windows sends AltGr as a left Ctrl around the right Alt; text fields rely on seeing both.
    const bool altGr = event.keysym.scancode == SDL_SCANCODE_RALT && event.keysym.sym == SDLK_MODE;
    if (altGr && event.type == SDL_KEYDOWN && !pressed_[SDL_SCANCODE_LCTRL])
        TranslatePcKey(FakeLeftCtrl(SDL_KEYDOWN));
    TranslatePcKey(event);
    if (altGr && event.type == SDL_KEYUP && pressed_[SDL_SCANCODE_LCTRL])
        TranslatePcKey(FakeLeftCtrl(SDL_KEYUP));
}

void TSdlEventTranslator::TranslatePcKey(const SDL_KeyboardEvent& event)
{
    const SDL_Scancode scancode = event.keysym.scancode;
    const TPcKey key = SdlScancodeToPcKey(scancode);
    if (key.makeCode == 0)
        return;
    const bool down = event.type == SDL_KEYDOWN;
    const bool wasDown = pressed_[scancode];
    pressed_[scancode] = down;
    const bool alt = IsHeld(SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
    const bool ctrl = IsHeld(SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
    // Windows sends the "system" key messages while Alt is held without Ctrl, and for Alt and F10.
    const bool systemKey = !ctrl && (alt || key.virtualKey == VK_MENU || key.virtualKey == VK_F10);
    const UINT message =
        down ? (systemKey ? WM_SYSKEYDOWN : WM_KEYDOWN) : (systemKey ? WM_SYSKEYUP : WM_KEYUP);

    const USHORT transition = down ? RI_KEY_MAKE : RI_KEY_BREAK;
    if (scancode == SDL_SCANCODE_PAUSE)
    {
        PostKeyRecord(kPauseLead, RI_KEY_E1 | transition, key.virtualKey, message);
        PostKeyRecord(kPauseTail, transition, kFillerKey, message);
    }
    else if (scancode == SDL_SCANCODE_PRINTSCREEN && down)
    {
        PostKeyRecord(kFakeShift, RI_KEY_E0, kFillerKey, message);
        PostKeyRecord(key.makeCode, RI_KEY_E0, key.virtualKey, message);
    }
    else if (scancode == SDL_SCANCODE_PRINTSCREEN)
    {
        PostKeyRecord(key.makeCode, RI_KEY_E0 | RI_KEY_BREAK, key.virtualKey, message);
        PostKeyRecord(kFakeShift, RI_KEY_E0 | RI_KEY_BREAK, kFillerKey, message);
    }
    else
    {
        PostKeyRecord(key.makeCode, (key.extended ? RI_KEY_E0 : 0) | transition, key.virtualKey, message);
    }

    DWORD bits = kRepeatCount | (static_cast<DWORD>(key.makeCode) << kScanCodeShift);
    if (key.extended)
        bits |= kExtendedBit;
    if (systemKey && (alt || key.virtualKey == VK_MENU))
        bits |= kAltContextBit;
    if (!down || wasDown)
        bits |= kPreviousStateBit;
    if (!down)
        bits |= kTransitionBit;
    const LPARAM lParam = static_cast<LPARAM>(bits);

    TWindowSystem& layer = TWindowSystem::Get();
    const HWND focus = layer.GetFocus();
    if (!focus)
        return;
    layer.PostMessage(focus, message, key.virtualKey, lParam);
    if (!down)
        return;
    lastKeyParam_ = lParam;
    // The characters Windows' TranslateMessage makes of keys that type no text.
    const WPARAM character = message == WM_KEYDOWN ? ControlCharacter(key.virtualKey, ctrl && !alt) : 0;
    if (character)
        layer.PostMessage(focus, WM_CHAR, character, lParam);
}

void TSdlEventTranslator::TranslateText(const SDL_TextInputEvent& event)
{
    TWindowSystem& layer = TWindowSystem::Get();
    const HWND focus = layer.GetFocus();
    if (!focus)
        return;
    for (char16_t unit : Utf8ToUtf16(event.text))
        layer.PostMessage(focus, WM_CHAR, unit, lastKeyParam_);
}

WPARAM TSdlEventTranslator::MouseKeyFlags() const
{
    WORD flags = mouseButtons_;
    if (IsHeld(SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT))
        flags |= MK_SHIFT;
    if (IsHeld(SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL))
        flags |= MK_CONTROL;
    return flags;
}

void TSdlEventTranslator::PostMouseRecord(USHORT buttonFlags, USHORT buttonData, LONG x, LONG y)
{
    RAWINPUT record = {};
    record.header.dwType = RIM_TYPEMOUSE;
    record.data.mouse.usFlags = MOUSE_MOVE_RELATIVE;
    record.data.mouse.usButtonFlags = buttonFlags;
    record.data.mouse.usButtonData = buttonData;
    record.data.mouse.lLastX = x;
    record.data.mouse.lLastY = y;
    TWindowSystem::Get().PostRawInput(record);
}

POINT TSdlEventTranslator::ClientPoint(Uint32 windowId, HWND window, int x, int y)
{
    // SDL tells the point within the native window; the frame is scaled onto that window, which
    // may be of another size than the layer's client area (one no window manager grew).
    SDL_Window* native = SDL_GetWindowFromID(windowId);
    RECT client = {};
    int width = 0, height = 0;
    if (native)
        SDL_GetWindowSize(native, &width, &height);
    if (!window || !TWindowSystem::Get().GetClientRect(window, &client) || width <= 0 || height <= 0 ||
        client.right <= 0 || client.bottom <= 0)
        return {x, y};
    return {static_cast<LONG>(static_cast<long long>(x) * client.right / width),
            static_cast<LONG>(static_cast<long long>(y) * client.bottom / height)};
}

void TSdlEventTranslator::TranslateMotion(const SDL_MouseMotionEvent& event, HWND window)
{
    const POINT point = ClientPoint(event.windowID, window, event.x, event.y);
    pointerX_ = point.x;
    pointerY_ = point.y;
    TWindowSystem& layer = TWindowSystem::Get();
    layer.SetPointerPosition(window, point.x, point.y);
    PostMouseRecord(0, 0, event.xrel, event.yrel);
    if (window)
        layer.PostMessage(window, WM_MOUSEMOVE, MouseKeyFlags(), PointParam(point.x, point.y));
}

void TSdlEventTranslator::TranslateButton(const SDL_MouseButtonEvent& event, HWND window)
{
    const TButton* button = FindButton(event.button);
    if (!button)
        return;
    const bool down = event.type == SDL_MOUSEBUTTONDOWN;
    const POINT point = ClientPoint(event.windowID, window, event.x, event.y);
    pointerX_ = point.x;
    pointerY_ = point.y;
    if (down)
        mouseButtons_ |= button->keyFlag;
    else
        mouseButtons_ &= ~button->keyFlag;
    TWindowSystem& layer = TWindowSystem::Get();
    layer.SetPointerPosition(window, point.x, point.y);
    PostMouseRecord(down ? button->downFlag : button->upFlag, 0, 0, 0);
    if (!window)
        return;
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(MouseKeyFlags()), button->xButton);
    layer.PostMessage(window, down ? button->downMessage : button->upMessage, wParam,
                      PointParam(point.x, point.y));
}

void TSdlEventTranslator::TranslateWheel(const SDL_MouseWheelEvent& event, HWND window)
{
    const int notches = event.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.y : event.y;
    if (notches == 0)
        return;
    // The delta is a signed 16-bit word: 273 notches is the most it holds.
    const short delta = static_cast<short>(std::clamp(notches, -273, 273) * WHEEL_DELTA);
    PostMouseRecord(RI_MOUSE_WHEEL, static_cast<USHORT>(delta), 0, 0);

    // WM_MOUSEWHEEL goes to the focus window and carries the pointer in screen co-ordinates.
    TWindowSystem& layer = TWindowSystem::Get();
    const HWND focus = layer.GetFocus() ? layer.GetFocus() : window;
    POINT screen = {pointerX_, pointerY_};
    if (!window || !focus || !layer.ClientToScreen(window, &screen))
        return;
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(MouseKeyFlags()), static_cast<WORD>(delta));
    layer.PostMessage(focus, WM_MOUSEWHEEL, wParam, PointParam(screen.x, screen.y));
}

void TSdlEventTranslator::TranslateWindowEvent(const SDL_WindowEvent& event, HWND window)
{
    if (!window)
        return;
    TWindowSystem& layer = TWindowSystem::Get();
    switch (event.event)
    {
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_EXPOSED:
        layer.NativeExposed(window);
        break;
    case SDL_WINDOWEVENT_MOVED:
        layer.NativeMoved(window, event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        layer.NativeResized(window, event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        layer.NativeMinimised(window);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        layer.NativeMaximised(window);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        layer.NativeRestored(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        layer.NativeActivation(window, true);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        layer.NativeActivation(window, false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        layer.PostMessage(window, WM_CLOSE, 0, 0);
        break;
    default:
        break;
    }
}

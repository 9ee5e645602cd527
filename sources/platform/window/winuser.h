#pragma once
// The window, message, raw-input, cursor and monitor calls of the Windows user interface, with
// their Windows names, layouts and meanings, as the device manager and the input drivers use
// them. Behind them sits our own window layer (SDL2, or virtual windows when headless).
//
// Differences from Windows that callers may notice:
// - There is one message queue for the process, not one per thread; a thread other than the
//   one that started the layer reads it without touching SDL.
// - Characters (WM_CHAR) are posted by the layer itself right after their key message;
//   TranslateMessage adds nothing.
#include "platform/windef/windef.h"

#include <cstddef>

struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
struct HMENU__;
typedef HMENU__* HMENU;
struct HRAWINPUT__;
typedef HRAWINPUT__* HRAWINPUT;
typedef WORD ATOM;

typedef LRESULT (*WNDPROC)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ACTIVATEAPP = 0x001C;
constexpr UINT WM_INPUT = 0x00FF;
constexpr UINT WM_KEYFIRST = 0x0100;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_KEYLAST = 0x0109;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEFIRST = 0x0200;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_XBUTTONDOWN = 0x020B;
constexpr UINT WM_XBUTTONUP = 0x020C;
constexpr UINT WM_MOUSELAST = 0x020E;
constexpr UINT WM_ENTERSIZEMOVE = 0x0231;
constexpr UINT WM_EXITSIZEMOVE = 0x0232;
constexpr UINT WM_USER = 0x0400;

// WM_SIZE wParam, WM_ACTIVATE low word, WM_SYSCOMMAND wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WPARAM SC_CLOSE = 0xF060;

// Mouse-message key flags (wParam) and X buttons.
constexpr WORD MK_LBUTTON = 0x0001;
constexpr WORD MK_RBUTTON = 0x0002;
constexpr WORD MK_SHIFT = 0x0004;
constexpr WORD MK_CONTROL = 0x0008;
constexpr WORD MK_MBUTTON = 0x0010;
constexpr WORD MK_XBUTTON1 = 0x0020;
constexpr WORD MK_XBUTTON2 = 0x0040;
constexpr WORD XBUTTON1 = 0x0001;
constexpr WORD XBUTTON2 = 0x0002;
constexpr int WHEEL_DELTA = 120;

// PeekMessage.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Class and window styles.
constexpr UINT CS_CLASSDC = 0x0040;
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_DLGFRAME = 0x00400000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// SetWindowPos.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOREDRAW = 0x0008;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// ShowWindow and WINDOWPLACEMENT.showCmd.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;

// Monitors.
constexpr DWORD MONITOR_DEFAULTTONULL = 0;
constexpr DWORD MONITOR_DEFAULTTOPRIMARY = 1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

// LoadImage.
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

// Virtual-key codes (letters and digits are their upper-case ASCII codes).
constexpr WORD VK_BACK = 0x08;
constexpr WORD VK_TAB = 0x09;
constexpr WORD VK_CLEAR = 0x0C;
constexpr WORD VK_RETURN = 0x0D;
constexpr WORD VK_SHIFT = 0x10;
constexpr WORD VK_CONTROL = 0x11;
constexpr WORD VK_MENU = 0x12;
constexpr WORD VK_PAUSE = 0x13;
constexpr WORD VK_CAPITAL = 0x14;
constexpr WORD VK_KANA = 0x15;
constexpr WORD VK_KANJI = 0x19;
constexpr WORD VK_ESCAPE = 0x1B;
constexpr WORD VK_CONVERT = 0x1C;
constexpr WORD VK_NONCONVERT = 0x1D;
constexpr WORD VK_SPACE = 0x20;
constexpr WORD VK_PRIOR = 0x21;
constexpr WORD VK_NEXT = 0x22;
constexpr WORD VK_END = 0x23;
constexpr WORD VK_HOME = 0x24;
constexpr WORD VK_LEFT = 0x25;
constexpr WORD VK_UP = 0x26;
constexpr WORD VK_RIGHT = 0x27;
constexpr WORD VK_DOWN = 0x28;
constexpr WORD VK_SNAPSHOT = 0x2C;
constexpr WORD VK_INSERT = 0x2D;
constexpr WORD VK_DELETE = 0x2E;
constexpr WORD VK_LWIN = 0x5B;
constexpr WORD VK_RWIN = 0x5C;
constexpr WORD VK_APPS = 0x5D;
constexpr WORD VK_NUMPAD0 = 0x60;
constexpr WORD VK_MULTIPLY = 0x6A;
constexpr WORD VK_ADD = 0x6B;
constexpr WORD VK_SEPARATOR = 0x6C;
constexpr WORD VK_SUBTRACT = 0x6D;
constexpr WORD VK_DECIMAL = 0x6E;
constexpr WORD VK_DIVIDE = 0x6F;
constexpr WORD VK_F1 = 0x70;
constexpr WORD VK_F10 = 0x79;
constexpr WORD VK_F12 = 0x7B;
constexpr WORD VK_F13 = 0x7C;
constexpr WORD VK_NUMLOCK = 0x90;
constexpr WORD VK_SCROLL = 0x91;

constexpr WORD VK_OEM_1 = 0xBA;
constexpr WORD VK_OEM_PLUS = 0xBB;
constexpr WORD VK_OEM_COMMA = 0xBC;
constexpr WORD VK_OEM_MINUS = 0xBD;
constexpr WORD VK_OEM_PERIOD = 0xBE;
constexpr WORD VK_OEM_2 = 0xBF;
constexpr WORD VK_OEM_3 = 0xC0;
constexpr WORD VK_OEM_4 = 0xDB;
constexpr WORD VK_OEM_5 = 0xDC;
constexpr WORD VK_OEM_6 = 0xDD;
constexpr WORD VK_OEM_7 = 0xDE;
constexpr WORD VK_OEM_102 = 0xE2;

// Raw input.
constexpr DWORD RIM_TYPEMOUSE = 0;
constexpr DWORD RIM_TYPEKEYBOARD = 1;
constexpr DWORD RIM_TYPEHID = 2;
constexpr WPARAM RIM_INPUT = 0;
constexpr WPARAM RIM_INPUTSINK = 1;
constexpr UINT RID_INPUT = 0x10000003;
constexpr UINT RID_HEADER = 0x10000005;
constexpr DWORD RIDEV_REMOVE = 0x00000001;
constexpr DWORD RIDEV_INPUTSINK = 0x00000100;
constexpr DWORD RIDEV_NOHOTKEYS = 0x00000200;
constexpr USHORT RI_KEY_MAKE = 0;
constexpr USHORT RI_KEY_BREAK = 1;
constexpr USHORT RI_KEY_E0 = 2;
constexpr USHORT RI_KEY_E1 = 4;
constexpr USHORT MOUSE_MOVE_RELATIVE = 0;
constexpr USHORT MOUSE_MOVE_ABSOLUTE = 1;
constexpr USHORT RI_MOUSE_LEFT_BUTTON_DOWN = 0x0001;
constexpr USHORT RI_MOUSE_LEFT_BUTTON_UP = 0x0002;
constexpr USHORT RI_MOUSE_RIGHT_BUTTON_DOWN = 0x0004;
constexpr USHORT RI_MOUSE_RIGHT_BUTTON_UP = 0x0008;
constexpr USHORT RI_MOUSE_MIDDLE_BUTTON_DOWN = 0x0010;
constexpr USHORT RI_MOUSE_MIDDLE_BUTTON_UP = 0x0020;
constexpr USHORT RI_MOUSE_BUTTON_4_DOWN = 0x0040;
constexpr USHORT RI_MOUSE_BUTTON_4_UP = 0x0080;
constexpr USHORT RI_MOUSE_BUTTON_5_DOWN = 0x0100;
constexpr USHORT RI_MOUSE_BUTTON_5_UP = 0x0200;
constexpr USHORT RI_MOUSE_WHEEL = 0x0400;

struct WNDCLASSEXW
{
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};

struct MSG
{
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

struct WINDOWPLACEMENT
{
    UINT length;
    UINT flags;
    UINT showCmd;
    POINT ptMinPosition;
    POINT ptMaxPosition;
    RECT rcNormalPosition;
};

struct MONITORINFO
{
    DWORD cbSize;
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags;
};

struct MONITORINFOEXA : MONITORINFO
{
    CHAR szDevice[32];
};

struct MONITORINFOEXW : MONITORINFO
{
    WCHAR szDevice[32];
};

struct RAWINPUTDEVICE
{
    USHORT usUsagePage;
    USHORT usUsage;
    DWORD dwFlags;
    HWND hwndTarget;
};

struct RAWINPUTDEVICELIST
{
    HANDLE hDevice;
    DWORD dwType;
};

struct RAWINPUTHEADER
{
    DWORD dwType;
    DWORD dwSize;
    HANDLE hDevice;
    WPARAM wParam;
};

struct RAWMOUSE
{
    USHORT usFlags;
    union {
        ULONG ulButtons;
        struct
        {
            USHORT usButtonFlags;
            USHORT usButtonData;
        };
    };
    ULONG ulRawButtons;
    LONG lLastX;
    LONG lLastY;
    ULONG ulExtraInformation;
};

struct RAWKEYBOARD
{
    USHORT MakeCode;
    USHORT Flags;
    USHORT Reserved;
    USHORT VKey;
    UINT Message;
    ULONG ExtraInformation;
};

struct RAWHID
{
    DWORD dwSizeHid;
    DWORD dwCount;
    BYTE bRawData[1];
};

struct RAWINPUT
{
    RAWINPUTHEADER header;
    union {
        RAWMOUSE mouse;
        RAWKEYBOARD keyboard;
        RAWHID hid;
    } data;
};

static_assert(sizeof(WNDCLASSEXW) == 48 && sizeof(MSG) == 28 && sizeof(WINDOWPLACEMENT) == 44);
static_assert(sizeof(MONITORINFO) == 40 && sizeof(MONITORINFOEXA) == 72 && sizeof(MONITORINFOEXW) == 104);
static_assert(sizeof(RAWINPUTDEVICE) == 12 && sizeof(RAWINPUTDEVICELIST) == 8);
static_assert(sizeof(RAWINPUTHEADER) == 16 && sizeof(RAWMOUSE) == 24 && sizeof(RAWKEYBOARD) == 16);
static_assert(sizeof(RAWINPUT) == 40 && offsetof(RAWMOUSE, usButtonFlags) == 4 &&
              offsetof(RAWMOUSE, lLastX) == 12);

constexpr LPARAM MAKELPARAM(WORD low, WORD high)
{
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high)
{
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr int GET_X_LPARAM(LPARAM value)
{
    return static_cast<short>(LOWORD(static_cast<DWORD>(value)));
}
constexpr int GET_Y_LPARAM(LPARAM value)
{
    return static_cast<short>(HIWORD(static_cast<DWORD>(value)));
}
constexpr DWORD GET_RAWINPUT_CODE_WPARAM(WPARAM value)
{
    return static_cast<DWORD>(value & 0xFF);
}
inline LPCSTR MAKEINTRESOURCEA(WORD id)
{
    return reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(id));
}

// Windows and classes.
ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, void* param);
BOOL DestroyWindow(HWND window);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags);

// Placement, style and title.
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);
LONG GetWindowLongW(HWND window, int index);
LONG SetWindowLongW(HWND window, int index, LONG value);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR text, int capacity);
BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement);
BOOL ClientToScreen(HWND window, POINT* point);
HWND SetFocus(HWND window);
HWND GetFocus();

// Messages.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);

// Cursor.
int ShowCursor(BOOL show);
BOOL ClipCursor(const RECT* rect);
BOOL GetClipCursor(RECT* rect);

// Monitors.
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);

// The calling thread's code of the last failure. Only the raw-input calls set it here.
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
DWORD GetLastError();

// Raw input.
BOOL RegisterRawInputDevices(const RAWINPUTDEVICE* devices, UINT count, UINT size);
UINT GetRawInputDeviceList(RAWINPUTDEVICELIST* list, UINT* count, UINT size);
UINT GetRawInputData(HRAWINPUT input, UINT command, void* data, UINT* size, UINT headerSize);
LRESULT DefRawInputProc(RAWINPUT** inputs, INT count, UINT headerSize);

#include "platform/window/scancodes.h"

#include <array>

namespace
{
struct TTableEntry
{
    SDL_Scancode scancode;
    TPcKey key;
};

constexpr bool E0 = true;
constexpr bool No = false;

constexpr TTableEntry kTable[] = {
    {SDL_SCANCODE_ESCAPE, {0x01, No, VK_ESCAPE}},
    {SDL_SCANCODE_1, {0x02, No, '1'}},
    {SDL_SCANCODE_2, {0x03, No, '2'}},
    {SDL_SCANCODE_3, {0x04, No, '3'}},
    {SDL_SCANCODE_4, {0x05, No, '4'}},
    {SDL_SCANCODE_5, {0x06, No, '5'}},
    {SDL_SCANCODE_6, {0x07, No, '6'}},
    {SDL_SCANCODE_7, {0x08, No, '7'}},
    {SDL_SCANCODE_8, {0x09, No, '8'}},
    {SDL_SCANCODE_9, {0x0A, No, '9'}},
    {SDL_SCANCODE_0, {0x0B, No, '0'}},
    {SDL_SCANCODE_MINUS, {0x0C, No, VK_OEM_MINUS}},
    {SDL_SCANCODE_EQUALS, {0x0D, No, VK_OEM_PLUS}},
    {SDL_SCANCODE_BACKSPACE, {0x0E, No, VK_BACK}},
    {SDL_SCANCODE_TAB, {0x0F, No, VK_TAB}},
    {SDL_SCANCODE_Q, {0x10, No, 'Q'}},
    {SDL_SCANCODE_W, {0x11, No, 'W'}},
    {SDL_SCANCODE_E, {0x12, No, 'E'}},
    {SDL_SCANCODE_R, {0x13, No, 'R'}},
    {SDL_SCANCODE_T, {0x14, No, 'T'}},
    {SDL_SCANCODE_Y, {0x15, No, 'Y'}},
    {SDL_SCANCODE_U, {0x16, No, 'U'}},
    {SDL_SCANCODE_I, {0x17, No, 'I'}},
    {SDL_SCANCODE_O, {0x18, No, 'O'}},
    {SDL_SCANCODE_P, {0x19, No, 'P'}},
    {SDL_SCANCODE_LEFTBRACKET, {0x1A, No, VK_OEM_4}},
    {SDL_SCANCODE_RIGHTBRACKET, {0x1B, No, VK_OEM_6}},
    {SDL_SCANCODE_RETURN, {0x1C, No, VK_RETURN}},
    {SDL_SCANCODE_LCTRL, {0x1D, No, VK_CONTROL}},
    {SDL_SCANCODE_A, {0x1E, No, 'A'}},
    {SDL_SCANCODE_S, {0x1F, No, 'S'}},
    {SDL_SCANCODE_D, {0x20, No, 'D'}},
    {SDL_SCANCODE_F, {0x21, No, 'F'}},
    {SDL_SCANCODE_G, {0x22, No, 'G'}},
    {SDL_SCANCODE_H, {0x23, No, 'H'}},
    {SDL_SCANCODE_J, {0x24, No, 'J'}},
    {SDL_SCANCODE_K, {0x25, No, 'K'}},
    {SDL_SCANCODE_L, {0x26, No, 'L'}},
    {SDL_SCANCODE_SEMICOLON, {0x27, No, VK_OEM_1}},
    {SDL_SCANCODE_APOSTROPHE, {0x28, No, VK_OEM_7}},
    {SDL_SCANCODE_GRAVE, {0x29, No, VK_OEM_3}},
    {SDL_SCANCODE_LSHIFT, {0x2A, No, VK_SHIFT}},
    {SDL_SCANCODE_BACKSLASH, {0x2B, No, VK_OEM_5}},
    {SDL_SCANCODE_NONUSHASH, {0x2B, No, VK_OEM_5}},
    {SDL_SCANCODE_Z, {0x2C, No, 'Z'}},
    {SDL_SCANCODE_X, {0x2D, No, 'X'}},
    {SDL_SCANCODE_C, {0x2E, No, 'C'}},
    {SDL_SCANCODE_V, {0x2F, No, 'V'}},
    {SDL_SCANCODE_B, {0x30, No, 'B'}},
    {SDL_SCANCODE_N, {0x31, No, 'N'}},
    {SDL_SCANCODE_M, {0x32, No, 'M'}},
    {SDL_SCANCODE_COMMA, {0x33, No, VK_OEM_COMMA}},
    {SDL_SCANCODE_PERIOD, {0x34, No, VK_OEM_PERIOD}},
    {SDL_SCANCODE_SLASH, {0x35, No, VK_OEM_2}},
    {SDL_SCANCODE_RSHIFT, {0x36, No, VK_SHIFT}},
    {SDL_SCANCODE_KP_MULTIPLY, {0x37, No, VK_MULTIPLY}},
    {SDL_SCANCODE_LALT, {0x38, No, VK_MENU}},
    {SDL_SCANCODE_SPACE, {0x39, No, VK_SPACE}},
    {SDL_SCANCODE_CAPSLOCK, {0x3A, No, VK_CAPITAL}},
    {SDL_SCANCODE_F1, {0x3B, No, VK_F1}},
    {SDL_SCANCODE_F2, {0x3C, No, VK_F1 + 1}},
    {SDL_SCANCODE_F3, {0x3D, No, VK_F1 + 2}},
    {SDL_SCANCODE_F4, {0x3E, No, VK_F1 + 3}},
    {SDL_SCANCODE_F5, {0x3F, No, VK_F1 + 4}},
    {SDL_SCANCODE_F6, {0x40, No, VK_F1 + 5}},
    {SDL_SCANCODE_F7, {0x41, No, VK_F1 + 6}},
    {SDL_SCANCODE_F8, {0x42, No, VK_F1 + 7}},
    {SDL_SCANCODE_F9, {0x43, No, VK_F1 + 8}},
    {SDL_SCANCODE_F10, {0x44, No, VK_F10}},
    {SDL_SCANCODE_NUMLOCKCLEAR, {0x45, No, VK_NUMLOCK}},
    {SDL_SCANCODE_SCROLLLOCK, {0x46, No, VK_SCROLL}},
    {SDL_SCANCODE_KP_7, {0x47, No, VK_NUMPAD0 + 7}},
    {SDL_SCANCODE_KP_8, {0x48, No, VK_NUMPAD0 + 8}},
    {SDL_SCANCODE_KP_9, {0x49, No, VK_NUMPAD0 + 9}},
    {SDL_SCANCODE_KP_MINUS, {0x4A, No, VK_SUBTRACT}},
    {SDL_SCANCODE_KP_4, {0x4B, No, VK_NUMPAD0 + 4}},
    {SDL_SCANCODE_KP_5, {0x4C, No, VK_NUMPAD0 + 5}},
    {SDL_SCANCODE_KP_6, {0x4D, No, VK_NUMPAD0 + 6}},
    {SDL_SCANCODE_KP_PLUS, {0x4E, No, VK_ADD}},
    {SDL_SCANCODE_KP_1, {0x4F, No, VK_NUMPAD0 + 1}},
    {SDL_SCANCODE_KP_2, {0x50, No, VK_NUMPAD0 + 2}},
    {SDL_SCANCODE_KP_3, {0x51, No, VK_NUMPAD0 + 3}},
    {SDL_SCANCODE_KP_0, {0x52, No, VK_NUMPAD0}},
    {SDL_SCANCODE_KP_PERIOD, {0x53, No, VK_DECIMAL}},
    {SDL_SCANCODE_NONUSBACKSLASH, {0x56, No, VK_OEM_102}},
    {SDL_SCANCODE_F11, {0x57, No, VK_F1 + 10}},
    {SDL_SCANCODE_F12, {0x58, No, VK_F12}},
    {SDL_SCANCODE_F13, {0x64, No, VK_F13}},
    {SDL_SCANCODE_F14, {0x65, No, VK_F13 + 1}},
    {SDL_SCANCODE_F15, {0x66, No, VK_F13 + 2}},
    {SDL_SCANCODE_INTERNATIONAL2, {0x70, No, VK_KANA}},
    {SDL_SCANCODE_INTERNATIONAL1, {0x73, No, VK_OEM_102}},
    {SDL_SCANCODE_INTERNATIONAL4, {0x79, No, VK_CONVERT}},
    {SDL_SCANCODE_INTERNATIONAL5, {0x7B, No, VK_NONCONVERT}},
    {SDL_SCANCODE_INTERNATIONAL3, {0x7D, No, VK_OEM_5}},
    {SDL_SCANCODE_KP_COMMA, {0x7E, No, VK_SEPARATOR}},
    {SDL_SCANCODE_KP_ENTER, {0x1C, E0, VK_RETURN}},
    {SDL_SCANCODE_RCTRL, {0x1D, E0, VK_CONTROL}},
    {SDL_SCANCODE_KP_DIVIDE, {0x35, E0, VK_DIVIDE}},
    {SDL_SCANCODE_PRINTSCREEN, {0x37, E0, VK_SNAPSHOT}},
    {SDL_SCANCODE_RALT, {0x38, E0, VK_MENU}},
    {SDL_SCANCODE_PAUSE, {0x45, No, VK_PAUSE}},
    {SDL_SCANCODE_HOME, {0x47, E0, VK_HOME}},
    {SDL_SCANCODE_UP, {0x48, E0, VK_UP}},
    {SDL_SCANCODE_PAGEUP, {0x49, E0, VK_PRIOR}},
    {SDL_SCANCODE_LEFT, {0x4B, E0, VK_LEFT}},
    {SDL_SCANCODE_RIGHT, {0x4D, E0, VK_RIGHT}},
    {SDL_SCANCODE_END, {0x4F, E0, VK_END}},
    {SDL_SCANCODE_DOWN, {0x50, E0, VK_DOWN}},
    {SDL_SCANCODE_PAGEDOWN, {0x51, E0, VK_NEXT}},
    {SDL_SCANCODE_INSERT, {0x52, E0, VK_INSERT}},
    {SDL_SCANCODE_DELETE, {0x53, E0, VK_DELETE}},
    {SDL_SCANCODE_LGUI, {0x5B, E0, VK_LWIN}},
    {SDL_SCANCODE_RGUI, {0x5C, E0, VK_RWIN}},
    {SDL_SCANCODE_APPLICATION, {0x5D, E0, VK_APPS}},
};
} // namespace

TPcKey SdlScancodeToPcKey(SDL_Scancode scancode)
{
    static const std::array<TPcKey, SDL_NUM_SCANCODES> byScancode = [] {
        std::array<TPcKey, SDL_NUM_SCANCODES> keys = {};
        for (const TTableEntry& entry : kTable)
            keys[entry.scancode] = entry.key;
        return keys;
    }();
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES)
        return {};
    return byScancode[scancode];
}

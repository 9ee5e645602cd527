#include "engine/input/inputkey.h"

#include "core/system/string.h"
#include "engine/system/command/commandmanager.h"

#include <array>
#include <cstring>

namespace
{
struct TKeyName
{
    u32 nCode;
    const char* szName;
};

// The named keys by code (scan code, plus 70 for extended keys); the other codes are empty.
constexpr TKeyName kNamedKeys[] = {
    {1, "Esc"},
    {2, "1"},
    {3, "2"},
    {4, "3"},
    {5, "4"},
    {6, "5"},
    {7, "6"},
    {8, "7"},
    {9, "8"},
    {10, "9"},
    {11, "0"},
    {12, "-"},
    {13, "="},
    {14, "Backspace"},
    {15, "Tab"},
    {16, "q"},
    {17, "w"},
    {18, "e"},
    {19, "r"},
    {20, "t"},
    {21, "y"},
    {22, "u"},
    {23, "i"},
    {24, "o"},
    {25, "p"},
    {26, "["},
    {27, "]"},
    {28, "Enter"},
    {29, "lctrl"},
    {30, "a"},
    {31, "s"},
    {32, "d"},
    {33, "f"},
    {34, "g"},
    {35, "h"},
    {36, "j"},
    {37, "k"},
    {38, "l"},
    {39, ";"},
    {40, "'"},
    {41, "`"},
    {42, "Shift"},
    {43, "\\"},
    {44, "z"},
    {45, "x"},
    {46, "c"},
    {47, "v"},
    {48, "b"},
    {49, "n"},
    {50, "m"},
    {51, ","},
    {52, "."},
    {53, "/"},
    {54, "Shift"},
    {55, "Num*"},
    {56, "Alt"},
    {57, "Space"},
    {58, "Caps Lock"},
    {59, "F1"},
    {60, "F2"},
    {61, "F3"},
    {62, "F4"},
    {63, "F5"},
    {64, "F6"},
    {65, "F7"},
    {66, "F8"},
    {67, "F9"},
    {68, "F10"},
    {69, "NumLock"},
    {70, "ScrollLock"},
    {71, "Num7"},
    {72, "Num8"},
    {73, "Num9"},
    {74, "Num-"},
    {75, "Num4"},
    {76, "Num5"},
    {77, "Num6"},
    {78, "Num+"},
    {79, "Num1"},
    {80, "Num2"},
    {81, "Num3"},
    {82, "Num0"},
    {83, "NumDel"},
    {84, "unknown"},
    {85, "unknown"},
    {86, "\\"},
    {87, "F11"},
    {88, "F12"},
    {93, "Application"},
    {98, "NumEnter"},
    {123, "Num /"},
    {141, "Home"},
    {142, "Up"},
    {143, "PageUp"},
    {145, "Left"},
    {147, "Right"},
    {149, "End"},
    {150, "Down"},
    {151, "PageDown"},
    {152, "Insert"},
    {153, "Delete"},
    {161, "LeftWindows"},
    {162, "RightWindows"},
};

constexpr std::array<const char*, INPUT_KEYBOARD_NAME_COUNT> MakeKeyboardNames()
{
    std::array<const char*, INPUT_KEYBOARD_NAME_COUNT> names{};
    for (const char*& name : names)
        name = "";
    for (const TKeyName& key : kNamedKeys)
        names[key.nCode] = key.szName;
    return names;
}

constexpr std::array<const char*, INPUT_KEYBOARD_NAME_COUNT> kKeyboardNames = MakeKeyboardNames();

const char* const kMouseNames[INPUT_MOUSE_NAME_COUNT] = {
    "LeftMouseButton", "RightMouseButton", "MiddleMouseButton", "MouseScrollUp", "MouseScrollDown",
};

} // namespace

const char* InputKeyName(u32 code)
{
    if (code < INPUT_KEYBOARD_NAME_COUNT)
        return kKeyboardNames[code];
    if (code >= INPUT_MOUSE_CODE && code < INPUT_MOUSE_CODE + INPUT_MOUSE_NAME_COUNT)
        return kMouseNames[code - INPUT_MOUSE_CODE];
    return "";
}

bool TInputKey::Parse(const char* text)
{
    nModifiers = 0;
    nCode = 0;
    nReserved = 0;
    if (std::strstr(text, "shift+"))
        nModifiers |= INPUT_KEY_SHIFT;
    if (std::strstr(text, "ctrl+"))
        nModifiers |= INPUT_KEY_CTRL;
    if (std::strstr(text, "alt+"))
        nModifiers |= INPUT_KEY_ALT;

    // A final '+' belongs to the name ("Num+", "shift+Num+").
    const char* name = text;
    const size_t length = std::strlen(text);
    for (size_t i = length > 0 ? length - 1 : 0; i-- > 0;)
        if (text[i] == '+')
        {
            name = text + i + 1;
            break;
        }

    for (u32 code = 0; code < INPUT_KEYBOARD_NAME_COUNT; ++code)
        if (EqualsIgnoringCase(name, kKeyboardNames[code]))
        {
            nCode = code;
            return true;
        }
    for (u32 i = 0; i < INPUT_MOUSE_NAME_COUNT; ++i)
        if (EqualsIgnoringCase(name, kMouseNames[i]))
        {
            nModifiers |= INPUT_KEY_MOUSE;
            nCode = INPUT_MOUSE_CODE + i;
            return true;
        }
    TCommandManager::Instance().PrintError("'%s': undeclared buffered input", name);
    return false;
}

const char* TInputKey::ToText(const TInputKey& key)
{
    static char s_szText[INPUT_KEY_TEXT_SIZE];
    FormatStringN(s_szText, sizeof s_szText, "%s%s%s%s", (key.nModifiers & INPUT_KEY_SHIFT) ? "shift+" : "",
                  (key.nModifiers & INPUT_KEY_CTRL) ? "ctrl+" : "",
                  (key.nModifiers & INPUT_KEY_ALT) ? "alt+" : "", InputKeyName(key.nCode));
    return s_szText;
}

bool TInputKey::Equals(const TInputKey& a, const TInputKey& b)
{
    return a.nCode == b.nCode && (a.nModifiers & INPUT_KEY_MODIFIERS) == (b.nModifiers & INPUT_KEY_MODIFIERS);
}

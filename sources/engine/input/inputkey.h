#pragma once
// TInputKey: a key as command binds store it, {modifier bits, input code, 0}, and its text
// form "shift+ctrl+alt+<name>". Keyboard codes index a table of 175 names (scan codes, plus
// 70 for extended keys); the five mouse codes start at 1000.
#include "core/system/types.h"

// Modifier bits.
constexpr u32 INPUT_KEY_SHIFT = 0x1;
constexpr u32 INPUT_KEY_ALT = 0x2;
constexpr u32 INPUT_KEY_CTRL = 0x4;
constexpr u32 INPUT_KEY_MODIFIERS = INPUT_KEY_SHIFT | INPUT_KEY_ALT | INPUT_KEY_CTRL;
constexpr u32 INPUT_KEY_PRESS = 0x20; // a key's press (a navigation or function key), no typed character
constexpr u32 INPUT_KEY_MOUSE = 0x40; // the code is a mouse code

constexpr u32 INPUT_KEYBOARD_NAME_COUNT = 175;
constexpr u32 INPUT_MOUSE_CODE = 1000;
constexpr u32 INPUT_MOUSE_NAME_COUNT = 5;
// The longest key text: three modifiers and the longest name, NUL included.
constexpr u32 INPUT_KEY_TEXT_SIZE = 64;

struct TInputKey
{
    u32 nModifiers;
    u32 nCode;
    u32 nReserved; // 0

    // Modifiers from "shift+", "ctrl+" and "alt+" anywhere in the text (lower case only);
    // the key name follows the last '+' that is not the text's final character (so "Num+"
    // names the key Num+). Names are compared ignoring the case of letters, keyboard names
    // first, then the mouse names. An unknown name prints "'%s': undeclared buffered input"
    // through the command manager and leaves code 0; returns whether the name was known.
    bool Parse(const char* text);
    // "shift+", "ctrl+", "alt+" for the bits set, then the key's name; one static buffer.
    static const char* ToText(const TInputKey& key);
    // Same code and same shift, ctrl and alt bits.
    static bool Equals(const TInputKey& a, const TInputKey& b);
};

static_assert(sizeof(TInputKey) == 12);

// The name of a key code: keyboard table, mouse names, or an empty text out of range.
const char* InputKeyName(u32 code);

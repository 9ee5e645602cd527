#pragma once
// TCommandBind: a key that runs commands or flips a variable, and the seam through which the
// input manager turns key texts into keys and back.
#include "core/system/templates/sarray.h"

class TVariable;
class TStream;

// Modifier bits of a key.
constexpr u32 KEY_SHIFT = 0x1;
constexpr u32 KEY_ALT = 0x2;
constexpr u32 KEY_CTRL = 0x4;
constexpr u32 KEY_MOUSE = 0x40;
constexpr u32 KEY_MODIFIERS = KEY_SHIFT | KEY_ALT | KEY_CTRL;

constexpr u32 BIND_MAX_COMMANDS = 8;

struct TCommandKey
{
    u32 nModifiers;
    u32 nCode;
    u32 nReserved; // 0
};

struct TCommandBind
{
    TCommandKey Key;
    u32 nTriggered;
    u32 nNext;  // index of the command the next press runs
    u32 nCount; // commands held
    SString<64> aCommand[BIND_MAX_COMMANDS];
    TVariable* pToggle; // the variable a toggle bind flips; null for a command bind
};

static_assert(sizeof(TCommandBind) == 24 + 8 * 68 + 4);

// Provided by the input manager. ParseKey fills the key from its text (printing its own error
// for an unknown key name); KeyToText writes a key back as text; WriteActions writes an
// "action.bind" line for every bound input action.
struct TCommandInputHooks
{
    void (*ParseKey)(const char* text, TCommandKey& key);
    const char* (*KeyToText)(const TCommandKey& key);
    void (*WriteActions)(TStream& stream);
};

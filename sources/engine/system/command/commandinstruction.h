#pragma once
// TCommandInstruction: one compiled statement of a command program, stored as is in the
// program cache (68 bytes, little-endian).
#include "core/system/types.h"

#include <cstddef>

// A key and the eight commands a bind holds; a statement with more is refused.
constexpr u32 COMMAND_MAX_ARGUMENTS = 9;

struct TCommandInstruction
{
    u32 nCommand;                         // name id of the command
    u32 nArgumentCount;                   // 0 to COMMAND_MAX_ARGUMENTS
    u32 aArgument[COMMAND_MAX_ARGUMENTS]; // argument name ids
    u16 nLine;                            // first line 1
    u16 nPadding;
    i32 nIndex;    // place of the command in the command set, -1 until linked
    i32 aCache[4]; // -1 until the command fills them at link time
};

static_assert(sizeof(TCommandInstruction) == 68);
static_assert(offsetof(TCommandInstruction, aArgument) == 8);
static_assert(offsetof(TCommandInstruction, nLine) == 44);
static_assert(offsetof(TCommandInstruction, nIndex) == 48);
static_assert(offsetof(TCommandInstruction, aCache) == 52);

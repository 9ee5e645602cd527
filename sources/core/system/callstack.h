#pragma once
// The call stack of the calling thread, resolved frame by frame (glibc backtrace and the
// dynamic symbol table: the program is linked with its symbols exported).
#include "core/system/types.h"

constexpr i32 CALLSTACK_FRAMES = 16;

struct TCallStackFrame
{
    u32 address;
    char module[128];
    char function[128];
    char file[256];
    u32 line;
    // Bytes from the start of the function (of the line, where lines are known).
    u32 displacement;
};

static_assert(sizeof(TCallStackFrame) == 524);

// Fills up to 16 frames; frame 0 is the caller of CollectCallStack. Returns the count.
i32 CollectCallStack(TCallStackFrame frames[CALLSTACK_FRAMES]);
// Fills module, function, file, line and displacement of an address; missing texts are empty.
void ResolveCallStackFrame(void* process, u32 address, TCallStackFrame* frame);
// The faulting instruction of the crash being reported (0: none): the dump starts at its frame,
// leaving out the frames of the crash reporter that called it.
void SetCrashInstruction(u32 instruction);
// Logs the calling thread's call stack for a crash report, at most 16 frames. Returns 0.
i32 _DumpCallStack();

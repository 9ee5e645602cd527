#include "core/system/callstack.h"

#include "core/system/log.h"
#include "core/system/string.h"

#include <cstdlib>
#include <cstring>
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>

namespace
{

void CopyCut(char* out, size_t room, const char* text)
{
    std::strncpy(out, text ? text : "", room - 1);
    out[room - 1] = 0;
}

// Room for the crash reporter's own frames (signal handler, callbacks, the kernel's return
// trampoline) ahead of the faulting frame.
constexpr i32 kCrashWalkFrames = 48;

u32 s_nCrashInstruction = 0;

// Return addresses of the calling thread, skipping this function and the `skip` innermost
// frames above it; at most `capacity`.
__attribute__((noinline)) i32 WalkStack(void** addresses, i32 capacity, i32 skip)
{
    void* raw[kCrashWalkFrames + 8];
    const i32 count = backtrace(raw, capacity + 8);
    // Frames of the run time (a sanitizer's interceptor) may precede ours: start from our
    // own return address.
    i32 first = 0;
    while (first < count && raw[first] != __builtin_return_address(0))
        ++first;
    if (first == count)
        first = 1;
    i32 n = 0;
    for (i32 i = first + skip; i < count && n < capacity; ++i)
        addresses[n++] = raw[i];
    return n;
}

} // namespace

void ResolveCallStackFrame(void*, u32 address, TCallStackFrame* frame)
{
    frame->address = address;
    frame->module[0] = frame->function[0] = frame->file[0] = 0;
    frame->line = 0;
    frame->displacement = 0;
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(static_cast<uintptr_t>(address)), &info))
        return;
    if (info.dli_fname)
    {
        const char* slash = std::strrchr(info.dli_fname, '/');
        CopyCut(frame->module, sizeof frame->module, slash ? slash + 1 : info.dli_fname);
    }
    if (info.dli_sname)
    {
        int status = 0;
        char* demangled = abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status);
        CopyCut(frame->function, sizeof frame->function,
                status == 0 && demangled ? demangled : info.dli_sname);
        std::free(demangled);
        frame->displacement = address - static_cast<u32>(reinterpret_cast<uintptr_t>(info.dli_saddr));
    }
}

__attribute__((noinline)) i32 CollectCallStack(TCallStackFrame frames[CALLSTACK_FRAMES])
{
    void* addresses[CALLSTACK_FRAMES];
    // Skip this function's own frame: frame 0 is its caller.
    const i32 count = WalkStack(addresses, CALLSTACK_FRAMES, 1);
    for (i32 i = 0; i < count; ++i)
        ResolveCallStackFrame(nullptr, static_cast<u32>(reinterpret_cast<uintptr_t>(addresses[i])) - 1,
                              &frames[i]);
    return count;
}

void SetCrashInstruction(u32 instruction)
{
    s_nCrashInstruction = instruction;
}

__attribute__((noinline)) i32 _DumpCallStack()
{
    const char* prefix = "_DumpCallStack(): ";
    TLog::Print(g_pSystemLog, LOG_INFO, prefix, "**** start callstack");
    // The unwinder reads the code at the faulting instruction to recognise the signal frame:
    // after a call through a damaged pointer that code is nowhere, and the walk would fault again.
    Dl_info module;
    if (s_nCrashInstruction &&
        !dladdr(reinterpret_cast<void*>(static_cast<uintptr_t>(s_nCrashInstruction)), &module))
    {
        TLog::Print(g_pSystemLog, LOG_INFO, prefix, "   0x%08X lies outside every module: no call stack",
                    s_nCrashInstruction);
        TLog::Print(g_pSystemLog, LOG_INFO, prefix, "**** end call stack");
        return 0;
    }
    void* addresses[kCrashWalkFrames];
    const i32 count = WalkStack(addresses, kCrashWalkFrames, 1);
    // The unwinder passes the signal frame with the faulting instruction's own address; when
    // it is not found every frame is logged.
    i32 start = 0;
    while (start < count &&
           static_cast<u32>(reinterpret_cast<uintptr_t>(addresses[start])) != s_nCrashInstruction)
        ++start;
    if (start == count)
        start = 0;
    for (i32 i = start; i < count && i < start + CALLSTACK_FRAMES; ++i)
    {
        TCallStackFrame frame;
        ResolveCallStackFrame(nullptr, static_cast<u32>(reinterpret_cast<uintptr_t>(addresses[i])) - 1,
                              &frame);
        if (frame.function[0])
            TLog::Print(g_pSystemLog, LOG_INFO, prefix, "   %s!%s(0x%08X)  @%s(%X) + 0x%02d", frame.module,
                        frame.function, frame.address, frame.file, frame.line, frame.displacement);
        else
            TLog::Print(g_pSystemLog, LOG_INFO, prefix, "   %s!0x%08X  @%s(%X) + 0x%02d", frame.module,
                        frame.address, frame.file, frame.line, frame.displacement);
    }
    TLog::Print(g_pSystemLog, LOG_INFO, prefix, "**** end call stack");
    return 0;
}

#include "core/system/abort.h"

#include "core/stream/filestreammanager.h"
#include "core/system/callstack.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "platform/desktop/messagebox.h"

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <unistd.h>

TAbortCallback AbortCallback = nullptr;
TTerminateCallback TerminateCallback = nullptr;

namespace
{

constexpr i32 kMessageSize = 1024;
constexpr i32 kBoxSize = 4000;

std::atomic<u32> s_nAborting{0};

// The abort, termination and crash paths must be able to write the log.
void ForceUnlockFileSystem(const char* prefix)
{
    if (!FileSystemLocked())
        return;
    g_pFileStreamManager->SetDirectory(TName(".", true));
    TLog::_AbortPrint(g_pSystemLog, LOG_WARNING, prefix, "file system forcefully unlocked");
}

// The part of a source path after its first "vestamor" folder (the whole path when it has none).
const char* ShortSourcePath(const char* file)
{
    const char* found = std::strstr(file, "vestamor\\");
    if (!found)
        found = std::strstr(file, "vestamor/");
    return found ? found + 9 : file;
}

// Appends to the box text, leaving out what does not fit.
void BoxAppend(char* box, const char* format, ...)
{
    const i32 length = static_cast<i32>(std::strlen(box));
    va_list args;
    va_start(args, format);
    FormatStringV(box + length, kBoxSize - length, format, args);
    va_end(args);
}

// The name of a resolved function without its parameter list.
bool IsWinMain(const char* function)
{
    const size_t length = std::strcspn(function, "(");
    return length == 7 && std::strncmp(function, "WinMain", 7) == 0;
}

} // namespace

void __Abort(const char* function, const char* file, i32 line, const char* format, ...)
{
    // A second abort (from the callback, the box, or another thread) ends the process at once.
    if (s_nAborting.exchange(1))
        _exit(1);

    ForceUnlockFileSystem("__Abort(): warning: ");

    char message[kMessageSize];
    va_list args;
    va_start(args, format);
    FormatStringV(message, kMessageSize, format, args);
    va_end(args);

    TLog::_AbortPrint(g_pSystemLog, LOG_ABORT, "=== ABORT: ", "");
    TLog::_AbortPrint(g_pSystemLog, LOG_INFO, nullptr, "%s(%d) : abort in %s: %s", file, line, function,
                      message);
    TLog::_AbortPrint(g_pSystemLog, LOG_INFO, nullptr, "callstack");

    TCallStackFrame frames[CALLSTACK_FRAMES];
    const i32 count = CollectCallStack(frames);

    static char s_box[kBoxSize];
    s_box[0] = 0;
    BoxAppend(s_box, "Terminal error: '%s'\n\n", message);
    BoxAppend(s_box, "Call stack:\n\n");
    // Frame 0 is this handler.
    for (i32 i = 1; i < count; ++i)
    {
        const TCallStackFrame& frame = frames[i];
        TLog::_AbortPrint(g_pSystemLog, LOG_INFO, nullptr, "    %s(%d) : %s+%d (%s)", frame.file, frame.line,
                          frame.function, frame.displacement, frame.module);
        BoxAppend(s_box, "     %-40s  \t%s @ %s(%d)\n", frame.function, frame.module,
                  ShortSourcePath(frame.file), frame.line);
        if (IsWinMain(frame.function))
            break;
    }

    if (AbortCallback)
        AbortCallback(function, file, line, message, s_box);
    PlatformMessageBox("Vestamor engine", s_box, MESSAGE_BOX_ERROR);
    __TerminateApplication("");
}

void __TerminateApplication(const char* format, ...)
{
    ForceUnlockFileSystem("__TerminateApplication(): warning: ");

    static char s_message[kMessageSize];
    va_list args;
    va_start(args, format);
    FormatStringV(s_message, kMessageSize, format, args);
    va_end(args);
    if (TerminateCallback)
        TerminateCallback(s_message);
    _exit(1);
}

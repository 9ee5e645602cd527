#pragma once
// The single fatal-error path. __Abort logs the failure and the call stack, shows them in a
// message box (standard error when there is no display) and ends the process with exit code 1.
#include "core/system/types.h"

// Installed by the account client: (function, file, line, message, box text).
typedef void (*TAbortCallback)(const char* function, const char* file, i32 line, const char* message,
                               const char* boxText);
// Installed by the telemetry client: (termination message).
typedef void (*TTerminateCallback)(const char* message);

extern TAbortCallback AbortCallback;
extern TTerminateCallback TerminateCallback;

[[noreturn]] void __Abort(const char* function, const char* file, i32 line, const char* format, ...);
[[noreturn]] void __TerminateApplication(const char* format, ...);

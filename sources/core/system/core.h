#pragma once
// The core bootstrap: the engine's core singletons, created while static objects are being
// initialised (ahead of every initialiser that registers a name or prints) and torn down at
// the end of a full run. Also the process-wide product name and user directory.
#include "core/system/name.h"

// Creates the timer, the cluster, the name table, the plug-in registry, the file-system lock
// (locked, no directory) and the system log, in that order. A core object that cannot be
// allocated ends the start with a message and exit code 1. Returns 0.
i32 CoreInitialize();
// Deletes what CoreInitialize created except the system log, which lives until the process
// ends. Returns 0.
i32 CoreFinalize();
bool CoreIsInitialized();

// Ends the start: a message (box, or standard error without a display) and exit code 1.
[[noreturn]] void CoreStartFailed(const char* what);

void SetProductName(const TName& name);
const TName* GetProductName();
// Logs open their files in the user directory; no name until the script or the crash-log
// writer sets it.
void SetUserDirectory(const TName& name);
const TName* GetUserDirectory();

#pragma once
// The crash-log writer, called by the crash reporter on the crashing thread: one line in
// "<product>.crash.log" in the user directory, then the crash report in the system log.
#include <cstddef>

struct TExceptionHandlerInfo;

void WriteCrashLog(TExceptionHandlerInfo* info);

// Makes the logs writable when the run has not: unlocks the file system (directory ".") and
// names the default user directory, "<documents>/My Games/Brevicorn". Returns true when it had
// to do either.
bool ForceLogFolders();
// The default user directory, "<documents>/My Games/Brevicorn": where the logs go before the
// start-up script names one, and what a second copy of the program is kept out of.
void DefaultUserDirectory(char* directory, size_t room);

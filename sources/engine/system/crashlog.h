#pragma once
// The crash-log writer, called by the crash reporter on the crashing thread: one line in
// "<product>.crash.log" in the user directory, then the crash report in the system log.
struct TExceptionHandlerInfo;

void WriteCrashLog(TExceptionHandlerInfo* info);

// Makes the logs writable when the run has not: unlocks the file system (directory ".") and
// names the default user directory, "<documents>/My Games/Brevicorn". Returns true when it had
// to do either.
bool ForceLogFolders();

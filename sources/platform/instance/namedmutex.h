#pragma once
// A named mutex shared by every process that writes one folder ("Global\..." names): an advisory
// lock on a file in that folder, made with its parents when missing, held while the handle is
// open and given up by the system when the process ends, however it ends. Where the folder
// cannot hold the file, the lock lies in $TMPDIR, else /tmp, under a name of the user's own.
#include <cstddef>

// -1 when another process holds the name or the lock file cannot be made; the handle
// otherwise. alreadyExists: another process holds it.
int CreateNamedMutex(const char* folder, const char* name, bool* alreadyExists);
void CloseNamedMutex(int handle);

#pragma once
// A named mutex shared by every process of the user ("Global\..." names): an advisory lock on
// a file in $XDG_RUNTIME_DIR, else $TMPDIR, else /tmp (the first folder the file can be made
// in), held while the handle is open and given up by the system when the process ends, however
// it ends.
#include <cstddef>

// -1 when another process holds the name or the lock file cannot be made; the handle
// otherwise. alreadyExists: another process holds it.
int CreateNamedMutex(const char* name, bool* alreadyExists);
void CloseNamedMutex(int handle);
// The lock file of a name in the first folder: "\" and "/" become "_".
void NamedMutexPath(const char* name, char* path, size_t room);

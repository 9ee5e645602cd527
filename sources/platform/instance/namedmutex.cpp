#include "platform/instance/namedmutex.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <initializer_list>
#include <unistd.h>

namespace
{
// The lock file of a name in a folder: "\" and "/" of the name become "_".
void LockFilePath(const char* folder, const char* name, char* path, size_t room)
{
    char file[256];
    std::snprintf(file, sizeof file, "%s", name);
    for (char* c = file; *c; ++c)
        if (*c == '\\' || *c == '/')
            *c = '_';
    std::snprintf(path, room, "%s/%s.lock", folder, file);
}

// The folders a lock file may live in, best first.
int LockFolders(const char* (&folders)[3])
{
    int count = 0;
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"})
    {
        const char* folder = std::getenv(variable);
        if (folder && *folder)
            folders[count++] = folder;
    }
    folders[count++] = "/tmp";
    return count;
}
} // namespace

void NamedMutexPath(const char* name, char* path, size_t room)
{
    const char* folders[3];
    LockFolders(folders);
    LockFilePath(folders[0], name, path, room);
}

int CreateNamedMutex(const char* name, bool* alreadyExists)
{
    *alreadyExists = false;
    // A folder the file cannot be made in (a stale runtime folder, say) gives way to the next.
    const char* folders[3];
    const int count = LockFolders(folders);
    int handle = -1;
    for (int i = 0; i < count && handle < 0; ++i)
    {
        char path[1024];
        LockFilePath(folders[i], name, path, sizeof path);
        handle = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    }
    if (handle < 0)
        return -1;
    if (flock(handle, LOCK_EX | LOCK_NB) != 0)
    {
        *alreadyExists = errno == EWOULDBLOCK;
        close(handle);
        return -1;
    }
    return handle;
}

void CloseNamedMutex(int handle)
{
    if (handle >= 0)
        close(handle);
}

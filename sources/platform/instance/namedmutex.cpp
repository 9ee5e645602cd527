#include "platform/instance/namedmutex.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

void NamedMutexPath(const char* name, char* path, size_t room)
{
    const char* folder = std::getenv("XDG_RUNTIME_DIR");
    if (!folder || !*folder)
        folder = std::getenv("TMPDIR");
    if (!folder || !*folder)
        folder = "/tmp";
    char file[256];
    std::snprintf(file, sizeof file, "%s", name);
    for (char* c = file; *c; ++c)
        if (*c == '\\' || *c == '/')
            *c = '_';
    std::snprintf(path, room, "%s/%s.lock", folder, file);
}

int CreateNamedMutex(const char* name, bool* alreadyExists)
{
    *alreadyExists = false;
    char path[1024];
    NamedMutexPath(name, path, sizeof path);
    const int handle = open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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

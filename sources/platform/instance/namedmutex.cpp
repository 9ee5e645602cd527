#include "platform/instance/namedmutex.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// The lock file of a name in a folder: "\" and "/" of the name become "_". In a folder shared
// by every user the name carries the user's id: another user's lock there is not this one's.
void LockFilePath(const char* folder, const char* name, bool shared, char* path, size_t room)
{
    char file[256];
    std::snprintf(file, sizeof file, "%s", name);
    for (char* c = file; *c; ++c)
        if (*c == '\\' || *c == '/')
            *c = '_';
    if (shared)
        std::snprintf(path, room, "%s/%s.%u.lock", folder, file, static_cast<unsigned>(getuid()));
    else
        std::snprintf(path, room, "%s/%s.lock", folder, file);
}

// The folder and its parents; a part already there is left as it is.
void MakeFolder(const char* folder)
{
    char path[1024];
    std::snprintf(path, sizeof path, "%s", folder);
    for (char* c = path + 1; *c; ++c)
    {
        if (*c != '/')
            continue;
        *c = 0;
        mkdir(path, 0777);
        *c = '/';
    }
    mkdir(path, 0777);
}
} // namespace

int CreateNamedMutex(const char* folder, const char* name, bool* alreadyExists)
{
    *alreadyExists = false;
    MakeFolder(folder);
    const char* temp = std::getenv("TMPDIR");
    const char* folders[] = {folder, temp && *temp ? temp : "/tmp"};
    int handle = -1;
    for (const char* at : folders)
    {
        char path[1024];
        LockFilePath(at, name, at != folder, path, sizeof path);
        handle = open(path, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (handle >= 0)
            break;
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

#include "core/system/platform.h"

#include "core/system/log.h"
#include "core/system/string.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace
{
constexpr i32 kFolderRoom = 260;
constexpr u32 kMaxCreatePath = 2047;

void Slashes(char* text)
{
    for (; *text; ++text)
        if (*text == '\\')
            *text = '/';
}
} // namespace

const char* GetTempFolder()
{
    static char s_folder[kFolderRoom];
    if (!s_folder[0])
    {
        const char* temp = std::getenv("TMPDIR");
        FormatStringN(s_folder, kFolderRoom, "%s", temp && temp[0] ? temp : "/tmp");
        Slashes(s_folder);
        const size_t length = std::strlen(s_folder);
        if (s_folder[length - 1] != '/' && length + 1 < kFolderRoom)
            std::strcat(s_folder, "/");
    }
    return s_folder;
}

const char* GetMyGamesFolder()
{
    static char s_folder[kFolderRoom];
    if (!s_folder[0])
    {
        const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
        const char* home = std::getenv("HOME");
        if (documents && documents[0])
            FormatStringN(s_folder, kFolderRoom, "%s/My Games", documents);
        else
            FormatStringN(s_folder, kFolderRoom, "%s/Documents/My Games", home && home[0] ? home : ".");
    }
    return s_folder;
}

u32 __DirectoryCreate(const char* path, u32 lastIsFile)
{
    const char* errorPrefix = "__DirectoryCreate(): error: ";
    const size_t length = std::strlen(path);
    if (length >= kMaxCreatePath)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "Destination path '%s' too long.", path);
        return 1;
    }
    // Repeated separators at the start are skipped so that one remains.
    while ((path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\'))
        ++path;

    char partial[kMaxCreatePath + 1];
    const size_t end = std::strlen(path);
    for (size_t i = 1; i <= end; ++i)
    {
        const bool separator = i < end && (path[i] == '/' || path[i] == '\\');
        const bool last = i == end && !lastIsFile && path[i - 1] != '/' && path[i - 1] != '\\';
        if (!separator && !last)
            continue;
        std::memcpy(partial, path, i);
        partial[i] = 0;
        Slashes(partial);
        struct stat info;
        if (stat(partial, &info) != 0)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, "__DirectoryCreate(): ", "Creating '%s'", partial);
            if (mkdir(partial, 0777) != 0)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "Unable to create partial path '%s'.",
                            partial);
                return 2;
            }
        }
        else if (!S_ISDIR(info.st_mode))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix,
                        "Part of path exists and is not a directory: '%s'.", partial);
            return 2;
        }
    }
    return 0;
}

#include "core/system/platform.h"

#include "core/system/log.h"
#include "core/system/string.h"
#include "core/system/templates/sarray.h"
#include "core/system/unistring.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr i32 kFolderRoom = 260;
constexpr u32 kMaxCreatePath = 2047;
// FILETIME counts 100 ns units from 1601; the POSIX clock seconds from 1970.
constexpr u64 kFileTimeUnitsPerSecond = 10000000;
constexpr u64 kFileTimeEpochSeconds = 11644473600ull;
// The fixed texts of the file-time functions; longer paths count as missing files.
constexpr i32 kFileTimePath = 256;

void Slashes(char* text)
{
    for (; *text; ++text)
        if (*text == '\\')
            *text = '/';
}
// The file's path, inside the temp folder when asked; false when it does not fit.
bool FileTimePath(SString<kFileTimePath>& path, u32 inTemp, const char* name)
{
    const char* prefix = inTemp ? GetTempFolder() : "";
    if (std::strlen(prefix) + std::strlen(name) >= kFileTimePath)
        return false;
    path.Format("%s%s", prefix, name);
    return true;
}

u64 ReadWriteTime(u32 inTemp, const char* name)
{
    SString<kFileTimePath> path;
    struct stat info;
    if (!FileTimePath(path, inTemp, name) || stat(path.GetText(), &info) != 0)
        return 0;
    return (static_cast<u64>(info.st_mtim.tv_sec) + kFileTimeEpochSeconds) * kFileTimeUnitsPerSecond +
           static_cast<u64>(info.st_mtim.tv_nsec) / 100;
}

u32 DeleteTree(const char* path)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISDIR(info.st_mode))
        return 2;
    DIR* folder = opendir(path);
    if (!folder)
        return 1;
    u32 result = 0;
    while (dirent* entry = readdir(folder))
    {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        SString<kMaxCreatePath + 1> child;
        child.Format("%s/%s", path, entry->d_name);
        struct stat childInfo;
        if (lstat(child.GetText(), &childInfo) != 0)
        {
            result = 6;
            break;
        }
        if (S_ISDIR(childInfo.st_mode))
        {
            if (DeleteTree(child.GetText()) != 0)
            {
                result = 4;
                break;
            }
            continue;
        }
        if (!(childInfo.st_mode & S_IWUSR) && chmod(child.GetText(), childInfo.st_mode | S_IWUSR) != 0)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "__DirectoryDelete(): error: ", "Can't set '%s' writeable.",
                        child.GetText());
            result = 3;
            break;
        }
        if (unlink(child.GetText()) != 0)
        {
            result = 5;
            break;
        }
    }
    closedir(folder);
    if (result != 0)
        return result;
    return rmdir(path) == 0 ? 0 : 1;
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

u32 FileExists(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 ? 1 : 0;
}

u64 GetFileWriteTime(u32 inTemp, const char* name)
{
    return ReadWriteTime(inTemp, name);
}

u32 SetFileWriteTime(const char* name, u64 fileTime)
{
    SString<kFileTimePath> path;
    if (!FileTimePath(path, 1, name))
        return 2;
    const int file = open(path.GetText(), O_WRONLY);
    if (file < 0)
        return 2;
    const u64 since1970 = fileTime / kFileTimeUnitsPerSecond - kFileTimeEpochSeconds;
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(since1970);
    times[1].tv_nsec = static_cast<long>(fileTime % kFileTimeUnitsPerSecond * 100);
    const int result = futimens(file, times);
    close(file);
    return result == 0 ? 0 : 1;
}

i32 CompareFileWriteTimes(const char* name, const char* tempName)
{
    const u64 first = ReadWriteTime(0, name);
    const u64 second = ReadWriteTime(1, tempName);
    return first > second ? 1 : first < second ? -1 : 0;
}

u32 __DirectoryDelete(const char16_t* path)
{
    char narrow[kMaxCreatePath + 1];
    Utf16ToUtf8(narrow, sizeof narrow, path);
    struct stat info;
    if (stat(narrow, &info) != 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "__DirectoryDelete(): error: ", "'%S' does not exist.", path);
        return 2;
    }
    if (!S_ISDIR(info.st_mode))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "__DirectoryDelete(): error: ", "'%S' is not a directory.",
                    path);
        return 2;
    }
    return DeleteTree(narrow);
}

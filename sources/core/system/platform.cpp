#include "core/system/platform.h"

#include "core/system/datetime.h"
#include "core/system/findfile.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "core/system/templates/darray.h"
#include "core/system/unistring.h"
#include "platform/desktop/clipboard.h"
#include "platform/desktop/messagebox.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace
{
constexpr i32 kFolderRoom = 260;
constexpr u32 kMaxCreatePath = 2047;

bool IsDirectory(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// XDG_DOCUMENTS_DIR from the environment or from the user-dirs file ("$HOME/Documents" form).
bool XdgDocumentsFolder(char (&out)[kFolderRoom], const char* home)
{
    const char* variable = std::getenv("XDG_DOCUMENTS_DIR");
    if (variable && variable[0])
    {
        FormatStringN(out, kFolderRoom, "%s", variable);
        return true;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    char file[kFolderRoom];
    if (config && config[0])
        FormatStringN(file, kFolderRoom, "%s/user-dirs.dirs", config);
    else
        FormatStringN(file, kFolderRoom, "%s/.config/user-dirs.dirs", home);
    std::FILE* dirs = std::fopen(file, "r");
    if (!dirs)
        return false;
    bool found = false;
    char line[512];
    while (!found && std::fgets(line, sizeof line, dirs))
    {
        const char* key = "XDG_DOCUMENTS_DIR=\"";
        if (std::strncmp(line, key, std::strlen(key)) != 0)
            continue;
        char* value = line + std::strlen(key);
        char* quote = std::strchr(value, '"');
        if (!quote)
            break;
        *quote = 0;
        if (std::strncmp(value, "$HOME", 5) == 0)
            FormatStringN(out, kFolderRoom, "%s%s", home, value + 5);
        else
            FormatStringN(out, kFolderRoom, "%s", value);
        found = out[0] == '/';
    }
    std::fclose(dirs);
    return found;
}

void DocumentsFolder(char (&out)[kFolderRoom])
{
    const char* home = std::getenv("HOME");
    if (!home || !home[0])
        home = ".";
    if (XdgDocumentsFolder(out, home))
        return;
    FormatStringN(out, kFolderRoom, "%s/Documents", home);
    if (!IsDirectory(out))
        FormatStringN(out, kFolderRoom, "%s", home);
}
} // namespace

void ToSystemPath(char* path)
{
    for (; *path; ++path)
        if (*path == '\\')
            *path = '/';
}

const char* GetTempFolder()
{
    static char s_folder[kFolderRoom];
    if (!s_folder[0])
    {
        const char* temp = std::getenv("TMPDIR");
        FormatStringN(s_folder, kFolderRoom, "%s", temp && temp[0] ? temp : "/tmp");
        ToSystemPath(s_folder);
        const size_t length = std::strlen(s_folder);
        if (s_folder[length - 1] != '/' && length + 1 < kFolderRoom)
            std::strcat(s_folder, "/");
    }
    return s_folder;
}

const char16_t* GetTempFolderWide()
{
    static char16_t s_folder[kFolderRoom];
    if (!s_folder[0])
        Utf8ToUtf16(s_folder, kFolderRoom, GetTempFolder());
    return s_folder;
}

const char* GetMyGamesFolder()
{
    static char s_folder[kFolderRoom];
    if (!s_folder[0])
    {
        char documents[kFolderRoom];
        DocumentsFolder(documents);
        FormatStringN(s_folder, kFolderRoom, "%s/My Games", documents);
    }
    return s_folder;
}

namespace
{
const char* const kCreateError = "__DirectoryCreate(): error: ";
// UTF-8 holds a UTF-16 unit in at most 3 bytes.
constexpr u32 kCreateRoom = kMaxCreatePath * 3 + 1;

u32 CreatePath(const char* path, u32 lastIsFile)
{
    // Repeated separators at the start are skipped so that one remains.
    while ((path[0] == '/' || path[0] == '\\') && (path[1] == '/' || path[1] == '\\'))
        ++path;

    char partial[kCreateRoom];
    const size_t end = std::strlen(path);
    for (size_t i = 1; i <= end; ++i)
    {
        const bool separator = i < end && (path[i] == '/' || path[i] == '\\');
        const bool last = i == end && !lastIsFile && path[i - 1] != '/' && path[i - 1] != '\\';
        if (!separator && !last)
            continue;
        std::memcpy(partial, path, i);
        partial[i] = 0;
        ToSystemPath(partial);
        struct stat info;
        if (stat(partial, &info) != 0)
        {
            TLog::Print(g_pSystemLog, LOG_INFO, "__DirectoryCreate(): ", "Creating '%s'", partial);
            // Another writer (a log opening while this one prints) may have made it meanwhile.
            if (mkdir(partial, 0777) != 0 && errno != EEXIST)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, kCreateError, "Unable to create partial path '%s'.",
                            partial);
                return 2;
            }
        }
        else if (!S_ISDIR(info.st_mode))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kCreateError,
                        "Part of path exists and is not a directory: '%s'.", partial);
            return 2;
        }
    }
    return 0;
}
} // namespace

u32 __DirectoryCreate(const char* path, u32 lastIsFile)
{
    if (std::strlen(path) >= kMaxCreatePath)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCreateError, "Destination path '%s' too long.", path);
        return 1;
    }
    return CreatePath(path, lastIsFile);
}

u32 __DirectoryCreate(const char16_t* path, u32 lastIsFile)
{
    if (static_cast<u32>(UniLength(path)) >= kMaxCreatePath)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCreateError, "Destination path too long.");
        return 1;
    }
    char utf8[kCreateRoom];
    Utf16ToUtf8(utf8, kCreateRoom, path);
    return CreatePath(utf8, lastIsFile);
}

namespace
{
const char* const kDeleteError = "__DirectoryDelete(): error: ";
constexpr i32 kWideRoom = 2048;

// Entries are examined without following links: a link is deleted, never what it points at.
bool EntryStat(const char16_t* path, struct stat& info)
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    return lstat(utf8, &info) == 0;
}

i32 Utf8Call(const char16_t* path, int (*call)(const char*))
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    return call(utf8);
}

int RemoveFile(const char* path)
{
    return unlink(path);
}

int RemoveFolder(const char* path)
{
    return rmdir(path);
}

int MakeWritable(const char* path)
{
    struct stat info;
    return stat(path, &info) == 0 ? chmod(path, info.st_mode | S_IWUSR) : -1;
}

// The file's last-write time from a fixed 256-character path; 0 when unreadable.
u64 WriteTimeOf(const char* folder, const char* name)
{
    char path[256];
    if (std::strlen(folder) + std::strlen(name) >= sizeof path)
        return 0;
    FormatStringN(path, sizeof path, "%s%s", folder, name);
    ToSystemPath(path);
    struct stat info;
    if (stat(path, &info) != 0)
        return 0;
    return (static_cast<u64>(info.st_mtim.tv_sec) + FILETIME_UNIX_EPOCH / FILETIME_PER_SECOND) *
               FILETIME_PER_SECOND +
           static_cast<u64>(info.st_mtim.tv_nsec) / 100;
}

// Windows-1252 bytes 0x80..0x9F; the rest of the upper half is Latin-1.
const char16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                              0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                              0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                              0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromCp1252(u8 byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kCp1252[byte - 0x80] : static_cast<char16_t>(byte);
}

char ToCp1252(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100))
        return static_cast<char>(unit);
    for (i32 i = 0; i < 32; ++i)
        if (kCp1252[i] == unit)
            return static_cast<char>(0x80 + i);
    return '?';
}

// The units to convert: length, or up to the NUL for -1 (the NUL is always written).
i32 UnitCount(const char16_t* text, i32 length)
{
    return length < 0 ? UniLength(text) : length;
}
} // namespace

u32 __DirectoryDelete(const char16_t* path)
{
    struct stat info;
    if (!EntryStat(path, info))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kDeleteError, "'%S' does not exist.", path);
        return 2;
    }
    if (!S_ISDIR(info.st_mode))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kDeleteError, "'%S' is not a directory.", path);
        return 2;
    }
    char16_t pattern[kWideRoom];
    FormatStringW(pattern, u"%s/*.*", path);
    TFindFile find;
    for (u32 more = find.First(pattern); more == 0; more = find.Next())
    {
        char16_t entry[kWideRoom];
        FormatStringW(entry, u"%s/%s", path, find.GetName());
        if (!EntryStat(entry, info))
            return 6;
        if (S_ISDIR(info.st_mode))
        {
            if (__DirectoryDelete(entry) != 0)
                return 4;
            continue;
        }
        if (!S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR) && Utf8Call(entry, MakeWritable) != 0)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, kDeleteError, "Can't set '%S' writeable.", entry);
            return 3;
        }
        if (Utf8Call(entry, RemoveFile) != 0)
            return 5;
    }
    return Utf8Call(path, RemoveFolder) == 0 ? 0 : 1;
}

namespace
{
TDiskFreeQuery s_pDiskFreeQuery = nullptr;

// Writes the source's bytes into the open descriptor; false on a read or write failure.
bool CopyBytes(int source, int destination)
{
    char buffer[65536];
    for (;;)
    {
        const ssize_t got = read(source, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        for (ssize_t done = 0; done < got;)
        {
            const ssize_t put = write(destination, buffer + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0)
                return false;
            done += put;
        }
    }
}

u32 CopyFileUtf8(const char* from, const char* to)
{
    struct stat info;
    if (stat(from, &info) != 0 || !S_ISREG(info.st_mode))
        return 1;
    const int source = open(from, O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return 1;
    // The copy takes a name of its own beside the destination until it is complete.
    char temporary[kWideRoom * 3 + 8];
    FormatStringN(temporary, sizeof temporary, "%s.XXXXXX", to);
    const int destination = mkstemp(temporary);
    if (destination < 0)
    {
        close(source);
        return 1;
    }
    bool copied = CopyBytes(source, destination);
    copied = fchmod(destination, info.st_mode & 07777) == 0 && copied;
    copied = close(destination) == 0 && copied;
    close(source);
    if (!copied || rename(temporary, to) != 0)
    {
        unlink(temporary);
        return 1;
    }
    return 0;
}
} // namespace

u32 __FileMove(const char16_t* from, const char16_t* to)
{
    char source[kWideRoom * 3];
    char destination[kWideRoom * 3];
    Utf16ToUtf8(source, sizeof source, from);
    Utf16ToUtf8(destination, sizeof destination, to);
    ToSystemPath(source);
    ToSystemPath(destination);
    struct stat info;
    if (lstat(source, &info) != 0 || S_ISDIR(info.st_mode))
        return 1;
    if (rename(source, destination) == 0)
        return 0;
    if (errno != EXDEV || CopyFileUtf8(source, destination) != 0)
        return 1;
    if (unlink(source) != 0)
    {
        unlink(destination);
        return 1;
    }
    return 0;
}

u32 __FileCopy(const char16_t* from, const char16_t* to)
{
    char source[kWideRoom * 3];
    char destination[kWideRoom * 3];
    Utf16ToUtf8(source, sizeof source, from);
    Utf16ToUtf8(destination, sizeof destination, to);
    ToSystemPath(source);
    ToSystemPath(destination);
    return CopyFileUtf8(source, destination);
}

u32 __FileDelete(const char16_t* path)
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    ToSystemPath(utf8);
    return unlink(utf8) == 0 ? 0 : 1;
}

u32 __DirectoryMove(const char16_t* from, const char16_t* to)
{
    char source[kWideRoom * 3];
    char destination[kWideRoom * 3];
    Utf16ToUtf8(source, sizeof source, from);
    Utf16ToUtf8(destination, sizeof destination, to);
    ToSystemPath(source);
    ToSystemPath(destination);
    struct stat info;
    if (lstat(source, &info) != 0 || !S_ISDIR(info.st_mode))
        return 1;
    // rename() would replace an empty folder of the destination's name.
    if (lstat(destination, &info) == 0)
        return 1;
    return rename(source, destination) == 0 ? 0 : 1;
}

void SetDiskFreeQuery(TDiskFreeQuery query)
{
    s_pDiskFreeQuery = query;
}

i64 GetDiskFreeBytes(const char16_t* path)
{
    if (!path || UniLength(path) < 3)
        return -1;
    if (s_pDiskFreeQuery)
        return s_pDiskFreeQuery(path);
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    ToSystemPath(utf8);
    struct statvfs64 info;
    if (statvfs64(utf8, &info) != 0)
        return -2;
    return static_cast<i64>(info.f_bavail) * static_cast<i64>(info.f_frsize);
}

u32 GetFileAttributeBits(const char16_t* path)
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    ToSystemPath(utf8);
    return FileAttributeBits(utf8);
}

u32 SetFileAttributeBits(u32 bits, const char16_t* path)
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    ToSystemPath(utf8);
    struct stat info;
    if (stat(utf8, &info) != 0)
        return 1;
    const mode_t write = S_IWUSR | S_IWGRP | S_IWOTH;
    const mode_t mode = (bits & FILE_ATTRIBUTE_BIT_READONLY) ? info.st_mode & ~write : info.st_mode | S_IWUSR;
    return chmod(utf8, mode) == 0 ? 0 : 1;
}

u32 FileExists(const char* path)
{
    char systemPath[kWideRoom * 3];
    FormatStringN(systemPath, sizeof systemPath, "%s", path);
    ToSystemPath(systemPath);
    struct stat info;
    return stat(systemPath, &info) == 0 ? 1 : 0;
}

bool IsRegularFile(const char* path)
{
    char systemPath[kWideRoom * 3];
    FormatStringN(systemPath, sizeof systemPath, "%s", path);
    ToSystemPath(systemPath);
    struct stat info;
    return stat(systemPath, &info) == 0 && S_ISREG(info.st_mode);
}

i32 ReadFileHead(const char16_t* path, void* buffer, i32 size)
{
    char utf8[kWideRoom * 3];
    Utf16ToUtf8(utf8, sizeof utf8, path);
    ToSystemPath(utf8);
    const int file = open(utf8, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return -1;
    i32 done = 0;
    while (done >= 0 && done < size)
    {
        const ssize_t got = read(file, static_cast<u8*>(buffer) + done, static_cast<size_t>(size - done));
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
            done = -1;
        else if (got > 0)
            done += static_cast<i32>(got);
    }
    close(file);
    return done;
}

u64 GetFileWriteTime(u32 inTemp, const char* name)
{
    return WriteTimeOf(inTemp ? GetTempFolder() : "", name);
}

u32 SetFileWriteTime(const char* name, u64 fileTime)
{
    char path[256];
    if (std::strlen(GetTempFolder()) + std::strlen(name) >= sizeof path)
        return 2;
    FormatStringN(path, sizeof path, "%s%s", GetTempFolder(), name);
    ToSystemPath(path);
    struct stat info;
    if (stat(path, &info) != 0)
        return 2;
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec =
        static_cast<time_t>(fileTime / FILETIME_PER_SECOND - FILETIME_UNIX_EPOCH / FILETIME_PER_SECOND);
    times[1].tv_nsec = static_cast<long>(fileTime % FILETIME_PER_SECOND * 100);
    return utimensat(AT_FDCWD, path, times, 0) == 0 ? 0 : 1;
}

i32 CompareFileWriteTimes(const char* name, const char* tempName)
{
    const u64 time = GetFileWriteTime(0, name);
    const u64 tempTime = GetFileWriteTime(1, tempName);
    return time > tempTime ? 1 : time < tempTime ? -1 : 0;
}

u32 MultiByteToWide(char16_t* out, i32 size, const char* text, i32 length)
{
    if (!out || !text)
        return 1;
    const i32 count = length < 0 ? static_cast<i32>(std::strlen(text)) : length;
    if (count + 1 > size)
        return 1;
    for (i32 i = 0; i < count; ++i)
        out[i] = FromCp1252(static_cast<u8>(text[i]));
    out[count] = 0;
    return 0;
}

u32 WideToUtf8(char* out, i32 size, const char16_t* text, i32 length)
{
    if (!out || !text)
        return 1;
    const i32 count = UnitCount(text, length);
    i32 needed = 1;
    for (i32 i = 0; i < count; ++i)
    {
        const char16_t unit = text[i];
        const bool pair =
            unit >= 0xD800 && unit < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        needed += unit < 0x80 ? 1 : unit < 0x800 ? 2 : pair ? 4 : 3;
        i += pair ? 1 : 0;
    }
    if (needed > size)
        return 1;
    Utf16ToUtf8(out, size, text, count);
    return 0;
}

u32 WideToMultiByte(char* out, i32 size, const char16_t* text, i32 length)
{
    if (!out || !text)
        return 1;
    const i32 count = UnitCount(text, length);
    if (count + 1 > size)
        return 1;
    for (i32 i = 0; i < count; ++i)
        out[i] = ToCp1252(text[i]);
    out[count] = 0;
    return 0;
}

const char16_t* GetWindowsUserName()
{
    static char16_t s_name[256];
    if (!s_name[0])
    {
        passwd entry;
        passwd* found = nullptr;
        char buffer[1024];
        const char* name = nullptr;
        if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            name = found->pw_name;
        if (!name || !name[0])
            name = std::getenv("USER");
        Utf8ToUtf16(s_name, 256, name ? name : "");
    }
    return s_name;
}

// The version text given to the build, if any.
#ifndef VESTAMOR_VERSION
#define VESTAMOR_VERSION "0.0.0.0"
#endif

namespace
{
char s_aVersion[128];
TName s_VersionName;
} // namespace

void InitApplicationVersion()
{
    if (s_aVersion[0])
        return;
    FormatStringN(s_aVersion, sizeof s_aVersion, "%s", VESTAMOR_VERSION[0] ? VESTAMOR_VERSION : "0.0.0.0");
    s_VersionName.Set(s_aVersion, true);
}

void GetApplicationVersion(char* buffer, i32 size)
{
    InitApplicationVersion();
    FormatStringN(buffer, size, "%s", s_aVersion);
}

const TName& GetApplicationVersionName()
{
    InitApplicationVersion();
    return s_VersionName;
}

i32 ShowMessageBox(const char* caption, const char* text, u32 kind)
{
    return PlatformMessageBox(caption, text, static_cast<int>(kind));
}

namespace
{
DArray<char16_t> s_ClipboardWide;
DArray<char> s_ClipboardNarrow;

void FetchClipboard()
{
    const std::string text = PlatformClipboardGetText();
    s_ClipboardWide.SetLength(static_cast<i32>(text.size()));
    const i32 units = Utf8ToUtf16(s_ClipboardWide.GetData(), s_ClipboardWide.GetCount(), text.c_str());
    s_ClipboardWide.SetLength(units);
}
} // namespace

const char16_t* ClipboardGetText()
{
    FetchClipboard();
    return s_ClipboardWide.GetText();
}

const char* ClipboardGetTextA()
{
    FetchClipboard();
    s_ClipboardNarrow.SetLength(s_ClipboardWide.GetCount() - 1);
    WideToMultiByte(s_ClipboardNarrow.GetData(), s_ClipboardNarrow.GetCount(), s_ClipboardWide.GetText(), -1);
    return s_ClipboardNarrow.GetText();
}

void ClipboardSetText(const char16_t* text)
{
    DArray<char> utf8;
    utf8.SetLength(UniLength(text) * 3);
    Utf16ToUtf8(utf8.GetData(), utf8.GetCount(), text);
    PlatformClipboardSetText(utf8.GetText());
}

void ClipboardSetTextA(const char* text)
{
    DArray<char16_t> wide;
    wide.SetLength(static_cast<i32>(std::strlen(text)));
    MultiByteToWide(wide.GetData(), wide.GetCount(), text, -1);
    ClipboardSetText(wide.GetText());
}

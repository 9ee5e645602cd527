#include "core/stream/filestream.h"

#include "core/stream/filestreammanager.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/templates/sarray.h"

#include "core/system/string.h"
#include "core/system/unistring.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace
{
const char* const kModeText[8] = {nullptr, "rb", "wb", "rb+", nullptr, nullptr, "ab", "ab+"};
const int kOpenFlags[8] = {0,
                           O_RDONLY,
                           O_WRONLY | O_CREAT,
                           O_RDWR,
                           0,
                           0,
                           O_WRONLY | O_CREAT | O_APPEND,
                           O_RDWR | O_CREAT | O_APPEND};
constexpr i32 kPathRoom = 256;
// The longest UTF-16 name (NUL included) that gets a UTF-8 copy for the stream's name.
constexpr i32 kWideNameRoom = 1024;

// A prefix folder is used unless it is empty or begins with ".".
bool UsableFolder(const char* folder)
{
    return folder[0] != 0 && folder[0] != '.';
}

const char* PrefixFolder(u32 mode)
{
    const char* prefix = "";
    if (mode & STREAM_TEMP)
        prefix = GetTempFolder();
    else if (mode & STREAM_MY_GAMES)
        prefix = GetMyGamesFolder();
    return UsableFolder(prefix) ? prefix : "";
}

// Opens with the sharing rule of the engine's files: an exclusive opener holds an exclusive
// lock, every other opener a shared one, so neither kind can open a file the other holds. The
// lock is taken before a write truncates, so a refused open never empties the file.
std::FILE* OpenShared(const char* path, u32 mode)
{
    const char* modeText = kModeText[mode & 7];
    if (!modeText)
        return nullptr;
    char systemPath[kPathRoom];
    FormatStringN(systemPath, sizeof systemPath, "%s", path);
    ToSystemPath(systemPath);
    const int fd = open(systemPath, kOpenFlags[mode & 7] | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    const int lock = (mode & STREAM_EXCLUSIVE) ? LOCK_EX : LOCK_SH;
    if (flock(fd, lock | LOCK_NB) != 0 || ((mode & 7) == STREAM_WRITE && ftruncate(fd, 0) != 0))
    {
        close(fd);
        return nullptr;
    }
    std::FILE* file = fdopen(fd, modeText);
    if (!file)
        close(fd);
    return file;
}
} // namespace

TFileStream::~TFileStream()
{
    if (m_pFile)
        std::fclose(m_pFile);
}

u32 TFileStream::Open(const TName& name, u32 mode)
{
    if (!(mode & STREAM_WHILE_LOCKED) && FileSystemLocked())
        __Abort("TFileStream::Open", "core/stream/filestream.cpp", __LINE__, "file system is locked");

    const char* prefix = PrefixFolder(mode);
    const char* text = name.GetText();
    if (std::strlen(prefix) + std::strlen(text) >= kPathRoom)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Open(): error: ", "path too long '%s%s'", prefix,
                    text);
        return 0;
    }
    SString<kPathRoom> path;
    path.Format("%s%s", prefix, text);
    return OpenPath(path.GetText(), mode, TName(path.GetText(), true), path.GetText());
}

u32 TFileStream::OpenWide(const char16_t* name, u32 mode)
{
    if (!(mode & STREAM_WHILE_LOCKED) && FileSystemLocked())
        __Abort("TFileStream::Open", "core/stream/filestream.cpp", __LINE__, "file system is locked");

    char utf8Name[kWideNameRoom * 3] = "";
    if (UniLength(name) < kWideNameRoom)
        Utf16ToUtf8(utf8Name, sizeof utf8Name, name);
    const char* prefix = PrefixFolder(mode);
    char utf8Path[kPathRoom * 3];
    FormatStringN(utf8Path, sizeof utf8Path, "%s%S", prefix, name);
    char16_t widePath[kPathRoom + 1];
    if (Utf8ToUtf16(widePath, kPathRoom + 1, utf8Path) >= kPathRoom)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Open(): error: ", "path too long '%s'", utf8Path);
        return 0;
    }
    return OpenPath(utf8Path, mode, TName(utf8Name, true), utf8Name);
}

u32 TFileStream::OpenPath(const char* path, u32 mode, const TName& name, const char* shownName)
{
    if ((mode & STREAM_CREATE_PATH) && __DirectoryCreate(path, 1) != 0)
        return 2;

    if (m_pFile)
        Close();
    m_nMode = mode;
    m_Name = name;

    m_pFile = OpenShared(path, mode);
    if (!m_pFile)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Open(): error: ", "error opening file '%s'",
                    shownName);
        return 0;
    }
    return 1;
}

u32 TFileStream::Close()
{
    if (!m_pFile)
        return 1;
    std::fclose(m_pFile);
    m_pFile = nullptr;
    return 0;
}

i32 TFileStream::Read(void* buffer, i32 size)
{
    if (!m_pFile)
        return 0;
    if (!(m_nMode & STREAM_READ))
        __Abort("TFileStream::Read", "core/stream/filestream.cpp", __LINE__, "invalid stream mode");
    if (size <= 0)
        return 0;
    const i32 read = static_cast<i32>(std::fread(buffer, 1, size, m_pFile));
    if (read < size)
    {
        const int error = std::ferror(m_pFile) ? errno : 0;
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Read(): error: ",
                    "unable to read %d bytes from '%s' (only %d read) err: %d '%s'", size, m_Name.GetText(),
                    read, std::ferror(m_pFile), std::strerror(error));
    }
    return read;
}

i32 TFileStream::WriteText(const char* text)
{
    if (!m_pFile)
        return 0;
    if (!(m_nMode & STREAM_WRITE))
        __Abort("TFileStream::Write", "core/stream/filestream.cpp", __LINE__, "invalid stream mode");
    return Write(text, static_cast<i32>(std::strlen(text)));
}

i32 TFileStream::Write(const void* data, i32 size)
{
    if (!m_pFile)
        return 0;
    if (!(m_nMode & STREAM_WRITE))
        __Abort("TFileStream::Write", "core/stream/filestream.cpp", __LINE__, "invalid stream mode");
    if (size <= 0)
        return 0;
    const i32 written = static_cast<i32>(std::fwrite(data, 1, size, m_pFile));
    if (written < size)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Write(): error: ",
                    "unable to write %d bytes in '%s' (only %d written) err: %d '%s'", size, m_Name.GetText(),
                    written, std::ferror(m_pFile), std::strerror(errno));
    return written;
}

u32 TFileStream::Seek(i32 offset, u32 origin)
{
    if (!m_pFile)
        return 1;
    static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const bool failed =
        origin <= STREAM_SEEK_END ? std::fseek(m_pFile, offset, kWhence[origin]) != 0 : offset != 0;
    if (!failed)
        return 0;
    TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Seek(): error: ", "failed.");
    return 1;
}

i32 TFileStream::GetPosition()
{
    return m_pFile ? static_cast<i32>(std::ftell(m_pFile)) : 0;
}

i32 TFileStream::GetSize()
{
    if (!m_pFile)
        return 0;
    const long position = std::ftell(m_pFile);
    std::fseek(m_pFile, 0, SEEK_END);
    const long size = std::ftell(m_pFile);
    std::fseek(m_pFile, position, SEEK_SET);
    return static_cast<i32>(size);
}

u32 TFileStream::SetSize(i32 size)
{
    if (!m_pFile)
        return 1;
    std::fflush(m_pFile);
    return ftruncate(fileno(m_pFile), size) == 0 ? 0 : static_cast<u32>(-1);
}

void TFileStream::SetBuffer(i32 size, void* buffer)
{
    if (!m_pFile)
        return;
    if (size > 0)
        std::setvbuf(m_pFile, static_cast<char*>(buffer), _IOFBF, size);
    else
        std::setvbuf(m_pFile, nullptr, _IONBF, 0);
}

void TFileStream::Flush()
{
    if (m_pFile)
        std::fflush(m_pFile);
}

#include "core/stream/filestream.h"

#include "core/stream/filestreammanager.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/templates/sarray.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace
{
const char* const kModeText[8] = {nullptr, "rb", "wb", "rb+", nullptr, nullptr, "ab", "ab+"};

// A prefix folder is used unless it is empty or begins with ".".
bool UsableFolder(const char* folder)
{
    return folder[0] != 0 && folder[0] != '.';
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

    const char* prefix = "";
    if (mode & STREAM_TEMP)
        prefix = GetTempFolder();
    else if (mode & STREAM_MY_GAMES)
        prefix = GetMyGamesFolder();
    if (!UsableFolder(prefix))
        prefix = "";
    SString<256> path;
    const char* text = name.GetText();
    if (std::strlen(prefix) + std::strlen(text) > 255)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Open(): error: ", "path too long '%s%s'", prefix,
                    text);
        return 0;
    }
    path.Format("%s%s", prefix, text);

    if ((mode & STREAM_CREATE_PATH) && __DirectoryCreate(path.GetText(), 1) != 0)
        return 2;

    if (m_pFile)
        Close();
    m_nMode = mode;
    m_Name.Set(path.GetText(), true);

    const char* modeText = kModeText[mode & 7];
    m_pFile = modeText ? std::fopen(path.GetText(), modeText) : nullptr;
    if (!m_pFile)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Open(): error: ", "error opening file '%s'",
                    path.GetText());
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
        return 0;
    static const int kWhence[3] = {SEEK_SET, SEEK_CUR, SEEK_END};
    const bool failed =
        origin <= STREAM_SEEK_END ? std::fseek(m_pFile, offset, kWhence[origin]) != 0 : offset != 0;
    if (failed)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TFileStream::Seek(): error: ", "failed.");
    return 0;
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

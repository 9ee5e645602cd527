#include "core/stream/memorymappedstream.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
// "Global\name" and "Local\name" name a shared-memory section; returns the name, or null.
const char* SectionName(const char* text)
{
    if (std::strlen(text) <= 7)
        return nullptr;
    if (std::strncmp(text, "Global\\", 7) == 0)
        return text + 7;
    if (std::strncmp(text, "Local\\", 6) == 0)
        return text + 6;
    return nullptr;
}
} // namespace

TMemoryMappedStream::~TMemoryMappedStream()
{
    Close();
}

u32 TMemoryMappedStream::Open(const TName& name, u32 mode)
{
    Close();
    m_Name = name;
    m_nMode = mode;
    const char* text = name.GetText();
    const bool write = (mode & STREAM_WRITE) != 0;
    // A shared writable mapping needs a descriptor open for reading too.
    const int access = write ? O_RDWR : O_RDONLY;

    errno = 0;
    if (std::strlen(text) >= 256)
    {
        errno = ENAMETOOLONG;
        LogWinError("CreateFile");
        return 1;
    }
    if (const char* section = SectionName(text))
    {
        char sharedName[256];
        FormatStringN(sharedName, sizeof sharedName, "/%s", section);
        m_hFile = shm_open(sharedName, access, 0);
        if (m_hFile < 0)
        {
            LogWinError("CreateFileMapping(write)");
            return 2;
        }
    }
    else
    {
        char path[256];
        FormatStringN(path, sizeof path, "%s", text);
        ToSystemPath(path);
        m_hFile = open(path, access | O_CLOEXEC);
        if (m_hFile < 0)
        {
            LogWinError("CreateFile");
            return 1;
        }
    }

    struct stat info;
    if (fstat(m_hFile, &info) != 0 || info.st_size == 0 || info.st_size > INT_MAX)
    {
        if (errno == 0)
            errno = info.st_size == 0 ? EINVAL : EFBIG;
        LogWinError(write ? "CreateFileMapping(write)" : "CreateFileMapping(read)");
        Close();
        return 2;
    }
    const int protection = write ? PROT_READ | PROT_WRITE : PROT_READ;
    void* view = mmap(nullptr, info.st_size, protection, MAP_SHARED, m_hFile, 0);
    if (view == MAP_FAILED)
    {
        LogWinError("MapViewOfFile");
        Close();
        return 3;
    }
    m_pView = static_cast<u8*>(view);
    m_nMapped = static_cast<u32>(info.st_size);
    m_nSize = static_cast<i32>(info.st_size);
    m_nPosition = 0;
    return 0;
}

u32 TMemoryMappedStream::Close()
{
    const u32 result = m_pView ? 0 : 1;
    if (m_pView)
        munmap(m_pView, m_nMapped);
    if (m_hFile >= 0)
        close(m_hFile);
    m_hFile = -1;
    m_pView = nullptr;
    m_nMapped = 0;
    m_nSize = 0;
    m_nPosition = 0;
    return result;
}

i32 TMemoryMappedStream::Read(void* buffer, i32 size)
{
    return ReadMemory(m_pView, m_nSize, m_nPosition, buffer, size);
}

i32 TMemoryMappedStream::Write(const void* data, i32 size)
{
    if (size < 1)
        return 0;
    if (size > m_nSize - m_nPosition)
        __Abort("TMemoryMappedStream::Write", "core/stream/memorymappedstream.cpp", __LINE__,
                "unable to grow memory mapped file");
    std::memcpy(m_pView + m_nPosition, data, size);
    m_nPosition += size;
    return size;
}

u32 TMemoryMappedStream::Seek(i32 offset, u32 origin)
{
    return SeekMemory(m_nPosition, m_nSize, offset, origin);
}

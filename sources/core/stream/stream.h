#pragma once
// TStream: the one byte-stream interface for every file and memory image. Thirteen virtual
// operations, in this slot order.
#include "core/system/name.h"

// Open mode bits.
constexpr u32 STREAM_READ = 0x01;
constexpr u32 STREAM_WRITE = 0x02;
constexpr u32 STREAM_APPEND = 0x04;       // with STREAM_WRITE
constexpr u32 STREAM_CREATE_PATH = 0x08;  // create every folder of the path first
constexpr u32 STREAM_TEMP = 0x10;         // relative to the user's temp folder
constexpr u32 STREAM_MY_GAMES = 0x20;     // relative to the documents folder + "/My Games"
constexpr u32 STREAM_EXCLUSIVE = 0x40;    // no other opener may share the file
constexpr u32 STREAM_WHILE_LOCKED = 0x80; // allowed while the file system is locked

// Seek origins.
constexpr u32 STREAM_SEEK_SET = 0;
constexpr u32 STREAM_SEEK_CUR = 1;
constexpr u32 STREAM_SEEK_END = 2;

class TStream
{
public:
    TStream() : m_nMode(0) {}
    virtual ~TStream();
    virtual u32 Open(const TName& name, u32 mode) = 0;
    virtual u32 Close() = 0;
    virtual bool IsOpen() = 0;
    virtual i32 Read(void* buffer, i32 size) = 0;
    // Writes the text without its NUL through Write.
    virtual i32 WriteText(const char* text);
    virtual i32 Write(const void* data, i32 size) = 0;
    virtual u32 Seek(i32 offset, u32 origin) = 0;
    virtual i32 GetPosition() = 0;
    virtual i32 GetSize() = 0;
    // -1: not supported.
    virtual u32 SetSize(i32 size);
    virtual void SetBuffer(i32 size, void* buffer);
    virtual void Flush();

    // Copies the source into the destination in 1,024-byte pieces until a read returns 0;
    // returns the sum of the counts the destination's Write returned.
    static i32 CopyTo(TStream* source, TStream* destination);

    const TName& GetName() const { return m_Name; }
    u32 GetMode() const { return m_nMode; }

protected:
    // The Read and Seek of streams over bytes in memory (size bytes at data, read position
    // position): Read copies max(0, min(count, size - position)) bytes; Seek gives 1, leaving the
    // position, when the new one would be negative.
    static i32 ReadMemory(const u8* data, i32 size, i32& position, void* buffer, i32 count);
    static u32 SeekMemory(i32& position, i32 size, i32 offset, u32 origin);

    TName m_Name;
    u32 m_nMode;
};

static_assert(sizeof(TStream) == 12);

// Logs the calling thread's last system error (errno) with the operation that failed; nothing
// when there is none.
void LogWinError(const char* operation);

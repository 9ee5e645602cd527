#include "ageia/nxstream.h"

#include "core/stream/stream.h"
#include "core/system/log.h"

namespace
{
// The layer's reads are const; the engine stream still moves on.
i32 ReadBytes(TStream* stream, void* buffer, u32 size, const char* prefix)
{
    const i32 read = stream->Read(buffer, static_cast<i32>(size));
    if (read != static_cast<i32>(size))
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "read %d, expected %d", read, static_cast<i32>(size));
    return read;
}

void WriteBytes(TStream* stream, const void* buffer, u32 size, const char* prefix)
{
    const i32 written = stream->Write(buffer, static_cast<i32>(size));
    if (written != static_cast<i32>(size))
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "written %d, expected %d", written, static_cast<i32>(size));
}
} // namespace

template <class T> T TNxStream::_Read() const
{
    T value{};
    ReadBytes(m_pStream, &value, sizeof value, "TNxStream::_Read(): error: ");
    return value;
}

template <class T> void TNxStream::_Write(T value)
{
    WriteBytes(m_pStream, &value, sizeof value, "TNxStream::_Write(): error: ");
}

NxU8 TNxStream::readByte() const { return _Read<NxU8>(); }
NxU16 TNxStream::readWord() const { return _Read<NxU16>(); }
NxU32 TNxStream::readDword() const { return _Read<NxU32>(); }
NxF32 TNxStream::readFloat() const { return _Read<NxF32>(); }
NxF64 TNxStream::readDouble() const { return _Read<NxF64>(); }

void TNxStream::readBuffer(void* buffer, NxU32 size) const
{
    const i32 read = ReadBytes(m_pStream, buffer, size, "TNxStream::readBuffer(): error: ");
    // What was not there reads as zero rather than as whatever the buffer held.
    if (read >= 0 && static_cast<NxU32>(read) < size)
        for (NxU32 i = static_cast<NxU32>(read); i < size; ++i)
            static_cast<u8*>(buffer)[i] = 0;
}

NxStream& TNxStream::storeByte(NxU8 b) { _Write(b); return *this; }
NxStream& TNxStream::storeWord(NxU16 w) { _Write(w); return *this; }
NxStream& TNxStream::storeDword(NxU32 d) { _Write(d); return *this; }
NxStream& TNxStream::storeFloat(NxF32 f) { _Write(f); return *this; }
NxStream& TNxStream::storeDouble(NxF64 f) { _Write(f); return *this; }

NxStream& TNxStream::storeBuffer(const void* buffer, NxU32 size)
{
    WriteBytes(m_pStream, buffer, size, "TNxStream::storeBuffer(): error: ");
    return *this;
}

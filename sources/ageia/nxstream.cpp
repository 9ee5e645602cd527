#include "ageia/nxstream.h"

#include "core/stream/stream.h"
#include "core/system/log.h"

#include <cstring>

bool TNxStream::Short(i32 done, u32 size) const
{
    if (done == static_cast<i32>(size) || m_bShort)
        return false;
    m_bShort = true;
    return true;
}

template <class T> T TNxStream::_Read() const
{
    T value;
    std::memset(&value, MISSING_BYTE, sizeof value);
    const i32 read = m_pStream->Read(&value, sizeof value);
    if (Short(read, sizeof value))
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxStream::_Read(): error: ", "read %d, expected %d", read,
                    static_cast<i32>(sizeof value));
    return value;
}

template <class T> void TNxStream::_Write(T value)
{
    const i32 written = m_pStream->Write(&value, sizeof value);
    if (Short(written, sizeof value))
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxStream::_Write(): error: ", "written %d, expected %d", written,
                    static_cast<i32>(sizeof value));
}

NxU8 TNxStream::readByte() const { return _Read<NxU8>(); }
NxU16 TNxStream::readWord() const { return _Read<NxU16>(); }
NxU32 TNxStream::readDword() const { return _Read<NxU32>(); }
NxF32 TNxStream::readFloat() const { return _Read<NxF32>(); }
NxF64 TNxStream::readDouble() const { return _Read<NxF64>(); }

void TNxStream::readBuffer(void* buffer, NxU32 size) const
{
    const i32 read = m_pStream->Read(buffer, static_cast<i32>(size));
    if (Short(read, size))
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxStream::readBuffer(): error: ", "read %d, expected %d", read,
                    static_cast<i32>(size));
    for (NxU32 i = read > 0 ? static_cast<NxU32>(read) : 0; i < size; ++i)
        static_cast<u8*>(buffer)[i] = MISSING_BYTE;
}

NxU32 TNxStream::getAvailableBytes() const
{
    const i32 left = m_pStream->GetSize() - m_pStream->GetPosition();
    return left > 0 ? static_cast<NxU32>(left) : 0;
}

NxStream& TNxStream::storeByte(NxU8 b) { _Write(b); return *this; }
NxStream& TNxStream::storeWord(NxU16 w) { _Write(w); return *this; }
NxStream& TNxStream::storeDword(NxU32 d) { _Write(d); return *this; }
NxStream& TNxStream::storeFloat(NxF32 f) { _Write(f); return *this; }
NxStream& TNxStream::storeDouble(NxF64 f) { _Write(f); return *this; }

NxStream& TNxStream::storeBuffer(const void* buffer, NxU32 size)
{
    const i32 written = m_pStream->Write(buffer, static_cast<i32>(size));
    if (Short(written, size))
        TLog::Print(g_pSystemLog, LOG_ERROR, "TNxStream::storeBuffer(): error: ", "written %d, expected %d", written,
                    static_cast<i32>(size));
    return *this;
}

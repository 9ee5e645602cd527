#include "core/compression/compressedpipe.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/system/memory.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

TCompressedPipe::TCompressedPipe()
    : m_nWritten(0), m_nPosition(0), m_pSource(nullptr), m_pZlib(nullptr), m_nPipeMode(-1), m_bFinished(false)
{
}

TCompressedPipe::~TCompressedPipe()
{
    Close();
}

u32 TCompressedPipe::Open(TStream* source, i32 mode)
{
    const char* errorPrefix = "TCompressedPipe::Open(): error: ";
    if (!source)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "Null source stream set for compression pipe");
        return 0;
    }
    if (!source->IsOpen())
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "Source stream not opened for compression pipe");
        return 0;
    }
    if (mode != COMPRESSED_PIPE_READ && mode != COMPRESSED_PIPE_WRITE)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, errorPrefix, "Invalid mode set for the compression pipe");
        return 0;
    }
    Close();
    m_pZlib = static_cast<z_stream*>(MemoryAllocate(sizeof(z_stream)));
    if (!m_pZlib)
        return 0;
    std::memset(m_pZlib, 0, sizeof(z_stream));
    const int result = mode == COMPRESSED_PIPE_WRITE ? deflateInit(m_pZlib, 9) : inflateInit(m_pZlib);
    if (result != Z_OK)
    {
        MemoryFree(m_pZlib);
        m_pZlib = nullptr;
        return 0;
    }
    m_pSource = source;
    m_nPipeMode = mode;
    m_nWritten = 0;
    m_nPosition = 0;
    m_bFinished = false;
    return 1;
}

u32 TCompressedPipe::Open(const TName&, u32)
{
    return 0;
}

u32 TCompressedPipe::Close()
{
    if (!IsOpen())
    {
        // A source closed under the pipe still leaves the zlib state to release.
        if (m_pZlib)
        {
            if (m_nPipeMode == COMPRESSED_PIPE_WRITE)
                deflateEnd(m_pZlib);
            else
                inflateEnd(m_pZlib);
            MemoryFree(m_pZlib);
            m_pZlib = nullptr;
        }
        return 0;
    }
    int result;
    if (m_nPipeMode == COMPRESSED_PIPE_WRITE)
    {
        Write(nullptr, 0);
        result = deflateEnd(m_pZlib);
    }
    else
        result = inflateEnd(m_pZlib);
    MemoryFree(m_pZlib);
    m_pZlib = nullptr;
    return result == Z_OK ? 0 : 1;
}

bool TCompressedPipe::IsOpen()
{
    return m_pSource && m_pSource->IsOpen() && m_pZlib;
}

i32 TCompressedPipe::Read(void* buffer, i32 size)
{
    if (!IsOpen() || m_nPipeMode != COMPRESSED_PIPE_READ || size <= 0)
        return 0;
    z_stream& zs = *m_pZlib;
    zs.next_out = static_cast<Bytef*>(buffer);
    zs.avail_out = static_cast<uInt>(size);
    for (;;)
    {
        // Inflate first: a finished stream answers Z_STREAM_END without touching the source.
        const int result = inflate(&zs, Z_NO_FLUSH);
        m_bFinished = result == Z_STREAM_END;
        if (result == Z_STREAM_END || zs.avail_out == 0)
            break;
        if (result != Z_OK && result != Z_BUF_ERROR)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR,
                        "TCompressedPipe::Read(): error: ", "damaged compressed stream: %s",
                        zs.msg ? zs.msg : "inflate failed");
            break;
        }
        if (zs.avail_in == 0)
        {
            // No more than the source holds: a file asked for bytes past its end logs an error.
            const i32 left = m_pSource->GetSize() - m_pSource->GetPosition();
            const i32 step = left > 0 ? std::min(left, COMPRESSED_PIPE_STEP) : COMPRESSED_PIPE_STEP;
            const i32 got = m_pSource->Read(m_aInput, step);
            if (got <= 0)
            {
                TLog::Print(g_pSystemLog, LOG_ERROR, "TCompressedPipe::Read(): error: ",
                            "source stream ended inside the compressed stream");
                break;
            }
            zs.next_in = m_aInput;
            zs.avail_in = static_cast<uInt>(got);
        }
    }
    const i32 produced = size - static_cast<i32>(zs.avail_out);
    m_nPosition += produced;
    return produced;
}

i32 TCompressedPipe::Write(const void* data, i32 size)
{
    if (!IsOpen() || m_nPipeMode != COMPRESSED_PIPE_WRITE || size < 0)
        return 0;
    z_stream& zs = *m_pZlib;
    const int flush = size == 0 ? Z_FINISH : Z_NO_FLUSH;
    zs.next_in = static_cast<Bytef*>(const_cast<void*>(data));
    zs.avail_in = static_cast<uInt>(size);
    u8 output[COMPRESSED_PIPE_STEP];
    do
    {
        zs.next_out = output;
        zs.avail_out = COMPRESSED_PIPE_STEP;
        const int result = deflate(&zs, flush);
        const i32 produced = COMPRESSED_PIPE_STEP - static_cast<i32>(zs.avail_out);
        if (result == Z_STREAM_ERROR || (produced > 0 && m_pSource->Write(output, produced) != produced))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR,
                        "TCompressedPipe::Write(): error: ", "unable to write the compressed stream (%d)",
                        result);
            return 0;
        }
    } while (zs.avail_out == 0);
    m_nWritten += size;
    m_nPosition += size;
    return size;
}

u32 TCompressedPipe::Seek(i32 offset, u32)
{
    if (static_cast<u32>(offset) != m_nPosition)
        __Abort("TCompressedPipe::Seek", "core/compression/compressedpipe.cpp", __LINE__,
                "not supported in compress stream");
    return 0;
}

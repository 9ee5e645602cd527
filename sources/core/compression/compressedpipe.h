#pragma once
// TCompressedPipe: a stream that deflates what is written to it into another stream (mode 2,
// level 9), or inflates what is read from another stream (mode 1), in 32,768-byte steps. It
// never opens, closes or frees its source; close the pipe before the source.
#include "core/stream/stream.h"

typedef struct z_stream_s z_stream;

constexpr i32 COMPRESSED_PIPE_READ = 1;
constexpr i32 COMPRESSED_PIPE_WRITE = 2;
constexpr i32 COMPRESSED_PIPE_STEP = 32768;

class TCompressedPipe : public TStream
{
public:
    TCompressedPipe();
    ~TCompressedPipe() override;

    // 1 ready; 0 for a null or closed source or a mode other than 1 or 2 (logged).
    u32 Open(TStream* source, i32 mode);
    // Pipes are opened over a stream, not by name: does nothing, returns 0.
    u32 Open(const TName& name, u32 mode) override;
    // Finishes the zlib stream when writing. 0 when zlib ended cleanly, else 1; 0 when not open.
    u32 Close() override;
    bool IsOpen() override;
    // The bytes inflated into the buffer; short at the end of the compressed stream, and short
    // with a log line when the source ends early or the data is damaged.
    i32 Read(void* buffer, i32 size) override;
    // Size 0 finishes the zlib stream. Returns size, or 0 when the source refused the output.
    i32 Write(const void* data, i32 size) override;
    // Only a seek to the current position is allowed (returns 0); any other is fatal.
    u32 Seek(i32 offset, u32 origin) override;
    // Uncompressed bytes read or written so far.
    i32 GetPosition() override { return m_pSource ? static_cast<i32>(m_nPosition) : 0; }
    // The source's size.
    i32 GetSize() override { return m_pSource ? m_pSource->GetSize() : 0; }

    u32 GetWrittenCount() const { return m_nWritten; }
    // Reading: whether the zlib stream has ended whole, its checksum matching. A stream whose
    // last bytes were cut or damaged never ends.
    bool IsFinished() const { return m_bFinished; }

private:
    u32 m_nWritten;
    u32 m_nPosition;
    TStream* m_pSource;
    z_stream* m_pZlib;
    i32 m_nPipeMode;
    bool m_bFinished;
    u8 m_aInput[COMPRESSED_PIPE_STEP];
};

static_assert(sizeof(TCompressedPipe) == 32804);

#pragma once
// TSavedGameImage: the state image of a saved game, read as it is inflated from the file, so
// the running game takes it without a copy of the whole image in memory. It gives no byte past
// the stored size. Reads of a few bytes come from a block inflated ahead; a read of a block or
// more is inflated straight into the reader's buffer. Read-only; it "moves" only to where it
// stands.
#include "core/compression/compressedpipe.h"

#include "core/system/templates/darray.h"

// The block small reads are served from. Much larger than zlib's 32 KiB window, so that little
// of the output goes through the window twice.
constexpr i32 SAVED_GAME_READ_AHEAD = 256 * 1024;

class TSavedGameImage : public TStream
{
public:
    // The zlib stream starts at the source's position, size is the stored image size, and the
    // image takes the source's name. 1 ready; 0 when the pipe or the block cannot be had.
    u32 Open(TStream& source, u32 size);
    // Opened over a saved game's file only: does nothing, returns 0.
    u32 Open(const TName& name, u32 mode) override;
    u32 Close() override;
    bool IsOpen() override;
    // Short at the stored size, and where the zlib stream ends early or is damaged; nothing more
    // is inflated after a short read.
    i32 Read(void* buffer, i32 size) override;
    i32 Write(const void* data, i32 size) override;
    // 0 for a move to the current position; any other gives 1 and the position stays.
    u32 Seek(i32 offset, u32 origin) override;
    i32 GetPosition() override { return m_nPosition; }
    i32 GetSize() override { return m_nSize; }

    // Inflates what is left unread; true when the zlib stream ends exactly at the stored size,
    // its checksum matching. The answer of the first call stands.
    bool ReadToEnd();

private:
    // Up to count bytes of the image, never past its size, from the pipe into the buffer.
    i32 Inflate(void* buffer, i32 count);

    TCompressedPipe m_Pipe;
    i32 m_nSize = 0;
    i32 m_nPosition = 0;
    // Bytes of the image taken from the pipe; the block holds those from m_nPosition on.
    i32 m_nInflated = 0;
    i32 m_nAheadNext = 0;
    i32 m_nAheadEnd = 0;
    // A short read from the pipe: the stream ended or is damaged.
    bool m_bStopped = false;
    // ReadToEnd's answer once asked: -1 not yet, else 0 or 1.
    i32 m_nWhole = -1;
    DArray<u8> m_aAhead;
};

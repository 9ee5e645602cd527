// Feeds arbitrary images to the state loader: a damaged or hostile image must end in an error
// code, never in a crash or a read outside the image, and a refused image must leave the
// objects as they were.
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"

#include <cstring>

namespace
{
// A counted block: u32 length (refused above 256), then the bytes, in passes 0 and 2.
class TBlockState : public TStateMethods
{
public:
    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (pass != 0 && pass != 2)
            return 0;
        const u32 block = pass / 2;
        stream.Write(&m_aLength[block], 4);
        stream.Write(m_aData[block], static_cast<i32>(m_aLength[block]));
        return 0;
    }
    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (pass != 0 && pass != 2)
            return 0;
        // Read straight into the members, as state objects do: a failure leaves them half-done.
        const u32 block = pass / 2;
        if (stream.Read(&m_aLength[block], 4) != 4 || m_aLength[block] > sizeof m_aData[block])
            return 1;
        const i32 length = static_cast<i32>(m_aLength[block]);
        return stream.Read(m_aData[block], length) == length ? 0 : 1;
    }
    // The state is what a save keeps: the bytes past a block's length are not part of it.
    bool Holds(const TBlockState& other) const
    {
        for (u32 block = 0; block < 2; ++block)
            if (m_aLength[block] != other.m_aLength[block] ||
                std::memcmp(m_aData[block], other.m_aData[block], m_aLength[block]) != 0)
                return false;
        return true;
    }
    u32 m_aLength[2] = {};
    u8 m_aData[2][256] = {};
};

// A fixed record of eight bytes in pass 1.
class TRecordState : public TStateMethods
{
public:
    i32 SaveState(u32 pass, TStream& stream) override
    {
        if (pass == 1)
            stream.Write(m_aRecord, sizeof m_aRecord);
        return 0;
    }
    i32 LoadState(u32 pass, TStream& stream) override
    {
        if (pass == 1)
            stream.Read(m_aRecord, sizeof m_aRecord);
        return 0;
    }
    u8 m_aRecord[8] = {};
};

// Stores nothing.
class TEmptyState : public TStateMethods
{
public:
    i32 SaveState(u32, TStream&) override { return 0; }
    i32 LoadState(u32, TStream&) override { return 0; }
};

TBlockState s_Block;
TRecordState s_Record;
TEmptyState s_Empty;

void SetUp()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    // With the file system locked the log's lines would wait in memory for ever.
    TLog* held = g_pSystemLog;
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
    MemoryDelete(held);
    g_pResourceManager->m_CurrentRepository = TName("airport", true);
    g_pStateManager->RegisterStateObject(&s_Block);
    g_pStateManager->RegisterStateObject(&s_Record);
    g_pStateManager->RegisterStateObject(&s_Empty);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetUp();
    g_pResourceManager->m_PendingRepository = "";
    // A copy of the exact size, so that any read past the image is caught.
    u8* image = static_cast<u8*>(MemoryAllocate(static_cast<u32>(size) + 1));
    std::memcpy(image, data, size);
    TMemoryStream stream;
    stream.Open(TName("fuzz"), STREAM_READ);
    stream.Attach(image, static_cast<i32>(size));
    const TBlockState block = s_Block;
    const TRecordState record = s_Record;
    const i32 result = g_pStateManager->_Load(stream);
    if (result != STATE_DONE && (!s_Block.Holds(block) || std::memcmp(record.m_aRecord, s_Record.m_aRecord,
                                                                      sizeof record.m_aRecord) != 0))
        __builtin_trap();
    MemoryFree(image);
    return 0;
}

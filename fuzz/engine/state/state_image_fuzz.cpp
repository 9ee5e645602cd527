// Feeds arbitrary images to the state loader: a damaged or hostile image must end in an error
// code, never in a crash or a read outside the image, and a refused image must leave the
// objects as they were.
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "support/countedblockstate.h"

#include <cstring>

namespace
{
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

TCountedBlockState s_Block;
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
    const TCountedBlockState block = s_Block;
    const TRecordState record = s_Record;
    const i32 result = g_pStateManager->_Load(stream);
    if (result != STATE_DONE && (!s_Block.Holds(block) || std::memcmp(record.m_aRecord, s_Record.m_aRecord,
                                                                      sizeof record.m_aRecord) != 0))
        __builtin_trap();
    MemoryFree(image);
    return 0;
}

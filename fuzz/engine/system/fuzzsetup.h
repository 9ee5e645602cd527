#pragma once
// Shared by the command fuzz targets: the system log switched off (with the file system locked
// its lines would wait in memory for ever), and the cache round trip every accepted program
// must survive.
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/command/commandprogram.h"

#include <cstdlib>
#include <cstring>

inline void QuietSystemLog()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
}

// Saves the program as the cache does, loads it back and saves it again: the loader must take
// what the saver wrote, and the two saves must be the same bytes (names and instructions).
inline void CheckCacheRoundTrip(const TCommandProgram& program)
{
    TMemoryStream first;
    if (program.Save(first) != 0)
        std::abort();
    first.Seek(0, STREAM_SEEK_SET);
    TCommandProgram loaded;
    if (TCommandProgram::LoadFromStream(loaded, first) != PROGRAM_LOADED)
        std::abort();
    TMemoryStream second;
    if (loaded.Save(second) != 0 || second.GetSize() != first.GetSize() ||
        std::memcmp(second.GetData(), first.GetData(), static_cast<size_t>(first.GetSize())) != 0)
        std::abort();
}

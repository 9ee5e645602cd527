#pragma once
// Shared by the command fuzz targets: the system log switched off (with the file system locked
// its lines would wait in memory for ever), an empty manager system running, and the cache round
// trip every accepted program must survive.
#include "core/stream/memorystream.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/name.h"
#include "engine/system/command/commandprogram.h"
#include "engine/system/managermanager.h"

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
    // Programs are linked as the console links them, with the manager system running: managers
    // asked while it is still locked end in the abort handler, as they must.
    g_ManagerManager.CreateSystem(TName("fuzz", true));
    g_ManagerManager.Initialize();
}

// Saves the program as the cache does, loads it back and saves it again: the loader must take
// what the saver wrote, and the two saves must be the same bytes (names and instructions). A
// name the full name table could not keep is saved without its text: the loader must refuse
// that cache (the program is then compiled again).
inline void CheckCacheRoundTrip(const TCommandProgram& program)
{
    bool named = true;
    for (i32 i = 0; i < program.GetNameCount(); ++i)
    {
        TName name;
        name.SetId(program.GetName(i));
        const char* text = name.GetText();
        named = named && CalculateCrc32(text, static_cast<u32>(std::strlen(text)), 0) == name.GetId();
    }
    TMemoryStream first;
    if (program.Save(first) != 0)
        std::abort();
    first.Seek(0, STREAM_SEEK_SET);
    TCommandProgram loaded;
    const u32 result = TCommandProgram::LoadFromStream(loaded, first);
    if (!named)
    {
        if (result != PROGRAM_DAMAGED)
            std::abort();
        return;
    }
    if (result != PROGRAM_LOADED)
        std::abort();
    TMemoryStream second;
    if (loaded.Save(second) != 0 || second.GetSize() != first.GetSize() ||
        std::memcmp(second.GetData(), first.GetData(), static_cast<size_t>(first.GetSize())) != 0)
        std::abort();
}

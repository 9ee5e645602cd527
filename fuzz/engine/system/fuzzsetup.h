#pragma once
// Shared by the command fuzz targets: the system log switched off (with the file system locked
// its lines would wait in memory for ever).
#include "core/system/log.h"
#include "core/system/memory.h"

inline void QuietSystemLog()
{
    static bool s_bDone = false;
    if (s_bDone)
        return;
    s_bDone = true;
    MemoryDelete(g_pSystemLog);
    g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", LOG_DISABLED);
}

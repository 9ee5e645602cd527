#pragma once
// TFileStreamManager: the global file-system lock. While it is locked, file streams refuse to
// open files (unless asked with STREAM_WHILE_LOCKED) and logs keep their lines in memory.
#include "core/system/name.h"

class TFileStreamManager
{
public:
    TFileStreamManager() : m_nLocked(1) {}

    // Locks exactly when the directory is no name. Unlocking opens the system log's file when
    // its lines wait for it.
    void SetDirectory(const TName& directory);
    void SetLocked(u32 locked) { m_nLocked = locked; }
    bool IsLocked() const { return m_nLocked != 0; }
    const TName& GetDirectory() const { return m_Directory; }

private:
    u32 m_nLocked;
    TName m_Directory;
};

static_assert(sizeof(TFileStreamManager) == 8);

extern TFileStreamManager* g_pFileStreamManager;

// Whether files may be opened now (no lock object counts as unlocked).
inline bool FileSystemLocked()
{
    return g_pFileStreamManager && g_pFileStreamManager->IsLocked();
}

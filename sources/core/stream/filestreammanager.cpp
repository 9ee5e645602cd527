#include "core/stream/filestreammanager.h"

#include "core/system/log.h"

TFileStreamManager* g_pFileStreamManager = nullptr;

void TFileStreamManager::SetDirectory(const TName& directory)
{
    m_Directory = directory;
    m_nLocked = directory.IsValid() ? 0 : 1;
    if (!m_nLocked && g_pSystemLog)
        g_pSystemLog->OpenPendingFile();
}

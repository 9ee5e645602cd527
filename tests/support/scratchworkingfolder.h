#pragma once
// TScratchWorkingFolder: a scratch folder made the working folder, its subfolder "user" the
// user directory, with the file system unlocked and a fresh system log written there; all of it
// is put back afterwards.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "support/scratchfolder.h"

#include <filesystem>
#include <string>

class TScratchWorkingFolder : public TScratchFolder
{
public:
    explicit TScratchWorkingFolder(const char* owner) : TScratchFolder(owner)
    {
        m_OldWorking = std::filesystem::current_path();
        std::filesystem::current_path(Path());
        m_OldUser = *GetUserDirectory();
        std::filesystem::create_directories(Path() + "/user");
        SetUserDirectory(TName((Path() + "/user").c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
    }
    ~TScratchWorkingFolder()
    {
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        g_pFileStreamManager->SetDirectory(TName());
        SetUserDirectory(m_OldUser);
        std::filesystem::current_path(m_OldWorking);
    }

    std::string SystemLog() const { return ReadFile("user/system.log"); }

private:
    std::filesystem::path m_OldWorking;
    TName m_OldUser;
    TLog* m_pOldSystemLog;
};

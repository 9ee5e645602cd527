#pragma once
// A scratch folder made the user directory with the file system unlocked, and a fresh system
// log writing "system.log" in it; the lock, the user directory and the system log are restored
// afterwards.
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/unistring.h"
#include "support/scratchfolder.h"

#include <string>
#include <vector>

// A UTF-8 path as the platform layer takes it.
inline std::u16string Wide(const std::string& text)
{
    std::u16string wide(text.size() + 1, u'\0');
    wide.resize(static_cast<size_t>(Utf8ToUtf16(wide.data(), static_cast<i32>(wide.size()), text.c_str())));
    return wide;
}

class TTestDirectory : public TScratchFolder
{
public:
    TTestDirectory() : TScratchFolder("test")
    {
        m_OldUser = *GetUserDirectory();
        SetUserDirectory(TName(Path().c_str(), true));
        g_pFileStreamManager->SetDirectory(TName(".", true));
        m_pOldSystemLog = g_pSystemLog;
        g_pSystemLog = MemoryNew<TLog>("system.log", "System", "Main system log", 0x51u);
    }
    ~TTestDirectory()
    {
        MemoryDelete(g_pSystemLog);
        g_pSystemLog = m_pOldSystemLog;
        SetUserDirectory(m_OldUser);
        g_pFileStreamManager->SetDirectory(TName());
    }

private:
    TName m_OldUser;
    TLog* m_pOldSystemLog;
};

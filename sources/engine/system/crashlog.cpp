#include "engine/system/crashlog.h"

#include "core/stream/filestreammanager.h"
#include "core/system/callstack.h"
#include "core/system/core.h"
#include "core/system/datetime.h"
#include "core/system/log.h"
#include "core/system/platform.h"
#include "core/system/string.h"
#include "engine/render/device.h"
#include "engine/system/managermanager.h"
#include "platform/crashreport/crashreport.h"

void DefaultUserDirectory(char* directory, size_t room)
{
    FormatStringN(directory, static_cast<i32>(room), "%s/Brevicorn", GetMyGamesFolder());
}

bool ForceLogFolders()
{
    bool forced = false;
    if (FileSystemLocked())
    {
        g_pFileStreamManager->SetDirectory(TName(".", true));
        forced = true;
    }
    if (!GetUserDirectory()->IsValid())
    {
        char directory[512];
        DefaultUserDirectory(directory, sizeof directory);
        SetUserDirectory(TName(directory, true));
        forced = true;
    }
    return forced;
}

void WriteCrashLog(TExceptionHandlerInfo* info)
{
    TLog::EnterCrashPath();
    SetCrashInstruction(info->nInstruction);
    if (g_pDeviceManager)
    {
        g_pDeviceManager->SetCursorClip(0);
        g_pDeviceManager->SetCursorShow(1);
    }
    ForceLogFolders();
    char version[64];
    GetApplicationVersion(version, sizeof version);

    char fileName[256];
    FormatStringN(fileName, sizeof fileName, "%s.crash.log", GetProductName()->GetText());
    TLog crashLog(fileName, "crash log", "", LOG_USER_DIRECTORY | LOG_APPEND | LOG_UNBUFFERED | LOG_RAW);
    TDateTime now;
    now.FromFileTime(GetLocalFileTime());
    TLog::_AbortPrint(&crashLog, LOG_INFO, nullptr,
                      "%04d.%02d.%02d %02d:%02d:%02d (v%s) %s operation %s (trace %d:%d)\n   in module: %s",
                      now.year, now.month, now.day, now.hour, now.minute, now.second, version,
                      info->aException, info->aOperation, g_ManagerManager.GetTrackActivity(),
                      g_ManagerManager.GetTrackStep(), info->aModule);
    if (g_pDeviceManager)
        g_pDeviceManager->__SystemCrash();
}

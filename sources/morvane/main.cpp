// The program's entry: guards against a second copy, installs the crash reporter and the
// termination request (a first SIGTERM, SIGINT or SIGHUP closes the window), runs the start-up
// script "system/system" (the whole run happens inside it) and tears the core down.
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "core/system/core.h"
#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/commandline.h"
#include "engine/system/crashlog.h"
#include "engine/system/managermanager.h"
#include "morvane/game/startup.h"
#include "morvane/ux/screens.h"
#include "network/autoupdate/performancemonitor.h"
#include "platform/crashreport/crashreport.h"
#include "platform/desktop/terminationrequest.h"
#include "platform/instance/namedmutex.h"
#include "platform/windef/windef.h"

#include <cstdio>

// The one copy of the program that may write a user directory at a time.
constexpr const char* kInstanceMutexName = "Global\\Brevicorn.morvane";

// Whether the script's device.run entered the main loop, or a close asked for before it spared
// the game the loop (the window closed during the intro).
bool ReachedMainLoop()
{
    return g_ManagerManager.GetTiming().nPass > 0 || (g_pDeviceManager && g_pDeviceManager->GetQuit());
}

// Why the start-up script did not run the game, or null.
const char* StartUpFailure(u32 result, bool locked, bool reachedMainLoop, bool loadedLevel)
{
    switch (result)
    {
    case SCRIPT_OK:
        if (locked)
            return "left the file system locked (its first line opens it: system.directory .)";
        if (!reachedMainLoop)
            return "never reached the main loop (device.run after manager.initialize)";
        return loadedLevel ? nullptr : "never loaded its level (intro.load before device.run)";
    case SCRIPT_MISSING_SOURCE:
        return "is missing or unreadable";
    case SCRIPT_NOT_A_FILE:
        return "is no file or too large";
    case SCRIPT_EMPTY:
        return "holds no command";
    default:
        return "could not be run";
    }
}

int WinMain(HINSTANCE, HINSTANCE, char*, int)
{
    SetProductName(TName("morvanesim", true));

    // Locked by the folder the copies write, not by their environment: two copies started with
    // different runtime or temp folders still meet there.
    char userDirectory[512];
    DefaultUserDirectory(userDirectory, sizeof userDirectory);
    bool alreadyExists = false;
    const int guard = CreateNamedMutex(userDirectory, kInstanceMutexName, &alreadyExists);
    if (guard < 0)
    {
        // No log yet, and the running copy's must stay as it is: the console is the only place.
        if (alreadyExists)
            std::fprintf(stderr, "WinMain(): error: another copy of the program is running\n");
        else
            std::fprintf(stderr, "WinMain(): error: unable to make the lock file of '%s'\n", kInstanceMutexName);
        return 1;
    }

    InstallExceptionHandler();
    AddExceptionHandlerCallback(WriteCrashLog);
    InstallTerminationRequest();
    TPerformanceMonitor::Start();
    TLog::Print(g_pSystemLog, LOG_INFO, "WinMain(): ", "start");
    g_pCluster->LinkTypes();
    RegisterGameScreens();
    const u32 result = TCommandManager::Instance().__SystemExecute(g_StartUpScript.GetText());
    const char* failure =
        StartUpFailure(result, FileSystemLocked(), ReachedMainLoop(), g_pCluster->IsLoaded());
    // A damaged start-up script may never have named the folders: its lines, kept in memory,
    // still reach "system.log" in the default user directory.
    if (ForceLogFolders())
        TLog::Print(g_pSystemLog, LOG_WARNING, "WinMain(): warning: ",
                    "the start-up script left the file system locked or the user directory unset");
    // A start that never ran the game says so where the user sees it, and ends with code 1.
    if (failure)
    {
        std::fprintf(stderr, "WinMain(): error: start-up script '%s.icom' %s\n", g_StartUpScript.GetText(), failure);
        TLog::Print(g_pSystemLog, LOG_ERROR, "WinMain(): error: ", "start-up script '%s.icom' %s", g_StartUpScript.GetText(),
                    failure);
    }
    TPerformanceMonitor::Stop();
    CoreFinalize();
    TLog::Print(g_pSystemLog, LOG_INFO, "WinMain(): ", "the end");
    CloseNamedMutex(guard);
    return failure ? 1 : 0;
}

int main(int argc, char** argv)
{
    SetCommandLine(argc, argv);
    return WinMain(nullptr, nullptr, nullptr, 0);
}

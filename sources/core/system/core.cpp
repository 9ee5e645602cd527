#include "core/system/core.h"

#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "core/system/namemanager.h"
#include "core/system/plugin.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "platform/desktop/messagebox.h"

#include <unistd.h>

namespace
{
u32 s_nCoreInitialized = 0;
TName s_ProductName;
TName s_UserDirectory;

template <class T, class... A> T* CoreCreate(const char* what, A&&... args)
{
    T* object = MemoryNew<T>(std::forward<A>(args)...);
    if (!object)
        CoreStartFailed(what);
    return object;
}

template <class T> void CoreDelete(T*& object)
{
    if (s_nCoreInitialized)
        MemoryDelete(object);
    object = nullptr;
}

// The core module's anchor: runs ahead of every default-priority static initialiser of the
// program, so the core singletons exist before any name is registered or line printed.
struct TCoreModuleAnchor
{
    TCoreModuleAnchor() { result = CoreInitialize(); }
    i32 result;
};
__attribute__((init_priority(1000))) TCoreModuleAnchor s_CoreModuleAnchor;
} // namespace

i32 CoreInitialize()
{
    g_pTimer = CoreCreate<TTimer>("frame timer");
    g_pCluster = CoreCreate<TCluster>("cluster");
    s_nCoreInitialized = 1;
    g_pNameManager = CoreCreate<TNameManager>("name table");
    g_pPluginManager = CoreCreate<TPluginManager>("plug-in registry");
    g_pFileStreamManager = CoreCreate<TFileStreamManager>("file-system lock");
    g_pSystemLog = CoreCreate<TLog>("system log", "system.log", "System", "Main system log",
                                    LOG_SYSTEM | LOG_UNBUFFERED | LOG_USER_DIRECTORY);
    return 0;
}

i32 CoreFinalize()
{
    if (g_pCluster)
        g_pCluster->ReleaseArrays();
    CoreDelete(g_pTimer);
    CoreDelete(g_pCluster);
    CoreDelete(g_pNameManager);
    CoreDelete(g_pPluginManager);
    CoreDelete(g_pFileStreamManager);
    s_nCoreInitialized = 0;
    return 0;
}

bool CoreIsInitialized()
{
    return s_nCoreInitialized != 0;
}

void CoreStartFailed(const char* what)
{
    char text[256];
    FormatString256(text, "Unable to start: out of memory creating the %s.", what);
    PlatformMessageBox("Vestamor engine", text, MESSAGE_BOX_ERROR);
    _exit(1);
}

void SetProductName(const TName& name)
{
    s_ProductName = name;
}

const TName* GetProductName()
{
    return &s_ProductName;
}

void SetUserDirectory(const TName& name)
{
    s_UserDirectory = name;
    if (g_pSystemLog)
        g_pSystemLog->OpenPendingFile();
}

const TName* GetUserDirectory()
{
    return &s_UserDirectory;
}

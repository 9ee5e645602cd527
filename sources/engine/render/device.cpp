#include "engine/render/device.h"

#include "core/system/abort.h"
#include "core/system/callstack.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"

#include <mutex>

TDeviceManager* g_pDeviceManager = nullptr;

namespace
{
// Guards the Direct3D objects that the resource loader thread creates.
std::recursive_mutex& DeviceCriticalSection()
{
    static std::recursive_mutex section;
    return section;
}

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, "sources/engine/render/device", __LINE__, "manager system 'initialize' is locked");
}
} // namespace

TDeviceManager::TDeviceManager() : m_nSingleThread(0), m_nFullScreen(0), m_nMethodCount(0), m_aMethod() {}

u32 TDeviceManager::AddMethod(TDeviceMethods* listener)
{
    CheckUnlocked("TDeviceManager::AddMethod");
    for (u32 i = 0; i < m_nMethodCount; ++i)
        if (m_aMethod[i] == listener)
            return 1;
    if (m_nMethodCount == DEVICE_LISTENER_CAPACITY)
        __Abort("TDeviceManager::AddMethod", "sources/engine/render/device", __LINE__, "count too big");
    m_aMethod[m_nMethodCount++] = listener;
    return 0;
}

void TDeviceManager::RemoveMethod(TDeviceMethods* listener)
{
    CheckUnlocked("TDeviceManager::RemoveMethod");
    for (u32 i = 0; i < m_nMethodCount; ++i)
    {
        if (m_aMethod[i] == listener)
        {
            m_aMethod[i] = m_aMethod[--m_nMethodCount];
            return;
        }
    }
}

void TDeviceManager::Broadcast(void (TDeviceMethods::*notification)())
{
    for (u32 i = 0; i < m_nMethodCount; ++i)
        (m_aMethod[i]->*notification)();
}

void TDeviceManager::__SystemCrash()
{
    TLog::Print(g_pSystemLog, LOG_ERROR, "TDeviceManager::__SystemCrash(): error: ", "***** CRASH *****");
    TLog::Print(g_pSystemLog, LOG_ERROR, "TDeviceManager::__SystemCrash(): error: ", "track %d.%d",
                g_ManagerManager.GetTrackActivity(), g_ManagerManager.GetTrackStep());
    _DumpCallStack();
    for (u32 i = 0; i < m_nMethodCount; ++i)
        m_aMethod[i]->OnSystemCrash();
}

void TDeviceManager::Lock()
{
    if (!m_nSingleThread)
        DeviceCriticalSection().lock();
}

void TDeviceManager::Unlock()
{
    if (!m_nSingleThread)
        DeviceCriticalSection().unlock();
}

void TDeviceManager::SetScissorRect(f32 left, f32 top, f32 right, f32 bottom)
{
    SetScissorRect(static_cast<i32>(left), static_cast<i32>(top), static_cast<i32>(right),
                   static_cast<i32>(bottom));
}

void TDeviceManager::ResetScissorRect()
{
    SetScissorRect(0, 0, GetVideoWidth(), GetVideoHeight());
    SetScissorTest(0);
}

#include "directx/render/dxviewportmanager.h"

#include "core/system/abort.h"
#include "core/system/log.h"
#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "engine/render/device.h"
#include "engine/render/viewportrendering.h"
#include "engine/system/managermanager.h"

TDxViewportManager* g_pDxViewportManager = nullptr;

namespace
{
TDxViewportManager s_ViewportManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Viewport", "Dx", &g_pDxViewportManager, &s_ViewportManager);
constexpr u32 kSetCapacity = 8;
} // namespace

TDxViewportManager::TDxViewportManager() : m_pCurrentSet(nullptr), m_pCurrentViewport(nullptr), m_nMode(0) {}

void TDxViewportManager::BeginManager()
{
    g_pDeviceManager->AddMethod(this);
    g_pCluster->AddListener(this);
}

void TDxViewportManager::FitViewportsToDevice()
{
    const f32 width = static_cast<f32>(g_pDeviceManager->GetVideoWidth());
    const f32 height = static_cast<f32>(g_pDeviceManager->GetVideoHeight());
    for (i32 i = 0; i < GetViewportCount(); ++i)
        if (GetViewport(i)->m_nFlags & VIEWPORT_FLAG_FOLLOWS_BACK_BUFFER)
            GetViewport(i)->SetRect(0.0f, 0.0f, width, height);
}

void TDxViewportManager::RenderManager()
{
    RenderViewports(m_nMode, m_pCurrentSet, g_pDxCameraManager ? g_pDxCameraManager->GetDefaultCamera() : nullptr);
}

TDxViewport* TDxViewportManager::__CreateViewport(const TName& name, u32 addToSet)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TDxViewportManager::__CreateViewport", "dxviewport.cpp", __LINE__,
                "manager system 'initialize' is locked");
    TDxViewport* viewport = m_aViewport.Add();
    viewport->m_Name = name;
    if (!addToSet)
        return viewport;
    if (!m_pCurrentSet || m_pCurrentSet->m_nViewportCount >= kSetCapacity)
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDxViewportManager::__CreateViewport(): error: ",
                    "'%s': no current viewport set with room", name.GetText());
    else
        m_pCurrentSet->aViewport[m_pCurrentSet->m_nViewportCount++] = viewport;
    return viewport;
}

void TDxViewportManager::Clear()
{
    m_aViewport.DeleteAll();
    m_pCurrentSet = nullptr;
    m_pCurrentViewport = nullptr;
}

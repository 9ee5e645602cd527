#include "directx/render/dxviewportmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxloadedarray.h"
#include "directx/render/dxrendertypes.h"
#include "engine/render/device.h"
#include "engine/render/viewportrendering.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"

TDxViewportManager* g_pDxViewportManager = nullptr;

namespace
{
TDxViewportManager s_ViewportManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Viewport", "Dx", &g_pDxViewportManager, &s_ViewportManager);
constexpr u32 kSetCapacity = 8;
} // namespace

TDxViewportManager::TDxViewportManager()
    : m_pCurrentSet(nullptr), m_pCurrentViewport(nullptr), m_bLoadedSet(false)
{
    if (!g_pCluster)
        return;
    RegisterArray(&ViewportDecl(), &m_aLoaded);
    RegisterArray(&ViewportSetDecl(), &m_aLoadedSet);
}

i32 TDxViewportManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == VIEWPORT_TYPE_ID)
        ShowArray(m_aViewport, data, count);
    return 0;
}

i32 TDxViewportManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId == VIEWPORT_TYPE_ID)
    {
        TakeLoadedArray(m_aViewport, m_aForeign, m_aLoaded, count);
        m_pCurrentViewport = nullptr;
        return 0;
    }
    if (typeId != ViewportSetDecl().GetTypeId())
        return 1;
    if (count > 0)
    {
        m_pCurrentSet = m_aLoadedSet[0];
        m_bLoadedSet = true;
    }
    else if (m_bLoadedSet)
    {
        // The cleared cluster took the set with it.
        m_pCurrentSet = nullptr;
        m_bLoadedSet = false;
    }
    return 0;
}

void TDxViewportManager::BeginManager()
{
    g_pDeviceManager->AddMethod(this);
    g_pCluster->AddListener(this);
}

void TDxViewportManager::OnClusterLoad()
{
    // A stored renderer word names a renderer of the run that wrote the image.
    for (i32 i = 0; i < m_aViewport.GetForeignCount(); ++i)
        m_aViewport[i]->pRenderer = nullptr;
    FitViewportsToDevice();
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
    RenderViewports(m_nStepWord, m_pCurrentSet, g_pDxCameraManager ? g_pDxCameraManager->GetDefaultCamera() : nullptr);
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
    m_bLoadedSet = false;
    m_pCurrentViewport = nullptr;
}

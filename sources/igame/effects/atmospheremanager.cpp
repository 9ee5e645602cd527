#include "igame/effects/atmospheremanager.h"

#include "core/cluster/cluster.h"
#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/mesh.h"
#include "engine/render/rendermanager.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospherevertexpool.h"
#include "igame/effects/skyelement.h"
#include "igame/effects/skystream.h"

#include <algorithm>
#include <cstring>

TAtmosphereManager* g_pAtmosphereManager = nullptr;
TSkyParameters g_SkyParameters = {};

namespace
{
TAtmosphereManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Atmosphere", "Atmosphere", &g_pAtmosphereManager, &s_Manager);
} // namespace

TAtmosphereManager::TAtmosphereManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&AtmosphereDecl(), &m_aAtmosphere);
    RegisterArray(&AtmosphereChangeDecl(), &m_aChange);
    RegisterArray(&SkyElementTemplateDecl(), &m_aTemplate);
    RegisterArray(&SkyElementDecl(), &m_aElement);
    RegisterArray(&AtmosphereVertexPoolDecl(), &m_aPool);
}

void TAtmosphereManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TAtmosphereManager::SetTimeOfDay(f32 time)
{
    m_fTimeOfDay = std::clamp(time, 0.0f, 1.0f);
}

void TAtmosphereManager::SetEnabled(u32 enabled)
{
    enabled = enabled ? 1 : 0;
    if (enabled == m_nEnabled)
        return;
    m_nEnabled = enabled;
    if (g_pRenderManager)
        g_pRenderManager->SetFrameClearFlags(enabled ? ATMOSPHERE_CLEAR_WITH_SKY : ATMOSPHERE_CLEAR_WITHOUT_SKY);
    m_nFirstFrame = 0;
}

void TAtmosphereManager::UpdateManager(f32 step)
{
    g_SkyParameters.fTimeOfDay = m_fTimeOfDay;
    // Without a sky the shaders see the scene's first light instead.
    TLight* light = g_pLightManager && g_pLightManager->Lights().GetCount() ? g_pLightManager->Lights()[0] : nullptr;
    if (m_aAtmosphere.GetCount() == 0 && light)
    {
        const TMatrix* world = light->pNode ? light->GetNode()->GetWorldMatrix() : nullptr;
        g_SkyParameters.aSkyColor[1] = world ? world->aRow[2] : TVector(0.0f, 0.0f, 1.0f, 0.0f);
        std::memcpy(&g_SkyParameters.aSkyColor[2], light->m_aColor, sizeof(TVector));
        std::memcpy(&g_SkyParameters.aSkyColor[3], light->m_aSecondColor, sizeof(TVector));
        std::memcpy(&g_SkyParameters.aSkyColor[4], light->m_aVector116, sizeof(TVector));
    }
    for (i32 i = 0; i < m_aChange.GetCount(); ++i)
        m_aChange[i]->Step(step);
    TCamera* camera = SkyCamera();
    if (!camera)
        return;
    for (i32 i = 0; i < m_aAtmosphere.GetCount(); ++i)
        if (m_aAtmosphere[i]->m_nSkyMode == ATMOSPHERE_DYNAMIC_SKY)
            UpdateSky(*m_aAtmosphere[i], step, camera->m_Placement);
}

void TAtmosphereManager::OnClusterLoad()
{
    for (i32 i = 0; i < m_aAtmosphere.GetCount(); ++i)
        m_aAtmosphere[i]->CutCounts();
    for (i32 i = 0; i < m_aChange.GetCount(); ++i)
    {
        m_aChange[i]->CutCounts();
        m_aChange[i]->CheckBlend();
        m_aChange[i]->Apply();
    }
    if (TAtmosphereVertexPool* pool = GetVertexPool())
        pool->Require();
    // A new level's first frame drawn takes the colour clear over again.
    m_nFirstFrame = 1;
    if (g_pDeviceManager)
        g_pDeviceManager->Lock();
    if (g_pDeviceManager && g_pDeviceManager->GetDevice())
        TSkyStream::Get().Create();
    TSkyStream::Get().Reset();
    if (g_pDeviceManager)
        g_pDeviceManager->Unlock();
}

TViewport* FrameViewport()
{
    TViewportSet* set = g_pFindViewportSet ? g_pFindViewportSet() : nullptr;
    return set && set->m_nViewportCount > 0 ? set->aViewport[0] : nullptr;
}

TCamera* SkyCamera()
{
    TViewport* viewport = FrameViewport();
    if (viewport && viewport->pCamera)
        return viewport->pCamera;
    return g_pFindMainCamera ? g_pFindMainCamera() : nullptr;
}

TAtmosphereChange* TAtmosphereManager::GetFirstChange() const
{
    return m_aChange.GetCount() > 0 ? m_aChange[0] : nullptr;
}

#include "morvane/game/orbitcameramanager.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/viewport.h"
#include "engine/render/viewportset.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/effectsmanager.h"
#include "morvane/game/gametypes.h"
#include "morvane/game/orbitcamera.h"

TOrbitCameraManager* g_pOrbitCameraManager = nullptr;

namespace
{
TOrbitCameraManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("OrbitCamera", "OrbitCamera", &g_pOrbitCameraManager, &s_Manager);
// The sky's objects that follow a camera switch.
constexpr i32 kSkyObjects = 2;
} // namespace

TOrbitCameraManager::TOrbitCameraManager() : m_nCurrent(-1), m_nZoomAllowed(0)
{
    // The view follows every frame.
    m_nChannel = 0;
    if (g_pCluster)
        RegisterArray(&OrbitCameraDecl(), &m_aCamera);
}

void TOrbitCameraManager::UpdateManager(f32 step)
{
    if (TOrbitCamera* camera = GetCurrentCamera())
        camera->Update(step);
}

i32 TOrbitCameraManager::SetArray(u32 typeId, void*, i32)
{
    if (typeId == ORBIT_CAMERA_TYPE_ID)
        m_nCurrent = -1;
    return 0;
}

void TOrbitCameraManager::HandleInput(f32)
{
    if (TOrbitCamera* camera = GetCurrentCamera())
        camera->HandleInput(m_nZoomAllowed);
}

void TOrbitCameraManager::SelectCamera(TOrbitCamera* camera)
{
    if (!camera)
        return;
    for (i32 i = 0; i < m_aCamera.GetCount(); ++i)
        if (m_aCamera[i] == camera)
            m_nCurrent = i;
    if (camera->pCamera)
        ApplyCamera(camera);
}

void TOrbitCameraManager::SelectCameraByName(u32 nameId)
{
    for (i32 i = 0; i < m_aCamera.GetCount(); ++i)
        if (m_aCamera[i]->m_Name.GetId() == nameId)
        {
            m_nCurrent = i;
            if (m_aCamera[i]->pCamera)
                ApplyCamera(m_aCamera[i]);
            return;
        }
}

TOrbitCamera* TOrbitCameraManager::GetCurrentCamera() const
{
    return m_nCurrent >= 0 && m_nCurrent < m_aCamera.GetCount() ? m_aCamera[m_nCurrent] : nullptr;
}

void TOrbitCameraManager::ApplyCamera(TOrbitCamera* camera)
{
    // Programs without a viewport set, or a set without viewports, still switch the cameras.
    TViewportSet* set = g_pDxViewportManager ? g_pDxViewportManager->GetCurrentSet() : nullptr;
    if (set && set->m_nViewportCount > 0 && set->aViewport[0])
        set->aViewport[0]->SetCamera(camera->pCamera);
    if (g_pDxCameraManager)
    {
        g_pDxCameraManager->SetMainCamera(camera->pCamera);
        g_pDxCameraManager->SetCamera(camera->pCamera);
    }
    // A cut: the first frame of this view has not moved since the last one of the other.
    g_EffectsBlocks.nPreviousSet = 0;
    // The sky follows at a fixed height; a level may have fewer than two skies.
    if (!g_pAtmosphereManager)
        return;
    DArray<TAtmosphere*>& skies = g_pAtmosphereManager->Atmospheres();
    for (i32 i = 0; i < skies.GetCount() && i < kSkyObjects; ++i)
    {
        TNode* node = skies[i]->pNode;
        if (!node)
            continue;
        TMatrix place = *node->GetWorldMatrix();
        place.aRow[3].y = ORBIT_SKY_HEIGHT;
        node->SetWorldMatrix(place, TNode::OrdinaryCause());
    }
}

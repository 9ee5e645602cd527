#include "directx/render/dxcameramanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "directx/render/dxloadedarray.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"

TDxCameraManager* g_pDxCameraManager = nullptr;

namespace
{
TDxCameraManager s_CameraManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Camera", "Dx", &g_pDxCameraManager, &s_CameraManager);
} // namespace

TDxCameraManager::TDxCameraManager()
{
    m_aCamera.Add();
    if (g_pCluster)
        RegisterArray(&CameraDecl(), &m_aLoaded);
}

void TDxCameraManager::BeginManager()
{
    m_FirstNode.AddObject(&m_FirstCamera);
    g_pCluster->AddListener(this);
    g_pResourceManager->AddMethod(this);
}

void TDxCameraManager::EndManager()
{
    // The node lets the camera go while the manager system may still change nodes.
    m_FirstNode.DeleteObject(&m_FirstCamera);
}

i32 TDxCameraManager::GetArray(u32 typeId, void*& data, i32& count)
{
    if (typeId == CameraDecl().GetTypeId())
        ShowArray(m_aCamera, data, count);
    return 0;
}

i32 TDxCameraManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId != CameraDecl().GetTypeId())
        return 1;
    // The cameras of the array go: the main or current one among them is forgotten.
    for (i32 i = 0; i < m_aCamera.GetCount(); ++i)
    {
        if (m_aCamera[i] == m_pMainCamera)
            m_pMainCamera = nullptr;
        if (m_aCamera[i] == m_pCurrentCamera)
            m_pCurrentCamera = nullptr;
    }
    TakeLoadedArray(m_aCamera, m_aForeign, m_aLoaded, count);
    if (count <= 0)
        m_aCamera.Add();
    return 0;
}

void TDxCameraManager::OnClusterUnload()
{
    m_pMainCamera = nullptr;
    m_pCurrentCamera = nullptr;
}

void TDxCameraManager::OnClusterLoad()
{
    if (m_aLoaded.GetCount() == 0)
        return;
    if (!m_pMainCamera)
        SetMainCamera(m_aLoaded[0]);
    if (!m_pCurrentCamera)
        SetCamera(m_aLoaded[0]);
}

TCamera* TDxCameraManager::__CreateCamera(TNode* node)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort("TDxCameraManager::__CreateCamera", "dxcamera.cpp", __LINE__, "manager system 'initialize' is locked");
    TCamera* camera = m_aCamera.Add();
    if (node)
        node->AddObject(camera);
    return camera;
}

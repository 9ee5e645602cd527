#include "directx/render/dxcameramanager.h"

#include "core/system/abort.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"

TDxCameraManager* g_pDxCameraManager = nullptr;

namespace
{
TDxCameraManager s_CameraManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Camera", "Dx", &g_pDxCameraManager, &s_CameraManager);
} // namespace

TDxCameraManager::TDxCameraManager() : m_pMainCamera(nullptr), m_pCurrentCamera(nullptr)
{
    m_aCamera.Add();
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

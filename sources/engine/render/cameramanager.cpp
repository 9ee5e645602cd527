#include "engine/render/cameramanager.h"

#include "engine/render/camera.h"
#include "engine/system/node.h"

#include <cstring>

TCameraManager* g_pCameraManager = nullptr;

TCameraManager::TCameraManager() : m_pMainCamera(nullptr), m_pCurrentCamera(nullptr)
{
    g_pCameraManager = this;
}

void TCameraManager::UseDefaultCamera(const TMatrix& world, const u32* settings)
{
    TCamera* camera = GetFirstCamera();
    if (settings)
    {
        std::memcpy(&camera->m_nFlags, settings, CAMERA_SETTINGS_WORDS * sizeof(u32));
        camera->UpdateProjection(1, 1);
    }
    if (camera->pNode)
        camera->pNode->SetWorldMatrix(world, TNode::OrdinaryCause());
    SetCamera(camera);
    camera->UpdateView();
}

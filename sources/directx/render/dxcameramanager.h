#pragma once
// TDxCameraManager ("Camera", back end "Dx"): owns the cameras (the first, made at
// construction, is the default camera) and keeps the main and the current camera. A loaded
// cluster's cameras replace the array; without any, a fresh default camera stands in. Its first
// camera (cameramanager.h) is one of its own, on a node of its own, outside the array.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "engine/render/camera.h"
#include "engine/render/cameramanager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemethods.h"

constexpr i32 DX_CAMERA_GROWTH = 1024;

class TDxCameraManager : public TCameraManager, public TClusterMethods, public TResourceMethods
{
public:
    TDxCameraManager();

    // TManager.
    void BeginManager() override;
    void EndManager() override;
    // TClusterManager: the cluster sees every camera; a load hands its own over.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // TClusterMethods.
    void OnClusterUnload() override;
    void OnClusterLoad() override;

    TCamera* GetDefaultCamera() { return m_aCamera[0]; }
    i32 GetCameraCount() { return m_aCamera.GetCount(); }
    TCamera* GetCamera(i32 index) { return m_aCamera[index]; }
    // A camera attached to the node.
    TCamera* __CreateCamera(TNode* node);
    TCamera* GetFirstCamera() override { return &m_FirstCamera; }

private:
    TNode m_FirstNode;
    TCamera m_FirstCamera;
    MArray<TCamera, 1, DX_CAMERA_GROWTH> m_aCamera;
    // The pointer table of the loaded cameras, which the cluster fills.
    DArray<TCamera*> m_aLoaded;
    DArray<TCamera*> m_aForeign;
};

extern TDxCameraManager* g_pDxCameraManager;

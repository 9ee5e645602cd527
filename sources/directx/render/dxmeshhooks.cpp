// The scene's render objects reach the platform's meshes, cameras and shaders through these
// hooks: queues flush the instanced batches their members queued, meshes draw their data with
// its materials and choose their detail by the main camera, "shader_rebuild" resets the shaders.
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/render/shader.h"

namespace
{
void FlushInstances()
{
    if (g_pDxMeshManager)
        g_pDxMeshManager->FlushInstancing();
}

void DrawMeshData(TMeshData* data, const TMatrix& world, TRenderContext*, TMesh* mesh)
{
    static_cast<TDxMeshData*>(data)->DrawWithMaterials(world, mesh);
}

TCamera* FindMainCamera()
{
    return g_pDxCameraManager ? g_pDxCameraManager->GetMainCamera() : nullptr;
}

void RebuildShaders()
{
    if (g_pDxShaderManager)
        g_pDxShaderManager->ResetShaders();
}

struct THooks
{
    THooks()
    {
        g_pFlushMeshInstances = FlushInstances;
        g_pDrawMeshData = DrawMeshData;
        g_pFindMainCamera = FindMainCamera;
        g_pRebuildShaders = RebuildShaders;
    }
} s_Hooks;
} // namespace

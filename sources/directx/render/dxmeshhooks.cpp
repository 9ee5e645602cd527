// The scene's render objects reach the platform's meshes, cameras and shaders through these
// hooks: queues flush the instanced batches their members queued, meshes draw their data with
// its materials (or the pass shader) and choose their detail by the main camera,
// "shader_rebuild" resets the shaders; the render manager finds the viewport set and the
// shaders it draws with by name, and runs the global shader parameters at frame start.
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/mesh.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/renderqueue.h"
#include "engine/render/shaderlink.h"
#include "engine/render/shader.h"

namespace
{
void FlushInstances()
{
    if (g_pDxMeshManager)
        g_pDxMeshManager->FlushInstancing();
}

void DrawMeshData(TMeshData* data, const TMatrix& world, TRenderContext* context, TMesh* mesh)
{
    static_cast<TDxMeshData*>(data)->DrawWithMaterials(world, mesh, context ? context->GetShader() : nullptr);
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

TShader* FindShader(const TName& name)
{
    return g_pDxShaderManager ? g_pDxShaderManager->FindShader(name) : nullptr;
}

void ApplyGlobalShaderParameters()
{
    if (g_pDxShaderManager)
        g_pDxShaderManager->ApplyGlobalParameters();
}

TViewportSet* FindViewportSet()
{
    return g_pDxViewportManager ? g_pDxViewportManager->GetCurrentSet() : nullptr;
}

struct THooks
{
    THooks()
    {
        g_pFlushMeshInstances = FlushInstances;
        g_pDrawMeshData = DrawMeshData;
        g_pFindMainCamera = FindMainCamera;
        g_pRebuildShaders = RebuildShaders;
        g_pFindShader = FindShader;
        g_pApplyGlobalShaderParameters = ApplyGlobalShaderParameters;
        g_pFindViewportSet = FindViewportSet;
    }
} s_Hooks;
} // namespace

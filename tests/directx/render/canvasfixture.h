#pragma once
// The canvas on a device with shaders: the shared parameter "CanvasColor" in the global effect,
// the screen-matrix plug-in, canvas shaders made by name from one effect, and the unit
// rectangle the immediate operations draw.
#include "shaderfixture.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxcameramanager.h"
#include "directx/render/dxcanvasmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxscreenmatrix.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/rendermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "platform/d3dx9/d3dx9.h"

// Vertex colour x texture x "CanvasColor", alpha-blended; positions through the screen matrix.
inline const char* const kCanvasEffect = "effect 1\n"
                                         "parameter vector[3] TScreenMatrix\n"
                                         "annotation string plugin = \"TScreenMatrix\"\n"
                                         "parameter vector CanvasColor shared\n"
                                         "parameter texture Color0 shared\n"
                                         "technique defaultshader\n"
                                         "pass p0\n"
                                         "vertexshader canvas2d\n"
                                         "pixelshader textured\n"
                                         "vertexconstant 0 TScreenMatrix\n"
                                         "pixelconstant 0 CanvasColor\n"
                                         "texture 0 Color0\n"
                                         "renderstate CullMode = None\n"
                                         "renderstate ZEnable = false\n"
                                         "renderstate AlphaBlendEnable = true\n"
                                         "renderstate SrcBlend = SrcAlpha\n"
                                         "renderstate DestBlend = InvSrcAlpha\n";

inline const char* const kCanvasGlobalEffect = "effect 1\n"
                                               "parameter texture Color0 shared\n"
                                               "parameter vector CanvasColor shared\n";

class CanvasFixture : public ShaderTest
{
protected:
    void SetUp() override
    {
        ShaderTest::SetUp();
        m_pManager->SetRunning(1);
        EnterEnginePlugin("TScreenMatrix");
        g_pDxShaderManager->_PrepareGlobalParameters(kCanvasGlobalEffect,
                                                     static_cast<u32>(std::strlen(kCanvasGlobalEffect)));
        // The data's global parameter table names it.
        g_pDxShaderManager->_EnterGlobalParameter(TName("CanvasColor", true));
        m_Mesh.VertexLayout = TName("canvas", true);
        m_pCanvas->CreateBatches();
    }
    void TearDown() override
    {
        // What the resource manager does when the cluster goes: the loaded shaders are unloaded.
        for (i32 i = 0; m_bGameShaders && i < g_pDxShaderManager->GetShaderCount(); ++i)
            g_pDxShaderManager->GetShader(i)->Unload();
        if (m_bAimed)
        {
            g_pDxCameraManager->SetMainCamera(nullptr);
            g_pDxCameraManager->SetCamera(nullptr);
            g_pDxViewportManager->SetCurrentViewport(nullptr);
            g_pDxViewportManager->Clear();
        }
        g_pRenderManager->m_nInRender = 0;
        m_pCanvas->Flush();
        m_pCanvas->OnClusterUnload();
        // The canvas's links forget the shaders and meshes this test made.
        g_pCluster->ResetPointers();
        g_pDxMeshManager->Clear();
        g_pDxTextureManager->Clear();
        ShaderTest::TearDown();
        if (m_bGameShaders)
        {
            g_pCluster->Clear();
            g_pResourceManager->CloseRepositories(0);
        }
    }

    // The game's shader repository (the one the build writes) loaded as the game loads it, its
    // world lines through the camera's matrix.
    void LoadGameShaders()
    {
        EnterEnginePlugin("TFinalMatrix");
        g_pCluster->LinkTypes();
        m_bGameShaders = true;
        ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_SHADER_REPOSITORY, 0), 0);
    }

    // A loaded canvas shader of that name (the fixture holds one repository image at a time,
    // so it is loaded at once).
    TDxShader* MakeCanvasShader(const char* name, const char* effect = kCanvasEffect)
    {
        TDxShader* shader = MakeShader(name, {effect, effect}, {Record(0, 0), Record(0, 1)});
        // Slot 0 is the shared texture "Color0".
        shader->m_nGlobalTextureMask = 1;
        EXPECT_EQ(shader->Require(), 0u);
        return shader;
    }

    // The camera at the eye looking along (0, -2, 6), 60 degrees across, made the main and the
    // current camera with a viewport of that name; let go at the end.
    void Aim(TCamera& camera, const TVector& eye, f32 verticalFov, f32 farClip, i32 width, i32 height,
             const char* viewport)
    {
        TNode* node = g_pNodeManager->CreateNode("eye");
        TMatrix view(1.0f);
        view.SetOrientation(TVector(0.0f, -2.0f, 6.0f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        view.aRow[3] = eye;
        node->SetLocalMatrix(view, TNode::OrdinaryCause());
        camera.pNode = node;
        camera.m_nFitMode = CAMERA_FIT_EXPLICIT;
        camera.m_fHorizontalFov = 60.0f;
        camera.m_fVerticalFov = verticalFov;
        camera.m_fNearClip = 0.1f;
        camera.m_fFarClip = farClip;
        camera.UpdateProjection(width, height);
        camera.UpdateView();
        g_pDxCameraManager->SetMainCamera(&camera);
        g_pDxCameraManager->SetCamera(&camera);
        g_pDxViewportManager->SetCurrentViewport(g_pDxViewportManager->__CreateViewport(TName(viewport, true), 0));
        m_bAimed = true;
    }

    // The unit rectangle: x and y from -0.5 to 0.5, v = 0 at the top (y = 0.5).
    TDxMeshData* MakeUnitRect()
    {
        TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("MeshData__canvas_unit_rect", true));
        TMeshDescription description = CanvasVertexDescription();
        description.nVertexCount = 4;
        description.nIndexCount = 6;
        mesh->SetDescription(description);
        mesh->m_aSurface.Add({0, 0, 4, 0, 2, nullptr});
        const TCanvasVertex corners[4] = {{-0.5f, 0.5f, 0.5f, 1.0f, 0.0f, 0.0f, 0xFFFFFFFF},
                                          {0.5f, 0.5f, 0.5f, 1.0f, 1.0f, 0.0f, 0xFFFFFFFF},
                                          {0.5f, -0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 0xFFFFFFFF},
                                          {-0.5f, -0.5f, 0.5f, 1.0f, 0.0f, 1.0f, 0xFFFFFFFF}};
        std::memcpy(mesh->LockVertices(), corners, sizeof corners);
        mesh->UnlockVertices();
        const u16 indices[6] = {0, 1, 2, 0, 2, 3};
        std::memcpy(mesh->LockIndices(), indices, sizeof indices);
        mesh->UnlockIndices();
        return mesh;
    }

    // The value "CanvasColor" holds.
    TVector CanvasColor()
    {
        D3DXVECTOR4 value = {};
        ID3DXEffect* global = g_pDxShaderManager->m_pGlobalEffect;
        global->GetVector(global->GetParameterByName(nullptr, "CanvasColor"), &value);
        return TVector(value.x, value.y, value.z, value.w);
    }

    TDxCanvasManager* m_pCanvas = g_pDxCanvasManager;
    bool m_bGameShaders = false;
    bool m_bAimed = false;
};

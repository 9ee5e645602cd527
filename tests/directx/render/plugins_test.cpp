// The shader-parameter plug-ins write their values into effect parameters.
#include "texturefixture.h"

#include "directx/render/dxcameramanager.h"
#include "directx/render/dxshaderparameter.h"
#include "directx/render/dxviewportmanager.h"
#include "engine/render/shaderparameterplugin.h"
#include "platform/d3dx9/d3dx9.h"

#include <cstring>

namespace
{
class PluginTest : public TextureTest
{
protected:
    void SetUp() override
    {
        TextureTest::SetUp();
        const char* text = "effect 1\nparameter vector[4] Vectors\nparameter matrix Matrix\nparameter matrix[2] Matrices\n";
        ASSERT_EQ(D3DXCreateEffectEx(m_pManager->GetDevice(), text, static_cast<UINT>(std::strlen(text)), nullptr,
                                     nullptr, nullptr, 0, nullptr, &m_pEffect, nullptr),
                  D3D_OK);
    }
    void TearDown() override
    {
        m_pEffect->Release();
        g_pDxViewportManager->Clear();
        TextureTest::TearDown();
    }

    void Apply(const char* plugin, const char* parameterName)
    {
        TPlugin* found = nullptr;
        g_pPluginManager->TryFindPlugin(found, TName(plugin), TName("TShaderParameterPlugin"));
        ASSERT_NE(found, nullptr) << plugin;
        TDxShaderParameter parameter;
        parameter.Bind(m_pEffect, parameterName);
        static_cast<TShaderParameterPlugin*>(found)->Apply(nullptr, nullptr, &parameter, nullptr, nullptr);
    }
    TVector Vector(u32 index)
    {
        D3DXVECTOR4 vectors[4] = {};
        m_pEffect->GetVectorArray("Vectors", vectors, 4);
        TVector vector;
        std::memcpy(&vector, &vectors[index], sizeof vector);
        return vector;
    }

    ID3DXEffect* m_pEffect = nullptr;
};

TEST_F(PluginTest, SizesFollowTheCurrentTargetAndCameraMatricesWaitForAViewport)
{
    Apply("TDeviceSize", "Vectors");
    const f32 width = static_cast<f32>(m_pManager->GetBackBufferWidth());
    EXPECT_EQ(Vector(0).z, width * 0.5f);
    EXPECT_EQ(Vector(1).w, 0.5f / static_cast<f32>(m_pManager->GetBackBufferHeight()));
    TRenderTarget* target = g_pDxRenderTargetManager->CreateRenderTarget(TName("half", true), 64, 32, 0x102, 0, 0, 0);
    target->SetRenderTarget(nullptr);
    Apply("TRenderTargetSize", "Vectors");
    EXPECT_EQ(Vector(0).y, 32.0f);
    EXPECT_EQ(Vector(1).x, 1.0f / 64.0f);

    TCamera* camera = g_pDxCameraManager->GetDefaultCamera();
    camera->m_View = TMatrix(2.0f);
    g_pDxCameraManager->SetCamera(camera);
    D3DXMATRIX matrix = {};
    for (const f32 expected : {0.0f, 2.0f})
    {
        Apply("TCameraMatrix", "Matrix");
        m_pEffect->GetMatrix("Matrix", &matrix);
        EXPECT_EQ(matrix.m[0][0], expected);
        g_pDxViewportManager->SetCurrentViewport(g_pDxViewportManager->__CreateViewport(TName("v", true), 0));
    }
    g_pDxCameraManager->SetCamera(nullptr);
}
} // namespace

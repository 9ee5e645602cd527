#pragma once
// The game's shader repository (tools/shaders) loaded as the game loads it, with fixed matrices
// standing in for the camera's and the skeleton's plug-ins and the other plug-ins its effects
// bind entered with the shader manager; images drawn into a target compared with golden images.
#include "shaderfixture.h"

#include "core/cluster/cluster.h"
#include "core/system/plugin.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/system/resourcemanager.h"

#include <string>
#include <vector>

// Stands in for a plug-in of the camera or the skeleton: writes fixed matrices.
class TFixedMatrices : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        if (aMatrix.size() == 1)
            parameter->SetMatrix(aMatrix[0]);
        else
            parameter->SetMatrixArray(static_cast<u32>(aMatrix.size()), aMatrix.data());
    }
    std::vector<TMatrix> aMatrix;
};

class GameShaderTest : public ShaderTest
{
protected:
    void SetUp() override
    {
        ShaderTest::SetUp();
        m_pManager->SetRunning(1);
        g_pCluster->LinkTypes();
        ASSERT_EQ(g_pResourceManager->LoadRepository(VESTAMOR_SHADER_REPOSITORY, 0), 0);
        // The manager keeps its plug-ins for the run: one instance of each serves every test.
        static TFixedMatrices s_Final;
        static TFixedMatrices s_Palette;
        s_Final.aMatrix = {TMatrix(1.0f)};
        s_Palette.aMatrix.clear();
        m_pFinal = &s_Final;
        // Another test may have entered the real plugins already: these stand in for them.
        g_pDxShaderManager->_EnterPlugin(TName("TFinalMatrix", true), &s_Final)->pPlugin = &s_Final;
        g_pDxShaderManager->_EnterPlugin(TName("TAnimationSkeleton", true), &s_Palette)->pPlugin = &s_Palette;
        for (const char* name : {"TObjectMatrix", "TObjectInstanceMatrix", "TObjectInstanceColor", "TLightSettings",
                                 "TReflection", "TObjectMeshSettings", "TImposterDataParameters"})
            EnterEnginePlugin(name);
    }
    void TearDown() override
    {
        g_pDxMeshManager->Clear();
        // What the resource manager does when the cluster goes: the loaded shaders are unloaded.
        for (i32 i = 0; i < g_pDxShaderManager->GetShaderCount(); ++i)
            g_pDxShaderManager->GetShader(i)->Unload();
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        ShaderTest::TearDown();
    }

    // Quads (two triangles each) of the vertices, four a quad, in one surface of the material.
    template <class TVertex>
    TDxMeshData* MakeQuads(const char* name, TMeshDescription description, const std::vector<TVertex>& vertices,
                           TMaterial* material = nullptr)
    {
        TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName(name, true));
        description.nVertexCount = static_cast<u32>(vertices.size());
        description.nIndexCount = static_cast<u32>(vertices.size() / 4 * 6);
        mesh->SetDescription(description);
        mesh->m_aSurface.Add({0, 0, description.nVertexCount, 0, description.nIndexCount / 3, material});
        std::memcpy(mesh->LockVertices(), vertices.data(), vertices.size() * sizeof(TVertex));
        mesh->UnlockVertices();
        auto* indices = static_cast<u16*>(mesh->LockIndices());
        for (u16 q = 0; q < vertices.size() / 4; ++q)
            for (u16 corner : {0, 1, 2, 0, 2, 3})
                *indices++ = static_cast<u16>(4 * q + corner);
        mesh->UnlockIndices();
        return mesh;
    }

    TDxShader* Shader(const char* name)
    {
        TDxShader* shader = g_pDxShaderManager->FindShader(TName(name));
        EXPECT_NE(shader, nullptr) << name;
        return shader;
    }

    TFixedMatrices* m_pFinal = nullptr;
};

// Meshes and dynamic meshes: declarations from descriptions, two-part loads, draws and their
// counters, instancing batches and refusals, appends, positioned locks, draws and resets.
#include "shaderfixture.h"

#include "directx/render/dxmeshmanager.h"
#include "engine/system/renderstats.h"

namespace
{
TMeshVertexElement Element(u32 usage, u32 type, u32 index = 0)
{
    return {0, usage, type, index};
}

class MeshTest : public ShaderTest
{
protected:
    void SetUp() override
    {
        ShaderTest::SetUp();
        m_pManager->SetRunning(1);
        // Position (float3) only: the layout the test effect's programs are keyed by.
        m_Mesh.nStride = 12;
        m_Mesh.nElementCount = 1;
        m_Mesh.aElement[0] = Element(1, 3);
        g_RenderStatsCurrent.Clear();
    }
    void TearDown() override
    {
        g_pDxMeshManager->Clear();
        ShaderTest::TearDown();
    }

    u32 Counter(u32 word) const { return g_RenderStatsCurrent.aCounter[word]; }
};

TEST_F(MeshTest, TwentyInstancesDrawTwentyFortyEighthsOfTheGeometry)
{
    TDxShader* shader = MakeShader("instanced", {kTexturedEffect}, {Record(0, 0)});
    TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("tree", true));
    m_Mesh.nVertexCount = 480;
    m_Mesh.nIndexCount = 3 * 970;
    mesh->SetDescription(m_Mesh);
    mesh->m_aSurface.Add({0, 0, 480, 0, 970, nullptr});
    mesh->LockVertices();
    mesh->UnlockVertices();
    u8 parameters[MESH_OBJECT_PARAMETERS_SIZE] = {};
    auto* instancing = static_cast<TDxMeshDataInstancing*>(mesh->CreateInstancing(48, parameters));
    for (i32 i = 0; i < 20; ++i)
        mesh->Draw(TMatrix(1.0f), shader, nullptr);
    EXPECT_EQ(instancing->GetQueuedCount(), 20u);
    EXPECT_EQ(g_pDxMeshManager->GetPendingCount(), 1u);
    EXPECT_EQ(Counter(RENDER_STATS_DRAW_CALLS), 0u);
    g_pDxMeshManager->FlushInstancing();
    EXPECT_EQ(Counter(RENDER_STATS_DRAW_CALLS), 1u);
    EXPECT_EQ(Counter(RENDER_STATS_VERTICES), 480u * 20 / 48);
    EXPECT_EQ(Counter(RENDER_STATS_PRIMITIVES), 970u * 20 / 48);
    EXPECT_EQ(instancing->GetQueuedCount(), 0u);
    EXPECT_EQ(g_DxInstanceBatch.nCount, 20u);
}

// A full queue whose shader never loads (so it cannot be flushed) refuses the next instance; the
// pending list refuses its 513th object.
TEST_F(MeshTest, AFullQueueThatCannotBeDrawnAndThePendingListRefuseWhatIsPastThem)
{
    TDxShader* broken = MakeShader("never", {kTexturedEffect}, {Record(0, 0)});
    broken->m_nDataSize += 1;
    TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("bush", true));
    mesh->SetDescription(m_Mesh);
    mesh->m_aSurface.Add({0, 0, 3, 0, 1, nullptr});
    u8 parameters[MESH_OBJECT_PARAMETERS_SIZE] = {};
    auto* instancing = static_cast<TDxMeshDataInstancing*>(mesh->CreateInstancing(4, parameters));
    const f32 colour[4] = {1, 1, 1, 1};
    for (i32 i = 0; i < 4; ++i)
        EXPECT_EQ(instancing->AddInstance(TMatrix(1.0f), broken, colour), 0);
    EXPECT_EQ(instancing->AddInstance(TMatrix(1.0f), broken, colour), 1);
    EXPECT_EQ(instancing->GetQueuedCount(), 4u);
    EXPECT_NE(m_Log.SystemLog().find("instance queue full, instance dropped"), std::string::npos);

    TDxShader* shader = MakeShader("pending", {kTexturedEffect}, {Record(0, 0)});
    std::vector<TDxMeshDataInstancing*> objects;
    for (u32 i = 0; i <= DX_INSTANCING_PENDING_CAPACITY; ++i)
        objects.push_back(static_cast<TDxMeshDataInstancing*>(mesh->CreateInstancing(1, parameters)));
    for (u32 i = 0; g_pDxMeshManager->GetPendingCount() < DX_INSTANCING_PENDING_CAPACITY; ++i)
        ASSERT_EQ(objects[i]->AddInstance(TMatrix(1.0f), shader, colour), 0);
    EXPECT_EQ(objects.back()->AddInstance(TMatrix(1.0f), shader, colour), 1);
    EXPECT_EQ(objects.back()->GetQueuedCount(), 0u);
}

const char* const kFlatEffect = "effect 1\n"
                                "parameter matrix TObjectMatrix\n"
                                "annotation string plugin = \"TObjectMatrix\"\n"
                                "parameter vector Colour = 1 0.5 0 1\n"
                                "technique defaultshader\n"
                                "pass p0\n"
                                "vertexshader mesh\n"
                                "pixelshader vertexcolour\n"
                                "vertexconstant 0 TObjectMatrix\n"
                                "pixelconstant 0 Colour\n"
                                "renderstate CullMode = None\n"
                                "renderstate ZEnable = false\n";

TEST_F(MeshTest, AMeshDrawnThroughItsShaderMatchesItsGoldenImage)
{
    ASSERT_NO_FATAL_FAILURE(EnterEnginePlugin("TObjectMatrix"));
    TDxShader* shader = MakeShader("flat", {kFlatEffect}, {Record(0, 0)});
    TDxMeshData* mesh = g_pDxMeshManager->CreateMeshData(TName("triangle", true));
    m_Mesh.nVertexCount = 3;
    m_Mesh.nIndexCount = 3;
    mesh->SetDescription(m_Mesh);
    mesh->m_aSurface.Add({0, 0, 3, 0, 1, nullptr});
    const f32 positions[] = {-0.8f, -0.7f, 0.5f, 0.8f, -0.7f, 0.5f, 0.0f, 0.8f, 0.5f};
    std::memcpy(mesh->LockVertices(), positions, sizeof positions);
    mesh->UnlockVertices();
    const u16 indices[] = {0, 1, 2};
    std::memcpy(mesh->LockIndices(), indices, sizeof indices);
    mesh->UnlockIndices();

    TRenderTarget* target = BeginImage();
    mesh->Draw(TMatrix::RotationZ(20.0f), shader, nullptr);
    EXPECT_EQ(Counter(RENDER_STATS_DRAW_CALLS), 1u);
    EXPECT_EQ(EndImage(target, "mesh_triangle"), "");
}
} // namespace

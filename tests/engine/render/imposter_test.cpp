#include "core/cluster/cluster.h"
#include "core/stream/memorystream.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/imposter.h"
#include "engine/render/imposterdata.h"
#include "engine/render/meshdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// Records what is locked and drawn; its buffer holds the whole mesh.
struct TRecordingMesh : TDynamicMesh
{
    void* LockVertices(u32 count) override
    {
        aLocked.push_back(count);
        TImposterVertex* first = &aVertex[nWritten];
        nWritten += count;
        return first;
    }
    void Draw(u32 count, TShader*) override
    {
        aDrawn.push_back(count);
        nWritten = 0;
    }
    void Release() override { nWritten = 0; }

    std::vector<u32> aLocked;
    std::vector<u32> aDrawn;
    u32 nWritten = 0;
    TImposterVertex aVertex[IMPOSTER_MESH_VERTICES] = {};
};

TRecordingMesh s_Mesh;

TDynamicMesh* CreateRecordingMesh(u32, const TMeshDescription&)
{
    return &s_Mesh;
}

struct ImposterTest : testing::Test
{
    ImposterTest()
    {
        g_pImposterManager->SetQueue(&queue);
        g_pImposterManager->ImposterData().Add(&other);
        g_pImposterManager->ImposterData().Add(&data);
        g_pCreateDynamicMesh = CreateRecordingMesh;
        s_Mesh.aLocked.clear();
        s_Mesh.aDrawn.clear();
        s_Mesh.nWritten = 0;
    }
    ~ImposterTest() override
    {
        g_pImposterManager->DrawImposters();
        g_pImposterManager->ImposterData().SetCount(0);
        g_pImposterManager->SetQueue(nullptr);
    }

    TRenderQueue queue{};
    TImposterData data{};
    TImposterData other{};
};

const f32 s_White[4] = {1.0f, 0.5f, 0.0f, 0.5f};
} // namespace

// Position in tenths, pitch, heading, size, data and colour, each clamped instead of wrapping.
TEST_F(ImposterTest, VertexPacksPositionAnglesSizeDataAndColourClampingFarValues)
{
    const auto fields = [](const TImposterVertex& v) {
        return std::vector<int>{v.aPosition[0], v.aPosition[1], v.aPosition[2], v.nPitch,     v.nHeading,  v.nSize,
                                v.nData,        v.aColour[0],   v.aColour[1],   v.aColour[2], v.aColour[3]};
    };
    TMatrix world = TMatrix::RotationY(90.0f);
    world.AxisY().Scale(2.0f);
    world.aRow[3] = TVector(12.34f, -5.0f, 0.26f, 1.0f);
    ASSERT_EQ(1u, g_pImposterManager->QueueDraw(&data, world, s_White, 0.8f));
    // Heading 90 x 255 / 360, size |Y| 2 x 50, alpha 0.5 x 0.8 x 255.
    for (u16 corner = 0; corner < 6; ++corner)
    {
        const TImposterVertex& v = g_pImposterManager->GetRecord(0).aVertex[corner];
        EXPECT_EQ(corner, v.nCorner);
        EXPECT_EQ(fields(v), (std::vector<int>{123, -50, 2, 0, 63, 100, 1, 255, 127, 0, 102})) << corner;
    }
    // Looking to the left: a negative angle comes out in the upper half.
    g_pImposterManager->QueueDraw(&data, TMatrix::RotationY(-90.0f), s_White, 1.0f);
    EXPECT_EQ(191, g_pImposterManager->GetRecord(1).aVertex[0].nHeading); // -90 x 255 / 360 + 255
    TMatrix far(1.0f);
    far.AxisY().Scale(6.0f);
    far.aRow[3] = TVector(4000.0f, -4000.0f, 3276.7f, 1.0f);
    g_pImposterManager->QueueDraw(&data, far, s_White, 1.0f);
    const TImposterVertex& clamped = g_pImposterManager->GetRecord(2).aVertex[0];
    EXPECT_EQ(32767, clamped.aPosition[0]);
    EXPECT_EQ(-32768, clamped.aPosition[1]);
    EXPECT_GE(clamped.aPosition[2], 32766);
    EXPECT_EQ(255, clamped.nSize);
}

TEST_F(ImposterTest, CapsRefuseThe2001stImposterAndThe1025thBatch)
{
    const TMatrix world(1.0f);
    for (u32 i = 0; i < IMPOSTER_DRAW_CAPACITY; ++i)
        ASSERT_EQ(1u, g_pImposterManager->QueueDraw(&data, world, s_White, 1.0f));
    EXPECT_EQ(0u, g_pImposterManager->QueueDraw(&data, world, s_White, 1.0f));
    EXPECT_EQ(IMPOSTER_DRAW_CAPACITY, g_pImposterManager->GetDrawCount());

    struct TBatch : TImposterBatch
    {
        u32 GetVertexCount() override { return nCount; }
        const TImposterVertex* GetVertices() override { return aVertex; }
        u32 nCount = 6;
        TImposterVertex aVertex[6] = {};
    } batch, empty;
    empty.nCount = 0;
    ASSERT_EQ(1u, g_pImposterManager->QueueUpdate(&empty));
    for (u32 i = 1; i < IMPOSTER_BATCH_CAPACITY; ++i)
        ASSERT_EQ(1u, g_pImposterManager->QueueUpdate(&batch));
    EXPECT_EQ(0u, g_pImposterManager->QueueUpdate(&batch));

    g_pImposterManager->DrawImposters();
    // 2,000 records in one lock of 12,000 vertices, then every batch but the empty one, all
    // in one draw.
    ASSERT_EQ(1u + IMPOSTER_BATCH_CAPACITY - 1, s_Mesh.aLocked.size());
    EXPECT_EQ(12000u, s_Mesh.aLocked[0]);
    EXPECT_EQ(6u, s_Mesh.aLocked[1]);
    EXPECT_EQ((std::vector<u32>{12000 + 6 * (IMPOSTER_BATCH_CAPACITY - 1)}), s_Mesh.aDrawn);
    EXPECT_EQ(0u, g_pImposterManager->GetDrawCount());
    EXPECT_EQ(0u, g_pImposterManager->GetBatchCount());
}

// The settings are the one 32-byte data block: another size is refused, and a state image of the
// manager carries the block back.
TEST_F(ImposterTest, TheSettingsBlockKeepsItsSizeAndTravelsInAStateImage)
{
    g_pImposterManager->ImposterData().SetCount(0);
    void* block = nullptr;
    i32 size = 0;
    ASSERT_EQ(0, g_pImposterManager->GetData(0, block, size));
    ASSERT_EQ(32, size);
    TImposterSettings settings = *static_cast<const TImposterSettings*>(block);
    EXPECT_FLOAT_EQ(0.1f, settings.aCellSize[0]);
    const TImposterSettings kept = settings;
    settings.fFadeStart = 1234.0f;
    EXPECT_EQ(1, g_pImposterManager->SetData(0, &settings, 31));
    EXPECT_FLOAT_EQ(3000.0f, g_pImposterManager->GetSettings().fFadeStart);
    EXPECT_EQ(0, g_pImposterManager->SetData(0, &settings, 32));
    TMemoryStream image;
    TClusterManager* managers[] = {g_pImposterManager};
    ASSERT_EQ(0, g_pCluster->SaveToStream(image, managers, 1));
    g_pImposterManager->SetData(0, &kept, sizeof kept);
    image.Seek(0, STREAM_SEEK_SET);
    ASSERT_EQ(0, g_pCluster->LoadFromStream(image));
    EXPECT_FLOAT_EQ(1234.0f, g_pImposterManager->GetSettings().fFadeStart);
    EXPECT_FLOAT_EQ(4000.0f, g_pImposterManager->GetSettings().fFadeEnd);
    g_pImposterManager->SetData(0, &kept, sizeof kept);
}

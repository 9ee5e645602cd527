// Vegetation: the stored records (with the other effect records' links), the settings block, the range
// and the area grid, a cluster's near and far fades, its near records replayed by a frame's later passes,
// plant kinds that cannot be drawn and clusters whose blocks hold no whole instances.
#include "collisionfixture.h"
#include "loglines.h"

#include "core/system/timer.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/propdatarender.h"
#include "engine/render/renderqueue.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/motionblurobject.h"
#include "igame/effects/trackdecal.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "support/declaredlinks.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

TCamera s_Camera;
TCamera* MainCamera()
{
    return &s_Camera;
}

struct TDraw
{
    TMesh* pMesh;
    TMatrix World;
    TVector Colour;
};
std::vector<TDraw> s_aDrawn;
void RecordDraw(TMeshData*, const TMatrix& world, TRenderContext*, TMesh* mesh)
{
    s_aDrawn.push_back({mesh, world, mesh->m_Material.aVector[4]});
}

// A clock that moves one count at every reading: each use of the cache is later than the last.
i64 s_nClock = 0;
i64 Tick()
{
    return ++s_nClock;
}

TVariable* Range()
{
    return TCommandManager::Instance().FindVariable(TName("vegetation.range"));
}

class VegetationTest : public CollisionTest
{
protected:
    void SetUp() override
    {
        CollisionTest::SetUp();
        m_pTimer = g_pTimer;
        g_pTimer = &m_Timer;
        g_pFindMainCamera = MainCamera;
        g_pDrawMeshData = RecordDraw;
        s_Camera.m_Placement = TMatrix(1.0f);
        s_aDrawn.clear();
        // As after a level: no near records of another timer's frames.
        Manager().OnClusterUnload();
        TVegetationSettings settings = DefaultVegetationSettings();
        Manager().SetData(0, &settings, sizeof settings);
        Manager().SetRangeFactor(1.0f);
        // Plant kind 0: one mesh in the proxy's queue, one in another queue.
        m_Data.m_Description.aWord[0] = MESH_DATA_NEVER_CUT;
        for (TMesh* mesh : {&m_Blade, &m_Other})
        {
            mesh->pMeshData = &m_Data;
            m_Root.AddObject(mesh);
        }
        m_Blade.pRenderQueue = Queue(1);
        m_Other.pRenderQueue = Queue(2);
        m_Plant.aMesh[0] = &m_Blade;
        m_Plant.aMesh[1] = &m_Other;
        Manager().PlantMeshes().Add(&m_Plant);
        m_Proxy.pCluster = &m_Cluster;
        m_Proxy.pRenderQueue = Queue(1);
        m_Proxy.m_nFlags = VEGETATION_PROXY_NO_IMPOSTER;
        m_Cluster.SetLoaded(1);
        NextFrame();
    }
    void TearDown() override
    {
        for (TMesh* mesh : {&m_Blade, &m_Other})
            m_Root.DeleteObject(mesh);
        for (auto& area : m_aArea)
            area->GetNode()->DeleteObject(area.get());
        Manager().Areas().Free();
        Manager().PlantMeshes().Free();
        Manager().ApplyRange(40.0f);
        Range()->Store(40);
        g_pFindMainCamera = nullptr;
        g_pDrawMeshData = nullptr;
        g_pTimer = m_pTimer;
        CollisionTest::TearDown();
    }

    static TVegetationManager& Manager() { return *g_pVegetationManager; }
    static TRenderQueue* Queue(u32 id)
    {
        static TRenderQueue s_aQueue[3]{};
        return &s_aQueue[id];
    }
    void NextFrame() { m_Timer.Update(); }

    // count areas, each on a node of its own (under the parent when given).
    void AddAreas(u32 count, TNode* parent = nullptr)
    {
        for (u32 i = 0; i < count; ++i)
        {
            m_aArea.push_back(std::make_unique<TVegetationArea>());
            TNode* node = g_pNodeManager->CreateNode(("area" + std::to_string(m_aArea.size())).c_str());
            if (parent)
                parent->AddChild(node);
            node->AddObject(m_aArea.back().get());
            Manager().Areas().Add(m_aArea.back().get());
        }
    }
    // The ground in the vegetation's collision group, at the height.
    void AddGround(f32 y)
    {
        TNxCollisionMesh* ground = Place("ground", Ground("ground"), 0.0f, y, 0.0f);
        ground->SetGroupsMask(VEGETATION_GROUND_GROUP);
        ground->__Create();
    }
    // The cluster's instances, each at its x in world units (z 0) of plant kind 0, coloured.
    void SetInstances(const std::vector<f32>& xs, u8 kind = 0)
    {
        delete[] m_Cluster.pInstance;
        m_Cluster.pInstance = new TImposterRecord[xs.size()];
        m_Cluster.m_nInstanceCount = static_cast<u32>(xs.size());
        for (size_t i = 0; i < xs.size(); ++i)
            for (TImposterVertex& v : m_Cluster.pInstance[i].aVertex)
            {
                v = {};
                v.aPosition[0] = static_cast<i16>(std::lround(xs[i] / 0.1f));
                v.nSize = 50;
                v.nData = kind;
                v.aColour[0] = 255;
                v.aColour[1] = 128;
                v.aColour[2] = static_cast<u8>(i);
                v.aColour[3] = 255;
            }
    }
    u8 Alpha(u32 instance) const { return m_Cluster.pInstance[instance].aVertex[5].aColour[3]; }

    TTimer m_Timer{Tick};
    TTimer* m_pTimer = nullptr;
    TMeshData m_Data{};
    TNode m_Root;
    TMesh m_Blade, m_Other;
    TPropDataRender m_Plant{};
    TVegetationCluster m_Cluster;
    TVegetationClusterProxy m_Proxy;
    std::vector<std::unique_ptr<TVegetationArea>> m_aArea;
};
} // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
TEST(EffectRecords, SizesLinksAndStartValues)
{
    EXPECT_EQ(std::vector<u32>({VegetationAreaDecl().GetObjectSize(), VegetationClusterDecl().GetObjectSize(),
                                VegetationClusterProxyDecl().GetObjectSize(), VegetationClusterDecl().GetVirtualTableWords()}),
              std::vector<u32>({128, 240, 36, 2}));
    ExpectDeclaredLinks(VegetationAreaDecl(), {LINK(TVegetationArea, pNode), LINK(TVegetationArea, pRenderQueue),
                                               LINK(TVegetationArea, pPrev), LINK(TVegetationArea, pNext),
                                               LINK(TVegetationArea, aMesh)});
    ExpectDeclaredLinks(VegetationClusterProxyDecl(),
                        {LINK(TVegetationClusterProxy, pNode), LINK(TVegetationClusterProxy, pRenderQueue),
                         LINK(TVegetationClusterProxy, pPrev), LINK(TVegetationClusterProxy, pNext),
                         LINK(TVegetationClusterProxy, pCluster)});
    ExpectDeclaredLinks(VegetationClusterDecl(), {RESOURCE_USES(TVegetationCluster)});
    // The other effect records' links.
    ExpectDeclaredLinks(MotionBlurObjectDecl(),
                        {LINK(TMotionBlurObject, pSkeleton), LINK(TMotionBlurObject, pWheel), LINK(TMotionBlurObject, pBody),
                         LINK(TMotionBlurObject, pMesh), LINK(TMotionBlurObject, pNext), LINK(TMotionBlurObject, pPrev),
                         LINK(TMotionBlurObject, pRenderQueue), LINK(TMotionBlurObject, pNode)});
    ExpectDeclaredLinks(TrackDecalDecl(), {LINK(TTrackDecal, pNode), LINK(TTrackDecal, pDecal)});
}
#pragma GCC diagnostic pop

TEST_F(VegetationTest, TheSettingsBlockTakesAtMostItsSize)
{
    TLogLines lines;
    std::vector<u8> longer(VEGETATION_SETTINGS_SIZE + 1, 0);
    const f32 cell = 25.0f;
    std::memcpy(longer.data() + 19 * 4, &cell, 4);
    longer[42 * 4 + 63] = 7;
    longer[VEGETATION_SETTINGS_SIZE] = 0xEE;
    const TVector param = Manager().GetParamVectors()[0];
    ASSERT_EQ(Manager().SetData(0, longer.data(), static_cast<i32>(longer.size())), 0);
    EXPECT_EQ(Manager().GetSettings().fCellSize, 25.0f);
    EXPECT_EQ(Manager().GetSettings().aPlantKind[63], 7);
    EXPECT_EQ(lines.Count("settings block of 233 bytes (232 expected): 232 bytes taken"), 1u);
    // Nothing past the block is written.
    EXPECT_EQ(Manager().GetParamVectors()[0].x, param.x);
    // The whole block: no line; a shorter one keeps the rest.
    ASSERT_EQ(Manager().SetData(0, longer.data(), VEGETATION_SETTINGS_SIZE), 0);
    EXPECT_EQ(lines.lines.size(), 1u);
    const f32 cells[20] = {};
    ASSERT_EQ(Manager().SetData(0, cells, sizeof cells), 0);
    EXPECT_EQ(Manager().GetSettings().fCellSize, 0.0f);
    EXPECT_EQ(Manager().GetSettings().aPlantKind[63], 7);
    // An empty block: nothing taken.
    ASSERT_EQ(Manager().SetData(0, nullptr, 0), 0);
    EXPECT_EQ(Manager().GetSettings().aPlantKind[63], 7);
    EXPECT_EQ(Manager().SetData(0, nullptr, 4), 1);
    void* data = nullptr;
    i32 size = 0;
    ASSERT_EQ(Manager().GetData(0, data, size), 0);
    EXPECT_EQ(size, 232);
    EXPECT_EQ(data, &Manager().GetSettings());
}

TEST_F(VegetationTest, TheRangeSetsTheGridAndIsWrittenBack)
{
    // Without areas vegetation is off and the variable keeps its value.
    Range()->SetInt(40);
    EXPECT_TRUE(Manager().IsDisabled());
    EXPECT_EQ(Range()->GetValue().nType, VALUE_INT);

    AddAreas(3);
    Range()->SetInt(40);
    EXPECT_FALSE(Manager().IsDisabled());
    EXPECT_EQ(Manager().GetHalfCount(), 2u);
    EXPECT_EQ(Range()->GetValue().nType, VALUE_FLOAT);
    EXPECT_EQ(Range()->GetValue().fFloat, 40.0f);
    const TVector& param = Manager().GetParamVectors()[0];
    EXPECT_EQ(std::vector<f32>({param.x, param.y, param.z}), std::vector<f32>({20.0f, 40.0f, 1.0f}));
    // The last range of seven cells, and past it.
    for (auto [given, half, written] : {std::tuple{159, 7u, 140.0f}, {160, 7u, 140.0f}, {200, 7u, 140.0f},
                                        {39, 1u, 20.0f}, {19, 1u, 20.0f}})
    {
        Range()->SetInt(given);
        EXPECT_EQ(Manager().GetHalfCount(), half) << given;
        EXPECT_EQ(Range()->GetValue().fFloat, written) << given;
    }
    // A float is taken too.
    Range()->SetFloat(60.5f);
    EXPECT_EQ(Manager().GetHalfCount(), 3u);
    // Areas placed earlier are taken off and the probing starts again.
    m_aArea[0]->GetNode()->Enable(1, 0);
    Range()->SetInt(0);
    EXPECT_TRUE(Manager().IsDisabled());
    EXPECT_EQ(Range()->GetValue().fFloat, 0.0f);
    EXPECT_FALSE(m_aArea[0]->GetNode()->IsEnabled());
    EXPECT_EQ(Manager().GetProbePosition().x, -10000.0f);
    // A disabled area draws nothing.
    m_aArea[0]->m_nMeshCount = 1;
    m_aArea[0]->aMesh[0] = &m_Blade;
    m_aArea[0]->Draw(nullptr);
    EXPECT_TRUE(s_aDrawn.empty());
    // Enabled again: the hook first, then the meshes at the area.
    Range()->SetInt(20);
    static u32 s_nHooked = 0;
    g_pVegetationAreaHook = [](TShader*) { ++s_nHooked; };
    m_aArea[0]->Draw(nullptr);
    g_pVegetationAreaHook = nullptr;
    EXPECT_EQ(s_nHooked, 1u);
    ASSERT_EQ(s_aDrawn.size(), 1u);
    EXPECT_EQ(s_aDrawn[0].pMesh, &m_Blade);
}

TEST_F(VegetationTest, TheGridAddressesNoMoreAreasThanExist)
{
    AddGround(0.0f);
    AddAreas(5);
    Range()->SetInt(20);
    Manager().Probe(TVector(0.0f, 5.0f, 0.0f, 1.0f));
    EXPECT_EQ(Manager().GetWaitingCount(), 5u);
    Manager().PlaceAreas();
    // The fifth cell is the middle one of the second row: on the ground.
    EXPECT_TRUE(m_aArea[4]->GetNode()->IsEnabled());
    // Enough areas for the grid: all nine cells.
    AddAreas(5);
    Range()->SetInt(20);
    Manager().Probe(TVector(0.0f, 5.0f, 0.0f, 1.0f));
    EXPECT_EQ(Manager().GetWaitingCount(), 9u);
    // No camera: nothing is probed.
    Manager().PlaceAreas();
    g_pFindMainCamera = nullptr;
    Manager().ThreadUpdateManager(0.1f);
    EXPECT_EQ(Manager().GetWaitingCount(), 0u);
}

TEST_F(VegetationTest, ClustersFadeTheirQuadsAndDrawTheirNearPlants)
{
    // n = 50, f = 100 (imposter_distance 50, 50, 100): at n, in the band, past f + d0.
    SetInstances({50.0f, 75.0f, 112.5f, 150.0f});
    m_Cluster.m_fSize = 300.0f;
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(std::vector<u8>({Alpha(0), Alpha(1), Alpha(2), Alpha(3)}), std::vector<u8>({0, 127, 255, 255}));
    EXPECT_EQ(m_Cluster.GetFadedCount(), 2u);
    // The instances in reach, only the plant's mesh in the proxy's queue, coloured by the
    // instance with the mesh fade.
    ASSERT_EQ(s_aDrawn.size(), 3u);
    EXPECT_EQ(s_aDrawn[0].pMesh, &m_Blade);
    EXPECT_EQ(std::vector<f32>({s_aDrawn[0].Colour.x, s_aDrawn[0].Colour.w, s_aDrawn[0].World.aRow[3].x,
                                s_aDrawn[2].Colour.w, s_aDrawn[2].Colour.z}),
              std::vector<f32>({1.0f, 1.0f, 50.0f, 127.0f / 255.0f, 2.0f / 255.0f}));
    EXPECT_EQ(Manager().GetDrawnCount(), 3u);

    // A later pass of the frame replays those plants, wherever the camera is now.
    s_aDrawn.clear();
    s_Camera.m_Placement.aRow[3].x = 1000.0f;
    m_Proxy.Draw(nullptr);
    ASSERT_EQ(s_aDrawn.size(), 3u);
    EXPECT_EQ(s_aDrawn[1].World.aRow[3].x, 75.0f);
    EXPECT_EQ(s_aDrawn[2].Colour.w, 127.0f / 255.0f);

    // A position scale that is no number (a damaged settings block): no plant, quads at 0.
    TVegetationSettings settings = Manager().GetSettings();
    settings.aPositionScale[0] = std::nanf("");
    Manager().SetData(0, &settings, sizeof settings);
    NextFrame();
    s_aDrawn.clear();
    s_Camera.m_Placement.aRow[3].x = 0.0f;
    m_Proxy.Draw(nullptr);
    EXPECT_TRUE(s_aDrawn.empty());
    EXPECT_EQ(Alpha(1), 0);
    settings.aPositionScale[0] = 0.1f;
    Manager().SetData(0, &settings, sizeof settings);

    // The next frame, the cluster beyond f: the quads whole again, no plant drawn.
    s_Camera.m_Placement.aRow[3].x = 1000.0f;
    NextFrame();
    s_aDrawn.clear();
    m_Proxy.Draw(nullptr);
    EXPECT_TRUE(s_aDrawn.empty());
    EXPECT_EQ(std::vector<u32>({Alpha(0), Alpha(1), m_Cluster.GetFadedCount()}), std::vector<u32>({255, 255, 0}));
}

TEST_F(VegetationTest, TheFramesNearRecordsRunOutAt4000)
{
    std::vector<f32> xs(VEGETATION_NEAR_RECORDS + 1, 10.0f);
    SetInstances(xs);
    m_Proxy.Draw(nullptr);
    // Every near plant is drawn; the last one is not remembered.
    EXPECT_EQ(s_aDrawn.size(), VEGETATION_NEAR_RECORDS + 1);
    EXPECT_EQ(Manager().GetNearRecordCount(), VEGETATION_NEAR_RECORDS);
    s_aDrawn.clear();
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(s_aDrawn.size(), VEGETATION_NEAR_RECORDS);
    // A new frame starts the records again.
    NextFrame();
    SetInstances({10.0f});
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(Manager().GetNearRecordCount(), 1u);
}

TEST_F(VegetationTest, PlantsOfKindsThatCannotBeDrawnAreSkippedWithALine)
{
    TLogLines lines;
    SetInstances({10.0f, 20.0f}, 64);
    m_Proxy.Draw(nullptr);
    EXPECT_TRUE(s_aDrawn.empty());
    EXPECT_EQ(lines.Count("plant kind 64 above 63: its plants are not drawn"), 1u);
    // Kind 63 maps to a mesh set that does not exist; kind 1 to the plant.
    TVegetationSettings settings = Manager().GetSettings();
    settings.aPlantKind[63] = 5;
    settings.aPlantKind[1] = 0;
    Manager().SetData(0, &settings, sizeof settings);
    NextFrame();
    SetInstances({10.0f, 20.0f}, 63);
    m_Proxy.Draw(nullptr);
    EXPECT_TRUE(s_aDrawn.empty());
    EXPECT_EQ(lines.Count("plant kind 63 has no mesh set"), 1u);
    NextFrame();
    SetInstances({10.0f}, 1);
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(s_aDrawn.size(), 1u);

    // A level load says it again, and cuts an area's stored mesh count past its array.
    AddAreas(2);
    m_aArea[0]->m_nMeshCount = VEGETATION_AREA_MESHES;
    m_aArea[1]->m_nMeshCount = VEGETATION_AREA_MESHES + 1;
    Manager().OnClusterLoad();
    NextFrame();
    SetInstances({10.0f}, 63);
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(lines.Count("plant kind 63 has no mesh set"), 2u);
    EXPECT_EQ(std::pair(m_aArea[0]->m_nMeshCount, m_aArea[1]->m_nMeshCount), std::pair(VEGETATION_AREA_MESHES, VEGETATION_AREA_MESHES));
    EXPECT_EQ(lines.Count("meshes cut to"), 1u);
}

// A damaged image may hold anything in the words a cluster fills at run time: the load takes
// none of it for an allocation of its own.
TEST_F(VegetationTest, AClusterBlockMustHoldWholeInstancesAndItsStoredRunTimeWordsAreForgotten)
{
    TLogLines lines;
    std::vector<u8> block(2 * sizeof(TImposterRecord) + 1, 0);
    block[sizeof(TImposterRecord) + 11] = 3;
    TRepositoryWriter writer(71, REPOSITORY_STREAMED);
    TVegetationCluster whole, broken;
    whole.m_Name = TName("patch", true);
    broken.m_Name = TName("broken", true);
    writer.AddBlock(&whole, block.data(), 2 * sizeof(TImposterRecord));
    writer.AddBlock(&broken, block.data(), static_cast<u32>(block.size()));
    ASSERT_TRUE(writer.Write("patches.data", nullptr, 0, false));
    TRepository repository(71, REPOSITORY_STREAMED, TName("patches.data", true));
    ASSERT_TRUE(repository.OpenStreamed("patches.data", false));
    whole.SetData(&repository, whole.m_nDataOffset, whole.m_nDataSize);
    broken.SetData(&repository, broken.m_nDataOffset, broken.m_nDataSize);
    std::memset(&whole.pInstance, 0x5A, sizeof whole.pInstance);
    std::memset(&whole.pInstanceMatrix, 0xA5, sizeof whole.pInstanceMatrix);
    std::memset(&whole.pMatrixInstances, 0x5A, sizeof whole.pMatrixInstances);
    whole.m_nMatrixCount = 1000;

    whole.Load();
    EXPECT_EQ(whole.GetInstanceCount(), 2u);
    EXPECT_EQ(whole.GetInstances()[1].aVertex[0].nData, 3);
    EXPECT_EQ(std::vector<const void*>({whole.pInstanceMatrix, whole.pMatrixInstances}),
              std::vector<const void*>({nullptr, nullptr}));
    EXPECT_EQ(whole.m_nMatrixCount, 0u);
    broken.Load();
    EXPECT_EQ(broken.GetInstanceCount(), 0u);
    EXPECT_EQ(broken.GetInstances(), nullptr);
    EXPECT_EQ(lines.Count("'broken': a block of 193 bytes is no whole number of instances"), 1u);
    whole.Release();
    EXPECT_EQ(whole.GetInstanceCount(), 0u);
    EXPECT_EQ(whole.GetInstances(), nullptr);
}

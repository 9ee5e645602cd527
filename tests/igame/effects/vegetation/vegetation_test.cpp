// Vegetation: the stored records, the settings block, the range and the area grid probed on a
// collision ground and placed, a cluster's near and far fades, its near records replayed by a
// frame's later passes, plant kinds that cannot be drawn, the instance matrix, clusters whose
// blocks hold no whole instances, and the height cache with its eviction.
#include "collisionfixture.h"
#include "loglines.h"

#include "core/system/plugin.h"
#include "core/system/timer.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/camera.h"
#include "engine/render/mesh.h"
#include "engine/render/propdatarender.h"
#include "engine/render/renderqueue.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationheightcache.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "igame/effects/vegetation/vegetationvertex.h"
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

class TVectorsParameter : public TShaderParameter
{
public:
    void SetVectorArray(u32 count, const TVector* vectors) override { aVector.assign(vectors, vectors + count); }
    std::vector<TVector> aVector;
};

// What the plug-in of that name hands a shader drawing the object.
std::vector<TVector> Shaded(const char* name, TNodeObject* object)
{
    TPlugin* plugin = nullptr;
    g_pPluginManager->TryFindPlugin(plugin, TName(name, true), g_NameShaderParameterPlugin);
    EXPECT_NE(plugin, nullptr) << name;
    TVectorsParameter parameter;
    if (plugin)
        static_cast<TShaderParameterPlugin*>(plugin)->Apply(object, nullptr, &parameter, nullptr, nullptr);
    return parameter.aVector;
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
TEST(VegetationRecords, SizesLinksAndStartValues)
{
    EXPECT_EQ(VegetationAreaDecl().GetObjectSize(), 128u);
    EXPECT_EQ(VegetationClusterDecl().GetObjectSize(), 240u);
    EXPECT_EQ(VegetationClusterProxyDecl().GetObjectSize(), 36u);
    EXPECT_EQ(VegetationClusterDecl().GetVirtualTableWords(), 2u);
    ExpectDeclaredLinks(VegetationAreaDecl(), {LINK(TVegetationArea, pNode), LINK(TVegetationArea, pRenderQueue),
                                               LINK(TVegetationArea, pPrev), LINK(TVegetationArea, pNext),
                                               LINK(TVegetationArea, aMesh)});
    ExpectDeclaredLinks(VegetationClusterProxyDecl(),
                        {LINK(TVegetationClusterProxy, pNode), LINK(TVegetationClusterProxy, pRenderQueue),
                         LINK(TVegetationClusterProxy, pPrev), LINK(TVegetationClusterProxy, pNext),
                         LINK(TVegetationClusterProxy, pCluster)});
    ExpectDeclaredLinks(VegetationClusterDecl(), {RESOURCE_USES(TVegetationCluster)});
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

TEST_F(VegetationTest, TheGridIsProbedOnTheGroundAndTheAreasPlaced)
{
    AddGround(2.7f);
    TNode* parent = g_pNodeManager->CreateNode("areas");
    parent->SetLocalMatrix(Translation(5.0f, 1.0f, 0.0f), TNode::OrdinaryCause());
    AddAreas(9, parent);
    Range()->SetInt(20);
    ASSERT_EQ(Manager().GetHalfCount(), 1u);
    // The camera over the ground's centre (rounded to the cell): only the middle cell hits.
    s_Camera.m_Placement.aRow[3] = TVector(4.0f, 10.0f, -3.0f, 1.0f);
    Manager().ThreadUpdateManager(0.1f);
    EXPECT_EQ(Manager().GetRangeFactor(), 0.5f);
    EXPECT_EQ(Manager().GetWaitingCount(), 9u);
    EXPECT_EQ(Manager().GetProbePosition().x, 4.0f);
    // While the results wait, a short move is not remembered and no ray is cast again.
    s_Camera.m_Placement.aRow[3] = TVector(12.0f, 10.0f, -3.0f, 1.0f);
    Manager().ThreadUpdateManager(0.1f);
    EXPECT_EQ(Manager().GetProbePosition().x, 4.0f);
    s_Camera.m_Placement.aRow[3] = TVector(14.0f, 10.0f, -3.0f, 1.0f);
    Manager().ThreadUpdateManager(0.1f);
    EXPECT_EQ(Manager().GetProbePosition().x, 14.0f);

    Manager().UpdateManager(0.1f);
    EXPECT_EQ(Manager().GetWaitingCount(), 0u);
    for (u32 i = 0; i < 9; ++i)
        EXPECT_EQ(m_aArea[i]->GetNode()->IsEnabled(), i == 4 ? 1u : 0u) << i;
    const TVector& at = m_aArea[4]->GetNode()->GetWorldMatrix()->aRow[3];
    EXPECT_EQ(std::vector<f32>({at.x, at.y, at.z}), std::vector<f32>({0.0f, 2.0f, 0.0f}));
    EXPECT_EQ(m_aArea[4]->GetNode()->GetLocalMatrix().aRow[3].x, -5.0f);

    // The next probe goes from the camera where it is now: the middle cell is x = 20, off the
    // ground, and the cell at x = 0 is the left one.
    Manager().ThreadUpdateManager(0.1f);
    Manager().UpdateManager(0.1f);
    EXPECT_FALSE(m_aArea[4]->GetNode()->IsEnabled());
    EXPECT_TRUE(m_aArea[3]->GetNode()->IsEnabled());
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

TEST(VegetationFades, NearAndFarBands)
{
    // n = 50, f = 100: the mesh stays whole to n + 37.5 and is gone at f + 37.5.
    for (auto [distance, fade] : {std::pair{49.9f, 0.0f}, {50.0f, 0.0f}, {75.0f, 0.5f}, {100.5f, 1.0f}})
        EXPECT_EQ(VegetationImposterFade(distance, 50.0f, 100.0f), fade) << distance;
    for (auto [distance, fade] : {std::pair{50.0f, 1.0f}, {87.4f, 1.0f}, {112.5f, 0.5f}, {137.6f, 0.0f}})
        EXPECT_NEAR(VegetationMeshFade(distance, 50.0f, 100.0f), fade, 1e-6f) << distance;
}

TEST(VegetationInstance, FramesFromDirections)
{
    for (const TVector& d : {TVector(0.3f, -0.2f, 2.0f, 0.0f), TVector(0.0f, 3.0f, 0.0f, 0.0f),
                             TVector(0.0f, -1.0f, 0.0f, 0.0f), TVector(-1.0f, 0.5f, -0.1f, 0.0f)})
    {
        const TMatrix m = TMatrix::BuildFromDirection(d);
        EXPECT_NEAR(m.aRow[2].Dot(d.Normalized()), 1.0f, 1e-6f);
        for (u32 i = 0; i < 3; ++i)
        {
            EXPECT_NEAR(m.aRow[i].Length(), 1.0f, 1e-5f) << i;
            EXPECT_NEAR(m.aRow[i].Dot(m.aRow[(i + 1) % 3]), 0.0f, 1e-5f) << i;
        }
        // Right-handed: X x Y is Z.
        const TVector z2 = TVector::Cross(m.aRow[0], m.aRow[1]);
        EXPECT_NEAR(z2.Dot(m.aRow[2]), 1.0f, 1e-5f);
    }
    // Level directions keep X level.
    EXPECT_EQ(TMatrix::BuildFromDirection(TVector(0.3f, -0.2f, 2.0f, 0.0f)).aRow[0].y, 0.0f);
}

TEST(VegetationInstance, MatrixFromTheHeadingTiltAndSizeBytes)
{
    TImposterVertex v{};
    v.aPosition[0] = 10;
    v.aPosition[1] = -20;
    v.aPosition[2] = 30;
    v.nHeading = 64;
    v.nSize = 100;
    const f32 scale[3] = {0.5f, 0.25f, 2.0f};
    const TMatrix m = VegetationInstanceMatrix(v, scale);
    const f32 h = 64 * 0.024639942f;
    // Z along the heading, level; the rows scaled by 2; Y stays up.
    EXPECT_NEAR(m.aRow[2].x, 2.0f * std::sin(h), 1e-5f);
    EXPECT_NEAR(m.aRow[2].y, 0.0f, 1e-5f);
    EXPECT_NEAR(m.aRow[2].z, 2.0f * std::cos(h), 1e-5f);
    EXPECT_NEAR(m.aRow[1].y, 2.0f, 1e-5f);
    EXPECT_NEAR(m.aRow[0].Dot(m.aRow[2]), 0.0f, 1e-5f);
    EXPECT_EQ(std::vector<f32>({m.aRow[3].x, m.aRow[3].y, m.aRow[3].z, m.aRow[3].w}), std::vector<f32>({5.0f, -5.0f, 60.0f, 1.0f}));
    // A tilt leans the Z axis down.
    v.nPitch = 32;
    const TMatrix leant = VegetationInstanceMatrix(v, scale);
    EXPECT_LT(leant.aRow[2].y, -0.5f);
    EXPECT_NEAR(leant.aRow[2].Length(), 2.0f, 1e-5f);
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
    EXPECT_EQ(Alpha(0), 255);
    EXPECT_EQ(Alpha(1), 255);
    EXPECT_EQ(m_Cluster.GetFadedCount(), 0u);
}

// A near plant's matrix is kept from frame to frame; a new position scale or new instances
// place the plants anew.
TEST_F(VegetationTest, NearPlantsMoveWithThePositionScaleAndTheirInstances)
{
    SetInstances({10.0f, 20.0f});
    m_Cluster.m_fSize = 300.0f;
    m_Proxy.Draw(nullptr);
    ASSERT_EQ(s_aDrawn.size(), 2u);
    EXPECT_EQ(s_aDrawn[1].World.aRow[3].x, 20.0f);

    // More instances than the matrices were made for.
    NextFrame();
    SetInstances({10.0f, 30.0f, 40.0f});
    s_aDrawn.clear();
    m_Proxy.Draw(nullptr);
    ASSERT_EQ(s_aDrawn.size(), 3u);
    EXPECT_EQ(std::vector<f32>({s_aDrawn[1].World.aRow[3].x, s_aDrawn[2].World.aRow[3].x}), std::vector<f32>({30.0f, 40.0f}));

    TImposterSettings imposters = g_pImposterManager->GetSettings();
    const TImposterSettings kept = imposters;
    imposters.aCellSize[0] *= 2.0f;
    g_pImposterManager->SetData(0, &imposters, sizeof imposters);
    NextFrame();
    s_aDrawn.clear();
    m_Proxy.Draw(nullptr);
    g_pImposterManager->SetData(0, &kept, sizeof kept);
    ASSERT_EQ(s_aDrawn.size(), 3u);
    EXPECT_EQ(s_aDrawn[1].World.aRow[3].x, 60.0f);
}

// Plants of two kinds in turn each draw their own kind's meshes, at their own matrices; a mesh
// set off its plant's root is placed through its node.
TEST_F(VegetationTest, PlantsOfKindsInTurnDrawTheirOwnMeshes)
{
    TNode flowerNode;
    flowerNode.SetLocalMatrix(Translation(0.0f, 2.0f, 0.0f), TNode::OrdinaryCause());
    TMesh flower;
    flower.pMeshData = &m_Data;
    flowerNode.AddObject(&flower);
    flower.pRenderQueue = Queue(1);
    TPropDataRender flowers{};
    flowers.aMesh[0] = &flower;
    Manager().PlantMeshes().Add(&flowers);
    TVegetationSettings settings = Manager().GetSettings();
    settings.aPlantKind[1] = 1;
    Manager().SetData(0, &settings, sizeof settings);

    SetInstances({10.0f, 20.0f, 30.0f});
    for (TImposterVertex& v : m_Cluster.pInstance[1].aVertex)
        v.nData = 1;
    m_Cluster.m_fSize = 300.0f;
    m_Proxy.Draw(nullptr);
    // The frame's later pass replays the same.
    for (int pass = 0; pass < 2; ++pass)
    {
        if (pass)
        {
            s_aDrawn.clear();
            m_Proxy.Draw(nullptr);
        }
        ASSERT_EQ(s_aDrawn.size(), 3u);
        EXPECT_EQ(std::vector<TMesh*>({s_aDrawn[0].pMesh, s_aDrawn[1].pMesh, s_aDrawn[2].pMesh}),
                  std::vector<TMesh*>({&m_Blade, &flower, &m_Blade}));
        EXPECT_EQ(std::vector<f32>({s_aDrawn[1].World.aRow[3].x, s_aDrawn[1].World.aRow[3].y, s_aDrawn[2].World.aRow[3].y}),
                  std::vector<f32>({20.0f, 2.0f, 0.0f}));
    }
    flowerNode.DeleteObject(&flower);
    Manager().PlantMeshes().SetCount(1);
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
    EXPECT_EQ(m_aArea[0]->m_nMeshCount, VEGETATION_AREA_MESHES);
    EXPECT_EQ(m_aArea[1]->m_nMeshCount, VEGETATION_AREA_MESHES);
    EXPECT_EQ(lines.Count("meshes cut to"), 1u);
}

TEST_F(VegetationTest, FarClustersAndTheImposterQueue)
{
    SetInstances({10.0f});
    m_Cluster.m_Centre = TVector(5000.0f, 0.0f, 0.0f, 1.0f);
    m_Cluster.m_fSize = 20.0f;
    m_Proxy.m_nFlags = 0;
    const u32 batches = g_pImposterManager->GetBatchCount();
    // Beyond the imposter manager's distance (4,000 after the 0.9 shortening): nothing at all.
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(g_pImposterManager->GetBatchCount(), batches);
    m_Cluster.m_Centre.x = 4000.0f / 0.9f + 10.0f - 1.0f;
    NextFrame();
    m_Proxy.Draw(nullptr);
    EXPECT_EQ(g_pImposterManager->GetBatchCount(), batches + 1);
    EXPECT_EQ(m_Cluster.GetVertexCount(), 6u);
    EXPECT_EQ(m_Cluster.GetVertices(), m_Cluster.pInstance->aVertex);
    // The proxy's box is the cluster's.
    EXPECT_EQ(m_Proxy.GetBoundBox()->centre[0], m_Cluster.m_Centre.x);
    EXPECT_EQ(m_Proxy.GetBoundBox()->size[0], 20.0f);
}

TEST_F(VegetationTest, AClusterBlockMustHoldWholeInstances)
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

    whole.Load();
    EXPECT_EQ(whole.GetInstanceCount(), 2u);
    EXPECT_EQ(whole.GetInstances()[1].aVertex[0].nData, 3);
    broken.Load();
    EXPECT_EQ(broken.GetInstanceCount(), 0u);
    EXPECT_EQ(broken.GetInstances(), nullptr);
    EXPECT_EQ(lines.Count("'broken': a block of 193 bytes is no whole number of instances"), 1u);
    whole.Release();
    EXPECT_EQ(whole.GetInstanceCount(), 0u);
}

// A damaged image may hold anything in the words a cluster fills at run time: the load takes
// none of it for an allocation of its own.
TEST_F(VegetationTest, AClustersStoredRunTimeWordsAreForgottenNotFreed)
{
    std::vector<u8> block(sizeof(TImposterRecord), 0);
    TRepositoryWriter writer(72, REPOSITORY_STREAMED);
    TVegetationCluster cluster;
    cluster.m_Name = TName("patch", true);
    writer.AddBlock(&cluster, block.data(), sizeof(TImposterRecord));
    ASSERT_TRUE(writer.Write("stale.data", nullptr, 0, false));
    TRepository repository(72, REPOSITORY_STREAMED, TName("stale.data", true));
    ASSERT_TRUE(repository.OpenStreamed("stale.data", false));
    cluster.SetData(&repository, cluster.m_nDataOffset, cluster.m_nDataSize);
    std::memset(&cluster.pInstance, 0x5A, sizeof cluster.pInstance);
    std::memset(&cluster.pInstanceMatrix, 0xA5, sizeof cluster.pInstanceMatrix);
    std::memset(&cluster.pMatrixInstances, 0x5A, sizeof cluster.pMatrixInstances);
    cluster.m_nMatrixCount = 1000;

    cluster.Load();
    EXPECT_EQ(cluster.GetInstanceCount(), 1u);
    ASSERT_NE(cluster.GetInstances(), nullptr);
    EXPECT_EQ(cluster.pInstanceMatrix, nullptr);
    EXPECT_EQ(cluster.pMatrixInstances, nullptr);
    EXPECT_EQ(cluster.m_nMatrixCount, 0u);
    cluster.Release();
    EXPECT_EQ(cluster.GetInstances(), nullptr);
}

TEST_F(VegetationTest, TheHeightCacheMeasuresOnceAndForgetsTheLeastRecentlyUsed)
{
    AddGround(0.0f);
    TVegetationHeightCache& cache = TVegetationHeightCache::Get();
    cache.Clear();
    AddAreas(1);
    TVegetationArea& area = *m_aArea[0];
    // A box 16 across whose bottom is 1.5 over the ground; its last column is off the ground.
    area.m_Bounds.minimum = TVector(-4.0f, 0.0f, -8.0f, 1.0f);
    area.m_Bounds.maximum = TVector(12.0f, 2.0f, 8.0f, 1.0f);
    area.m_Bounds.Update();
    area.GetNode()->SetLocalMatrix(Translation(0.0f, 1.5f, 0.0f), TNode::OrdinaryCause());
    const auto measure = [&] { return cache.Heights(*area.GetMatrix(), area.GetBoundBox()); };
    const f32* heights = measure();
    EXPECT_NEAR(heights[0], 1.5f, 1e-4f);
    EXPECT_NEAR(heights[6], 1.5f, 1e-4f);
    EXPECT_EQ(heights[7], 0.0f);
    EXPECT_EQ(cache.GetCount(), 1u);
    // The same position again: the grid kept, nothing measured (the ground moved meanwhile).
    area.GetNode()->SetLocalMatrix(Translation(0.0f, 1.5f, 0.0f), TNode::OrdinaryCause());
    EXPECT_EQ(measure(), heights);

    // 256 positions fill it; the first is used again, so the 257th pushes out the second.
    cache.Clear();
    for (u32 i = 0; i < VEGETATION_HEIGHT_CACHE_CAPACITY; ++i)
    {
        area.GetNode()->SetLocalMatrix(Translation(100.0f + i, 0.0f, 0.0f), TNode::OrdinaryCause());
        measure();
    }
    EXPECT_EQ(cache.GetCount(), 256u);
    area.GetNode()->SetLocalMatrix(Translation(100.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
    measure();
    area.GetNode()->SetLocalMatrix(Translation(-1.0f, 0.0f, 0.0f), TNode::OrdinaryCause());
    measure();
    EXPECT_EQ(cache.GetCount(), 256u);
    EXPECT_TRUE(cache.Contains(TVector(100.0f, 0.0f, 0.0f, 1.0f)));
    EXPECT_FALSE(cache.Contains(TVector(101.0f, 0.0f, 0.0f, 1.0f)));
    EXPECT_TRUE(cache.Contains(TVector(102.0f, 0.0f, 0.0f, 1.0f)));
    EXPECT_TRUE(cache.Contains(TVector(-1.0f, 0.0f, 0.0f, 1.0f)));
    cache.Clear();
}

// A plant vertex's ground cell is the cell whose centre the height grid measures: row across z,
// column across x; points outside the box, and boxes without extent, take the nearest cell.
TEST(VegetationVertex, TheGroundCellIsTheGridCellMeasuredUnderTheVertex)
{
    TBoundBox box{};
    box.minimum = TVector(-4.0f, 0.0f, -8.0f, 1.0f);
    box.maximum = TVector(12.0f, 2.0f, 8.0f, 1.0f);
    box.Update();
    for (u32 r = 0; r < VEGETATION_HEIGHT_GRID; ++r)
        for (u32 k = 0; k < VEGETATION_HEIGHT_GRID; ++k)
            EXPECT_EQ(VegetationGroundCell(-4.0f + (k + 0.5f) * 2.0f, -8.0f + (r + 0.5f) * 2.0f, box), r * 8 + k);
    // The corners: the minimum is the first cell, the maximum the last.
    EXPECT_EQ(VegetationGroundCell(-4.0f, -8.0f, box), 0u);
    EXPECT_EQ(VegetationGroundCell(12.0f, 8.0f, box), 63u);
    EXPECT_EQ(VegetationGroundCell(11.99f, -7.99f, box), 7u);
    // Outside on either side, and no number.
    EXPECT_EQ(VegetationGroundCell(-4.01f, 8.01f, box), 56u);
    EXPECT_EQ(VegetationGroundCell(1e9f, -1e9f, box), 7u);
    EXPECT_EQ(VegetationGroundCell(std::nanf(""), std::nanf(""), box), 0u);
    // A box without extent (a single point).
    box.maximum = box.minimum;
    box.Update();
    EXPECT_EQ(VegetationGroundCell(3.0f, 3.0f, box), 0u);

    // The layout the tools write and the shaders' rows name.
    const TMeshDescription layout = VegetationVertexDescription();
    EXPECT_EQ(layout.VertexLayout, TName("vegetation"));
    ASSERT_EQ(layout.nElementCount, 4u);
    const auto& last = layout.aElement[3];
    EXPECT_EQ(std::vector<u32>({layout.nStride, last.nFirst, last.nUsage, last.nType, last.nUsageIndex}),
              std::vector<u32>({36u, 32u, MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT1, 1u}));
}

TEST_F(VegetationTest, TheShadersReceiveTheParametersAndTheGroundUnderTheObject)
{
    TVegetationSettings settings = Manager().GetSettings();
    for (u32 i = 0; i < 8; ++i)
    {
        settings.aParam1[i] = static_cast<f32>(i + 1);
        settings.aParam2[i] = static_cast<f32>(i + 11);
    }
    settings.fParam0W = 0.25f;
    Manager().SetData(0, &settings, sizeof settings);
    AddAreas(1);
    Range()->SetInt(60);
    const std::vector<TVector> param = Shaded("TVegetationParam", nullptr);
    ASSERT_EQ(param.size(), 3u);
    EXPECT_EQ(std::vector<f32>({param[0].x, param[0].y, param[0].z, param[1].x, param[1].w, param[2].y, param[2].w}),
              std::vector<f32>({30.0f, 60.0f, 0.25f, 1.0f, 7.0f, 13.0f, 17.0f}));

    AddGround(0.0f);
    TVegetationHeightCache::Get().Clear();
    TVegetationArea& area = *m_aArea[0];
    area.m_Bounds.minimum = TVector(-4.0f, 0.0f, -4.0f, 1.0f);
    area.m_Bounds.maximum = TVector(4.0f, 1.0f, 4.0f, 1.0f);
    area.m_Bounds.Update();
    area.GetNode()->SetLocalMatrix(Translation(0.0f, 0.75f, 0.0f), TNode::OrdinaryCause());
    const std::vector<TVector> heights = Shaded("TVegetationHeightMap", &area);
    ASSERT_EQ(heights.size(), 16u);
    EXPECT_NEAR(heights[0].x, 0.75f, 1e-4f);
    EXPECT_NEAR(heights[15].w, 0.75f, 1e-4f);
    TVegetationHeightCache::Get().Clear();
}

// The shader of an area's mesh gets the mesh, whose own node stays at the origin: the ground is
// measured where the area draws it.
TEST_F(VegetationTest, AnAreasMeshIsMeasuredWhereTheAreaDrawsIt)
{
    // Ground about x = 30 only.
    TNxCollisionMesh* ground = Place("ground", Ground("ground"), 30.0f, 0.0f, 0.0f);
    ground->SetGroupsMask(VEGETATION_GROUND_GROUP);
    ground->__Create();
    TVegetationHeightCache::Get().Clear();
    AddAreas(1);
    // Areas drawn: a range with areas to place.
    Range()->SetInt(60);
    TVegetationArea& area = *m_aArea[0];
    area.m_nMeshCount = 1;
    area.aMesh[0] = &m_Blade;
    // The mesh's box: 8 across, its bottom at its node.
    TBoundBox& box = *const_cast<TBoundBox*>(MeshDataBoundBox(&m_Data));
    box.minimum = TVector(-4.0f, 0.0f, -4.0f, 1.0f);
    box.maximum = TVector(4.0f, 1.0f, 4.0f, 1.0f);
    box.Update();
    area.GetNode()->SetLocalMatrix(Translation(30.0f, 0.75f, 0.0f), TNode::OrdinaryCause());
    static std::vector<TVector> s_aHeights;
    s_aHeights.clear();
    g_pDrawMeshData = [](TMeshData*, const TMatrix&, TRenderContext*, TMesh* mesh) {
        s_aHeights = Shaded("TVegetationHeightMap", mesh);
    };
    area.Draw(nullptr);
    ASSERT_EQ(s_aHeights.size(), 16u);
    EXPECT_NEAR(s_aHeights[0].x, 0.75f, 1e-4f);
    EXPECT_NEAR(s_aHeights[15].w, 0.75f, 1e-4f);
    EXPECT_TRUE(TVegetationHeightCache::Get().Contains(TVector(30.0f, 0.75f, 0.0f, 1.0f)));
    EXPECT_FALSE(TVegetationHeightCache::Get().Contains(TVector(0.0f, 0.0f, 0.0f, 1.0f)));
    TVegetationHeightCache::Get().Clear();
}

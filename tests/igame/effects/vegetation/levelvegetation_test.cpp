// The level's vegetation in its frame: the areas placed around the camera by the probes, the
// grass patch along the near edge fading along its length, and the cluster load's materials.
#include "levelframefixture.h"
#include "loglines.h"

#include "directx/render/dxmaterialmanager.h"
#include "engine/render/material.h"
#include "engine/render/camera.h"
#include "engine/render/impostermanager.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shadowmanager.h"
#include "engine/system/managermanager.h"
#include "igame/effects/vegetation/vegetationarea.h"
#include "igame/effects/vegetation/vegetationcluster.h"
#include "igame/effects/vegetation/vegetationheightcache.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "levelrenderscene.h"
#include "levelvegetation.h"

namespace
{

class LevelVegetationTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        // The start-up script's cluster load of the managers: the imposters' one draws the far
        // quads after the "Normal" queue.
        g_pVegetationManager->OnClusterLoad();
        g_pRenderSceneManager->AddListener(g_pImposterManager);
        g_pImposterManager->OnClusterLoad();
        // Near the patch's west end, looking along it.
        TNode* eye = g_pNodeManager->FindNode(TName(LEVEL_CAMERA_NODE).GetId());
        ASSERT_NE(eye, nullptr);
        TMatrix view(1.0f);
        view.SetOrientation(TVector(1.0f, -0.15f, 0.1f, 0.0f).Normalized(), TVector(0.0f, 1.0f, 0.0f, 0.0f));
        view.aRow[3] = TVector(4.0f, 2.0f, -97.0f, 1.0f);
        eye->SetLocalMatrix(view, TNode::OrdinaryCause());
        // The camera the vegetation measures from is the main camera: the one the frame is seen by.
        auto* camera = static_cast<TCamera*>(eye->FindObject(TName("TCamera").GetId()));
        ASSERT_NE(camera, nullptr);
        g_pDxCameraManager->SetMainCamera(camera);
        // Near 5 and far 10 after the update's range factor of 0.5: the far quads fade in from 5
        // to 10, the plants whole to 8.75, cut away once faded below half (11.25), gone beyond
        // 13.75.
        Variable("imposter.distance")->Assign(Values({"10", "10", "20", "1"}).data(), 4);
        Variable("vegetation.range")->SetInt(40);
    }
    void TearDown() override
    {
        Variable("imposter.distance")->Assign(Values({"50", "50", "100", "1"}).data(), 4);
        g_pImposterManager->OnClusterUnload();
        g_pRenderSceneManager->RemoveListener(g_pImposterManager);
        LevelFrameTest::TearDown();
    }
    static std::vector<TName> Values(std::initializer_list<const char*> texts)
    {
        std::vector<TName> values;
        for (const char* text : texts)
            values.emplace_back(text, true);
        return values;
    }
    // A frame of the manager system as the game runs its update list: the fixed-rate probing,
    // then the frame update's placing.
    static void UpdateVegetation()
    {
        static const TName s_System("VegetationFrame", true);
        if (g_ManagerManager.FindSystem(s_System))
            g_ManagerManager.__ActivateSystem(s_System);
        else
        {
            g_ManagerManager.CreateSystem(s_System);
            g_ManagerManager.AddUpdateManager(g_pVegetationManager, 0);
        }
        // Long enough for a step of the vegetation's fixed rate (20 a second).
        g_ManagerManager.Update(0.1f);
    }
    static u32 PlacedAreas()
    {
        u32 placed = 0;
        for (i32 i = 0; i < g_pVegetationManager->Areas().GetCount(); ++i)
            placed += g_pVegetationManager->Areas()[i]->GetNode()->IsEnabled();
        return placed;
    }
};
} // namespace

TEST_F(LevelVegetationTest, AreasAroundTheCameraThePatchFadingAlongItsLengthAndTheListedMaterials)
{
    TVegetationManager& manager = *g_pVegetationManager;
    ASSERT_EQ(manager.Areas().GetCount(), static_cast<i32>(LEVEL_VEGETATION_AREAS));
    ASSERT_EQ(manager.Clusters().GetCount(), static_cast<i32>(LEVEL_VEGETATION_PATCHES));
    // The camera takes its place from its node at a frame.
    DrawFrame();
    manager.SetRangeFactor(1.0f);
    UpdateVegetation();
    EXPECT_EQ(manager.GetRangeFactor(), 0.5f);
    // The camera's cell is (0, -100): the rows at z = -140 and -120 lie off the ground.
    EXPECT_EQ(PlacedAreas(), 15u);
    m_Timer.Update();
    TVegetationHeightCache::Get().Clear();
    std::vector<std::uint32_t> frame = DrawFrame();
    // The ground under each drawn area is measured where the area lies.
    u32 measured = 0;
    for (i32 i = 0; i < manager.Areas().GetCount(); ++i)
        if (manager.Areas()[i]->GetNode()->IsEnabled())
            measured += TVegetationHeightCache::Get().Contains(manager.Areas()[i]->GetMatrix()->Translation());
    EXPECT_GT(measured, 0u);
    EXPECT_FALSE(TVegetationHeightCache::Get().Contains(TVector(0.0f, 0.0f, 0.0f, 1.0f)));
    const TVegetationCluster& west = *manager.Clusters()[0];
    EXPECT_GT(west.GetInstanceCount(), 0u);
    EXPECT_GT(manager.GetDrawnCount(), 0u);
    u32 instances = 0;
    for (i32 i = 0; i < manager.Clusters().GetCount(); ++i)
        instances += manager.Clusters()[i]->GetInstanceCount();
    // The far ones are left to their quads.
    EXPECT_LT(manager.GetDrawnCount(), instances);
    EXPECT_GT(west.GetFadedCount(), 0u);
    EXPECT_EQ(CompareWithGolden("vegetation_fade", frame, kWidth, kHeight), "");

    // A range of 0: no area, no probing.
    Variable("vegetation.range")->SetInt(0);
    UpdateVegetation();
    EXPECT_EQ(manager.GetWaitingCount(), 0u);
    EXPECT_EQ(PlacedAreas(), 0u);

    // A cluster load gives the listed materials the vegetation texture.
    TMaterial* box = g_pDxMaterialManager->FindMaterial(TName("level_box"));
    TMaterial* area = g_pDxMaterialManager->FindMaterial(TName("grass_area"));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(area, nullptr);
    void* data = nullptr;
    i32 size = 0;
    g_pVegetationManager->GetData(0, data, size);
    TVegetationSettings settings = *static_cast<const TVegetationSettings*>(data);
    // Eight listed: all taken; the texture is the level's grass.
    settings.nMaterialCount = 8;
    for (u32& material : settings.aMaterial)
        material = TName("grass_area").GetId();
    settings.aMaterial[7] = TName("level_box").GetId();
    g_pVegetationManager->SetData(0, &settings, sizeof settings);
    g_pVegetationManager->OnClusterLoad();
    ASSERT_NE(box->aTexture[1], nullptr);
    EXPECT_EQ(box->aTexture[1]->m_Name, TName("grass_tuft"));
    EXPECT_EQ(area->aTexture[1], box->aTexture[1]);
    // A ninth is cut with a line, the first eight still take it.
    box->aTexture[1] = nullptr;
    TLogLines lines;
    settings.nMaterialCount = 9;
    g_pVegetationManager->SetData(0, &settings, sizeof settings);
    g_pVegetationManager->OnClusterLoad();
    EXPECT_NE(box->aTexture[1], nullptr);
    EXPECT_EQ(lines.Count("9 materials listed: the first 8 take the vegetation texture"), 1u);
}

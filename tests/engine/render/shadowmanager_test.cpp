// The shadow manager, its settings and the directional cascades: the enable refusal, the map size,
// the slots of the casting lights, the split distances and counts, the directional pass, and the
// local lights' field of view and caster lists.
#include "deferredscene.h"

#include "engine/render/pipelinerecorder.h"
#include "engine/render/shadowcascades.h"
#include "engine/render/shadowsettings.h"
#include "engine/system/command/variable.h"

namespace
{
class ShadowManagerTest : public DeferredSceneTest
{
protected:
    ShadowManagerTest()
    {
        g_pShadowManager->SetEnabled(0);
        g_pShadowManager->SetEnabled(1);
        camera.m_fFarClip = 1000.0f;
        camera.m_Placement = TMatrix(1.0f);
        camera.m_View = TMatrix::MultiplyInverse(TMatrix(1.0f), camera.m_Placement);
        ResetSplitCasters();
    }
    ~ShadowManagerTest() override
    {
        Run("set shadow.map.size 1024");
        Run("set shadow.distance.factor 1");
        Run("set shadow.map.splits 0");
        Run("set shadow.map.splitweight 0.8");
        Run("set shadow.soften 1");
        ResetSplitCasters();
    }
    static std::vector<f32> MapSize()
    {
        return {g_pShadowManager->GetMapWidth(), g_pShadowManager->GetMapHeight()};
    }
    static i32 Variable(const char* name)
    {
        return TCommandManager::Instance().FindVariable(TName(name))->GetValue().ToInt();
    }
    // A sun above the scene shining down (+z of its node along -y).
    TLight& Sun()
    {
        TMatrix down(1.0f);
        down.aRow[1] = TVector(0.0f, 0.0f, 1.0f, 0.0f);
        down.aRow[2] = TVector(0.0f, -1.0f, 0.0f, 0.0f);
        down.aRow[3] = TVector(0.0f, 100.0f, 0.0f, 1.0f);
        TLight& sun = Light(LIGHT_DIRECTIONAL, 2.0f, down);
        sun.m_nCastsShadows = 1;
        return sun;
    }
};

TEST_F(ShadowManagerTest, ShadowsAreRefusedUnderTheForwardRendererAndTheVariableReadsZero)
{
    Run("set deferredrendering.disable 1");
    Run("set shadow.enable 1");
    EXPECT_EQ(g_pShadowManager->IsEnabled(), 0u);
    EXPECT_EQ(Variable("shadow.enable"), 0);
    Run("set deferredrendering.disable 0");
    Run("set shadow.enable 1");
    EXPECT_EQ(g_pShadowManager->IsEnabled(), 1u);
    EXPECT_EQ(Variable("shadow.enable"), 1);
}

TEST_F(ShadowManagerTest, TheMapSizeTakesItsWidthForAMissingHeightIgnoresOtherTypesAndIsCutToTheDevice)
{
    Run("set shadow.map.size 2048");
    EXPECT_EQ(MapSize(), (std::vector<f32>{2048, 2048}));
    g_pShadowManager->RenderShadows();
    const auto* map = static_cast<TRecordingTarget*>(g_pShadowManager->GetTarget(SHADOW_TARGET_MAP));
    ASSERT_NE(map, nullptr);
    EXPECT_EQ((std::vector<i32>{map->m_Texture.m_nWidth, map->m_Texture.m_nHeight}), (std::vector<i32>{2048, 2048}));

    // A value of another type is a size of (0, 0): nothing changes.
    TVariable* size = TCommandManager::Instance().FindVariable(TName("shadow.map.size"));
    size->SetInt(512);
    EXPECT_EQ(MapSize(), (std::vector<f32>{2048, 2048}));
    size->Store(2048.0f, 0.0f, 0.0f, 1.0f);
    // The last size the device makes, and the first beyond it.
    Run("set shadow.map.size 4096 1024");
    EXPECT_EQ(MapSize(), (std::vector<f32>{4096, 1024}));
    EXPECT_FALSE(Logged("beyond the device's largest texture"));
    Run("set shadow.map.size 4097");
    EXPECT_EQ(MapSize(), (std::vector<f32>{4096, 4096}));
    EXPECT_TRUE(Logged("4097x4097 is beyond the device's largest texture: cut to 4096"));
}

TEST_F(ShadowManagerTest, CastingLightsTakeSlotsInOrderAndTheFifthHasNoChannel)
{
    std::vector<TLight*> lights;
    for (u32 i = 0; i < 5; ++i)
        lights.push_back(&Sun());
    TLight& weak = Sun();
    weak.m_fPower = 0.49f;
    weak.m_aChannel[0][0] = 5.0f;
    Object(0.0f, 0.0f, 20.0f, 1.0f);
    g_pShadowManager->RenderShadows();
    EXPECT_EQ(g_pShadowManager->GetShadowCount(), 4u);
    // Slot i selects channel i of the eight; the fifth light none.
    for (u32 light = 0; light < 5; ++light)
        for (u32 k = 0; k < 8; ++k)
            EXPECT_EQ(lights[light]->m_aChannel[k / 4][k % 4], k == light && light < 4 ? 1.0f : 0.0f) << light;
    // Below half power a light casts nothing and its selectors stay as they were.
    EXPECT_EQ(weak.m_aChannel[0][0], 5.0f);
    // The pass leaves the camera it found current.
    EXPECT_EQ(g_pCameraManager->GetCurrentCamera(), &camera);
    EXPECT_EQ(TShadowManager::HaveCasterListsChanged(), 0u);
}

TEST_F(ShadowManagerTest, SplitDistancesAreUniformForWeightZeroAndLogarithmicForOne)
{
    f32 d[5];
    ShadowSplitDistances(1.0f, 401.0f, 4, 0.0f, d);
    EXPECT_EQ((std::vector<f32>(d, d + 5)), (std::vector<f32>{1.0f, 101.0f, 201.0f, 301.0f, 401.0f}));
    ShadowSplitDistances(1.0f, 16.0f, 4, 1.0f, d);
    EXPECT_FLOAT_EQ(d[1], 2.0f);
    EXPECT_FLOAT_EQ(d[2], 4.0f);
    EXPECT_FLOAT_EQ(d[3], 8.0f);

    TLight& sun = Sun();
    EXPECT_EQ(ShadowSplitCount(sun), 4u);
    Run("set shadow.map.splits 2");
    EXPECT_EQ(ShadowSplitCount(sun), 2u);
    // Counts beyond 1 to 4 are clamped.
    Run("set shadow.map.splits 9");
    EXPECT_EQ(ShadowSplitCount(sun), 4u);
    Run("set shadow.map.splits 0");
    sun.m_nSplitCount = -3;
    EXPECT_EQ(ShadowSplitCount(sun), 1u);
    Run("set shadow.map.splitweight 0.25");
    EXPECT_EQ(ShadowSplitWeight(), 0.25f);
}

TEST_F(ShadowManagerTest, TheDirectionalPassDrawsEachSplitWithCastersAndCoversTheRestBeyondTheLast)
{
    TLight& sun = Sun();
    Object(0.0f, 0.0f, 5.0f, 1.0f);
    g_PipelineRecorder.SetRecording(1);
    g_pShadowManager->RenderShadows();
    std::vector<u32> steps;
    for (u32 i = 0; i < g_PipelineRecorder.GetStepCount(); ++i)
        steps.push_back(g_PipelineRecorder.GetStep(i).nStep);
    g_PipelineRecorder.Reset();
    g_PipelineRecorder.SetRecording(0);
    // The box lies in the first split only: one map, one projection, then the final projection.
    EXPECT_EQ(steps, (std::vector<u32>{TName("Directional shadow buffer (split 0)").GetId(),
                                       TName("Directional shadow projection").GetId()}));
    EXPECT_EQ(SplitCasters(0).aCaster.GetCount(), 1);
    EXPECT_EQ(SplitCasters(3).aCaster.GetCount(), 0);
    const TVector& range = g_ShadowParameters.aVector[SHADOW_RANGE];
    const TVector& bias = g_ShadowParameters.aVector[SHADOW_BIAS];
    EXPECT_EQ(bias.w, 1.0f);
    EXPECT_EQ(range.y, 1000.0f);
    EXPECT_EQ(range.w, sun.m_fShadowDistance);

    // A shadow distance beyond the camera's far distance: the splits end at the far distance,
    // vector 3.w keeps the whole distance.
    camera.m_fFarClip = 200.0f;
    sun.m_fShadowDistance = 500.0f;
    ResetSplitCasters();
    g_pShadowManager->RenderShadows();
    EXPECT_EQ(range.w, 500.0f);
    EXPECT_LE(range.y, 200.0f);
}

TEST_F(ShadowManagerTest, ALocalLightsFieldOfViewIsItsConeTwiceInDegreesWithAMarginWithinLimits)
{
    TLight& spot = Light(LIGHT_SPOT);
    spot.m_aConeAngle[0] = 0.5f;
    spot.m_aConeAngle[1] = 0.1f;
    EXPECT_FLOAT_EQ(ShadowLocalFieldOfView(spot), 2.0f * 0.5f * 57.29578f + 3.0f);
    spot.m_aConeAngle[1] = -0.1f;
    EXPECT_FLOAT_EQ(ShadowLocalFieldOfView(spot), 2.0f * 0.6f * 57.29578f + 3.0f);
    spot.m_aConeAngle[0] = 2.0f;
    EXPECT_EQ(ShadowLocalFieldOfView(spot), 170.0f);
    spot.m_aConeAngle[0] = -1.0f;
    spot.m_aConeAngle[1] = 0.0f;
    EXPECT_EQ(ShadowLocalFieldOfView(spot), 1.0f);
}

TEST_F(ShadowManagerTest, EachLocalLightKeepsItsOwnCasterListUpToItsCapacity)
{
    Object(0.0f, 0.0f, 5.0f, 1.0f);
    Object(0.0f, 0.0f, 30.0f, 1.0f);
    Object(0.0f, 0.0f, 400.0f, 1.0f);
    const auto caster = [&](i32 type, f32 distance, const TMatrix& at) -> TLight& {
        TLight& light = Light(type, 2.0f, at);
        light.m_nCastsShadows = 1;
        light.m_fShadowDistance = distance;
        return light;
    };
    TLight& near = caster(LIGHT_SPOT, 50.0f, TMatrix(1.0f));
    TLight& far = caster(LIGHT_POINT, 50.0f, Translation(0.0f, 0.0f, 390.0f));
    g_pShadowManager->RenderShadows();
    EXPECT_EQ(ShadowLocalCasterCount(0), 2u);
    EXPECT_EQ(ShadowLocalCasterCount(1), 1u);
    // The point light's map gets its lit border.
    EXPECT_NE(std::count_if(m_Device.journal.begin(), m_Device.journal.end(),
                            [](const std::string& line) { return line.rfind("tile", 0) == 0; }),
              0);
    // Another light taking the slot, where the first one stood, gathers its own casters.
    near.m_nCastsShadows = far.m_nCastsShadows = 0;
    TLight& close = caster(LIGHT_SPOT, 10.0f, TMatrix(1.0f));
    g_pShadowManager->RenderShadows();
    EXPECT_EQ(ShadowLocalCasterCount(0), 1u);
    // The list holds at most SHADOW_LOCAL_CASTERS of the casters in reach.
    for (u32 i = 0; i < SHADOW_LOCAL_CASTERS; ++i)
        Object(0.0f, 0.0f, 5.0f, 1.0f);
    TShadowManager::__ResetCasterLists();
    g_pShadowManager->RenderShadows();
    EXPECT_EQ(ShadowLocalCasterCount(0), SHADOW_LOCAL_CASTERS);
    close.m_nCastsShadows = 0;
}
} // namespace

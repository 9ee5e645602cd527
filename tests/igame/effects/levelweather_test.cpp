// Rain over the level's frame: the streaks in front of the scene and none inside an occlusion box
// about the eye or under the hangar roof; nothing without a texture or with "effect_dynamicweather" 0.
#include "levelframefixture.h"

#include "engine/system/node.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsettings.h"
#include "igame/effects/effectsmanager.h"
#include "leveleffects.h"
#include "levelrenderscene.h"

#include <cstring>

namespace
{
class LevelWeatherTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        std::memcpy(&m_Saved, &Weather().Block(), sizeof m_Saved);
        for (u32 i = 0; i < WEATHER_LAYERS; ++i)
            m_aOffset[i] = Weather().GetLayer(i).Offset;
        Weather().ResetCamera();
        m_pAfterScene = [] { g_pDynamicWeatherManager->RenderManager(); };
        // The level's rain look, with three layers of it.
        const TEffectSettings* rain = g_pEffectsManager->FindSettings(TName(LEVEL_EFFECTS_RAIN).GetId());
        ASSERT_NE(rain, nullptr);
        Weather().SetCurrentState(reinterpret_cast<const u8*>(rain) + offsetof(TEffectSettings, aWeather));
        Weather().Block().Current.aParameter[WEATHER_LAYER_COUNT] = 3.0f;
    }
    void TearDown() override
    {
        Weather().OnClusterUnload();
        std::memcpy(&Weather().Block(), &m_Saved, sizeof m_Saved);
        for (u32 i = 0; i < WEATHER_LAYERS; ++i)
            Weather().Layer(i).Offset = m_aOffset[i];
        Weather().OcclusionBoxes().SetCount(0);
        LevelFrameTest::TearDown();
    }
    static TDynamicWeatherManager& Weather() { return *g_pDynamicWeatherManager; }

    TWeatherBlock m_Saved;
    TVector m_aOffset[WEATHER_LAYERS];
};
} // namespace

TEST_F(LevelWeatherTest, RainFallsBeforeTheSceneAndNotInsideTheOcclusionBoxWithoutATextureOrWithTheSwitchOff)
{
    ASSERT_NE(Weather().Block().Current.Texture.Get(), nullptr) << "the rain look names its texture";
    Weather().UpdateManager(kStep);
    const u32 drawn = Weather().GetLayersDrawn();
    EXPECT_EQ(CompareWithGolden("weather_rain", DrawFrame(), kWidth, kHeight), "");
    EXPECT_EQ(Weather().GetLayersDrawn() - drawn, 3u);

    // A box about the eye: no rain falls within it.
    TNode* eye = g_pNodeManager->FindNode(TName(LEVEL_CAMERA_NODE).GetId());
    ASSERT_NE(eye, nullptr);
    TNode roof;
    TMatrix at(1.0f);
    at.aRow[3] = eye->GetWorldMatrix()->aRow[3];
    roof.SetWorldMatrix(at, TNode::OrdinaryCause());
    TWeatherOcclusionBox box;
    box.pNode = &roof;
    box.m_aValue[0] = box.m_aValue[2] = 40.0f;
    box.m_aValue[1] = 20.0f;
    Weather().OcclusionBoxes().Add(&box);
    Weather().UpdateManager(kStep);
    EXPECT_EQ(CompareWithGolden("weather_occluded", DrawFrame(), kWidth, kHeight), "");
    Weather().OcclusionBoxes().SetCount(0);
    box.pNode = nullptr;

    // Nothing falls with the switch off, nor without a texture.
    const u32 before = Weather().GetLayersDrawn();
    Variable("effect.dynamicweather")->SetInt(0);
    DrawFrame();
    EXPECT_EQ(Weather().GetLayersDrawn(), before);
    Variable("effect.dynamicweather")->SetInt(1);
    Weather().Block().Current.Texture = TClusterHandleLink();
    DrawFrame();
    EXPECT_EQ(Weather().GetLayersDrawn(), before);
}

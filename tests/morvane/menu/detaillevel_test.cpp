// The detail level's change: its fourteen "set" lines and the fall to 1 without deferred support.
#include "menufixture.h"

#include "engine/render/deferredrendering.h"
#include "morvane/ui/detaillevelvariable.h"

#include <string>
#include <vector>

namespace
{
using DetailLevelTest = MenuTest;

TVariable* Variable(const char* name)
{
    return TCommandManager::Instance().FindVariable(MakeCommandName(name, false));
}

std::vector<std::string> Lines(i32 level)
{
    const auto lines = Tdevice_detaillevelVariable::Commands(level);
    return {lines.begin(), lines.end()};
}
} // namespace

TEST(DetailLevel, EachLevelSetsTheRenderersInTheTablesOrder)
{
    EXPECT_EQ(Lines(0), (std::vector<std::string>{
                            "set deferredrendering.disable 1", "set effect.haze 0", "set effect.overlay 0",
                            "set effect.dof 0", "set ambient.occlusion 0", "set effect.lensflares 0",
                            "set effect.dynamicweather 0", "set effect.edgeaa 0", "set effect.motionblur 0",
                            "set imposter.distance 30 30", "set ifx.lod 0.2", "set device.texture.mipmap.skip 2",
                            "set shadow.map.size 0", "set shadow.enable 0"}));
    EXPECT_EQ(Lines(1), (std::vector<std::string>{
                            "set deferredrendering.disable 1", "set effect.haze 0", "set effect.overlay 0",
                            "set effect.dof 0", "set ambient.occlusion 0", "set effect.lensflares 0",
                            "set effect.dynamicweather 0", "set effect.edgeaa 0", "set effect.motionblur 0",
                            "set imposter.distance 45 45", "set ifx.lod 0.4", "set device.texture.mipmap.skip 1",
                            "set shadow.map.size 0", "set shadow.enable 0"}));
    EXPECT_EQ(Lines(2), (std::vector<std::string>{
                            "set deferredrendering.disable 0", "set effect.haze 1", "set effect.overlay 0",
                            "set effect.dof 0", "set ambient.occlusion 0", "set effect.lensflares 0",
                            "set effect.dynamicweather 1", "set effect.edgeaa 0", "set effect.motionblur 0",
                            "set imposter.distance 60 60", "set ifx.lod 0.6", "set device.texture.mipmap.skip 0",
                            "set shadow.map.size 512", "set shadow.enable 0"}));
    EXPECT_EQ(Lines(3), (std::vector<std::string>{
                            "set deferredrendering.disable 0", "set effect.haze 1", "set effect.overlay 1",
                            "set effect.dof 0", "set ambient.occlusion 0", "set effect.lensflares 0",
                            "set effect.dynamicweather 1", "set effect.edgeaa 1", "set effect.motionblur 0",
                            "set imposter.distance 75 75", "set ifx.lod 0.8", "set device.texture.mipmap.skip 0",
                            "set shadow.map.size 1024", "set shadow.enable 1"}));
    EXPECT_EQ(Lines(4), (std::vector<std::string>{
                            "set deferredrendering.disable 0", "set effect.haze 1", "set effect.overlay 1",
                            "set effect.dof 1", "set ambient.occlusion 0", "set effect.lensflares 1",
                            "set effect.dynamicweather 1", "set effect.edgeaa 1", "set effect.motionblur 1",
                            "set imposter.distance 90 90", "set ifx.lod 1.0", "set device.texture.mipmap.skip 0",
                            "set shadow.map.size 2048", "set shadow.enable 1"}));
    EXPECT_EQ(Lines(5), (std::vector<std::string>{
                            "set deferredrendering.disable 0", "set effect.haze 1", "set effect.overlay 1",
                            "set effect.dof 1", "set ambient.occlusion 1", "set effect.lensflares 1",
                            "set effect.dynamicweather 1", "set effect.edgeaa 1", "set effect.motionblur 1",
                            "set imposter.distance 105 105", "set ifx.lod 1.2", "set device.texture.mipmap.skip 0",
                            "set shadow.map.size 2048", "set shadow.enable 1"}));
    // Levels past the highest act as it in every row.
    EXPECT_EQ(Lines(6), Lines(5));
    EXPECT_EQ(Lines(7), Lines(5));
}

TEST_F(DetailLevelTest, AChangeLogsTheLevelAndSetsTheRegisteredVariables)
{
    Start();
    TVariable* detail = Variable("device_detaillevel");
    ASSERT_NE(detail, nullptr);
    detail->SetInt(2);
    EXPECT_EQ(m_Log.Count("Tdevice_detaillevelVariable::OnValueChanged(): set level of detail to 2"), 1u);
    EXPECT_EQ(Variable("shadow_map_size")->GetValue().aVector[0], 512.0f);
    EXPECT_EQ(Variable("deferredrendering_disable")->GetValue().ToInt(), 0);
    // Below 0 (or no number): nothing.
    const size_t lines = m_Log.lines.size();
    detail->SetInt(-1);
    EXPECT_EQ(m_Log.lines.size(), lines);
    EXPECT_EQ(Variable("shadow_map_size")->GetValue().aVector[0], 512.0f);
    detail->SetInt(DETAIL_LEVEL_DEFAULT);
}

TEST_F(DetailLevelTest, WithoutDeferredSupportLevelsOfTwoAndMoreFallToOne)
{
    Start();
    TVariable* detail = Variable("device_detaillevel");
    const u32 supported = g_pDeferredRendering->m_nSupported;
    g_pDeferredRendering->m_nSupported = 0;
    detail->SetInt(3);
    EXPECT_EQ(detail->GetValue().ToInt(), 1);
    EXPECT_EQ(detail->GetFlags() & VARIABLE_CHANGED, VARIABLE_CHANGED);
    EXPECT_EQ(m_Log.Count("set level of detail to 1"), 1u) << "one notification";
    EXPECT_EQ(m_Log.Count("set level of detail to 3"), 0u);
    EXPECT_EQ(Variable("deferredrendering_disable")->GetValue().ToInt(), 1);
    EXPECT_EQ(Variable("shadow_map_size")->GetValue().aVector[0], 0.0f);
    // Level 1 itself needs no deferred renderer.
    detail->SetInt(1);
    EXPECT_EQ(m_Log.Count("set level of detail to 1"), 2u);
    g_pDeferredRendering->m_nSupported = supported;
    detail->SetInt(DETAIL_LEVEL_DEFAULT);
}

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
    const char* const names[] = {"deferredrendering.disable", "effect.haze", "effect.overlay", "effect.dof",
                                 "ambient.occlusion", "effect.lensflares", "effect.dynamicweather", "effect.edgeaa",
                                 "effect.motionblur", "imposter.distance", "ifx.lod", "device.texture.mipmap.skip",
                                 "shadow.map.size", "shadow.enable"};
    // Levels past the highest act as it in every row.
    const std::vector<std::vector<std::string>> values = {
        {"1", "0", "0", "0", "0", "0", "0", "0", "0", "30 30", "0.2", "2", "0", "0"},
        {"1", "0", "0", "0", "0", "0", "0", "0", "0", "45 45", "0.4", "1", "0", "0"},
        {"0", "1", "0", "0", "0", "0", "1", "0", "0", "60 60", "0.6", "0", "512", "0"},
        {"0", "1", "1", "0", "0", "0", "1", "1", "0", "75 75", "0.8", "0", "1024", "1"},
        {"0", "1", "1", "1", "0", "1", "1", "1", "1", "90 90", "1.0", "0", "2048", "1"},
        {"0", "1", "1", "1", "1", "1", "1", "1", "1", "105 105", "1.2", "0", "2048", "1"},
        {"0", "1", "1", "1", "1", "1", "1", "1", "1", "105 105", "1.2", "0", "2048", "1"}};
    for (i32 level = 0; level < 7; ++level)
        for (size_t i = 0; i < 14; ++i)
            EXPECT_EQ(Lines(level)[i], std::string("set ") + names[i] + " " + values[level][i]) << level;
}

TEST_F(DetailLevelTest, AChangeLogsTheLevelAndSetsTheRegisteredVariablesFallingToOneWithoutDeferredSupport)
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

    // Without deferred support levels of two and more fall to one.
    m_Log.lines.clear();
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

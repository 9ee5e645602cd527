// The detail level's change: its log line, the variables it sets, and the fall to 1 without
// deferred support.
#include "menufixture.h"

#include "engine/render/deferredrendering.h"
#include "morvane/ui/detaillevelvariable.h"

namespace
{
using DetailLevelTest = MenuTest;
} // namespace

TEST_F(DetailLevelTest, AChangeLogsTheLevelAndSetsTheRegisteredVariablesRefusesANegativeOneAndFallsToOneWithoutDeferredSupport)
{
    Start();
    TVariable* detail = Variable("device_detaillevel");
    ASSERT_NE(detail, nullptr);
    detail->SetInt(2);
    EXPECT_EQ(m_Log.Count("Tdevice_detaillevelVariable::OnValueChanged(): set level of detail to 2"), 1u);
    EXPECT_EQ(Variable("shadow_map_size")->GetValue().aVector[0], 512.0f);
    EXPECT_EQ(Variable("deferredrendering_disable")->GetValue().ToInt(), 0);
    // Below 0 (or no number): refused with a line, the level in force kept as the value the
    // settings write back; 0 is the lowest level.
    detail->SetInt(-1);
    EXPECT_EQ(m_Log.Count("level of detail -1 refused: it stays 2"), 1u);
    EXPECT_EQ(detail->GetValue().ToInt(), 2);
    EXPECT_EQ(Variable("shadow_map_size")->GetValue().aVector[0], 512.0f);
    detail->SetInt(0);
    EXPECT_EQ(m_Log.Count("set level of detail to 0"), 1u);
    EXPECT_EQ(Variable("device_texture_mipmap_skip")->GetValue().ToInt(), 2);

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

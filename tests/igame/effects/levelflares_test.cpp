// The level's runway lights drawn as lens flares over its frame: the first frame takes every
// flare as seen while its query is out; the next ones take what each query saw (the fades set to
// 0 here: the visibility jumps to its target), so the light behind the terminal goes, and so
// does a runway light moved behind it; with "effect_lensflares" 0 nothing is drawn and no query
// is issued; the queries go back when the manager finalizes.
#include "levelframefixture.h"

#include "core/system/string.h"
#include "igame/effects/lensflare.h"
#include "levelflares.h"

namespace
{
class LevelFlaresTest : public LevelFrameTest
{
protected:
    void SetUp() override
    {
        LevelFrameTest::SetUp();
        for (i32 i = 0; i < g_pLensFlareManager->Flares().GetCount(); ++i)
            g_pLensFlareManager->Flares()[i]->m_fFadeInTime = g_pLensFlareManager->Flares()[i]->m_fFadeOutTime = 0.0f;
    }
    static TLensFlare* Light(const char* name)
    {
        TNode* node = g_pNodeManager->FindNode(TName(name).GetId());
        return node ? static_cast<TLensFlare*>(node->FindObject(TName("TLensFlare").GetId())) : nullptr;
    }
    static TLensFlare* Runway(u32 i)
    {
        char name[32];
        FormatStringN(name, sizeof name, LEVEL_RUNWAY_LIGHT, i);
        return Light(name);
    }
};
} // namespace

TEST_F(LevelFlaresTest, RunwayLightsFlareAndLightsBehindTheTerminalFade)
{
    ASSERT_EQ(g_pLensFlareManager->Flares().GetCount(), static_cast<i32>(LEVEL_RUNWAY_LIGHTS + 1));
    TLensFlare* roof = Light(LEVEL_HIDDEN_LIGHT);
    ASSERT_NE(roof, nullptr);
    ASSERT_NE(Runway(0), nullptr);

    // The first frame: every query goes out, every flare drawn whole.
    DrawFrame();
    EXPECT_EQ(g_pLensFlareManager->GetQueriesIssued(), LEVEL_RUNWAY_LIGHTS + 1);
    EXPECT_EQ(roof->m_fVisibility, 1.0f);
    // Then each takes what its query saw.
    DrawFrame();
    const std::vector<std::uint32_t> visible = DrawFrame();
    EXPECT_EQ(CompareWithGolden("lensflare_visible", visible, kWidth, kHeight), "");
    for (u32 i = 0; i < LEVEL_RUNWAY_LIGHTS; ++i)
        EXPECT_GT(Runway(i)->m_fVisibility, 0.9f) << i;
    EXPECT_LT(roof->m_fVisibility, 0.05f);

    // A runway light moved behind the terminal goes too.
    TMatrix behind = *Runway(0)->GetMatrix();
    behind.aRow[3] = TVector(36.0f, 2.0f, -20.0f, 1.0f);
    Runway(0)->GetNode()->SetLocalMatrix(behind, TNode::OrdinaryCause());
    DrawFrame();
    const std::vector<std::uint32_t> hidden = DrawFrame();
    EXPECT_LT(Runway(0)->m_fVisibility, 0.05f);
    EXPECT_EQ(CompareWithGolden("lensflare_hidden", hidden, kWidth, kHeight), "");

    // Switched off: no query, nothing drawn.
    Variable("effect.lensflares")->SetInt(0);
    const u32 drawn = g_pLensFlareManager->GetDrawnVertices();
    DrawFrame();
    EXPECT_EQ(g_pLensFlareManager->GetDrawnVertices(), drawn);
    Variable("effect.lensflares")->SetInt(1);

    // A program ending with the level loaded gives the queries back as the manager finalizes.
    ASSERT_NE(roof->pOcclusionQuery, nullptr);
    g_pLensFlareManager->FinalizeManager();
    for (i32 i = 0; i < g_pLensFlareManager->Flares().GetCount(); ++i)
        EXPECT_EQ(g_pLensFlareManager->Flares()[i]->pOcclusionQuery, nullptr) << i;
}

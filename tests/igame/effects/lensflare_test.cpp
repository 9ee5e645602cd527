// Lens flares: the active list their nodes' switches keep, the fade towards what the occlusion
// query saw, the cone factor, the target of a partly hidden square, the axes and blend modes
// out of range, and the quad that shrinks with the intensity.
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/lensflare.h"
#include "igame/effects/lensflaremanager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

namespace
{
std::vector<TLensFlare*> Active()
{
    std::vector<TLensFlare*> list;
    for (TLensFlare* f = g_pLensFlareManager->GetFirstActive(); f; f = f->pNext)
        list.push_back(f);
    return list;
}
} // namespace

TEST(LensFlare, TheActiveListFollowsTheNodesSwitches)
{
    g_pLensFlareManager->OnClusterLoad();
    TLensFlare a, b, c;
    a.m_fVisibility = 0.7f;
    a.OnEnable(1);
    b.OnEnable(1);
    c.OnEnable(1);
    a.OnEnable(1);
    EXPECT_EQ(Active(), (std::vector<TLensFlare*>{&a, &b, &c}));
    EXPECT_EQ(a.m_fVisibility, 0.0f);
    b.OnEnable(0);
    EXPECT_EQ(Active(), (std::vector<TLensFlare*>{&a, &c}));
    a.OnEnable(0);
    c.OnEnable(0);
    EXPECT_TRUE(Active().empty());
    b.OnEnable(1);
    EXPECT_EQ(Active(), (std::vector<TLensFlare*>{&b}));
    b.OnEnable(0);
}

TEST(LensFlare, VisibilityFadesTowardsItsTargetAtTheFadeRates)
{
    TLensFlare flare;
    // Without fade times the visibility jumps to the target.
    flare.FadeTowards(0.5f, 0.1f);
    EXPECT_EQ(flare.m_fVisibility, 0.5f);
    flare.FadeTowards(0.0f, 0.1f);
    EXPECT_EQ(flare.m_fVisibility, 0.0f);
    // Two seconds in, one out: a quarter second moves it by an eighth, and by a quarter.
    flare.m_fFadeInTime = 2.0f;
    flare.m_fFadeOutTime = 1.0f;
    flare.FadeTowards(0.525f, 0.25f);
    EXPECT_FLOAT_EQ(flare.m_fVisibility, 0.125f);
    for (int i = 0; i < 10; ++i)
        flare.FadeTowards(0.525f, 0.25f);
    EXPECT_FLOAT_EQ(flare.m_fVisibility, 0.525f);
    flare.FadeTowards(0.0f, 0.25f);
    EXPECT_FLOAT_EQ(flare.m_fVisibility, 0.275f);
    flare.FadeTowards(0.0f, 1.0f);
    EXPECT_EQ(flare.m_fVisibility, 0.0f);
}

TEST(LensFlare, TheTargetOfAPartlyHiddenSquare)
{
    // Half of a 100-pixel square seen: 0.5 x 1.05; all of it: limited to 1; no area: 0.
    for (auto [seen, area, target] : {std::tuple{50.0f, 100.0f, 0.525f}, {100.0f, 100.0f, 1.0f}, {0.0f, 100.0f, 0.0f},
                                      {10.0f, 0.0f, 0.0f}, {10.0f, std::nanf(""), 0.0f}})
        EXPECT_FLOAT_EQ(TLensFlare::OcclusionTarget(seen, area), target) << seen << " of " << area;
}

TEST(LensFlare, TheConeFadesBetweenItsCosines)
{
    TLensFlare flare;
    // The default cosines (-1, -1): full from every direction.
    for (f32 c : {-1.0f, 0.0f, 1.0f})
        EXPECT_EQ(flare.ConeFactor(c), 1.0f) << c;
    flare.m_fConeFull = 0.9f;
    flare.m_fConeZero = 0.5f;
    for (auto [c, factor] : {std::pair{0.95f, 1.0f}, {0.9f, 1.0f}, {0.7f, 0.5f}, {0.5f, 0.0f}, {0.4f, 0.0f}})
        EXPECT_FLOAT_EQ(flare.ConeFactor(c), factor) << c;
}

TEST(LensFlare, AxesByModeAndModesOutOfRange)
{
    TLensFlare flare;
    TMatrix node(1.0f);
    node.aRow[0] = TVector(2.0f, 0.0f, 0.0f, 0.0f);
    node.aRow[2] = TVector(0.0f, 0.0f, 3.0f, 0.0f);
    const TVector up(0.0f, 1.0f, 0.0f, 0.0f), toCamera(0.0f, 0.0f, -1.0f, 0.0f);
    // Mode 0: right = up x d, up = right x d; out of range: mode 0, blend 1.
    const struct
    {
        u32 mode;
        TVector right, up;
    } cases[] = {{0, {-1, 0, 0, 0}, {0, -1, 0, 0}}, {1, {1, 0, 0, 0}, {0, 0, 1, 0}}, {2, {-1, 0, 0, 0}, {0, 0, 1, 0}},
                 {7, {-1, 0, 0, 0}, {0, -1, 0, 0}}};
    for (const auto& c : cases)
    {
        TVector r, u;
        flare.m_nOrientationMode = c.mode;
        flare.Axes(up, toCamera, node, r, u);
        EXPECT_NEAR(r.Dot(c.right), 1.0f, 1e-5f) << c.mode;
        EXPECT_NEAR(u.Dot(c.up), 1.0f, 1e-5f) << c.mode;
    }
    for (auto [stored, mode] : {std::pair{0u, 0u}, {1u, 1u}, {2u, 2u}, {3u, 1u}, {0xFFFFFFFFu, 1u}})
    {
        flare.m_nBlendMode = stored;
        EXPECT_EQ(flare.GetBlendMode(), mode) << stored;
    }
}

TEST(LensFlare, TheQuadShrinksWithItsIntensity)
{
    TCanvasVertex quad[LENS_FLARE_QUAD_VERTICES];
    const TVector p(1.0f, 2.0f, 3.0f, 1.0f), r(1.0f, 0.0f, 0.0f, 0.0f), u(0.0f, 1.0f, 0.0f, 0.0f);
    TLensFlare::WriteQuad(quad, p, r, u, 0.5f, 0.25f, 0x80FFFFFFu);
    EXPECT_EQ(std::vector<f32>({quad[0].x, quad[0].y, quad[0].u, quad[0].v, quad[2].x, quad[5].y}),
              std::vector<f32>({0.5f, 2.25f, 0.0f, 1.0f, 1.5f, 1.75f}));
    EXPECT_EQ(quad[5].nColor, 0x80FFFFFFu);
    // At visibility 0 it has no area.
    TLensFlare::WriteQuad(quad, p, r, u, 0.0f, 0.0f, 0);
    for (const TCanvasVertex& v : quad)
        EXPECT_TRUE(v.x == 1.0f && v.y == 2.0f && v.z == 3.0f);
}

// Lens flares: the axes and blend modes out of range.
#include "igame/effects/lensflare.h"

#include <gtest/gtest.h>

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

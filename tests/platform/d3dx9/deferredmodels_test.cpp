// The deferred renderer's light models over small screens: a spot lights the pixels inside its
// cone and leaves every other one unlit, also in quads that its cone cuts; no light adds anything
// where nothing was drawn.
#include "screenpassfixture.h"
#include "platform/d3d9/simdlevel.h"

#include <limits>

namespace
{
using screenpass::kSize;

class DeferredLightTest : public screenpass::ScreenPassTest
{
protected:
    // `model` over `positions` into `target`: normals facing the eye, no shadow, a white
    // projection, the light block `light` (c0-c4) and the world's axes as the camera's view.
    void DrawLight(const char* model, const float (&light)[5][4], IDirect3DTexture9* positions,
                   IDirect3DSurface9* target)
    {
        if (!normals)
        {
            normals = FloatTexture([](UINT, UINT, float* n) {
                n[0] = n[1] = 0.0f;
                n[2] = -1.0f;
                n[3] = 1.0f;
            });
            mask = ArgbTexture([](UINT, UINT) { return 0u; });
            white = ArgbTexture([](UINT, UINT) { return 0xFFFFFFFFu; });
        }
        float constants[24][4] = {};
        std::memcpy(constants, light, sizeof light);
        for (int i = 0; i < 4; ++i)
            constants[20 + i][i] = 1.0f;
        DrawScreen(model, constants, 24, {{0, positions}, {1, normals}, {6, mask}, {13, white}}, {target});
    }

    IDirect3DTexture9* normals = nullptr;
    IDirect3DTexture9* mask = nullptr;
    IDirect3DTexture9* white = nullptr;
};

TEST_F(DeferredLightTest, ASpotLightsThePixelsInsideItsConeAndNoOther)
{
    // Positions on a plane 10 deep facing the camera; the spot at the eye looking down the view,
    // its cone 1.5 wide at that depth: pixels up to one step off the middle (8, 8) each way lie
    // inside it, those two steps off outside, and the quads around the middle have both.
    IDirect3DTexture9* positions = Positions([](UINT) { return 10.0f; });
    const float outer = 10.0f / std::sqrt(100.0f + 1.5f * 1.5f);
    const float light[5][4] = {{0.0f, 0.0f, 0.0f, 100.0f}, // at the eye, range 100
                               {0.0f, 0.0f, -1.0f, 1.0f},  // towards the light, intensity 1
                               {1.0f, 1.0f, 1.0f, 0.0f},   // white
                               {},                         // no ambient
                               {outer, outer + 0.001f, 0.0f, 0.0f}};
    for (const char* model : {"deferredspot", "deferredspotprojected"})
    {
        IDirect3DSurface9* target = Target();
        DrawLight(model, light, positions, target);
        const std::vector<std::uint32_t> lit = ReadTarget(target);
        int wrong = 0;
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
            {
                const bool inside = x >= 7 && x <= 9 && y >= 7 && y <= 9;
                const std::uint32_t pixel = lit[y * kSize + x];
                wrong += inside ? (pixel & 0xFF0000u) == 0 : pixel != 0xFF000000u;
            }
        EXPECT_EQ(0, wrong) << model;
    }
}

TEST_F(DeferredLightTest, NoLightAddsAnythingWhereNothingWasDrawn)
{
    // Undrawn pixels (w 0) hold what a light would light, or infinities and NaN: whole undrawn
    // quads beside drawn ones (a pair of quads shades both at once), and undrawn pixels inside
    // drawn quads. A subtracting spot there would give -0 as light times 0, the infinities NaN.
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const auto undrawn = [](UINT x, UINT y) { return (x / 2 + y / 2) % 2 == 1 || (x == 4 && y == 4); };
    IDirect3DTexture9* positions = FloatTexture([&](UINT x, UINT y, float* p) {
        p[0] = float(x) - 8.0f;
        p[1] = float(y) - 8.0f;
        p[2] = 10.0f;
        p[3] = 1.0f;
        if (undrawn(x, y))
        {
            const float odd[3] = {inf, -inf, nan};
            if (y % 4 == 1)
                p[0] = p[1] = p[2] = odd[x % 3];
            p[3] = 0.0f;
        }
    });
    const float light[5][4] = {{0.0f, 0.0f, 0.0f, 100.0f},  // at the eye, range 100
                               {0.0f, 0.0f, -1.0f, 1.0f},   // towards the light, intensity 1
                               {1.0f, 0.5f, 0.25f, 0.0f},   // its colour
                               {0.0f, 0.0f, 0.0f, 0.0f},    // no ambient
                               {0.1f, 0.2f, 0.0f, 0.0f}};   // a wide cone
    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (!SetRasteriserSimdLevel(level))
            continue;
        for (const char* model : {"deferreddirectional", "deferredpoint", "deferredspot", "deferredspotsubtract",
                                  "deferredspotsubtractprojected"})
        {
            IDirect3DSurface9* target = Target(D3DFMT_A16B16G16R16F);
            DrawLight(model, light, positions, target);
            const std::vector<std::uint32_t> lit = ReadTarget(target);
            int wrong = 0, litPixels = 0;
            for (UINT y = 0; y < kSize; ++y)
                for (UINT x = 0; x < kSize; ++x)
                {
                    const std::uint32_t rg = lit[2 * (y * kSize + x)], ba = lit[2 * (y * kSize + x) + 1];
                    if (undrawn(x, y))
                        wrong += rg != 0u || ba != 0u;
                    else
                        litPixels += rg != 0u;
                }
            EXPECT_EQ(0, wrong) << model << " at level " << int(level);
            EXPECT_GT(litPixels, 0) << model << " at level " << int(level);
        }
    }
    SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
}
} // namespace

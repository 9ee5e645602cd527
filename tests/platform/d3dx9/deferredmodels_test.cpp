// The deferred renderer's light models over small screens: a spot lights the pixels inside its
// cone and leaves every other one unlit, also in quads that its cone cuts.
#include "screenpassfixture.h"

namespace
{
using screenpass::kSize;
using DeferredLightTest = screenpass::ScreenPassTest;

TEST_F(DeferredLightTest, ASpotLightsThePixelsInsideItsConeAndNoOther)
{
    // Positions on a plane 10 deep facing the camera; the spot at the eye looking down the view,
    // its cone 1.5 wide at that depth: pixels up to one step off the middle (8, 8) each way lie
    // inside it, those two steps off outside, and the quads around the middle have both.
    IDirect3DTexture9* positions = Positions([](UINT) { return 10.0f; });
    IDirect3DTexture9* normals = FloatTexture([](UINT, UINT, float* n) {
        n[0] = n[1] = 0.0f;
        n[2] = -1.0f;
        n[3] = 1.0f;
    });
    IDirect3DTexture9* mask = ArgbTexture([](UINT, UINT) { return 0u; });
    IDirect3DTexture9* white = ArgbTexture([](UINT, UINT) { return 0xFFFFFFFFu; });
    const float outer = 10.0f / std::sqrt(100.0f + 1.5f * 1.5f);
    float constants[24][4] = {};
    const float light[5][4] = {{0.0f, 0.0f, 0.0f, 100.0f}, // at the eye, range 100
                               {0.0f, 0.0f, -1.0f, 1.0f},  // towards the light, intensity 1
                               {1.0f, 1.0f, 1.0f, 0.0f},   // white
                               {},                         // no ambient
                               {outer, outer + 0.001f, 0.0f, 0.0f}};
    std::memcpy(constants, light, sizeof light);
    for (int i = 0; i < 4; ++i)
        constants[20 + i][i] = 1.0f; // the camera's view: the world's axes
    for (const char* model : {"deferredspot", "deferredspotprojected"})
    {
        IDirect3DSurface9* target = Target();
        DrawScreen(model, constants, 24, {{0, positions}, {1, normals}, {6, mask}, {13, white}}, {target});
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
} // namespace

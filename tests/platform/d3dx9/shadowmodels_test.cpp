// The shadow manager's models: the projection's masks each follow their own positions, also where
// the transparent positions are the opaque ones (the model reads the map once there), through a
// split's orthographic matrix and a local light's perspective one; the soften blur spreads a
// shadowed texel over its taps and nowhere else, and keeps a colour all five taps hold exactly,
// on every path.
#include "screenpassfixture.h"
#include "platform/d3d9/simdlevel.h"

#include <string>

namespace
{
using screenpass::kSize;

class ShadowProjectionTest : public screenpass::ScreenPassTest
{
protected:
    // An 8 x 8 map holding `stored` (one less the depth) everywhere.
    IDirect3DTexture9* UniformMap(float stored)
    {
        IDirect3DTexture9* map = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(8, 8, 1, 0, D3DFMT_R32F, D3DPOOL_MANAGED, &map, nullptr));
        if (!map)
            return nullptr;
        Own(map);
        D3DLOCKED_RECT locked;
        map->LockRect(0, &locked, nullptr, 0);
        for (UINT i = 0; i < 8; ++i)
            for (UINT x = 0; x < 8; ++x)
                reinterpret_cast<float*>(static_cast<std::uint8_t*>(locked.pBits) + i * UINT(locked.Pitch))[x] = stored;
        map->UnlockRect(0);
        return map;
    }
    // Texels off the picture both projection tests draw: the opaque mask shadowed everywhere, the
    // transparent one on its left half only.
    int WrongMaskTexels(IDirect3DSurface9* const (&masks)[2])
    {
        const std::vector<std::uint32_t> opaqueMask = ReadTarget(masks[0]), transparentMask = ReadTarget(masks[1]);
        int wrong = 0;
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
            {
                wrong += opaqueMask[y * kSize + x] != 0x00FF0000u;
                wrong += transparentMask[y * kSize + x] != (x < kSize / 2 ? 0x00FF0000u : 0u);
            }
        return wrong;
    }
};

// The map everywhere 0.6 (stored as one less the depth: 0.4). A directional split: map depth is
// camera depth times 0.05, the opaque positions at 10 beyond it (shadowed), the transparent ones
// at 5 on the right half in front. A local light's perspective matrix: w = 0.05 x depth, map x
// and y 0.025 x depth over it, map depth (0.03 x depth - 0.05) over it: 0.5 at 10 (shadowed),
// 0.35 at 4 (lit); undivided, the depth at 10 would be 0.25, in front of the map. Both fade from
// 90 to 100 in the red channel without bias; each mask follows its own positions.
TEST_F(ShadowProjectionTest, EachMaskFollowsItsOwnPositionsAndALocalLightDividesByW)
{
    const struct
    {
        float front;
        float constants[4][4];
    } cases[] = {
        {5.0f, {{0.05f, 0.0f, 0.0f, 0.5f}, {0.0f, 0.05f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.05f, 0.0f}, {0.0f, 0.0f, 0.0f, 1.0f}}},
        {4.0f, {{0.0f, 0.0f, 0.025f, 0.0f}, {0.0f, 0.0f, 0.025f, 0.0f}, {0.0f, 0.0f, 0.03f, -0.05f}, {0.0f, 0.0f, 0.05f, 0.0f}}},
    };
    for (const auto& c : cases)
    {
        IDirect3DTexture9* map = UniformMap(0.6f);
        ASSERT_NE(nullptr, map);
        IDirect3DTexture9* opaque = Positions([](UINT) { return 10.0f; });
        IDirect3DTexture9* transparent = Positions([&](UINT x) { return x < kSize / 2 ? 10.0f : c.front; });
        IDirect3DSurface9* masks[2] = {Target(), Target()};
        float constants[9][4] = {{}, {}, {}, {}, {}, {}, {1.0f, 0.0f, 0.0f, 0.0f}, {0.0f, 100.0f, 90.0f, 100.0f}, {}};
        std::memcpy(constants, c.constants, sizeof(c.constants));
        DrawScreen("shadowprojection", constants, 9, {{0, opaque}, {1, transparent}, {3, map}}, {masks[0], masks[1]});
        EXPECT_EQ(0, WrongMaskTexels(masks)) << c.front;
    }
}

TEST_F(ShadowProjectionTest, TheSoftenBlurSpreadsAShadowedTexelOverItsFiveTapsAlone)
{
    // One shadowed texel in the middle of an unshadowed mask, every position at one depth: each
    // pass spreads it over the two texels either side along its axis, a fifth each, and leaves
    // every other texel of the mask unshadowed (0x33 is 0.2 in a byte).
    IDirect3DTexture9* positions = Positions([](UINT) { return 10.0f; });
    IDirect3DTexture9* mask = ArgbTexture([](UINT x, UINT y) { return x == 9 && y == 9 ? 0x00FF0000u : 0u; });
    // A step of one texel and a depth tolerance of 5%; the target's size (c3: 1 / width, 1 / height).
    const float constants[4][4] = {{1.0f, 0.05f, 0.0f, 0.0f}, {}, {kSize, kSize, 0.0f, 0.0f},
                                   {1.0f / kSize, 1.0f / kSize, 0.0f, 0.0f}};
    for (const bool across : {true, false})
    {
        IDirect3DSurface9* target = Target();
        DrawScreen(across ? "shadowblurh" : "shadowblurv", constants, 4, {{0, mask}, {6, positions}}, {target});
        const std::vector<std::uint32_t> blurred = ReadTarget(target);
        int wrong = 0;
        for (UINT y = 0; y < kSize; ++y)
            for (UINT x = 0; x < kSize; ++x)
            {
                const UINT along = across ? x : y, other = across ? y : x;
                const bool reached = other == 9 && along >= 7 && along <= 11;
                wrong += blurred[y * kSize + x] != (reached ? 0x00330000u : 0u);
            }
        EXPECT_EQ(0, wrong) << (across ? "across" : "down");
    }
}

TEST_F(ShadowProjectionTest, TheSoftenBlurKeepsAColourItsFiveTapsAllHoldOnEveryPath)
{
    // The left half of the mask one colour, the right half noise; depths that keep one, three or
    // five of a row's taps. Pixels whose five taps all hold the colour answer it exactly (an R32F
    // target shows red's every bit; the full weighing of three taps would be a unit off in the
    // last place), the rest the weighed mean, and the loops draw what the bare function draws:
    // quads and pairs of quads mixing both kinds of pixel.
    constexpr std::uint32_t kColour = 0x7F317A05u;
    IDirect3DTexture9* mask = ArgbTexture([](UINT x, UINT y) {
        return x < kSize / 2 ? kColour : 0xFF000000u | ((x * 73u + y * 151u) * 2654435761u >> 8);
    });
    IDirect3DTexture9* positions = Positions([](UINT x) { return x % 3 == 0 ? 10.0f : 20.0f; });
    const float constants[4][4] = {{1.0f, 0.05f, 0.0f, 0.0f}, {}, {kSize, kSize, 0.0f, 0.0f},
                                   {1.0f / kSize, 1.0f / kSize, 0.0f, 0.0f}};
    IDirect3DSurface9* red = Target(D3DFMT_R32F);
    // Red of the colour as the sampler unpacks it.
    const float kept =
        _mm_cvtss_f32(_mm_mul_ss(_mm_set_ss(float((kColour >> 16) & 0xFF)), _mm_set_ss(1.0f / 255.0f)));
    std::uint32_t keptBits;
    std::memcpy(&keptBits, &kept, 4);
    int uniform = 0;
    for (const bool across : {true, false})
    {
        const char* model = across ? "shadowblurh" : "shadowblurv";
        const std::string pinned = std::string("pin.") + model;
        const TPixelModel* type = FindPixelModel(model);
        ASSERT_NE(nullptr, type);
        RegisterPixelModel(pinned.c_str(), type->function);
        for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
        {
            if (!SetRasteriserSimdLevel(level))
                continue;
            for (IDirect3DSurface9* target : {Target(), red})
            {
                DrawScreen(pinned.c_str(), constants, 4, {{0, mask}, {6, positions}}, {target});
                const std::vector<std::uint32_t> general = ReadTarget(target);
                DrawScreen(model, constants, 4, {{0, mask}, {6, positions}}, {target});
                const std::vector<std::uint32_t> own = ReadTarget(target);
                EXPECT_EQ(general, own) << model << " level " << int(level);
                for (UINT y = 0; y < kSize; ++y)
                    for (UINT x = 0; x < kSize; ++x)
                    {
                        // Taps wrap around the mask's edges.
                        bool allKept = true;
                        for (int k = -2; k <= 2; ++k)
                            allKept = allKept && (across ? (x + kSize + k) % kSize : x) < kSize / 2;
                        if (!allKept)
                            continue;
                        uniform += target == red;
                        EXPECT_EQ(target == red ? keptBits : kColour, own[y * kSize + x])
                            << model << " level " << int(level) << " at " << x << ", " << y;
                    }
            }
        }
    }
    SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
    EXPECT_GT(uniform, 0);
}
} // namespace

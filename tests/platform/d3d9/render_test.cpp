#include "renderfixture.h"

#include "golden.h"
#include "scenevertex.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/simdlevel.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace
{
// 30 triangles of uneven colours and alphas scattered over and past the 64x64 target.
std::vector<TTestVertex> Scattered(unsigned seed)
{
    std::vector<TTestVertex> triangles;
    for (int i = 0; i < 30 * 3; ++i)
    {
        const float x = 32.0f + Jitter(seed, 40.0f), y = 32.0f + Jitter(seed, 40.0f);
        triangles.push_back(At(x, y, 0, D3DCOLOR_ARGB(i * 37 & 0xFF, i * 11 & 0xFF, 255 - i, i * 5 & 0xFF)));
    }
    return triangles;
}

// The vertex with its clip position scaled by `w`: the same window position.
TTestVertex ScaledByW(TTestVertex v, float w)
{
    v.x *= w;
    v.y *= w;
    v.z *= w;
    v.w = w;
    return v;
}
} // namespace

TEST_F(RenderTest, SharedEdgesLightEveryPixelExactlyOnce)
{
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    // A jittered grid over more than the target, with vertices on and off pixel centres, and
    // a fan around an inner hub: every pixel must be covered exactly once.
    unsigned seed = 7;
    float gx[10][10], gy[10][10];
    for (int j = 0; j < 10; ++j)
    {
        for (int i = 0; i < 10; ++i)
        {
            const bool border = i == 0 || j == 0 || i == 9 || j == 9;
            gx[j][i] = -8.0f + i * 80.0f / 9.0f + (border ? 0.0f : Jitter(seed, 3.0f));
            gy[j][i] = -8.0f + j * 80.0f / 9.0f + (border ? 0.0f : Jitter(seed, 3.0f));
        }
    }
    gx[4][4] = 32.0f; // exactly on pixel centres
    gy[4][4] = 32.0f;
    gx[5][5] = 40.5f; // exactly between them
    gy[5][5] = 40.5f;
    std::vector<TTestVertex> triangles;
    const D3DCOLOR one = D3DCOLOR_ARGB(255, 1, 0, 0);
    for (int j = 0; j < 9; ++j)
    {
        for (int i = 0; i < 9; ++i)
        {
            const TTestVertex a = At(gx[j][i], gy[j][i], 0, one), b = At(gx[j][i + 1], gy[j][i + 1], 0, one);
            const TTestVertex c = At(gx[j + 1][i], gy[j + 1][i], 0, one),
                              d = At(gx[j + 1][i + 1], gy[j + 1][i + 1], 0, one);
            // Alternate the diagonal and the winding.
            if ((i + j) & 1)
                triangles.insert(triangles.end(), {a, b, d, a, d, c});
            else
                triangles.insert(triangles.end(), {a, c, b, b, c, d});
        }
    }
    // Pixels whose red is not exactly one.
    const auto wrong = [&] {
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        return std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t pixel) { return (pixel >> 16) != 1; });
    };
    ASSERT_EQ(D3D_OK, Draw(D3DPT_TRIANGLELIST, triangles));
    EXPECT_EQ(0, wrong());

    // A fan of thin slices around a hub between pixel centres.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    std::vector<TTestVertex> fan = {At(20.5f, 23.25f, 0, one)};
    for (int k = 0; k <= 40; ++k)
    {
        const float angle = float(k) / 40.0f * 6.2831853f;
        fan.push_back(At(20.5f + 90.0f * std::cos(angle), 23.25f + 90.0f * std::sin(angle), 0, one));
    }
    ASSERT_EQ(D3D_OK, Draw(D3DPT_TRIANGLEFAN, fan));
    EXPECT_EQ(0, wrong());
}

TEST_F(RenderTest, FillRuleGolden)
{
    // Triangles meeting on pixel centres, drawn additively: doubled pixels would be brighter.
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    Draw(D3DPT_TRIANGLELIST, {At(4, 4, 0, 0xFF800000), At(30, 4, 0, 0xFF800000), At(4, 30, 0, 0xFF800000),
                              At(30, 4, 0, 0xFF008000), At(30, 30, 0, 0xFF008000), At(4, 30, 0, 0xFF008000),
                              At(34, 4, 0, 0xFF000080), At(60, 17, 0, 0xFF000080), At(34, 30, 0, 0xFF000080),
                              At(34, 30, 0, 0xFF808000), At(60, 17, 0, 0xFF808000), At(60, 30, 0, 0xFF808000),
                              At(4.5f, 34.5f, 0, 0xFF800080), At(30.5f, 34.5f, 0, 0xFF800080),
                              At(17.5f, 60.5f, 0, 0xFF800080), At(34.25f, 34.75f, 0, 0xFF008080),
                              At(59.75f, 40.25f, 0, 0xFF008080), At(40.5f, 59.5f, 0, 0xFF008080)});
    ExpectGolden("fillrule");
}

TEST_F(RenderTest, DepthAndStencil)
{
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    // Near quad first, then a far one over it: the far one shows only around the near one.
    Quad(16, 16, 48, 48, 0.25f, 0xFFFF0000);
    Quad(8, 8, 56, 56, 0.75f, 0xFF00FF00);
    // Stencil: mark a band without writing colour or depth, then draw only where it is marked.
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_REPLACE);
    device->SetRenderState(D3DRS_STENCILREF, 1);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    Quad(0, 28, 64, 36, 0.5f, 0xFFFFFFFF);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    Quad(24, 0, 40, 64, 0.0f, 0xFF0000FF);
    ExpectGolden("depthstencil");
}

TEST_F(RenderTest, ABusyTileDrawsAsItsTrianglesOneByOne)
{
    // Many blended triangles heaped on one tile of a larger target, a few reaching into the
    // next tiles: the busy tile is shaded in bands of rows, side by side. Blending in order
    // shows any pixel drawn twice, missed or out of primitive order against the same triangles
    // drawn one per draw (each too small to be shared out).
    IDirect3DSurface9* target = TargetTexture(256, 192, D3DFMT_A8R8G8B8);
    device->SetRenderTarget(0, target);
    device->SetDepthStencilSurface(nullptr);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    // Positions in pixels of the target, as clip positions of the 64x64 one At() assumes.
    auto at = [](float x, float y, D3DCOLOR colour) { return At(x / 4.0f, y / 3.0f, 0, colour); };
    unsigned seed = 41;
    std::vector<TTestVertex> triangles;
    // Enough for several runs of set-up, each binning its own records.
    for (int i = 0; i < 1000; ++i)
    {
        // Around the tile at (64, 64): corners off pixel centres, on odd and even rows.
        const float cx = 96.0f + Jitter(seed, 30.0f), cy = 96.0f + Jitter(seed, 30.0f);
        const D3DCOLOR colour = D3DCOLOR_ARGB(40 + (i * 53 & 0x7F), i * 29 & 0xFF, 255 - (i & 0xFF), i * 7 & 0xFF);
        for (int corner = 0; corner < 3; ++corner)
            triangles.push_back(at(cx + Jitter(seed, 28.0f), cy + Jitter(seed, 28.0f), colour));
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010, 1.0f, 0);
    ASSERT_EQ(D3D_OK, Draw(D3DPT_TRIANGLELIST, triangles));
    const std::vector<std::uint32_t> together = ReadTarget(target);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010, 1.0f, 0);
    for (size_t i = 0; i < triangles.size(); i += 3)
        ASSERT_EQ(D3D_OK, Draw(D3DPT_TRIANGLELIST, {triangles[i], triangles[i + 1], triangles[i + 2]}));
    const std::vector<std::uint32_t> alone = ReadTarget(target);
    int different = 0, drawn = 0;
    for (size_t i = 0; i < alone.size(); ++i)
    {
        different += together[i] != alone[i];
        drawn += alone[i] != 0x80402010;
    }
    EXPECT_EQ(0, different);
    EXPECT_GT(drawn, 3000);
}

TEST_F(RenderTest, TextureModelsBlendEveryByteAsTheGeneralPath)
{
    // Texture-kind models blend and add in integers, models computing float channels in their
    // own float blending and adding: every source channel (columns), alpha (rows) and target
    // channel (red k, green k + 85, blue k + 170 over the clears) against the function through
    // the general path. On an X8R8G8B8 target, whose alpha blends as 1, alpha is blended again
    // (into the byte its format leaves unused, which every path writes alike).
    IDirect3DSurface9* const targets[2] = {TargetTexture(256, 256, D3DFMT_A8R8G8B8),
                                           TargetTexture(256, 256, D3DFMT_X8R8G8B8)};
    IDirect3DSurface9* target = targets[0];
    device->SetDepthStencilSurface(nullptr);
    device->SetTexture(0, Texture32(256, 256, 1, D3DFMT_A8R8G8B8,
                                    [](UINT x, UINT y, UINT) { return y << 24 | x * 0x010101u; }));
    Sampling(0, D3DTEXF_POINT);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    // Texel centres on pixel centres.
    const std::vector<TTestVertex> quad = {{-1.0f, 1.0f, 0.5f, 1.0f, 0, 0.0f, 0.0f},
                                           {1.0f, 1.0f, 0.5f, 1.0f, 0, 1.0f, 0.0f},
                                           {-1.0f, -1.0f, 0.5f, 1.0f, 0, 0.0f, 1.0f},
                                           {1.0f, -1.0f, 0.5f, 1.0f, 0, 1.0f, 1.0f}};
    auto blended = [&](const char* model, std::uint32_t k, bool blend = true) {
        device->SetRenderTarget(0, target);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255 - k, k, (k + 85) & 0xFF, (k + 170) & 0xFF),
                      1.0f, 0);
        UsePixelShader(model);
        Draw(D3DPT_TRIANGLESTRIP, quad);
        return ReadTarget(target, true);
    };
    // As ordinary transparency, and added (one and one).
    const DWORD factors[2][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}, {D3DBLEND_ONE, D3DBLEND_ONE}};
    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (!SetRasteriserSimdLevel(level))
            continue;
        // Stored, every channel packs back to its byte.
        target = targets[0];
        EXPECT_EQ(blended("test.texture", 0, false), blended("test.texture-channels", 0, false));
        for (const auto& factor : factors)
        {
            device->SetRenderState(D3DRS_SRCBLEND, factor[0]);
            device->SetRenderState(D3DRS_DESTBLEND, factor[1]);
            target = targets[1];
            const std::vector<std::uint32_t> opaque = blended("test.texture", 0);
            EXPECT_EQ(opaque, blended("test.texture-kind", 0));
            EXPECT_EQ(opaque, blended("test.texture-channels", 0));
            target = targets[0];
            int different = 0, channelsDifferent = 0;
            for (std::uint32_t k = 0; k < 86; ++k)
            {
                const std::vector<std::uint32_t> general = blended("test.texture", k),
                                                 kind = blended("test.texture-kind", k),
                                                 channels = blended("test.texture-channels", k);
                for (size_t i = 0; i < general.size(); ++i)
                {
                    different += general[i] != kind[i];
                    channelsDifferent += general[i] != channels[i];
                }
            }
            EXPECT_EQ(0, different) << "instruction level " << int(level) << " source factor " << factor[0];
            EXPECT_EQ(0, channelsDifferent) << "instruction level " << int(level) << " source factor " << factor[0];
        }
    }
    SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
}

TEST_F(RenderTest, AlphaTestAndBlending)
{
    // Alpha rises from left to right; the test keeps alpha above one half.
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    device->SetRenderState(D3DRS_ALPHAREF, 128);
    Draw(D3DPT_TRIANGLESTRIP, {At(0, 0, 0, 0x00FF0000), At(64, 0, 0, 0xFFFF0000), At(0, 20, 0, 0x00FF0000),
                               At(64, 20, 0, 0xFFFF0000)});
    device->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
    // Source-alpha blending over a green background band.
    Quad(0, 24, 64, 64, 0, 0xFF00FF00);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Quad(0, 24, 32, 64, 0, 0x800000FF);
    // Separate alpha, reverse subtract, and a blend factor.
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_REVSUBTRACT);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_BLENDFACTOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_BLENDFACTOR, 0xFF404040);
    Quad(32, 44, 64, 64, 0, 0xFFFFFFFF);
    ExpectGolden("alphablend");
}

TEST_F(RenderTest, ScissorKeepsExactlyItsRectangle)
{
    // The second's odd left and top and even last column and row cut through quads of 2x2 pixels.
    for (const RECT& scissor : {RECT{10, 20, 50, 30}, RECT{11, 21, 49, 31}})
        for (const char* model : {"test.colour", "test.colour-kind"})
        {
            device->SetRenderState(D3DRS_SCISSORTESTENABLE, FALSE);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
            device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
            device->SetScissorRect(&scissor);
            UsePixelShader(model);
            Quad(0, 0, 64, 64, 0, 0xFFFFFF00);
            const std::vector<std::uint32_t> pixels = ReadBackBuffer();
            int wrong = 0;
            for (int y = 0; y < 64; ++y)
                for (int x = 0; x < 64; ++x)
                {
                    const bool inside = x >= scissor.left && x < scissor.right && y >= scissor.top && y < scissor.bottom;
                    wrong += pixels[y * 64 + x] != (inside ? 0xFFFF00u : 0u);
                }
            EXPECT_EQ(0, wrong) << model << " " << scissor.left;
            if (scissor.left == 10 && std::string(model) == "test.colour")
                ExpectGolden("scissor");
        }
}

TEST_F(RenderTest, TwoRenderTargetsAtOnce)
{
    IDirect3DSurface9* surface = TargetTexture(64, 64, D3DFMT_A8R8G8B8);
    ASSERT_EQ(D3D_OK, device->SetRenderTarget(1, surface));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    UsePixelShader("test.two-targets");
    Quad(8, 8, 40, 40, 0, 0xFF204060);
    Draw(D3DPT_TRIANGLELIST,
         {At(40, 44, 0, 0xFFFF0000), At(62, 60, 0, 0xFF00FF00), At(20, 62, 0, 0xFF0000FF)});
    device->SetRenderTarget(1, nullptr);
    const std::vector<std::uint32_t> other = ReadTarget(surface);
    ExpectGolden("twotargets0");
    const std::string difference = CompareWithGolden("twotargets1", other, 64, 64);
    EXPECT_TRUE(difference.empty()) << difference;
}

TEST_F(RenderTest, FloatingPointTargets)
{
    IDirect3DSurface9* target = RenderTarget(64, 64, D3DFMT_A16B16G16R16F);
    device->SetRenderTarget(0, target);
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    // Values above one survive on a floating-point target.
    Quad(0, 0, 64, 64, 0, 0xFFFFFFFF);
    Quad(0, 0, 64, 64, 0, 0xFFFFFFFF);
    const std::vector<std::uint8_t> bytes = TargetBytes(target, 8);
    EXPECT_EQ(0x40, bytes[1]); // 2.0 in half precision
    EXPECT_EQ(0x00, bytes[0]);
}

TEST_F(RenderTest, AScissorKeepsTheBitsOfThePixelsItLetsThrough)
{
    // Perspective triangles of uneven colours into a float target, whole and then under scissors
    // of odd and even corners: every pixel a scissor lets through keeps its value to the bit, so a
    // light cut to its screen rectangle changes no pixel.
    IDirect3DSurface9* target = RenderTarget(64, 64, D3DFMT_R32F);
    device->SetRenderTarget(0, target);
    UsePixelShader("test.colour-kind");
    const std::vector<TTestVertex> triangles = {
        ScaledByW(At(-3.3f, 1.7f, 0.1f, 0xFF13A250), 0.7f), ScaledByW(At(66.1f, 5.9f, 0.4f, 0xFFE70C91), 2.3f),
        ScaledByW(At(9.6f, 63.2f, 0.8f, 0xFF5C31FE), 1.3f), ScaledByW(At(66.1f, 5.9f, 0.4f, 0xFFE70C91), 2.3f),
        ScaledByW(At(9.6f, 63.2f, 0.8f, 0xFF5C31FE), 1.3f), ScaledByW(At(70.0f, 70.0f, 0.2f, 0xFF8E7701), 0.9f)};
    const auto draw = [&] {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        Draw(D3DPT_TRIANGLELIST, triangles);
        return TargetBytes(target, 4);
    };
    const std::vector<std::uint8_t> whole = draw();
    device->SetRenderState(D3DRS_SCISSORTESTENABLE, TRUE);
    for (const RECT& scissor : {RECT{11, 21, 49, 31}, RECT{30, 6, 58, 47}, RECT{1, 37, 64, 64}})
    {
        device->SetScissorRect(&scissor);
        const std::vector<std::uint8_t> cut = draw();
        int differing = 0, kept = 0;
        for (int y = scissor.top; y < scissor.bottom; ++y)
        {
            for (int x = scissor.left; x < scissor.right; ++x)
            {
                const size_t at = size_t(y * 64 + x) * 4;
                differing += !std::equal(&cut[at], &cut[at] + 4, &whole[at]);
                kept += cut[at] | cut[at + 1] | cut[at + 2] | cut[at + 3] ? 1 : 0;
            }
        }
        EXPECT_EQ(0, differing) << scissor.left << ", " << scissor.top;
        EXPECT_GT(kept, 0);
    }
}

TEST_F(RenderTest, SixteenBitTargetsStoreAsTexelByTexel)
{
    // Triangles of colours beyond [0, 1] (and NaN, infinities) onto an R5G6B5 target of odd size,
    // stored four pixels at a time, against the same scene on an A32B32G32R32F target converted
    // texel by texel: every rounding and clamp of every covered pixel, quads hanging over edges.
    IDirect3DSurface9* wide = RenderTarget(63, 61, D3DFMT_A32B32G32R32F);
    IDirect3DSurface9* narrow = RenderTarget(63, 61, D3DFMT_R5G6B5);
    UsePixelShader("test.scaled-colour");
    const float inf = INFINITY, nan = NAN;
    const float constants[3][2][4] = {{{3.0f, 2.5f, -1.5f, 1.25f}, {-0.5f, 0.25f, 0.75f, -0.1f}},
                                      {{1.0f, 1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 0.0f}},
                                      {{inf, -inf, 0.0f, 1.0f}, {0.0f, 0.5f, nan, 0.0f}}};
    for (const auto& c : constants)
    {
        device->SetPixelShaderConstantF(0, &c[0][0], 2);
        std::vector<std::uint8_t> images[2];
        for (IDirect3DSurface9* target : {wide, narrow})
        {
            device->SetRenderTarget(0, target);
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
            Draw(D3DPT_TRIANGLELIST, Scattered(17));
            images[target == narrow] = TargetBytes(target, target == narrow ? 2 : 16);
        }
        std::vector<std::uint8_t> expected(images[1].size());
        for (size_t i = 0; i < expected.size() / 2; ++i)
        {
            float rgba[4];
            std::memcpy(rgba, &images[0][16 * i], 16);
            WriteTexel(D3DFMT_R5G6B5, &expected[2 * i], rgba);
        }
        EXPECT_EQ(expected, images[1]) << "constants " << c[0][0] << ", " << c[1][2];
    }
}

namespace
{
// Texels of a 4x4 texture of four colours in 2x2 checks, with one odd texel.
std::uint32_t Checker(UINT x, UINT y, UINT)
{
    const std::uint32_t colours[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    return x + y == 0 ? 0xFF000000 : colours[(y / 2) * 2 + x / 2];
}
} // namespace

TEST_F(RenderTest, TextureFilteringAndAddressing)
{
    UsePixelShader("test.texture");
    device->SetTexture(0, Texture32(4, 4, 1, D3DFMT_A8R8G8B8, Checker));
    // Point sampling, wrapped twice across.
    Quad(0, 0, 32, 32, 0, 0, 0, 0, 2, 2);
    Sampling(0, D3DTEXF_LINEAR, D3DTADDRESS_CLAMP);
    Quad(32, 0, 64, 32, 0, 0, -0.5f, -0.5f, 1.5f, 1.5f);
    Sampling(0, D3DTEXF_POINT, D3DTADDRESS_MIRROR);
    Quad(0, 32, 32, 64, 0, 0, -1, -1, 1, 1);
    // Bilinear with a border colour.
    Sampling(0, D3DTEXF_LINEAR, D3DTADDRESS_BORDER);
    device->SetSamplerState(0, D3DSAMP_BORDERCOLOR, 0xFF808000);
    Quad(32, 32, 64, 64, 0, 0, -0.5f, -0.5f, 1.5f, 1.5f);
    ExpectGolden("texture");
}

TEST_F(RenderTest, LinesAndPoints)
{
    Draw(D3DPT_LINELIST, {At(2, 2, 0, 0xFFFF0000), At(60, 2, 0, 0xFFFF0000), At(2, 6, 0, 0xFF00FF00),
                          At(2, 60, 0, 0xFF00FF00), At(8, 8, 0, 0xFFFFFFFF), At(56, 30, 0, 0xFF0000FF)});
    Draw(D3DPT_LINESTRIP, {At(10, 40, 0, 0xFFFFFF00), At(30, 60, 0, 0xFF00FFFF), At(50, 40, 0, 0xFFFF00FF)});
    Draw(D3DPT_POINTLIST, {At(40, 50, 0, 0xFFFFFFFF), At(45, 50, 0, 0xFFFFFFFF)});
    float size = 4.0f;
    DWORD bits;
    std::memcpy(&bits, &size, 4);
    device->SetRenderState(D3DRS_POINTSIZE, bits);
    Draw(D3DPT_POINTLIST, {At(56, 56, 0, 0xFFFF8000)});
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    // A horizontal line lights one row; its last pixel is drawn (D3DRS_LASTPIXEL).
    EXPECT_EQ(0xFF0000u, pixels[2 * 64 + 2]);
    EXPECT_EQ(0xFF0000u, pixels[2 * 64 + 60]);
    EXPECT_EQ(0u, pixels[1 * 64 + 30]);
    EXPECT_EQ(0u, pixels[3 * 64 + 30]);
    EXPECT_EQ(0x00FF00u, pixels[30 * 64 + 2]);
    EXPECT_EQ(0xFFFFFFu, pixels[50 * 64 + 40]);
    // A point of size 4 covers 4x4 pixels.
    int lit = 0;
    for (int y = 50; y < 62; ++y)
    {
        for (int x = 50; x < 62; ++x)
            lit += pixels[y * 64 + x] == 0xFF8000u;
    }
    EXPECT_EQ(16, lit);
    ExpectGolden("linespoints");
    // A line cut by the far plane ends at the cut without its last pixel: as the line drawn to
    // the cut point without one.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    Draw(D3DPT_LINELIST, {At(2, 10, 0.5f, 0xFFFFFFFF), At(60, 10, 1.5f, 0xFFFFFFFF)});
    device->SetRenderState(D3DRS_LASTPIXEL, FALSE);
    Draw(D3DPT_LINELIST, {At(2, 20, 0.5f, 0xFFFFFFFF), At(31, 20, 1.0f, 0xFFFFFFFF)});
    device->SetRenderState(D3DRS_LASTPIXEL, TRUE);
    const std::vector<std::uint32_t> cut = ReadBackBuffer();
    EXPECT_TRUE(std::equal(&cut[10 * 64], &cut[11 * 64], &cut[20 * 64]));
    EXPECT_EQ(29, std::count(&cut[10 * 64], &cut[11 * 64], 0xFFFFFFu));
}

TEST_F(RenderTest, ClippingAndPerspective)
{
    UsePixelShader("test.texture");
    device->SetTexture(0, Texture32(4, 4, 1, D3DFMT_A8R8G8B8, Checker));
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    // A floor of constant width receding to the horizon: w grows with distance, so the
    // columns of the texture converge and its rows close up.
    std::vector<TTestVertex> floor = {{-1.0f, -1.0f, 0.0f, 1.0f, 0, 0, 0},
                                      {1.0f, -1.0f, 0.0f, 1.0f, 0, 4, 0},
                                      {-1.0f, 8.0f, 7.0f, 8.0f, 0, 0, 16},
                                      {1.0f, 8.0f, 7.0f, 8.0f, 0, 4, 16}};
    // And one vertex behind the eye, clipped by the near plane.
    Draw(D3DPT_TRIANGLESTRIP, floor);
    UsePixelShader("test.colour");
    Draw(D3DPT_TRIANGLELIST, {{-0.9f, 0.9f, 0.5f, 1.0f, 0xFFFF00FF, 0, 0},
                              {-0.5f, 0.9f, 0.5f, 1.0f, 0xFFFF00FF, 0, 0},
                              {-0.7f, 0.5f, -2.0f, 1.0f, 0xFFFF00FF, 0, 0}});
    ExpectGolden("receding_floor");
}

// Small scenes, each checked at the pixels that show its rule.
class SceneTest : public RenderTest, public ::testing::WithParamInterface<int>
{
public:
    struct TPixel
    {
        int x, y;
        std::uint32_t colour;
    };
    struct TRow
    {
        const char* name;
        void (*draw)(SceneTest&);
        std::vector<TPixel> pixels;
    };
    static const std::vector<TRow>& Rows();

protected:
    // Pre-transformed or transformed fixed-function vertices, a quad strip of them.
    template <class TVertex> void FixedFunctionQuad(DWORD fvf, const TVertex (&quad)[4])
    {
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
        ASSERT_EQ(D3D_OK, device->SetFVF(fvf));
        ASSERT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0])));
    }
    template <class TBuffer> TBuffer* Filled(TBuffer* buffer, const void* data, size_t size, size_t at)
    {
        std::uint8_t* bytes = nullptr;
        buffer->Lock(0, 0, reinterpret_cast<void**>(&bytes), 0);
        std::memcpy(bytes + at, data, size);
        buffer->Unlock();
        return Own(buffer);
    }
};

const std::vector<SceneTest::TRow>& SceneTest::Rows()
{
    static const std::vector<TRow> rows = {
        {"CullModesFollowScreenWinding",
         [](SceneTest& t) {
             // Clockwise on screen: drawn. Counter-clockwise: culled.
             t.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
             t.Draw(D3DPT_TRIANGLELIST, {At(0, 0, 0, 0xFFFF0000), At(20, 0, 0, 0xFFFF0000), At(0, 20, 0, 0xFFFF0000),
                                         At(40, 0, 0, 0xFF00FF00), At(40, 20, 0, 0xFF00FF00), At(60, 0, 0, 0xFF00FF00)});
             t.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
             t.Draw(D3DPT_TRIANGLELIST, {At(0, 40, 0, 0xFF0000FF), At(20, 40, 0, 0xFF0000FF), At(0, 60, 0, 0xFF0000FF)});
         },
         {{2, 2, 0xFF0000}, {55, 2, 0}, {2, 42, 0}}},
        {"MipmapsFollowTheLevelOfDetail",
         [](SceneTest& t) {
             t.UsePixelShader("test.texture");
             const std::uint32_t colours[5] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF};
             t.device->SetTexture(0, t.Texture32(16, 16, 0, D3DFMT_X8R8G8B8,
                                                 [&](UINT, UINT, UINT level) { return colours[level]; }));
             t.device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_POINT);
             // 16 texels over 16, 4 and 2 pixels: levels 0, 2 and 3; then level 1 at most.
             t.Quad(0, 0, 16, 16, 0, 0);
             t.Quad(32, 0, 36, 4, 0, 0);
             t.Quad(48, 0, 50, 2, 0, 0);
             t.device->SetSamplerState(0, D3DSAMP_MAXMIPLEVEL, 1);
             t.Quad(0, 32, 16, 48, 0, 0);
         },
         {{8, 8, 0xFF0000}, {33, 1, 0x0000FF}, {48, 0, 0xFFFF00}, {8, 40, 0x00FF00}}},
        {"CompressedAndPackedTexturesSample",
         [](SceneTest& t) {
             t.UsePixelShader("test.texture");
             IDirect3DTexture9* texture = nullptr;
             D3DLOCKED_RECT locked;
             ASSERT_EQ(D3D_OK, t.device->CreateTexture(4, 4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &texture, nullptr));
             texture->LockRect(0, &locked, nullptr, 0);
             const std::uint8_t block[8] = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x00, 0x00, 0x00}; // all red
             std::memcpy(locked.pBits, block, 8);
             texture->UnlockRect(0);
             t.device->SetTexture(0, t.Own(texture));
             t.Quad(0, 0, 32, 32, 0, 0);
             ASSERT_EQ(D3D_OK, t.device->CreateTexture(2, 2, 1, 0, D3DFMT_R5G6B5, D3DPOOL_MANAGED, &texture, nullptr));
             texture->LockRect(0, &locked, nullptr, 0);
             static_cast<std::uint16_t*>(locked.pBits)[0] = 0x07E0; // green
             texture->UnlockRect(0);
             t.device->SetTexture(0, t.Own(texture));
             t.Quad(32, 0, 64, 32, 0, 0, 0, 0, 0.5f, 0.5f);
         },
         {{10, 10, 0xFF0000}, {40, 10, 0x00FF00}}},
        {"WireframeDrawsTriangleEdges",
         [](SceneTest& t) {
             t.device->SetRenderState(D3DRS_FILLMODE, D3DFILL_WIREFRAME);
             t.Draw(D3DPT_TRIANGLELIST, {At(8, 8, 0, 0xFFFFFFFF), At(56, 8, 0, 0xFFFFFFFF), At(8, 56, 0, 0xFFFFFFFF)});
         },
         {{30, 8, 0xFFFFFF}, {20, 20, 0}}},
        {"FixedFunctionPreTransformedVertices",
         [](SceneTest& t) {
             const struct
             {
                 float x, y, z, rhw;
                 D3DCOLOR colour;
             } quad[4] = {{10, 10, 0, 1, 0xFF00FF00}, {30, 10, 0, 1, 0xFF00FF00}, {10, 30, 0, 1, 0xFF00FF00},
                          {30, 30, 0, 1, 0xFF00FF00}};
             t.FixedFunctionQuad(D3DFVF_XYZRHW | D3DFVF_DIFFUSE, quad);
         },
         {{10, 10, 0x00FF00}, {29, 29, 0x00FF00}, {30, 30, 0}, {10, 9, 0}}},
        {"FixedFunctionTransformsPositions",
         [](SceneTest& t) {
             // Projection halves x and y: a quad over the whole clip square covers the middle half.
             const D3DMATRIX projection = {{{0.5f, 0, 0, 0}, {0, 0.5f, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
             t.device->SetTransform(D3DTS_PROJECTION, &projection);
             const struct
             {
                 float x, y, z;
                 D3DCOLOR colour;
             } quad[4] = {{-1, 1, 0.5f, 0xFF0000FF}, {1, 1, 0.5f, 0xFF0000FF}, {-1, -1, 0.5f, 0xFF0000FF},
                          {1, -1, 0.5f, 0xFF0000FF}};
             t.FixedFunctionQuad(D3DFVF_XYZ | D3DFVF_DIFFUSE, quad);
         },
         {{16, 16, 0x0000FF}, {47, 47, 0x0000FF}, {16, 15, 0}, {47, 48, 0}}},
        {"IndexedDrawsReadTheirRange",
         [](SceneTest& t) {
             IDirect3DVertexBuffer9* vertices = nullptr;
             ASSERT_EQ(D3D_OK, t.device->CreateVertexBuffer(8 * sizeof(TTestVertex), 0, 0, D3DPOOL_MANAGED, &vertices,
                                                            nullptr));
             const TTestVertex quad[4] = {At(0, 0, 0, 0xFFFFFFFF), At(16, 0, 0, 0xFFFFFFFF), At(0, 16, 0, 0xFFFFFFFF),
                                          At(16, 16, 0, 0xFFFFFFFF)};
             IDirect3DIndexBuffer9* indices = nullptr;
             ASSERT_EQ(D3D_OK,
                       t.device->CreateIndexBuffer(6 * 4, 0, D3DFMT_INDEX32, D3DPOOL_MANAGED, &indices, nullptr));
             const std::uint32_t values[6] = {0, 1, 2, 1, 3, 2};
             t.device->SetStreamSource(0, t.Filled(vertices, quad, sizeof(quad), 4 * sizeof(TTestVertex)), 0,
                                       sizeof(TTestVertex));
             t.device->SetIndices(t.Filled(indices, values, sizeof(values), 0));
             ASSERT_EQ(D3D_OK, t.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 0, 2));
             // Past the end of the index buffer: refused.
             EXPECT_EQ(D3DERR_INVALIDCALL, t.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 4, 0, 4, 3, 2));
             // Indices past the vertex buffer read zeros instead of memory beyond it.
             EXPECT_EQ(D3D_OK, t.device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 100, 0, 4, 0, 2));
             t.device->SetStreamSource(0, nullptr, 0, 0);
             t.device->SetIndices(nullptr);
         },
         {{8, 8, 0xFFFFFF}, {20, 20, 0}}},
        {"PrimitivesPastTheVertexBufferReadNoFurther",
         [](SceneTest& t) {
             IDirect3DVertexBuffer9* vertices = nullptr;
             ASSERT_EQ(D3D_OK, t.device->CreateVertexBuffer(3 * sizeof(TTestVertex), 0, 0, D3DPOOL_MANAGED, &vertices,
                                                            nullptr));
             const TTestVertex triangle[3] = {At(0, 0, 0, 0xFFFFFFFF), At(32, 0, 0, 0xFFFFFFFF),
                                              At(0, 32, 0, 0xFFFFFFFF)};
             t.device->SetStreamSource(0, t.Filled(vertices, triangle, sizeof(triangle), 0), 0, sizeof(TTestVertex));
             // Millions of triangles named, three vertices held: the first triangle draws, nothing else.
             EXPECT_EQ(D3D_OK, t.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 5000000));
             t.device->SetStreamSource(0, nullptr, 0, 0);
         },
         {{4, 4, 0xFFFFFF}, {40, 40, 0}}},
        {"CubeFacesAreChosenByTheMajorAxis",
         [](SceneTest& t) {
             IDirect3DCubeTexture9* cube = nullptr;
             ASSERT_EQ(D3D_OK,
                       t.device->CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &cube, nullptr));
             const std::uint32_t colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                                               0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
             for (int face = 0; face < 6; ++face)
             {
                 D3DLOCKED_RECT locked;
                 ASSERT_EQ(D3D_OK, cube->LockRect(D3DCUBEMAP_FACES(face), 0, &locked, nullptr, 0));
                 std::fill_n(static_cast<std::uint32_t*>(locked.pBits), 16, colours[face]);
                 cube->UnlockRect(D3DCUBEMAP_FACES(face), 0);
             }
             t.device->SetTexture(0, t.Own(cube));
             t.UsePixelShader("test.cube");
             t.Quad(0, 0, 32, 32, 0, 0xFFFFFFFF);  // +X
             t.Quad(32, 0, 64, 32, 0, 0xFF000000); // -X
         },
         {{16, 16, 0xFF0000}, {48, 16, 0x00FF00}}},
    };
    return rows;
}

TEST_P(SceneTest, DrawsItsPixels)
{
    const TRow& row = Rows()[size_t(GetParam())];
    row.draw(*this);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    for (const TPixel& p : row.pixels)
        EXPECT_EQ(p.colour, pixels[size_t(p.y * 64 + p.x)]) << p.x << "," << p.y;
}

INSTANTIATE_TEST_SUITE_P(Rows, SceneTest, ::testing::Range(0, int(SceneTest::Rows().size())),
                         [](const ::testing::TestParamInfo<int>& info) { return SceneTest::Rows()[size_t(info.param)].name; });

TEST_F(RenderTest, OcclusionQueriesCountDrawnPixels)
{
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    EXPECT_EQ(100u, Samples([&] { Quad(0, 0, 10, 10, 0.5f, 0xFFFFFFFF); }));
    // Behind what is there: nothing passes; half behind: half passes.
    EXPECT_EQ(100u, Samples([&] {
                  Quad(0, 0, 10, 10, 0.75f, 0xFFFFFFFF);
                  Quad(5, 0, 15, 10, 0.25f, 0xFFFFFFFF);
              }));
    EXPECT_EQ(5u * 10u + 5u * 10u, Samples([&] { Quad(0, 0, 20, 10, 0.5f, 0xFFFFFFFF); }));
}

TEST_F(RenderTest, DrawingNeedsAScene)
{
    device->EndScene();
    EXPECT_EQ(D3DERR_INVALIDCALL, Draw(D3DPT_TRIANGLELIST, {At(0, 0, 0, 0), At(1, 0, 0, 0), At(0, 1, 0, 0)}));
    device->BeginScene();
}

TEST_F(RenderTest, ADepthSurfaceLargerThanTheTargetAndClearedOutOfRange)
{
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateDepthStencilSurface(256, 128, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                        &depth, nullptr));
    ASSERT_EQ(D3D_OK, device->SetDepthStencilSurface(Own(depth)));
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    Quad(0, 0, 64, 64, 0.25f, 0xFFFF0000);
    Quad(0, 0, 64, 64, 0.5f, 0xFF00FF00);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(0xFF0000u, pixels[63 * 64 + 63]);
    EXPECT_EQ(0xFF0000u, pixels[5 * 64 + 40]);
    // A depth cleared below 0 is 0: what lies at 0 still passes.
    device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, -3.0f, 0);
    Quad(0, 0, 64, 64, 0.0f, 0xFF0000FF);
    EXPECT_EQ(0x0000FFu, ReadBackBuffer()[5 * 64 + 40]);
}

TEST_F(RenderTest, ResourcesAreMadeAndLockedWhileAnotherThreadDraws)
{
    std::atomic<bool> drawing{true};
    std::thread loader([&] {
        // What the resource loader thread does: create, fill and release resources.
        while (drawing)
        {
            IDirect3DTexture9* texture = nullptr;
            ASSERT_EQ(D3D_OK,
                      device->CreateTexture(32, 32, 0, 0, D3DFMT_DXT5, D3DPOOL_MANAGED, &texture, nullptr));
            for (UINT level = 0; level < texture->GetLevelCount(); ++level)
            {
                D3DLOCKED_RECT locked;
                ASSERT_EQ(D3D_OK, texture->LockRect(level, &locked, nullptr, 0));
                std::memset(locked.pBits, 0x5A, size_t(locked.Pitch));
                texture->UnlockRect(level);
            }
            IDirect3DVertexBuffer9* buffer = nullptr;
            ASSERT_EQ(D3D_OK, device->CreateVertexBuffer(4096, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr));
            buffer->Release();
            texture->Release();
        }
    });
    for (int frame = 0; frame < 50; ++frame)
        Quad(float(frame % 32), 0, 64, 64, 0, 0xFF000000u | std::uint32_t(frame * 5));
    drawing = false;
    loader.join();
}

TEST_F(RenderTest, FloatElementsFillTheMissingComponentsFromZeroZeroZeroOne)
{
    struct
    {
        float x, y, z, w;
        float colour[3];
    } quad[4] = {{-1, 1, 0, 1, {0.5f, 0.25f, 0.75f}},
                 {1, 1, 0, 1, {0.5f, 0.25f, 0.75f}},
                 {-1, -1, 0, 1, {0.5f, 0.25f, 0.75f}},
                 {1, -1, 0, 1, {0.5f, 0.25f, 0.75f}}};
    const BYTE types[3] = {D3DDECLTYPE_FLOAT1, D3DDECLTYPE_FLOAT2, D3DDECLTYPE_FLOAT3};
    const std::uint32_t expected[3] = {0x800000, 0x804000, 0x8040BF};
    // Blended by its alpha onto black: a missing fourth component must read as one.
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    for (int i = 0; i < 3; ++i)
    {
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                              {0, 16, types[i], 0, D3DDECLUSAGE_COLOR, 0},
                                              D3DDECL_END()};
        IDirect3DVertexDeclaration9* floats = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(elements, &floats));
        device->SetVertexDeclaration(floats);
        ASSERT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(quad[0])));
        device->SetVertexDeclaration(declaration);
        floats->Release();
        EXPECT_EQ(expected[i], ReadBackBuffer()[32 * 64 + 32]) << i;
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    }
}

TEST_F(RenderTest, BrokenPositionsAreDroppedNotDrawn)
{
    const float nan = std::nanf("");
    EXPECT_EQ(D3D_OK, Draw(D3DPT_TRIANGLELIST, {{nan, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                                {1, 1, 0, 1, 0xFFFFFFFF, 0, 0},
                                                {0, 1, 0, nan, 0xFFFFFFFF, 0, 0},
                                                {-1e30f, -1e30f, 0, 1e-30f, 0xFFFFFFFF, 0, 0},
                                                {1e30f, 0, 0, 1, 0xFFFFFFFF, 0, 0},
                                                {0, 1e30f, 0, 1, 0xFFFFFFFF, 0, 0}}));
    float huge = 1e9f;
    DWORD bits;
    std::memcpy(&bits, &huge, 4);
    device->SetRenderState(D3DRS_POINTSIZE, bits);
    device->SetRenderState(D3DRS_POINTSIZE_MAX, bits);
    EXPECT_EQ(D3D_OK, Draw(D3DPT_POINTLIST, {At(32, 32, 0, 0xFFFFFFFF)}));
    EXPECT_EQ(D3D_OK, Draw(D3DPT_LINELIST, {At(nan, 32, 0, 0xFFFFFFFF), At(32, 32, 0, 0xFFFFFFFF)}));
}

TEST_F(RenderTest, UpdateTextureCopiesMatchingLevels)
{
    IDirect3DTexture9* staging = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(16, 16, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM,
                                            &staging, nullptr));
    Own(staging);
    for (UINT level = 0; level < staging->GetLevelCount(); ++level)
    {
        D3DLOCKED_RECT locked;
        ASSERT_EQ(D3D_OK, staging->LockRect(level, &locked, nullptr, 0));
        static_cast<std::uint32_t*>(locked.pBits)[0] = 0xFF000000u + level;
        staging->UnlockRect(level);
    }
    // The destination starts one level down: its levels take the source levels of their size.
    IDirect3DTexture9* target = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(8, 8, 0, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                            &target, nullptr));
    ASSERT_EQ(D3D_OK, device->UpdateTexture(staging, Own(target)));
    D3DLOCKED_RECT locked;
    ASSERT_EQ(D3D_OK, target->LockRect(2, &locked, nullptr, D3DLOCK_READONLY));
    EXPECT_EQ(0xFF000003u, static_cast<std::uint32_t*>(locked.pBits)[0]);
    target->UnlockRect(2);
    IDirect3DTexture9* other = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(8, 8, 1, D3DUSAGE_DYNAMIC, D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT,
                                            &other, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->UpdateTexture(staging, Own(other)));
}

TEST_F(RenderTest, RegistersKeepTheirLimits)
{
    D3DLIGHT9 light = {};
    light.Type = D3DLIGHT_POINT;
    ASSERT_EQ(D3D_OK, device->SetLight(7, &light));
    D3DLIGHT9 stored;
    EXPECT_EQ(D3DERR_INVALIDCALL, device->GetLight(8, &stored));
    const float constants[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(D3D_OK, device->SetPixelShaderConstantF(510, constants, 2));
    EXPECT_EQ(D3DERR_INVALIDCALL, device->SetPixelShaderConstantF(511, constants, 2));
    float read[4];
    device->GetPixelShaderConstantF(511, read, 1);
    EXPECT_EQ(8.0f, read[3]);
}

TEST_F(RenderTest, DiscardedPixelsLeaveDepthAndStencilAlone)
{
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_STENCILENABLE, TRUE);
    device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
    UsePixelShader("test.discard");
    // Left half discarded (red below one half), right half kept, all near.
    Draw(D3DPT_TRIANGLESTRIP, {At(0, 0, 0.1f, 0xFF000000), At(64, 0, 0.1f, 0xFFFF0000),
                               At(0, 64, 0.1f, 0xFF000000), At(64, 64, 0.1f, 0xFFFF0000)});
    UsePixelShader("test.colour");
    device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_EQUAL);
    device->SetRenderState(D3DRS_STENCILREF, 0);
    // Farther, and only where the stencil is still 0: exactly the discarded half.
    Quad(0, 0, 64, 64, 0.5f, 0xFF00FF00);
    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    EXPECT_EQ(0x00FF00u, pixels[32 * 64 + 5]);
    EXPECT_NE(0x00FF00u, pixels[32 * 64 + 60]);
    EXPECT_NE(0u, pixels[32 * 64 + 60] & 0xFF0000u);
}

// A rasteriser of that many cores: draws longer than it sets up at once go in batches.
class LongDrawTest : public RenderTest, public ::testing::WithParamInterface<UINT>
{
protected:
    void SetUp() override
    {
        const UINT cores = D3D9Settings().cores;
        D3D9Settings().cores = GetParam();
        RenderTest::SetUp();
        D3D9Settings().cores = cores;
    }

    // The back buffer after drawing `primitives` of `type` from `vertices` in one call, or in
    // calls of `piece` primitives each.
    std::vector<std::uint32_t> Drawn(D3DPRIMITIVETYPE type, const std::vector<TTestVertex>& vertices,
                                     UINT primitives, UINT piece)
    {
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        const UINT step = type == D3DPT_TRIANGLELIST ? 3 : 1;
        for (UINT first = 0; first < primitives; first += piece)
        {
            EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(type, std::min(piece, primitives - first),
                                                      &vertices[first * step], sizeof(TTestVertex)));
        }
        return ReadBackBuffer();
    }
};

TEST_P(LongDrawTest, DrawsEqualTheirPiecesDrawnOneByOne)
{
    // Tens of thousands of small translucent triangles over each other: blending shows any
    // triangle drawn twice, left out or out of order.
    constexpr UINT kTriangles = 26000;
    std::vector<TTestVertex> list, strip;
    unsigned seed = 7;
    for (UINT i = 0; i < kTriangles; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = float(seed % 60), y = float((seed >> 8) % 60);
        const D3DCOLOR colour = D3DCOLOR_ARGB(128, (i * 7) & 0xFF, (i * 13) & 0xFF, (i * 29) & 0xFF);
        list.push_back(At(x, y, 0, colour));
        list.push_back(At(x + 4.5f, y + 0.5f, 0, colour));
        list.push_back(At(x + 1.0f, y + 3.5f, 0, colour));
    }
    // A strip zigzagging over the target: every second triangle is turned round, and culling one
    // winding shows a piece that lost count of which.
    for (UINT i = 0; i < kTriangles + 2; ++i)
    {
        const float x = float((i / 2) % 62) + 0.25f * float(i % 7), y = float((i * 5) % 60) + float(i & 1) * 3.0f;
        strip.push_back(At(x, y, 0, D3DCOLOR_ARGB(128, i & 0xFF, (i * 3) & 0xFF, 255)));
    }
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(Drawn(D3DPT_TRIANGLELIST, list, kTriangles, 4000), Drawn(D3DPT_TRIANGLELIST, list, kTriangles, kTriangles));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    EXPECT_EQ(Drawn(D3DPT_TRIANGLESTRIP, strip, kTriangles, 4000),
              Drawn(D3DPT_TRIANGLESTRIP, strip, kTriangles, kTriangles));
}

INSTANTIATE_TEST_SUITE_P(Cores, LongDrawTest, ::testing::Values(1u, 3u));

namespace
{
// Every pixel model type the program registers (the tests' own are named "test.").
std::vector<std::string> ProgramModelTypes()
{
    std::vector<std::string> names;
    for (const std::string& name : PixelModelNames())
    {
        if (name.rfind("test.", 0) != 0 && FindPixelModel(name.c_str())->loops)
            names.push_back(name);
    }
    return names;
}

// What a scene draws into and how: the game's canvas3d vertex model (at w = 1) or the one above
// (in perspective), onto a 32-bit or float target, depth tested and written or not, blended.
struct TScene
{
    D3DFORMAT target;
    bool canvas, depthTest, depthWrite;
    DWORD source, destination; // 0: not blended
    bool floatTextures;
};

constexpr TScene kScenes[] = {
    {D3DFMT_A8R8G8B8, true, false, false, 0, 0, false},
    {D3DFMT_A8R8G8B8, true, true, true, 0, 0, false},
    {D3DFMT_X8R8G8B8, false, true, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false},
    {D3DFMT_A8R8G8B8, false, false, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
    {D3DFMT_X8R8G8B8, true, true, false, D3DBLEND_ONE, D3DBLEND_ONE, false},
    {D3DFMT_A16B16G16R16F, false, true, true, 0, 0, true},
    {D3DFMT_A16B16G16R16F, true, false, false, D3DBLEND_ONE, D3DBLEND_ONE, true},
    {D3DFMT_R32F, false, true, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, false},
};

// A rasteriser of one core and one of four, each with the same targets and textures, the size
// of their targets cutting tiles at odd places.
class SimdAndThreadsTest : public DeviceTest, public ::testing::WithParamInterface<std::string>
{
protected:
    static constexpr UINT kWidth = 203, kHeight = 141;

    // A device with what it owns, kept aside while the fixture works on the other.
    struct TRig
    {
        IDirect3D9* direct3d = nullptr;
        IDirect3DDevice9* device = nullptr;
        std::vector<IUnknown*> owned;
        IDirect3DSurface9* targets[std::size(kScenes)] = {};
        IDirect3DVertexShader9* vertexShaders[2] = {}; // canvas3d, the scene's own
        IDirect3DQuery9* query = nullptr;
        IDirect3DTexture9* textures8[2] = {};
        IDirect3DTexture9* texturesFloat[2] = {};
    };

    void SetUp() override
    {
        const UINT cores = D3D9Settings().cores;
        for (TRig& rig : rigs)
        {
            D3D9Settings().cores = &rig == rigs ? 1 : 4;
            MakeDevice(kWidth, kHeight);
            D3D9Settings().cores = cores;
            ASSERT_NE(nullptr, device);
            Prepare(rig);
            Swap(rig);
        }
    }

    void TearDown() override
    {
        SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
        for (TRig& rig : rigs)
        {
            Swap(rig);
            DeviceTest::TearDown();
        }
    }

    // The rig's device becomes the fixture's, and the fixture's the rig's.
    void Swap(TRig& rig)
    {
        std::swap(direct3d, rig.direct3d);
        std::swap(device, rig.device);
        std::swap(owned, rig.owned);
    }

    void Prepare(TRig& rig)
    {
        IDirect3DVertexDeclaration9* declaration = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateVertexDeclaration(kSceneElements, &declaration));
        device->SetVertexDeclaration(Own(declaration));
        rig.vertexShaders[0] = Shader<IDirect3DVertexShader9>("canvas3d");
        rig.vertexShaders[1] = Shader<IDirect3DVertexShader9>("test.scene");
        device->SetPixelShader(Shader<IDirect3DPixelShader9>(GetParam().c_str()));
        EXPECT_EQ(D3D_OK, device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &rig.query));
        Own(rig.query);
        for (size_t i = 0; i < std::size(kScenes); ++i)
        {
            EXPECT_EQ(D3D_OK, device->CreateRenderTarget(kWidth, kHeight, kScenes[i].target, D3DMULTISAMPLE_NONE, 0,
                                                         FALSE, &rig.targets[i], nullptr));
            Own(rig.targets[i]);
        }
        // canvas3d's matrix: the identity, positions given in clip space at w = 1.
        const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
        device->SetVertexShaderConstantF(0, &identity[0][0], 4);
        // Constants of either sign and beyond one, for the models' factors, matrices and weights.
        float constants[64][4];
        for (int r = 0; r < 64; ++r)
        {
            for (int c = 0; c < 4; ++c)
                constants[r][c] = 0.1f + 0.03f * float((r * 7 + c * 3) % 41) - (r % 5 == 2 ? 0.4f : 0.0f);
        }
        device->SetPixelShaderConstantF(0, &constants[0][0], 64);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        unsigned seed = 3;
        rig.textures8[0] = Own(RandomTexture(device, 16, 16, 1, D3DFMT_A8R8G8B8, seed));
        rig.textures8[1] = Own(RandomTexture(device, 13, 9, 1, D3DFMT_X8R8G8B8, seed));
        rig.texturesFloat[0] = Own(RandomTexture(device, 16, 16, 1, D3DFMT_A16B16G16R16F, seed));
        rig.texturesFloat[1] = Own(RandomTexture(device, 13, 9, 1, D3DFMT_R32F, seed));
        device->BeginScene();
    }

    // The scene's target and occlusion count on the rig.
    std::vector<std::uint32_t> Draw(TRig& rig, size_t scene, const std::vector<TSceneVertex>& triangles)
    {
        Swap(rig);
        const TScene& s = kScenes[scene];
        device->SetRenderTarget(0, rig.targets[scene]);
        device->SetVertexShader(rig.vertexShaders[s.canvas ? 0 : 1]);
        for (DWORD stage = 0; stage < 8; ++stage)
        {
            device->SetTexture(stage, (s.floatTextures ? rig.texturesFloat : rig.textures8)[(stage + scene) & 1]);
            Sampling(stage, (stage + scene) & 1 ? D3DTEXF_POINT : D3DTEXF_LINEAR,
                     (stage + scene) & 2 ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP);
        }
        device->SetRenderState(D3DRS_ZENABLE, s.depthTest);
        device->SetRenderState(D3DRS_ZWRITEENABLE, s.depthWrite);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, s.source != 0);
        device->SetRenderState(D3DRS_SRCBLEND, s.source);
        device->SetRenderState(D3DRS_DESTBLEND, s.destination);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x80402010, 0.75f, 0);
        rig.query->Issue(D3DISSUE_BEGIN);
        EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(triangles.size() / 3), triangles.data(),
                                                  sizeof(TSceneVertex)));
        rig.query->Issue(D3DISSUE_END);
        DWORD samples = 0;
        rig.query->GetData(&samples, sizeof(samples), D3DGETDATA_FLUSH);
        std::vector<std::uint32_t> result = ReadTarget(rig.targets[scene], true);
        result.push_back(samples);
        Swap(rig);
        return result;
    }

    TRig rigs[2];
};
} // namespace

TEST_P(SimdAndThreadsTest, TheWidestLevelOnFourCoresDrawsTheBitsOfSse2OnOneThread)
{
    // Triangles over each other at many depths, large ones across whole tiles and small ones
    // across tile edges, their corners off pixel centres. Each model draws every other scene, the
    // next model the others, so every scene meets the models' loops at half the time.
    const std::vector<std::string> models = ProgramModelTypes();
    const size_t turn = size_t(std::find(models.begin(), models.end(), GetParam()) - models.begin()) % 2;
    unsigned seed = 11;
    int drawn = 0;
    for (size_t scene = turn; scene < std::size(kScenes); scene += 2)
    {
        std::vector<TSceneVertex> triangles;
        float cx = 0.0f, cy = 0.0f;
        for (int i = 0; i < 40 * 3; ++i)
        {
            const bool large = (i / 3) % 3 == 0;
            if (i % 3 == 0)
            {
                cx = 101.5f + Jitter(seed, 96.0f);
                cy = 70.5f + Jitter(seed, 66.0f);
            }
            const float x = large ? 101.5f + Jitter(seed, 140.0f) : cx + Jitter(seed, 40.0f);
            const float y = large ? 70.5f + Jitter(seed, 100.0f) : cy + Jitter(seed, 40.0f);
            const float w = kScenes[scene].canvas || (i / 3) % 2 ? 1.0f : 1.0f + 0.6f * float(i % 3);
            const float z = 0.5f + Jitter(seed, 0.5f);
            const D3DCOLOR colour = D3DCOLOR_ARGB((i * 37 + 90) & 0xFF, i * 11 & 0xFF, 255 - i, i * 5 & 0xFF);
            triangles.push_back({(x / (kWidth / 2.0f) - 1.0f) * w, (1.0f - y / (kHeight / 2.0f)) * w, z * w, w, colour,
                                 0.5f + Jitter(seed, 2.0f), 0.5f + Jitter(seed, 2.0f), Jitter(seed, 1.0f),
                                 Jitter(seed, 1.0f), Jitter(seed, 1.0f)});
        }
        SetRasteriserSimdLevel(ESimdLevel::Sse2);
        const std::vector<std::uint32_t> expected = Draw(rigs[0], scene, triangles);
        drawn += expected.back() > 2000;
        // Four cores at the widest level there is: a difference is its fault or the threads' (the
        // threads alone are the long draws' and the worker pool's tests).
        SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
        const std::vector<std::uint32_t> drawnHere = Draw(rigs[1], scene, triangles);
        size_t different = 0, first = expected.size();
        for (size_t k = 0; k < expected.size(); ++k)
        {
            if (drawnHere[k] != expected[k])
            {
                first = std::min(first, k);
                ++different;
            }
        }
        EXPECT_EQ(0u, different) << "scene " << scene << ": first at word " << first << " of " << expected.size()
                                 << " (the last the samples)";
    }
    // Every scene draws plenty, on most pixels of the target.
    EXPECT_EQ(int(std::size(kScenes)) / 2, drawn);
}

INSTANTIATE_TEST_SUITE_P(ProgramModels, SimdAndThreadsTest, ::testing::ValuesIn(ProgramModelTypes()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = c == '-' ? '_' : c;
                             return name;
                         });

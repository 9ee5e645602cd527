// Pixel model types: what adding nothing leaves, what a model reading varyings the vertex model
// does not write sees, and the line a bare function's first draw logs.
#include "renderfixture.h"

#include "platform/d3d9/pixelmodel.h"
#include "platform/d3d9/simdlevel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

namespace
{
// Paints which loop shades it: the general path's function red, the type's general loop green,
// its fast loop blue, or white where that loop takes two quads at a time; yellow where a loop
// sampling quad by quad takes two at a time.
struct TPathPixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, 1}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const auto texel = in.Texture(0);
        const bool function = std::is_same_v<Quad, TFunctionQuad<TPathPixel>>;
        const bool fast = requires { texel.words; };
        const bool pairs = std::is_same_v<L, TQuadPair>;
        const float red = function || pairs ? 1.0f : 0.0f, green = !function && (!fast || pairs) ? 1.0f : 0.0f;
        return TLaneVector<L>{L(red), L(green), L(fast ? 1.0f : 0.0f), L(1.0f)};
    }
};

// Nothing, onto two targets at once; and texture 0 alone, to fill a target with its texels.
struct TTwoTargetZeroPixel
{
    static constexpr TModelInputs kInputs = {};
    template <class Quad> static auto Shade(const Quad&)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> zero = {L(0.0f), L(0.0f), L(0.0f), L(0.0f)};
        return TTargetColours<L, 2>{{zero, zero}};
    }
};

// Varying 2 (its channels the other way round) plus the texture at varying 3, which the tests'
// vertex model (two varyings) never writes: they read as zero.
struct TUnwrittenPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(2), .textures = {{0, 3}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> v = in.Varying(2);
        return TLaneVector<L>{v.w, v.z, v.y, v.x} + in.Texture(0);
    }
};

const TPixelModelRegistration kPath("test.path", PixelModelType<TPathPixel>());
const TPixelModelRegistration kTwoTargetZero("test.two-target-zero", PixelModelType<TTwoTargetZeroPixel>());
const TPixelModelRegistration kTwoTargetZeroFunction("test.two-target-zero-function",
                                                     &ModelFunction<TTwoTargetZeroPixel>);
const TPixelModelRegistration kCopy("test.copy", PixelModelType<TTexturePixel<1>>());
const TPixelModelRegistration kUnwritten("test.unwritten", PixelModelType<TUnwrittenPixel>());
const TPixelModelRegistration kUnwrittenFunction("test.unwritten-function", &ModelFunction<TUnwrittenPixel>);

class PixelModelTest : public RenderTest
{
protected:
    // Texel (0, 0) alone of its colour.
    void SetUp() override
    {
        RenderTest::SetUp();
        device->SetTexture(0, Texture32(8, 8, 1, D3DFMT_A8R8G8B8,
                                        [](UINT x, UINT y, UINT) { return x + y == 0 ? 0xFF102030u : 0xFFFFFFFFu; }));
    }
    void TearDown() override
    {
        SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
        RenderTest::TearDown();
    }

    // The colour a full-screen quad of the model draws at the centre.
    std::uint32_t Painted(const char* model)
    {
        UsePixelShader(model);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
        Quad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
        return ReadBackBuffer()[32 * 64 + 32];
    }
};

TEST_F(PixelModelTest, AddingZeroLeavesEveryByteOfA8R8G8B8AsTheGeneralPathDoes)
{
    // Every byte value in every channel of an X8R8G8B8 and an A8R8G8B8 target (the unused byte
    // too), then nothing added onto both: the sampled loop leaves the A8R8G8B8 bytes unread and
    // unwritten, which must be what the general path's arithmetic gives back.
    std::vector<std::uint32_t> words(64 * 64);
    for (std::uint32_t i = 0; i < words.size(); ++i)
        words[i] = (i & 0xFF) | ((i * 3 + 7) & 0xFF) << 8 | ((i * 5 + 11) & 0xFF) << 16 | ((i * 7 + 13) & 0xFFu) << 24;
    IDirect3DTexture9* bytes =
        Texture32(64, 64, 1, D3DFMT_A8R8G8B8, [&](UINT x, UINT y, UINT) { return words[y * 64 + x]; });
    IDirect3DSurface9* surface = TargetTexture(64, 64, D3DFMT_A8R8G8B8);
    IDirect3DSurface9* back = nullptr;
    device->GetRenderTarget(0, &back);
    Own(back);
    const auto added = [&](const char* model) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
        device->SetTexture(0, bytes);
        UsePixelShader("test.copy");
        for (IDirect3DSurface9* target : {surface, back})
        {
            device->SetRenderTarget(0, target);
            Quad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
        }
        device->SetRenderTarget(1, surface);
        Blend(D3DBLEND_ONE, D3DBLEND_ONE);
        UsePixelShader(model);
        Quad(0, 0, 64, 64, 0.5f, 0xFFFFFFFF);
        device->SetRenderTarget(1, nullptr);
        std::vector<std::uint32_t> pixels = ReadTarget(surface);
        const std::vector<std::uint32_t> opaque = ReadTarget(back, true);
        pixels.insert(pixels.end(), opaque.begin(), opaque.end());
        return pixels;
    };
    const std::vector<std::uint32_t> general = added("test.two-target-zero-function");
    EXPECT_EQ(words, std::vector<std::uint32_t>(general.begin(), general.begin() + 64 * 64));
    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (SetRasteriserSimdLevel(level))
        {
            EXPECT_EQ(general, added("test.two-target-zero")) << int(level);
        }
    }
}

TEST_F(PixelModelTest, VaryingsTheVertexModelDoesNotWriteReadAsZero)
{
    // Texel (0, 0) alone has this colour: the point sampled at (0, 0), the texture clamped.
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    const ESimdLevel chosen = RasteriserSimdLevel();
    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (!SetRasteriserSimdLevel(level))
            continue;
        EXPECT_EQ(0x102030u, Painted("test.unwritten"));
        const std::vector<std::uint32_t> image = ReadBackBuffer();
        Painted("test.unwritten-function");
        EXPECT_EQ(image, ReadBackBuffer());
    }
    SetRasteriserSimdLevel(chosen);
}

TEST_F(PixelModelTest, ABareFunctionsFirstDrawSaysSoOnce)
{
    const TPixelModelRegistration bare("test.bare-once", &ModelFunction<TPathPixel>);
    ::testing::internal::CaptureStderr();
    Painted("test.bare-once");
    Painted("test.bare-once");
    Painted("test.path");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ("d3d9: pixel model 'test.bare-once' is a bare function: each quad calls it through the general path\n",
              said);
}
} // namespace

// Triangles that cross the target's edges: their coverage and interpolants must be those of the
// whole triangle, as if the target went on for ever.
#include "renderfixture.h"

namespace
{
// Texels of reproducible noise, row by row from the seed.
std::uint32_t Noise(unsigned& seed)
{
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
}

// Twice the signed area of (a, b, p), in 1/16 pixels squared.
std::int64_t Edge(const int a[2], const int b[2], std::int64_t px, std::int64_t py)
{
    return std::int64_t(b[0] - a[0]) * (py - a[1]) - std::int64_t(b[1] - a[1]) * (px - a[0]);
}
} // namespace

TEST_F(RenderTest, HalfPixelBlitCopiesEveryTexel)
{
    // The full-screen quad every 2D pass draws, onto a target the size of the texture: corners
    // half a pixel outside the target, so that bilinear filtering meets texel centres exactly.
    const UINT width = 128, height = 72;
    IDirect3DSurface9* surface = TargetTexture(width, height, D3DFMT_X8R8G8B8);
    device->SetRenderTarget(0, surface);
    device->SetDepthStencilSurface(nullptr);
    UsePixelShader("test.texture");
    unsigned seed = 3;
    device->SetTexture(0,
                       Texture32(width, height, 1, D3DFMT_X8R8G8B8, [&](UINT, UINT, UINT) { return Noise(seed); }));
    Sampling(0, D3DTEXF_LINEAR);
    // Clip space from pixels of this target.
    auto corner = [&](float x, float y, float u, float v) {
        return TTestVertex{x * 2.0f / float(width) - 1.0f, 1.0f - y * 2.0f / float(height), 0.0f, 1.0f, 0, u, v};
    };
    const float right = float(width) - 0.5f, bottom = float(height) - 0.5f;
    Draw(D3DPT_TRIANGLESTRIP, {corner(-0.5f, -0.5f, 0, 0), corner(right, -0.5f, 1, 0), corner(-0.5f, bottom, 0, 1),
                               corner(right, bottom, 1, 1)});
    const std::vector<std::uint32_t> pixels = ReadTarget(surface);
    seed = 3;
    int wrong = 0;
    for (std::uint32_t pixel : pixels)
        wrong += pixel != (Noise(seed) & 0xFFFFFF);
    EXPECT_EQ(0, wrong);
}

TEST_F(RenderTest, AQuadSplitEitherWayDrawsTheSameImage)
{
    // A receding plane far larger than the target that passes the near plane, point sampled:
    // one interpolant that moves by a hair between the two triangles or their clipped pieces
    // shows as a different texel.
    UsePixelShader("test.texture");
    unsigned seed = 3;
    device->SetTexture(0, Texture32(64, 64, 1, D3DFMT_X8R8G8B8, [&](UINT, UINT, UINT) { return Noise(seed); }));
    const TTestVertex corners[4] = {{-3.0f, 5.5f, -0.2f, 1.0f, 0, 0.0f, 0.0f},
                                    {3.0f, 5.5f, -0.2f, 1.0f, 0, 3.0f, 0.0f},
                                    {-3.0f, -6.0f, 0.4f, 3.0f, 0, 0.0f, 5.0f},
                                    {3.0f, -6.0f, 0.4f, 3.0f, 0, 3.0f, 5.0f}};
    Draw(D3DPT_TRIANGLELIST, {corners[0], corners[1], corners[2], corners[1], corners[3], corners[2]});
    const std::vector<std::uint32_t> oneWay = ReadBackBuffer();
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    Draw(D3DPT_TRIANGLELIST, {corners[0], corners[1], corners[3], corners[0], corners[3], corners[2]});
    const std::vector<std::uint32_t> otherWay = ReadBackBuffer();
    int drawn = 0, different = 0;
    for (size_t i = 0; i < oneWay.size(); ++i)
    {
        drawn += oneWay[i] != 0;
        different += oneWay[i] != otherWay[i];
    }
    EXPECT_GT(drawn, 2000); // most of the target
    EXPECT_EQ(0, different);
}

TEST_F(RenderTest, TrianglesAcrossTheBorderCoverWhatTheyCover)
{
    // Triangles reaching past the target, some by a few hundred pixels, some by thousands,
    // their corners on the 1/16 pixel grid: every pixel whose centre lies strictly inside is
    // drawn, none whose centre lies outside.
    unsigned seed = 17;
    int reach = 0;
    auto coordinate = [&] {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 8) % unsigned(2 * reach * 16)) - (reach - 32) * 16;
    };
    int inside = 0, outside = 0, missed = 0;
    for (int round = 0; round < 80; ++round)
    {
        reach = round % 2 ? 300 : 3000;
        int v[3][2];
        for (auto& corner : v)
        {
            corner[0] = coordinate();
            corner[1] = coordinate();
        }
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        std::vector<TTestVertex> triangle;
        for (auto& corner : v)
            triangle.push_back(At(corner[0] / 16.0f, corner[1] / 16.0f, 0, 0xFFFFFFFF));
        Draw(D3DPT_TRIANGLELIST, triangle);
        const std::vector<std::uint32_t> pixels = ReadBackBuffer();
        const std::int64_t area = Edge(v[0], v[1], v[2][0], v[2][1]);
        const std::int64_t sign = area > 0 ? 1 : -1;
        for (int y = 0; y < 64; ++y)
        {
            for (int x = 0; x < 64; ++x)
            {
                std::int64_t least = INT64_MAX;
                for (int e = 0; e < 3; ++e)
                    least = std::min(least, sign * Edge(v[e], v[(e + 1) % 3], x * 16, y * 16));
                const bool drawn = pixels[size_t(y) * 64 + x] != 0;
                inside += least > 0;
                outside += drawn && least < 0;
                missed += !drawn && least > 0;
            }
        }
    }
    EXPECT_GT(inside, 10000); // the triangles do reach into the target
    EXPECT_EQ(0, outside);
    EXPECT_EQ(0, missed);
}

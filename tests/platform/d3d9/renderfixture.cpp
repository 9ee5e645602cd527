#include "renderfixture.h"

#include "platform/d3d9/pixelmodel.h"

namespace
{
// Clip position, colour in varying 0 and texture coordinates in varying 1.
void PassVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* position = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = position[c];
        output.varying[0][c] = colour[c];
        output.varying[1][c] = uv[c];
    }
}

void ColourPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = input.varying[0];
}

void TexturePixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = input.samplers->Sample(0, input.varying[1].x, input.varying[1].y);
}

// Target 0 the colour, target 1 its complement.
void TwoTargetsPixel(const TPixelInput& input, TPixelOutput& output)
{
    const TQuadVector& c = input.varying[0];
    output.colour[0] = c;
    output.colour[1] = {TQuad(1.0f) - c.x, TQuad(1.0f) - c.y, TQuad(1.0f) - c.z, 1.0f};
}

// Discards where red is below one half.
void DiscardPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = input.varying[0];
    output.discard = _mm_cmplt_ps(input.varying[0].x.v, _mm_set1_ps(0.5f));
}

// A cube-map direction: x from the colour's red (0 gives -1, 1 gives +1), y and z from the
// texture coordinates around the face's centre.
void CubePixel(const TPixelInput& input, TPixelOutput& output)
{
    const TQuad x = input.varying[0].x * 2.0f - 1.0f;
    output.colour[0] = input.samplers->SampleCube(0, x, input.varying[1].y - 0.5f, input.varying[1].x - 0.5f);
}

const TVertexModelRegistration kPass("test.pass", PassVertex, 2);
const TPixelModelRegistration kCube("test.cube", CubePixel);
const TPixelModelRegistration kColour("test.colour", ColourPixel);
const TPixelModelRegistration kTexture("test.texture", TexturePixel);
const TPixelModelRegistration kTwoTargets("test.two-targets", TwoTargetsPixel);
const TPixelModelRegistration kDiscard("test.discard", DiscardPixel);
// The colour and texture models again as types: their own tile loops draw them.
const TPixelModelRegistration kColourKind("test.colour-kind", PixelModelType<TVaryingColourPixel<0>>());
const TPixelModelRegistration kTextureKind("test.texture-kind", PixelModelType<TTexturePixel<1>>());

// Texture 1 as four float channels, not as its texel: drawn and blended as computed colours are.
struct TTextureChannelsPixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, 1}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        return TLaneVector<typename Quad::Lanes>(in.Texture(0));
    }
};
const TPixelModelRegistration kTextureChannels("test.texture-channels",
                                               PixelModelType<TTextureChannelsPixel>());

// The colour times c0 plus c1: values beyond [0, 1] for floating-point targets.
struct TScaledColourPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(0), .constants = 2};
    template <class Quad> static auto Shade(const Quad& in) { return in.Varying(0) * in.Constant(0) + in.Constant(1); }
};
const TPixelModelRegistration kScaledColour("test.scaled-colour", PixelModelType<TScaledColourPixel>());
} // namespace

void RenderTest::SetUp()
{
    DeviceTest::SetUp();
    const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                          {0, 16, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                          {0, 20, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                          D3DDECL_END()};
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(elements, &declaration));
    device->SetVertexDeclaration(Own(declaration));
    device->SetVertexShader(Shader<IDirect3DVertexShader9>("test.pass"));
    UsePixelShader("test.colour");
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    ASSERT_EQ(D3D_OK, device->BeginScene());
}

void RenderTest::UsePixelShader(const char* name)
{
    IDirect3DPixelShader9* shader = Shader<IDirect3DPixelShader9>(name);
    ASSERT_NE(nullptr, shader);
    device->SetPixelShader(shader);
}

DWORD RenderTest::Samples(const std::function<void()>& draw)
{
    if (!query)
    {
        EXPECT_EQ(D3D_OK, device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query));
        Own(query);
    }
    query->Issue(D3DISSUE_BEGIN);
    draw();
    query->Issue(D3DISSUE_END);
    DWORD samples = 0;
    EXPECT_EQ(S_OK, query->GetData(&samples, sizeof(samples), D3DGETDATA_FLUSH));
    return samples;
}

void RenderTest::Blend(DWORD source, DWORD destination)
{
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, source);
    device->SetRenderState(D3DRS_DESTBLEND, destination);
}

HRESULT RenderTest::Draw(D3DPRIMITIVETYPE type, const std::vector<TTestVertex>& vertices)
{
    const UINT n = UINT(vertices.size());
    const UINT primitives = type == D3DPT_POINTLIST      ? n
                            : type == D3DPT_LINELIST     ? n / 2
                            : type == D3DPT_LINESTRIP    ? n - 1
                            : type == D3DPT_TRIANGLELIST ? n / 3
                                                         : n - 2;
    return device->DrawPrimitiveUP(type, primitives, vertices.data(), sizeof(TTestVertex));
}

void RenderTest::Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR colour, float u0, float v0,
                      float u1, float v1)
{
    Draw(D3DPT_TRIANGLESTRIP, {At(x0, y0, z, colour, u0, v0), At(x1, y0, z, colour, u1, v0),
                               At(x0, y1, z, colour, u0, v1), At(x1, y1, z, colour, u1, v1)});
}

IDirect3DSurface9* RenderTest::RenderTarget(UINT width, UINT height, D3DFORMAT format)
{
    IDirect3DSurface9* surface = nullptr;
    EXPECT_EQ(D3D_OK, device->CreateRenderTarget(width, height, format, D3DMULTISAMPLE_NONE, 0, FALSE, &surface,
                                                 nullptr));
    return Own(surface);
}

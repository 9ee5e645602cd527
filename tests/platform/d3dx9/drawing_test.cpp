#include "d3dxfixture.h"
#include "support/scratchfolder.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace
{
// A triangle in canvas units through the canvas models: vertex colours, then multiplied by
// the shared colour parameter, alpha blended over the cleared target.
const char kTriangleEffect[] = R"(effect 1
parameter vector[2] ScreenMatrix
parameter vector CanvasColor shared = 1 1 1 1
technique defaultshader
pass p0
  renderstate CullMode = None
  renderstate ZEnable = false
  renderstate AlphaBlendEnable = true
  renderstate SrcBlend = SrcAlpha
  renderstate DestBlend = InvSrcAlpha
  vertexshader canvas2d
  pixelshader vertexcolour
  vertexconstant 0 ScreenMatrix
  pixelconstant 0 CanvasColor
)";

struct CanvasVertex
{
    float x, y, z, w;
    float u, v;
    D3DCOLOR colour;
};

const D3DVERTEXELEMENT9 kCanvasElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT4, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 16, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    {0, 24, D3DDECLTYPE_D3DCOLOR, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_COLOR, 0},
    D3DDECL_END(),
};

// Distinct texels of a 4 x 4 pattern texture.
std::uint32_t PatternTexel(UINT x, UINT y, UINT)
{
    return 0xFF000000u | std::uint32_t(x * 60 + 10) << 16 | std::uint32_t(y * 60 + 10) << 8 | 0x80;
}
} // namespace

TEST_F(D3DXTest, TriangleThroughAnEffectPassMatchesTheGoldenImage)
{
    ID3DXEffect* effect = MakeEffect(kTriangleEffect);
    ASSERT_NE(nullptr, effect);
    const D3DXVECTOR4 screen[2] = {{1.0f / 64, -0.5f, -1.0f / 64, 0.5f}, {1, 0, 1, 0}};
    ASSERT_EQ(D3D_OK, effect->SetVectorArray("ScreenMatrix", screen, 2));
    const D3DXVECTOR4 half = {1.0f, 1.0f, 1.0f, 0.5f};
    ASSERT_EQ(D3D_OK, effect->SetVector("CanvasColor", &half));
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(kCanvasElements, &declaration));
    const CanvasVertex triangle[3] = {
        {8, 6, 0.5f, 0, 0, 0, 0xFFFF0000u},
        {58, 20, 0.5f, 0, 0, 0, 0xFF00FF00u},
        {20, 58, 0.5f, 0, 0, 0, 0xFF0000FFu},
    };

    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF404040u, 1.0f, 0);
    device->BeginScene();
    device->SetVertexDeclaration(Own(declaration));
    ASSERT_TRUE(BeginFirstPass(effect));
    EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(CanvasVertex)));
    EndFirstPass(effect);
    device->EndScene();

    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    ExpectGolden("triangle", 0);
    // Outside, the clear; near the red corner, half red over the grey.
    EXPECT_EQ(0x404040u, pixels[63 * 64]);
    const std::uint32_t nearRed = pixels[8 * 64 + 12];
    EXPECT_GT(nearRed >> 16 & 0xFF, 0x80u);
    EXPECT_LT(nearRed >> 8 & 0xFF, 0x40u);
    effect->Release();
}

TEST_F(D3DXTest, SpriteCopiesTexelForPixelAndPutsTheDeviceStateBack)
{
    IDirect3DTexture9* texture = Texture32(4, 4, 1, D3DFMT_A8R8G8B8, PatternTexel);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device, &sprite));
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    device->BeginScene();
    ASSERT_EQ(D3D_OK, sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE));
    const D3DXVECTOR3 position = {10, 20, 0};
    ASSERT_EQ(D3D_OK, sprite->Draw(texture, nullptr, nullptr, &position, 0xFFFFFFFFu));
    const RECT part = {1, 1, 3, 2}; // two texels of the second row
    const D3DXVECTOR3 second = {30, 5, 0};
    ASSERT_EQ(D3D_OK, sprite->Draw(texture, &part, nullptr, &second, 0xFFFFFFFFu));
    ASSERT_EQ(D3D_OK, sprite->End());
    device->EndScene();

    const std::vector<std::uint32_t> pixels = ReadBackBuffer();
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(std::uint32_t(x * 60 + 10) << 16 | std::uint32_t(y * 60 + 10) << 8 | 0x80,
                      pixels[(20 + y) * 64 + 10 + x])
                << x << ", " << y;
    EXPECT_EQ(0u, pixels[19 * 64 + 10]);
    EXPECT_EQ(0u, pixels[20 * 64 + 14]);
    EXPECT_EQ(std::uint32_t(70) << 16 | 70 << 8 | 0x80, pixels[5 * 64 + 30]);
    EXPECT_EQ(std::uint32_t(130) << 16 | 70 << 8 | 0x80, pixels[5 * 64 + 31]);
    EXPECT_EQ(0u, pixels[5 * 64 + 32]);
    EXPECT_EQ(0u, pixels[6 * 64 + 30]);

    DWORD value = 0;
    device->GetRenderState(D3DRS_CULLMODE, &value);
    EXPECT_EQ(DWORD(D3DCULL_CW), value);
    device->GetRenderState(D3DRS_ZENABLE, &value);
    EXPECT_EQ(DWORD(D3DZB_TRUE), value);
    IDirect3DPixelShader9* shader = reinterpret_cast<IDirect3DPixelShader9*>(this);
    device->GetPixelShader(&shader);
    EXPECT_EQ(nullptr, shader);
    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(this);
    device->GetTexture(0, &bound);
    EXPECT_EQ(nullptr, bound);

    // Drawing outside Begin and End is refused.
    EXPECT_EQ(D3DERR_INVALIDCALL, sprite->Draw(texture, nullptr, nullptr, &position, 0xFFFFFFFFu));
    sprite->Release();
}

TEST_F(D3DXTest, SavedSurfacesReadBackWithTheirSizeAndForPngTheirPixels)
{
    DeviceTest::TearDown();
    MakeDevice(40, 24);
    IDirect3DTexture9* texture = Texture32(4, 4, 1, D3DFMT_A8R8G8B8, PatternTexel);
    ID3DXSprite* sprite = nullptr;
    ASSERT_EQ(D3D_OK, D3DXCreateSprite(device, &sprite));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF123456u, 1.0f, 0);
    device->BeginScene();
    sprite->Begin(0);
    const D3DXVECTOR3 position = {3, 5, 0};
    sprite->Draw(texture, nullptr, nullptr, &position, 0xFFFFFFFFu);
    sprite->End();
    device->EndScene();
    const std::vector<std::uint32_t> expected = ReadBackBuffer();

    IDirect3DSurface9* back = nullptr;
    ASSERT_EQ(D3D_OK, device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back));
    const TScratchFolder scratch("d3dx");
    const std::string& folder = scratch.Path();
    // JPEG, the screenshot command's format, is read back through that command's own test.
    const std::string png = folder + "/shot.png", bmp = folder + "/shot.bmp";
    ASSERT_EQ(D3D_OK, D3DXSaveSurfaceToFileA(png.c_str(), D3DXIFF_PNG, back, nullptr, nullptr));
    ASSERT_EQ(D3D_OK, D3DXSaveSurfaceToFileA(bmp.c_str(), D3DXIFF_BMP, back, nullptr, nullptr));
    EXPECT_EQ(D3DERR_INVALIDCALL, D3DXSaveSurfaceToFileA(png.c_str(), D3DXIFF_DDS, back, nullptr, nullptr));
    EXPECT_EQ(E_FAIL, D3DXSaveSurfaceToFileA((folder + "/missing/x.png").c_str(), D3DXIFF_PNG, back, nullptr,
                                             nullptr));

    std::vector<std::uint32_t> image;
    int width = 0, height = 0;
    ASSERT_TRUE(ReadPng(png, image, width, height));
    EXPECT_EQ(40, width);
    EXPECT_EQ(24, height);
    for (std::size_t i = 0; i < expected.size(); ++i)
        ASSERT_EQ(expected[i] | 0xFF000000u, image[i]) << i;

    std::FILE* file = std::fopen(bmp.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    std::uint8_t header[54];
    ASSERT_EQ(54u, std::fread(header, 1, 54, file));
    std::fclose(file);
    EXPECT_EQ(0, std::memcmp(header, "BM", 2));
    EXPECT_EQ(54u + 40 * 3 * 24, header[2] | header[3] << 8 | header[4] << 16);
    EXPECT_EQ(40, header[18]);
    EXPECT_EQ(24, header[22]);

    for (const std::string& name : {png, bmp})
        std::remove(name.c_str());
    rmdir(folder.c_str());
    back->Release();
    sprite->Release();
}

namespace
{
struct MeshVertex
{
    float x, y, z;
    float nx, ny, nz;
    float u, v;
};

const D3DVERTEXELEMENT9 kMeshElements[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

// One mesh effect per model; the world x view x projection is the identity, so positions are
// clip coordinates.
std::string MeshEffect(const char* model)
{
    return std::string(R"(effect 1
parameter matrix WorldViewProjection = 1 0 0 0  0 1 0 0  0 0 1 0  0 0 0 1
parameter matrix World = 1 0 0 0  0 1 0 0  0 0 1 0  0 0 0 1
parameter texture Color0
parameter vector LightDirection = 0 0 1 0
parameter vector LightColour = 0.5 0.25 0 1
parameter vector Ambient = 0.25 0.25 0.25 1
technique defaultshader
pass p0
  renderstate CullMode = None
  renderstate ZEnable = false
  texture 0 Color0
  vertexshader )") +
           model + "\n  pixelshader " + model + R"(
  vertexconstant 0 WorldViewProjection
  vertexconstant 4 World
  pixelconstant 0 LightDirection
  pixelconstant 1 LightColour
  pixelconstant 2 Ambient
)";
}
} // namespace

TEST_F(D3DXTest, MeshModelsLightUnlitAndDepth)
{
    IDirect3DTexture9* white = Texture32(1, 1, 1, D3DFMT_A8R8G8B8, [](UINT, UINT, UINT) { return 0xFFFFFFFFu; });
    IDirect3DVertexDeclaration9* declaration = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(kMeshElements, &declaration));

    // A triangle covering the target at depth 0.5, its normal facing the light or away.
    auto draw = [&](const char* model, float normalZ) {
        ID3DXEffect* effect = MakeEffect(MeshEffect(model));
        EXPECT_NE(nullptr, effect);
        if (!effect)
            return 0u;
        effect->SetTexture("Color0", white);
        const MeshVertex triangle[3] = {{-1, -1, 0.5f, 0, 0, normalZ, 0, 0},
                                        {3, -1, 0.5f, 0, 0, normalZ, 0, 0},
                                        {-1, 3, 0.5f, 0, 0, normalZ, 0, 0}};
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
        device->BeginScene();
        device->SetVertexDeclaration(declaration);
        BeginFirstPass(effect);
        EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, triangle, sizeof(MeshVertex)));
        EndFirstPass(effect);
        device->EndScene();
        effect->Release();
        return ReadBackBuffer()[32 * 64 + 32];
    };
    // Lit: white x (ambient + light colour x facing); the light travels along +z.
    EXPECT_EQ(0xBF8040u, draw("meshlit", -1.0f));
    EXPECT_EQ(0x404040u, draw("meshlit", 1.0f));
    // Unlit: the texture times pixel constant 0 (here the light direction, blue).
    EXPECT_EQ(0x0000FFu, draw("mesh", 1.0f));
    EXPECT_EQ(0x808080u, draw("depth", 1.0f) & 0xFEFEFEu);
    declaration->Release();
}

// Every pixel model the layer registers draws, through its own tile loops, the bits its function
// draws through the general path: stored, blended, added and depth-tested (the fast loops), and under a
// stencil or alpha test (the model's general loop); in perspective, at one w and at w = 1; with
// textures the sampler filters by rows, one it samples quad by quad, float ones and none; on both
// 32-bit targets of odd size and on both float targets, and with SSE2 and AVX2.
#include "platform/d3d9/devicefixture.h"
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3d9/scenevertex.h"
#include "platform/d3d9/simdlevel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace
{
// How the model's textures are bound.
// The stages the models sample: 0 and 1, and 4 and 5 (the forward renderer's reflections).
constexpr int kStages[4] = {0, 1, 4, 5};

enum class ETextures
{
    Rows,     // one level each: sampled a row of quads at a time
    Mipmaps,  // stage 0 with mipmaps: sampled quad by quad
    Unbound,  // nothing at stage 0
    Float,    // A16B16G16R16F and R32F levels: sampled quad by quad
};

// What the draws test and blend.
enum class EStates
{
    Stored,
    Blended,
    DepthStored,
    DepthBlended,
    DepthAdded,
    Stencil,
    AlphaTest,
    Multiplied, // the target times the colour (DestColor, Zero)
};

class ShadingModelsTest : public DeviceTest, public ::testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        DeviceTest::SetUp();
        IDirect3DVertexDeclaration9* declaration = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateVertexDeclaration(kSceneElements, &declaration));
        device->SetVertexDeclaration(Own(declaration));
        device->SetVertexShader(Shader<IDirect3DVertexShader9>("test.scene"));
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        IDirect3DSurface9* depth = nullptr;
        ASSERT_EQ(D3D_OK, device->CreateDepthStencilSurface(63, 61, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                            &depth, nullptr));
        device->SetDepthStencilSurface(Own(depth));
        const D3DFORMAT formats[2] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8};
        const D3DFORMAT floatFormats[2] = {D3DFMT_A16B16G16R16F, D3DFMT_R32F};
        unsigned seed = 5;
        for (int i = 0; i < 2; ++i)
        {
            targets[i] = TargetTexture(63, 61, formats[i]);
            textures[i] = Own(RandomTexture(device, i == 0 ? 16 : 13, i == 0 ? 16 : 9, 1, formats[i], seed));
        }
        mipmapped = Own(RandomTexture(device, 16, 16, 3, D3DFMT_A8R8G8B8, seed));
        for (int i = 0; i < 2; ++i)
        {
            floatTargets[i] = TargetTexture(63, 61, floatFormats[i]);
            floatTextures[i] = Own(RandomTexture(device, i == 0 ? 16 : 13, i == 0 ? 16 : 9, 1, floatFormats[i], seed));
        }
    }

    void TearDown() override
    {
        SetRasteriserSimdLevel(SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2);
        DeviceTest::TearDown();
    }

    // The model's own shader, and one of its function alone, which the general path draws; in a
    // scene begun.
    std::pair<IDirect3DPixelShader9*, IDirect3DPixelShader9*> OwnAndGeneral(const TPixelModel& model)
    {
        const std::string pinned = std::string("pin.") + GetParam();
        RegisterPixelModel(pinned.c_str(), model.function);
        EXPECT_EQ(D3D_OK, device->BeginScene());
        return {Shader<IDirect3DPixelShader9>(GetParam()), Shader<IDirect3DPixelShader9>(pinned.c_str())};
    }

    void Bind(ETextures bound, int variant)
    {
        IDirect3DTexture9* const* set = bound == ETextures::Float ? floatTextures : textures;
        IDirect3DTexture9* first = bound == ETextures::Mipmaps ? mipmapped : set[variant & 1];
        device->SetTexture(0, bound == ETextures::Unbound ? nullptr : first);
        device->SetTexture(1, set[(variant + 1) & 1]);
        device->SetTexture(4, set[variant & 1]);
        device->SetTexture(5, set[(variant + 1) & 1]);
        for (int stage : kStages)
        {
            Sampling(stage, ((variant >> 1) + stage) & 1 ? D3DTEXF_POINT : D3DTEXF_LINEAR,
                     ((variant + stage) & 1) ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP);
            device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
        }
    }

    void Set(EStates states, int variant)
    {
        const bool depthTest = states == EStates::DepthStored || states == EStates::DepthBlended ||
                               states == EStates::DepthAdded || states == EStates::Stencil;
        device->SetRenderState(D3DRS_ZENABLE, depthTest);
        const DWORD functions[4] = {D3DCMP_LESSEQUAL, D3DCMP_GREATER, D3DCMP_EQUAL, D3DCMP_LESS};
        device->SetRenderState(D3DRS_ZFUNC, functions[variant]);
        device->SetRenderState(D3DRS_ZWRITEENABLE, (variant & 2) == 0);
        device->SetRenderState(D3DRS_STENCILENABLE, states == EStates::Stencil);
        device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
        device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
        device->SetRenderState(D3DRS_ALPHATESTENABLE, states == EStates::AlphaTest);
        device->SetRenderState(D3DRS_ALPHAREF, 0x60);
        device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        const bool added = states == EStates::DepthAdded, multiplied = states == EStates::Multiplied;
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, states == EStates::Blended ||
                                                           states == EStates::DepthBlended || added || multiplied);
        device->SetRenderState(D3DRS_SRCBLEND, added ? D3DBLEND_ONE : multiplied ? D3DBLEND_DESTCOLOR : D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, added ? D3DBLEND_ONE : multiplied ? D3DBLEND_ZERO : D3DBLEND_INVSRCALPHA);
        // The fixed function's operations (colour, alpha) and whether stage 0 has a texture.
        const float operations[][2] = {{D3DTOP_MODULATE, D3DTOP_MODULATE},     {D3DTOP_ADD, D3DTOP_SELECTARG1},
                                       {D3DTOP_SELECTARG1, D3DTOP_SELECTARG2}, {D3DTOP_MODULATE2X, D3DTOP_ADD},
                                       {D3DTOP_SELECTARG2, D3DTOP_MODULATE2X}, {D3DTOP_DISABLE, D3DTOP_MODULATE}};
        const int combination = variant + int(states);
        const float* ops = operations[combination % 6];
        // Register 2 (an ambient) reaches below 0: what saturates the colour is pinned too.
        const float constants[6][4] = {{0.9f, 0.6f, 0.8f, 0.7f},  {0.5f, 0.7f, 1.2f, 1.0f},
                                       {-0.2f, 0.1f, 0.3f, 0.0f}, {0.0f, 0.0f, 0.0f, 0.0f},
                                       {0.25f, 0.5f, 0.75f, 1.0f}, {ops[0], ops[1], float(combination % 3 != 2), 0.0f}};
        device->SetPixelShaderConstantF(0, &constants[0][0], 6);
        // Registers further models read (the forward light models' factors, weights, amounts).
        float more[26][4];
        for (int r = 0; r < 26; ++r)
            for (int c = 0; c < 4; ++c)
                more[r][c] = 0.1f + 0.03f * float(r + c);
        device->SetPixelShaderConstantF(6, &more[0][0], 26);
    }

    // Two layers of triangles, the second tested against the first's depth, half of them the
    // first's again at the same depths; answers the samples each layer passed and the target's
    // pixels. `White` triangles are white in turns: wholly, all a step below white in blue, or
    // at one corner a step below white in alpha.
    std::vector<std::uint32_t> Draw(IDirect3DPixelShader9* shader, IDirect3DSurface9* target,
                                    bool white = false)
    {
        IDirect3DQuery9* query = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateQuery(D3DQUERYTYPE_OCCLUSION, &query));
        device->SetRenderTarget(0, target);
        device->SetPixelShader(shader);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0x80402010, 0.6f, 0);
        std::vector<std::uint32_t> result;
        unsigned seed = 31;
        std::vector<TSceneVertex> triangles;
        for (int layer = 0; layer < 2; ++layer)
        {
            triangles.resize(layer * 8 * 3);
            for (TSceneVertex& v : triangles)
                v.colour ^= white ? 0 : 0x00FFFFFF;
            for (int i = int(triangles.size()); i < 16 * 3; ++i)
            {
                const float w = (i / 3) % 3 == 0 ? 1.0f : (i / 3) % 3 == 1 ? 1.75f : 1.0f + 0.6f * float(i % 3);
                const float x = 32.0f + Jitter(seed, 44.0f), y = 32.0f + Jitter(seed, 44.0f);
                const float z = 0.5f + Jitter(seed, 0.5f);
                const D3DCOLOR whites[3] = {0xFFFFFFFF, 0xFFFFFFFE, i % 3 ? 0xFFFFFFFF : 0xFEFFFFFF};
                const D3DCOLOR colour =
                    white ? whites[(i / 3 + layer) % 3]
                          : D3DCOLOR_ARGB(i * 37 & 0xFF, i * 11 & 0xFF, 255 - i, i * 5 & 0xFF);
                TSceneVertex v = {(x / 31.5f - 1.0f) * w, (1.0f - y / 30.5f) * w, z * w, w, colour,
                                0.5f + Jitter(seed, 2.0f), 0.5f + Jitter(seed, 2.0f), Jitter(seed, 1.0f),
                                Jitter(seed, 1.0f), Jitter(seed, 1.0f)};
                triangles.push_back(v);
            }
            query->Issue(D3DISSUE_BEGIN);
            EXPECT_EQ(D3D_OK, device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 16, triangles.data(), sizeof(TSceneVertex)));
            query->Issue(D3DISSUE_END);
            DWORD samples = 0;
            query->GetData(&samples, sizeof(samples), D3DGETDATA_FLUSH);
            result.push_back(samples);
        }
        query->Release();
        const std::vector<std::uint32_t> pixels = ReadTarget(target);
        result.insert(result.end(), pixels.begin(), pixels.end());
        return result;
    }

    IDirect3DSurface9* targets[2] = {};
    IDirect3DTexture9* textures[2] = {};
    IDirect3DTexture9* mipmapped = nullptr;
    IDirect3DSurface9* floatTargets[2] = {}; // A16B16G16R16F and R32F
    IDirect3DTexture9* floatTextures[2] = {};
};

TEST_P(ShadingModelsTest, DrawsAsItsFunctionThroughTheGeneralPath)
{
    const TPixelModel* model = FindPixelModel(GetParam());
    ASSERT_NE(nullptr, model);
    ASSERT_NE(nullptr, model->loops) << "a type, drawn by its own loops";
    // The same function, registered bare: the general path.
    const auto [own, general] = OwnAndGeneral(*model);
    int drawn = 0, compared = 0, floats = 0, whiteScenes = 0;
    // Each scene at one level, by turns of its binding and its state, so that every binding,
    // state and target meets both levels over the scenes.
    const bool wide = SimdLevelAvailable(ESimdLevel::Avx2);
    auto level = [wide](int turn) {
        const ESimdLevel at = wide && turn % 2 ? ESimdLevel::Avx2 : ESimdLevel::Sse2;
        SetRasteriserSimdLevel(at);
        return int(at);
    };
    int bindings = 0;
    for (ETextures bound : {ETextures::Rows, ETextures::Mipmaps, ETextures::Unbound, ETextures::Float})
    {
        int turn = bindings++;
        for (EStates states : {EStates::Stored, EStates::Blended, EStates::DepthStored, EStates::DepthBlended,
                               EStates::DepthAdded, EStates::Stencil, EStates::AlphaTest})
        {
            const int at = level(turn++);
            // Filters, addressing, depth tests and targets vary from scene to scene.
            const int variant = compared % 4;
            Bind(bound, variant);
            Set(states, variant);
            IDirect3DSurface9* target = targets[(compared / 4) & 1];
            const std::vector<std::uint32_t> expected = Draw(general, target);
            EXPECT_EQ(expected, Draw(own, target))
                << "level " << at << " textures " << int(bound) << " states " << int(states) << " variant " << variant;
            drawn += expected[0] + expected[1] > 500;
            ++compared;
        }
    }
    // Float targets stored, blended as ordinary transparency, added and multiplied, with and
    // without a depth test, each state from float textures on one target and 8-bit ones on
    // the other: the bits of the general path's blending.
    for (IDirect3DSurface9* target : floatTargets)
    {
        int turn = target == floatTargets[1];
        for (EStates states : {EStates::Stored, EStates::Blended, EStates::DepthStored, EStates::DepthBlended,
                               EStates::DepthAdded, EStates::Multiplied})
        {
            const int at = level(turn++);
            const int variant = floats++ % 4;
            Bind((target == floatTargets[0]) == (int(states) % 2 == 0) ? ETextures::Float : ETextures::Rows, variant);
            Set(states, variant);
            EXPECT_EQ(Draw(general, target), Draw(own, target))
                << "level " << at << " float target " << (target == floatTargets[1]) << " states " << int(states)
                << " variant " << variant;
        }
    }
    // Where every colour and constant a model reads is one, a model may draw as its unit form
    // (the texture alone): the same bits again, beside triangles a step away from white, and
    // again with the constant's alpha a little below one (over a texture whose alpha varies).
    for (EStates states : {EStates::Stored, EStates::Blended, EStates::DepthAdded})
    {
        const int variant = whiteScenes++ % 4;
        Bind(ETextures::Rows, variant & 2);
        Set(states, variant);
        IDirect3DSurface9* target = targets[variant & 1];
        int turn = variant;
        for (float alpha : {1.0f, 0.999f})
        {
            const int at = level(turn++);
            const float constant[4] = {1.0f, 1.0f, 1.0f, alpha};
            device->SetPixelShaderConstantF(0, constant, 1);
            EXPECT_EQ(Draw(general, target, true), Draw(own, target, true))
                << "level " << at << " white, states " << int(states) << " alpha " << alpha;
        }
    }
    device->EndScene();
    // Nearly every scene draws plenty (alpha tests and depth tests keep some out).
    EXPECT_GT(drawn, compared / 2);
}

// Models of several targets' colours at once, drawn onto every mixture of target formats.
class SeveralTargetsTest : public ShadingModelsTest
{
protected:
    // The shadow projection's inputs: camera space to map coordinates and depth, the channel,
    // the split's range with its fade, the bias; positions at stages 0 and 1, the map at 3.
    void SetProjectionInputs(int variant)
    {
        const float constants[9][4] = {{0.4f, 0.1f, 0.0f, 0.3f}, {0.0f, 0.5f, 0.1f, 0.2f}, {0.2f, 0.0f, 0.6f, 0.0f},
                                       {0.0f, 0.0f, 0.0f, 1.0f}, {},                         {},
                                       {1.0f, 0.5f, 0.0f, 0.25f}, {0.2f, 1.5f, 1.0f, 1.6f}, {0.01f, 0.0f, 0.0f, 0.0f}};
        device->SetPixelShaderConstantF(0, &constants[0][0], 9);
        device->SetTexture(3, floatTextures[1]);
        if (variant & 1)
        {
            // Nothing transparent in front: both positions the same.
            IDirect3DBaseTexture9* opaque = nullptr;
            device->GetTexture(0, &opaque);
            device->SetTexture(1, opaque);
            if (opaque)
                opaque->Release();
            for (D3DSAMPLERSTATETYPE type : {D3DSAMP_ADDRESSU, D3DSAMP_ADDRESSV, D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER})
            {
                DWORD value = 0;
                device->GetSamplerState(0, type, &value);
                device->SetSamplerState(1, type, value);
            }
        }
    }

    // The samples of both layers and every bound target's pixels.
    std::vector<std::uint32_t> DrawAll(IDirect3DPixelShader9* shader, IDirect3DSurface9* const (&bound)[4])
    {
        for (DWORD i = 1; i < 4; ++i)
            device->SetRenderTarget(i, bound[i]);
        std::vector<std::uint32_t> result = Draw(shader, bound[0]);
        for (DWORD i = 1; i < 4; ++i)
        {
            if (!bound[i])
                continue;
            const std::vector<std::uint32_t> pixels = ReadTarget(bound[i]);
            result.insert(result.end(), pixels.begin(), pixels.end());
        }
        for (DWORD i = 1; i < 4; ++i)
            device->SetRenderTarget(i, nullptr);
        return result;
    }
};

TEST_P(SeveralTargetsTest, DrawsEveryTargetAsItsFunction)
{
    // Stored, blended as ordinary transparency and added, with and without a depth test (the
    // sampled loops), and under a stencil test (the general loop), onto 32-bit and float targets
    // mixed, fewer targets than colours, and more: the bits and samples of the general path.
    const TPixelModel* model = FindPixelModel(GetParam());
    ASSERT_NE(nullptr, model);
    ASSERT_GT(model->loops->colours, 1);
    const auto [own, general] = OwnAndGeneral(*model);
    IDirect3DSurface9* const mixtures[][4] = {{targets[0], floatTargets[0], floatTargets[1], targets[1]},
                                              {floatTargets[0], floatTargets[1], nullptr, nullptr},
                                              {targets[1], targets[0], nullptr, nullptr},
                                              {floatTargets[1], nullptr, nullptr, nullptr},
                                              {targets[0], floatTargets[0], targets[1], nullptr}};
    int compared = 0, drawn = 0;
    for (ESimdLevel level : {ESimdLevel::Sse2, ESimdLevel::Avx2})
    {
        if (!SetRasteriserSimdLevel(level))
            continue;
        for (const auto& bound : mixtures)
        {
            // Float textures and 8-bit ones by turns, each state meeting both over the mixtures.
            for (EStates states : {EStates::Stored, EStates::Blended, EStates::DepthStored, EStates::DepthBlended,
                                   EStates::DepthAdded, EStates::Stencil})
            {
                const int variant = compared % 4;
                const ETextures textures = (int(states) + (&bound - mixtures)) % 2 ? ETextures::Rows : ETextures::Float;
                Bind(textures, variant);
                Set(states, variant);
                SetProjectionInputs(variant);
                const std::vector<std::uint32_t> expected = DrawAll(general, bound);
                EXPECT_EQ(expected, DrawAll(own, bound))
                    << "level " << int(level) << " textures " << int(textures) << " states " << int(states)
                    << " variant " << variant << " mixture " << (&bound - mixtures);
                drawn += expected[0] + expected[1] > 500;
                ++compared;
            }
        }
    }
    device->SetTexture(3, nullptr);
    device->EndScene();
    EXPECT_GT(drawn, compared / 2);
}

INSTANTIATE_TEST_SUITE_P(Models, SeveralTargetsTest, ::testing::Values("gbuffer", "shadowprojection"));

INSTANTIATE_TEST_SUITE_P(Models, ShadingModelsTest,
                         ::testing::Values("canvas2d", "canvas3d", "vertexcolour", "textured", "glyph", "mesh",
                                           "meshlit", "depth", "texturestages", "fixed-function", "fallback",
                                           "forwarddirectional", "forwarddirectionalreflect", "forwardspot",
                                           "deferreddirectional", "deferredspot", "deferredpoint", "deferredcombine",
                                           "deferredcombinetransparent", "skydome", "skyplain", "skyelement",
                                           "skysun"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 c = c == '-' ? '_' : c;
                             return name;
                         });
// The post effects' full-screen models, those that work out values of their draw once per tile
// (tone mapping's range, the motion blur's matrix) among them.
INSTANTIATE_TEST_SUITE_P(PostModels, ShadingModelsTest,
                         ::testing::Values("haze", "dof", "overlay", "edgeaa", "filmgrain", "ssao", "ssaoapply",
                                           "tonemapdownscale", "tonemapminmax", "tonemap", "motionblur", "grassss"));
} // namespace

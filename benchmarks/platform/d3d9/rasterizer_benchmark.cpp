// The software device at 1280x720: clearing, a full-screen bilinear-textured quad, 100,000
// small lit triangles and alpha-blended quads, beside a large memcpy for the machine's
// memory bandwidth.
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/shadingmodel.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
constexpr UINT kWidth = 1280, kHeight = 720;

struct TVertex
{
    float x, y, z, w;
    float nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
};

void PassVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = p[c];
        output.varying[0][c] = colour[c];
        output.varying[1][c] = uv[c];
    }
}

// Diffuse lighting from the light direction in constant 0 and its colour in constant 1.
void LitVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* n = input.Attribute(D3DDECLUSAGE_NORMAL);
    const float* light = constants.f[0];
    const float lambert = std::max(0.0f, n[0] * light[0] + n[1] * light[1] + n[2] * light[2]);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = p[c];
        output.varying[0][c] = constants.f[1][c] * lambert + 0.1f;
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

const TVertexModelRegistration kPass("bench.pass", PassVertex, 2);
const TVertexModelRegistration kLit("bench.lit", LitVertex, 1);
const TPixelModelRegistration kColour("bench.colour", ColourPixel);
const TPixelModelRegistration kTexture("bench.texture", TexturePixel);

TVertex At(float px, float py, D3DCOLOR colour, float u, float v)
{
    return {px / (kWidth / 2.0f) - 1.0f, 1.0f - py / (kHeight / 2.0f), 0.5f, 1.0f, 0, 0, 1, colour, u, v};
}

class TScene
{
public:
    TScene()
    {
        setenv("VESTAMOR_HEADLESS", "1", 1);
        // VESTAMOR_D3D9_CORES=1 measures one core, away from the load of a shared machine.
        if (const char* cores = std::getenv("VESTAMOR_D3D9_CORES"))
            D3D9Settings().cores = UINT(std::atoi(cores));
        direct3d = Direct3DCreate9(D3D_SDK_VERSION);
        D3DPRESENT_PARAMETERS parameters = {};
        parameters.BackBufferWidth = kWidth;
        parameters.BackBufferHeight = kHeight;
        parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
        parameters.Windowed = TRUE;
        parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
        parameters.EnableAutoDepthStencil = TRUE;
        parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
        direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x52, &parameters, &device);
        const D3DVERTEXELEMENT9 elements[] = {{0, 0, D3DDECLTYPE_FLOAT4, 0, D3DDECLUSAGE_POSITION, 0},
                                              {0, 16, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},
                                              {0, 28, D3DDECLTYPE_D3DCOLOR, 0, D3DDECLUSAGE_COLOR, 0},
                                              {0, 32, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
                                              D3DDECL_END()};
        device->CreateVertexDeclaration(elements, &declaration);
        device->SetVertexDeclaration(declaration);
        device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    }

    ~TScene()
    {
        device->SetVertexShader(nullptr);
        device->SetPixelShader(nullptr);
        device->SetVertexDeclaration(nullptr);
        device->SetTexture(0, nullptr);
        for (IUnknown* object : owned)
            object->Release();
        declaration->Release();
        device->Release();
        direct3d->Release();
    }

    void Use(const char* vertexModel, const char* pixelModel)
    {
        DWORD tokens[32];
        IDirect3DVertexShader9* vs = nullptr;
        IDirect3DPixelShader9* ps = nullptr;
        ShadingModelTokens(false, vertexModel, tokens, 32);
        device->CreateVertexShader(tokens, &vs);
        ShadingModelTokens(true, pixelModel, tokens, 32);
        device->CreatePixelShader(tokens, &ps);
        device->SetVertexShader(vs);
        device->SetPixelShader(ps);
        owned.push_back(vs);
        owned.push_back(ps);
    }

    IDirect3D9* direct3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DVertexDeclaration9* declaration = nullptr;
    std::vector<IUnknown*> owned;
};

void Memcpy(benchmark::State& state)
{
    const size_t bytes = 64u << 20;
    std::vector<char> from(bytes, 1), to(bytes, 0);
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes));
}
BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

void Clear(benchmark::State& state)
{
    TScene scene;
    for (auto _ : state)
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030,
                            1.0f, 0);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(Clear)->Unit(benchmark::kMillisecond)->UseRealTime();

void TexturedQuad(benchmark::State& state)
{
    TScene scene;
    scene.Use("bench.pass", "bench.texture");
    IDirect3DTexture9* texture = nullptr;
    scene.device->CreateTexture(512, 512, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (int i = 0; i < 512 * 512; ++i)
        static_cast<std::uint32_t*>(locked.pBits)[i] = std::uint32_t(i * 2654435761u);
    texture->UnlockRect(0);
    scene.owned.push_back(texture);
    scene.device->SetTexture(0, texture);
    scene.device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    scene.device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    const TVertex quad[4] = {At(0, 0, 0, 0, 0), At(kWidth, 0, 0, 1, 0), At(0, kHeight, 0, 0, 1),
                             At(kWidth, kHeight, 0, 1, 1)};
    scene.device->BeginScene();
    for (auto _ : state)
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TVertex));
    scene.device->EndScene();
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
    state.SetBytesProcessed(std::int64_t(state.iterations()) * kWidth * kHeight * 4);
}
BENCHMARK(TexturedQuad)->Unit(benchmark::kMillisecond)->UseRealTime();

void SmallLitTriangles(benchmark::State& state)
{
    TScene scene;
    scene.Use("bench.lit", "bench.colour");
    const float light[8] = {0.3f, 0.5f, 0.81f, 0.0f, 1.0f, 0.9f, 0.8f, 1.0f};
    scene.device->SetVertexShaderConstantF(0, light, 2);
    std::vector<TVertex> vertices;
    unsigned seed = 1;
    for (int i = 0; i < 100000; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = float(seed % (kWidth - 8)), y = float((seed >> 12) % (kHeight - 8));
        const float angle = float(i) * 0.01f;
        for (int corner = 0; corner < 3; ++corner)
        {
            TVertex v =
                At(x + (corner == 1 ? 6.0f : 0.0f), y + (corner == 2 ? 6.0f : 0.0f), 0xFFFFFFFF, 0, 0);
            v.nx = std::cos(angle);
            v.ny = std::sin(angle);
            v.nz = 0.5f;
            vertices.push_back(v);
        }
    }
    IDirect3DVertexBuffer9* buffer = nullptr;
    scene.device->CreateVertexBuffer(UINT(vertices.size() * sizeof(TVertex)), D3DUSAGE_WRITEONLY, 0,
                                     D3DPOOL_MANAGED, &buffer, nullptr);
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(TVertex));
    buffer->Unlock();
    scene.owned.push_back(buffer);
    scene.device->SetStreamSource(0, buffer, 0, sizeof(TVertex));
    scene.device->BeginScene();
    for (auto _ : state)
        scene.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 100000);
    scene.device->EndScene();
    scene.device->SetStreamSource(0, nullptr, 0, 0);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * 100000);
}
BENCHMARK(SmallLitTriangles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BlendedQuads(benchmark::State& state)
{
    TScene scene;
    scene.Use("bench.pass", "bench.colour");
    scene.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    scene.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    scene.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    // 64 quads of 256x256 in one draw: 4.2 megapixels blended.
    std::vector<TVertex> vertices;
    for (int i = 0; i < 64; ++i)
    {
        const float x = float((i * 97) % (kWidth - 256)), y = float((i * 61) % (kHeight - 256));
        const D3DCOLOR colour = D3DCOLOR_ARGB(128, i * 4, 255 - i * 4, 128);
        const TVertex a = At(x, y, colour, 0, 0), b = At(x + 256, y, colour, 0, 0),
                      c = At(x, y + 256, colour, 0, 0), d = At(x + 256, y + 256, colour, 0, 0);
        vertices.insert(vertices.end(), {a, b, c, b, d, c});
    }
    scene.device->BeginScene();
    for (auto _ : state)
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 128, vertices.data(), sizeof(TVertex));
    scene.device->EndScene();
    state.SetItemsProcessed(std::int64_t(state.iterations()) * 64 * 256 * 256);
}
BENCHMARK(BlendedQuads)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

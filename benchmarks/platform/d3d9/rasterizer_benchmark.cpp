// The software device at 1280x720, each scene on one core (argument 1) and on all (0), beside
// a large memcpy for the machine's memory bandwidth: clearing, a full-screen bilinear quad of
// a repeated texture, the same alpha-blended, 100,000 small triangles with vertex colours and
// overlapping depth-tested triangles, coloured or textured. Then the game's own pixel models on
// the same scenes: the canvas model (texture x vertex colour x constant) blended over the screen,
// with a colour at each corner and white as sprites draw it, and the textured mesh model and the
// lit one (a directional light on a normal) on the depth-tested triangles. Each scene reports its
// pixel rate, as memcpy_ratio that rate over memcpy's in 4-byte pixels measured just before it,
// and its processor time per frame over every thread beside the wall time, and that time in
// cold memcpys of one frame (cpu_memcpy_frames: a 1280 x 720 frame of 4-byte pixels copied after
// touching 64 MB, frame_memcpy_ms). 3,000 depth-tested triangles through the game's canvas3d and
// vertexcolour models stand for the 3D canvas's scenes. Last the shadow
// passes of the deferred renderer, each beside what it is measured against in the same loop
// (pass_ms, reference_ms and reference_ratio, the pass over its reference): the projection pass
// (the game's "shadowprojection" model over the screen, reading the opaque and transparent
// positions and a 1024 x 1024 R32F map into two A8R8G8B8 masks; aim: at most 2 full-screen copies
// of the positions into an A16B16G16R16F target) and a split's map pass (20,000 caster triangles
// into the 1024 x 1024 map and its depth surface, both cleared, by "shadowdepth"; aim: at most 1.5
// times the same casters drawn by the plain colour model into an A8R8G8B8 target of that size).
#include "platform/d3d9/d3d9.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/shadingmodel.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// Clip position and texture coordinates alone, as a full-screen pass has them.
void TexturedVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = p[c];
        output.varying[0][c] = uv[c];
    }
}

// Clip position and colour alone.
void ColourVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = p[c];
        output.varying[0][c] = colour[c];
    }
}

// Clip position, then the varyings the layer's models read: colour, texture coordinates and
// normal.
void MeshVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    const float* normal = input.Attribute(D3DDECLUSAGE_NORMAL);
    for (int c = 0; c < 4; ++c)
    {
        output.position[c] = p[c];
        output.varying[0][c] = colour[c];
        output.varying[1][c] = uv[c];
        output.varying[2][c] = c < 3 ? normal[c] : 0.0f;
    }
}

const TVertexModelRegistration kTextured("bench.textured", TexturedVertex, 1);
const TVertexModelRegistration kColourVertex("bench.colour", ColourVertex, 1);
const TVertexModelRegistration kMeshVertex("bench.mesh", MeshVertex, 3);
const TPixelModelRegistration kColour("bench.colour", PixelModelType<TVaryingColourPixel<0>>());
const TPixelModelRegistration kTexture("bench.texture", PixelModelType<TTexturePixel<0>>());
// The texture at the mesh vertex's coordinates.
const TPixelModelRegistration kMeshTexture("bench.mesh-texture", PixelModelType<TTexturePixel<1>>());

TVertex At(float px, float py, D3DCOLOR colour, float u, float v)
{
    return {px / (kWidth / 2.0f) - 1.0f, 1.0f - py / (kHeight / 2.0f), 0.5f, 1.0f, 0, 0, 1, colour, u, v};
}

class TScene
{
public:
    // `cores` 0 takes every core.
    explicit TScene(UINT cores)
    {
        setenv("VESTAMOR_HEADLESS", "1", 1);
        D3D9Settings().cores = cores;
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
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
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

std::vector<char>& MemcpySource()
{
    static std::vector<char> bytes(64u << 20, 1);
    return bytes;
}

void Memcpy(benchmark::State& state)
{
    std::vector<char>& from = MemcpySource();
    std::vector<char> to(from.size(), 0);
    for (auto _ : state)
    {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(from.size()));
    state.SetItemsProcessed(std::int64_t(state.iterations()) * std::int64_t(from.size() / 4));
}
BENCHMARK(Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

// memcpy's rate in 4-byte pixels per second on one core, best of a few copies.
double MemcpyPixelRate()
{
    std::vector<char>& from = MemcpySource();
    std::vector<char> to(from.size(), 0);
    double best = 0.0;
    for (int i = 0; i < 5; ++i)
    {
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        best = std::max(best, double(from.size() / 4) / seconds);
    }
    return best;
}

// The yardstick of the scenes' frames: a memcpy of one 1280 x 720 frame of 4-byte pixels, cold
// (64 MB touched first, so that it runs at memory speed), in milliseconds, the median of a few.
double ColdFrameMemcpyMilliseconds()
{
    std::vector<char>& touched = MemcpySource();
    std::vector<char> from(kWidth * kHeight * 4, 1), to(from.size(), 0);
    double times[7];
    for (double& time : times)
    {
        for (size_t i = 0; i < touched.size(); i += 64)
            touched[i] = char(touched[i] + 1);
        benchmark::ClobberMemory();
        const auto start = std::chrono::steady_clock::now();
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
        time = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    }
    std::sort(std::begin(times), std::end(times));
    return times[3];
}

// Processor time of the whole process (every thread) in seconds.
double ProcessSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Runs `draw` as the benchmark's loop and reports `pixels` drawn per iteration, and the
// processor time of every thread per frame: on a machine busy with other work the wall time
// of all cores says little, their processor time says what the work costs.
template <typename TDraw>
void Measure(benchmark::State& state, TScene& scene, double pixels, TDraw draw)
{
    const double memcpyRate = MemcpyPixelRate();
    const double frameMemcpy = ColdFrameMemcpyMilliseconds();
    scene.device->BeginScene();
    // One frame first, so that what the loop measures is the steady state, storage grown.
    draw();
    const double processStart = ProcessSeconds();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state)
        draw();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double processSeconds = ProcessSeconds() - processStart;
    scene.device->EndScene();
    state.SetItemsProcessed(std::int64_t(double(state.iterations()) * pixels));
    state.counters["memcpy_ratio"] = double(state.iterations()) * pixels / seconds / memcpyRate;
    state.counters["cpu_ms_per_frame"] = processSeconds * 1000.0 / double(state.iterations());
    state.counters["frame_memcpy_ms"] = frameMemcpy;
    state.counters["cpu_memcpy_frames"] = processSeconds * 1000.0 / double(state.iterations()) / frameMemcpy;
}

void Clear(benchmark::State& state)
{
    TScene scene(UINT(state.range(0)));
    for (auto _ : state)
        scene.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0xFF102030,
                            1.0f, 0);
    state.SetItemsProcessed(std::int64_t(state.iterations()) * kWidth * kHeight);
}
BENCHMARK(Clear)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// A 512x512 A8R8G8B8 texture of scattered texels on stage 0, filtered bilinear.
void BindTexture(TScene& scene)
{
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
}

void BlendAsTransparency(TScene& scene)
{
    scene.device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    scene.device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    scene.device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
}

// The constants of the layer's models: c0 a colour (the lit model's light direction), c1 the
// light's colour, c2 the ambient one.
void SetModelConstants(TScene& scene)
{
    const float constants[3][4] = {{0.3f, -0.6f, 0.74f, 0.85f}, {0.9f, 0.8f, 0.7f, 1.0f}, {0.2f, 0.25f, 0.3f, 0.0f}};
    scene.device->SetPixelShaderConstantF(0, &constants[0][0], 3);
}

// A full-screen bilinear quad of that texture repeated 2.5 x 1.4 times, with a colour at each
// corner, or `white` with the constant one.
void BilinearQuad(benchmark::State& state, const char* vertexModel, const char* pixelModel, bool blended,
                  bool white = false)
{
    TScene scene(UINT(state.range(0)));
    scene.Use(vertexModel, pixelModel);
    BindTexture(scene);
    SetModelConstants(scene);
    if (white)
    {
        const float one[4] = {1.0f, 1.0f, 1.0f, 1.0f};
        scene.device->SetPixelShaderConstantF(0, one, 1);
    }
    if (blended)
        BlendAsTransparency(scene);
    auto corner = [&](D3DCOLOR colour) { return white ? 0xFFFFFFFF : colour; };
    const TVertex quad[4] = {At(-0.5f, -0.5f, corner(0xF0E0C0A0), 0, 0),
                             At(kWidth - 0.5f, -0.5f, corner(0xC0FFFFFF), 2.5f, 0),
                             At(-0.5f, kHeight - 0.5f, corner(0xFF80C0F0), 0, 1.4f),
                             At(kWidth - 0.5f, kHeight - 0.5f, corner(0xE0F0A080), 2.5f, 1.4f)};
    Measure(state, scene, double(kWidth) * kHeight,
            [&] { scene.device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TVertex)); });
}
BENCHMARK_CAPTURE(BilinearQuad, opaque, "bench.textured", "bench.texture", false)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BilinearQuad, blended, "bench.textured", "bench.texture", true)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The game's canvas model (texture x vertex colour x constant), blended: beside the texture kind
// blended above.
BENCHMARK_CAPTURE(BilinearQuad, canvas_model, "bench.mesh", "canvas2d", true)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The canvas model white and unscaled, as sprites and images draw it: the texture itself.
BENCHMARK_CAPTURE(BilinearQuad, canvas_white, "bench.mesh", "canvas2d", true, true)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Draws `vertices` as a triangle list from a vertex buffer.
void TriangleList(benchmark::State& state, const std::vector<TVertex>& vertices, double pixels)
{
    TScene scene(UINT(state.range(0)));
    scene.Use("bench.colour", "bench.colour");
    IDirect3DVertexBuffer9* buffer = nullptr;
    scene.device->CreateVertexBuffer(UINT(vertices.size() * sizeof(TVertex)), D3DUSAGE_WRITEONLY, 0,
                                     D3DPOOL_MANAGED, &buffer, nullptr);
    void* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), vertices.size() * sizeof(TVertex));
    buffer->Unlock();
    scene.owned.push_back(buffer);
    scene.device->SetStreamSource(0, buffer, 0, sizeof(TVertex));
    const UINT triangles = UINT(vertices.size() / 3);
    Measure(state, scene, pixels, [&] { scene.device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, triangles); });
    scene.device->SetStreamSource(0, nullptr, 0, 0);
}

// 100,000 triangles of 20 pixels in every orientation, a colour at each corner.
void SmallTriangles(benchmark::State& state)
{
    constexpr int kCount = 100000;
    std::vector<TVertex> vertices;
    unsigned seed = 1;
    for (int i = 0; i < kCount; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = 8.0f + float(seed % (kWidth - 16)), y = 8.0f + float((seed >> 12) % (kHeight - 16));
        const float angle = float(i) * 0.37f, c = std::cos(angle), s = std::sin(angle);
        // Legs of sqrt(40) pixels: an area of 20.
        const float leg = 6.3245553f;
        const float corners[3][2] = {{0, 0}, {leg, 0}, {0, leg}};
        for (int corner = 0; corner < 3; ++corner)
        {
            const float cx = corners[corner][0], cy = corners[corner][1];
            vertices.push_back(At(x + cx * c - cy * s, y + cx * s + cy * c,
                                  D3DCOLOR_ARGB(255, (i * 7 + corner * 80) & 0xFF, (i * 13) & 0xFF, corner * 120),
                                  0, 0));
        }
    }
    TriangleList(state, vertices, kCount * 20.0);
}
BENCHMARK(SmallTriangles)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// `count` triangles of legs `leg` in every orientation at random places and depths, the screen
// about 2.5 times over, depth-tested into a depth buffer cleared for each frame, drawn by the
// pixel model (through the mesh vertex with its colour, about one texel a pixel and a normal
// turned with the triangle, or the game's canvas3d vertex model).
void DepthTestedTriangles(benchmark::State& state, const char* vertexModel, const char* pixelModel,
                          int count = 300, float leg = 124.0f)
{
    const int kCount = count;
    const float kLeg = leg;
    std::vector<TVertex> vertices;
    unsigned seed = 3;
    for (int i = 0; i < kCount; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = kLeg + float(seed % (kWidth - 2 * int(kLeg)));
        const float y = kLeg + float((seed >> 12) % (kHeight - 2 * int(kLeg)));
        const float z = float((seed >> 4) & 0xFF) / 256.0f;
        const float angle = float(i) * 0.61f, c = std::cos(angle), s = std::sin(angle);
        const float corners[3][2] = {{0, 0}, {kLeg, 0}, {0, kLeg}};
        for (int corner = 0; corner < 3; ++corner)
        {
            const float cx = corners[corner][0], cy = corners[corner][1];
            TVertex v = At(x + cx * c - cy * s, y + cx * s + cy * c,
                           D3DCOLOR_ARGB(255, (i * 5) & 0xFF, corner * 100, (i * 37) & 0xFF),
                           float(i % 7) / 7.0f + cx / 512.0f, float(i % 5) / 5.0f + cy / 512.0f);
            v.z = z;
            v.nx = c * 0.6f;
            v.ny = s * 0.6f - 0.3f * float(corner);
            v.nz = -0.8f;
            vertices.push_back(v);
        }
    }
    TScene scene(UINT(state.range(0)));
    scene.Use(vertexModel, pixelModel);
    BindTexture(scene);
    SetModelConstants(scene);
    // canvas3d's matrix: the identity, the positions given in clip space.
    const float identity[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    scene.device->SetVertexShaderConstantF(0, &identity[0][0], 4);
    scene.device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    scene.device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    Measure(state, scene, kCount * kLeg * kLeg / 2.0, [&] {
        scene.device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        scene.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, kCount, vertices.data(), sizeof(TVertex));
    });
}
BENCHMARK_CAPTURE(DepthTestedTriangles, colour, "bench.colour", "bench.colour")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// 3,000 of 768 pixels through the game's canvas3d vertex model and vertexcolour pixel model.
BENCHMARK_CAPTURE(DepthTestedTriangles, game_colour_3000, "canvas3d", "vertexcolour", 3000, 39.2f)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The texture kind, then the game's textured mesh model (texture x vertex colour x constant) and
// its lit model.
BENCHMARK_CAPTURE(DepthTestedTriangles, texture, "bench.mesh", "bench.mesh-texture")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(DepthTestedTriangles, mesh_model, "bench.mesh", "textured")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(DepthTestedTriangles, lit_model, "bench.mesh", "meshlit")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A texture of `format` filled texel by texel from `texel(x, y, rgba)`, kept by the scene.
template <typename TTexel>
IDirect3DTexture9* FilledTexture(TScene& scene, UINT width, UINT height, D3DFORMAT format, TTexel texel)
{
    IDirect3DTexture9* texture = nullptr;
    scene.device->CreateTexture(width, height, 1, 0, format, D3DPOOL_MANAGED, &texture, nullptr);
    scene.owned.push_back(texture);
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    for (UINT y = 0; y < height; ++y)
    {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) + y * UINT(locked.Pitch);
        for (UINT x = 0; x < width; ++x)
        {
            float rgba[4];
            texel(x, y, rgba);
            if (format == D3DFMT_R32F)
                std::memcpy(row + 4 * x, rgba, 4);
            else
                for (int c = 0; c < 4; ++c)
                {
                    const std::uint16_t half = D3D9FloatToHalf(rgba[c]);
                    std::memcpy(row + 8 * x + 2 * c, &half, 2);
                }
        }
    }
    texture->UnlockRect(0);
    return texture;
}

// Level 0 of a new render-target texture, kept by the scene.
IDirect3DSurface9* TargetSurface(TScene& scene, UINT width, UINT height, D3DFORMAT format)
{
    IDirect3DTexture9* texture = nullptr;
    scene.device->CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &texture, nullptr);
    IDirect3DSurface9* surface = nullptr;
    texture->GetSurfaceLevel(0, &surface);
    scene.owned.push_back(surface);
    scene.owned.push_back(texture);
    return surface;
}

// The scene's shaders of two models, made once and set as often as a loop switches to them.
struct TShaderPair
{
    TShaderPair(TScene& scene, const char* vertexModel, const char* pixelModel) : device(scene.device)
    {
        scene.Use(vertexModel, pixelModel);
        device->GetVertexShader(&vertex);
        device->GetPixelShader(&pixel);
        // The scene keeps them.
        vertex->Release();
        pixel->Release();
    }
    void Set() const
    {
        device->SetVertexShader(vertex);
        device->SetPixelShader(pixel);
    }
    IDirect3DDevice9* device;
    IDirect3DVertexShader9* vertex = nullptr;
    IDirect3DPixelShader9* pixel = nullptr;
};

// Runs `reference` and `pass` in turn as the benchmark's loop, each timed on its own.
template <typename TPass, typename TReference>
void MeasureBeside(benchmark::State& state, TScene& scene, TPass pass, TReference reference)
{
    typedef std::chrono::steady_clock TClock;
    scene.device->BeginScene();
    // Once each first, storage grown.
    reference();
    pass();
    double passSeconds = 0.0, referenceSeconds = 0.0;
    for (auto _ : state)
    {
        const auto start = TClock::now();
        reference();
        const auto middle = TClock::now();
        pass();
        referenceSeconds += std::chrono::duration<double>(middle - start).count();
        passSeconds += std::chrono::duration<double>(TClock::now() - middle).count();
    }
    scene.device->EndScene();
    const double frames = double(state.iterations());
    state.counters["pass_ms"] = passSeconds * 1000.0 / frames;
    state.counters["reference_ms"] = referenceSeconds * 1000.0 / frames;
    state.counters["reference_ratio"] = passSeconds / referenceSeconds;
}

// The projection pass over the positions of a ground plane seen from above and ahead, against
// the copy of those positions.
void ShadowProjection(benchmark::State& state)
{
    TScene scene(UINT(state.range(0)));
    auto ground = [](UINT x, UINT y, float* p) {
        const float depth = 5.0f + 60.0f * float(y) / float(kHeight);
        p[0] = (float(x) / float(kWidth) - 0.5f) * depth;
        p[1] = -2.0f;
        p[2] = depth;
        p[3] = 1.0f;
    };
    IDirect3DTexture9* opaque = FilledTexture(scene, kWidth, kHeight, D3DFMT_A16B16G16R16F, ground);
    IDirect3DTexture9* transparent = FilledTexture(scene, kWidth, kHeight, D3DFMT_A16B16G16R16F, ground);
    IDirect3DTexture9* map = FilledTexture(scene, 1024, 1024, D3DFMT_R32F, [](UINT x, UINT y, float* depth) {
        depth[0] = 0.3f + 0.2f * std::sin(float(x) * 0.05f) * std::cos(float(y) * 0.03f);
    });
    IDirect3DSurface9* masks[2] = {TargetSurface(scene, kWidth, kHeight, D3DFMT_A8R8G8B8),
                                   TargetSurface(scene, kWidth, kHeight, D3DFMT_A8R8G8B8)};
    IDirect3DSurface9* copy = TargetSurface(scene, kWidth, kHeight, D3DFMT_A16B16G16R16F);
    IDirect3DSurface9* back = nullptr;
    scene.device->GetRenderTarget(0, &back);
    const TVertex quad[4] = {At(-0.5f, -0.5f, 0xFFFFFFFF, 0, 0), At(kWidth - 0.5f, -0.5f, 0xFFFFFFFF, 1, 0),
                             At(-0.5f, kHeight - 0.5f, 0xFFFFFFFF, 0, 1),
                             At(kWidth - 0.5f, kHeight - 0.5f, 0xFFFFFFFF, 1, 1)};
    // Camera space to map coordinates and depth; the light's channel, the split's range with its
    // fade, and the bias.
    const float constants[9][4] = {{0.01f, 0.0f, 0.0f, 0.5f}, {0.0f, 0.0f, 0.012f, 0.1f}, {0.0f, 0.05f, 0.0f, 0.5f},
                                   {0.0f, 0.0f, 0.0f, 1.0f},  {},                         {},
                                   {1.0f, 0.0f, 0.0f, 0.0f},  {0.0f, 80.0f, 60.0f, 80.0f}, {0.02f, 0.0f, 0.0f, 0.0f}};
    IDirect3DDevice9* device = scene.device;
    const TShaderPair projection(scene, "bench.mesh", "shadowprojection"), copier(scene, "bench.mesh", "bench.mesh-texture");
    MeasureBeside(
        state, scene,
        [&] {
            projection.Set();
            device->SetPixelShaderConstantF(0, &constants[0][0], 9);
            device->SetTexture(0, opaque);
            device->SetTexture(1, transparent);
            device->SetTexture(3, map);
            device->SetRenderTarget(0, masks[0]);
            device->SetRenderTarget(1, masks[1]);
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TVertex));
            device->SetRenderTarget(1, nullptr);
        },
        [&] {
            copier.Set();
            device->SetTexture(0, opaque);
            device->SetRenderTarget(0, copy);
            device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TVertex));
        });
    device->SetRenderTarget(0, back);
    back->Release();
    for (DWORD stage : {0u, 1u, 3u})
        device->SetTexture(stage, nullptr);
}
BENCHMARK(ShadowProjection)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();

// A split's map pass: 20,000 caster triangles of about 150 texels at scattered depths, into the
// cleared map and depth surface by the depth model, against the plain colour model into an
// A8R8G8B8 target of the map's size.
void ShadowMap(benchmark::State& state)
{
    constexpr int kCount = 20000;
    constexpr UINT kSize = 1024;
    std::vector<TVertex> vertices;
    unsigned seed = 5;
    for (int i = 0; i < kCount; ++i)
    {
        seed = seed * 1103515245u + 12345u;
        const float x = float(seed % 2000) / 1000.0f - 1.0f, y = float((seed >> 11) % 2000) / 1000.0f - 1.0f;
        const float z = float((seed >> 4) & 0xFF) / 256.0f;
        const float angle = float(i) * 0.43f, c = std::cos(angle), s = std::sin(angle);
        // Legs of 17 texels.
        const float leg = 17.0f * 2.0f / float(kSize);
        const float corners[3][2] = {{0, 0}, {leg, 0}, {0, leg}};
        for (const auto& corner : corners)
            vertices.push_back({x + corner[0] * c - corner[1] * s, y + corner[0] * s + corner[1] * c,
                                z + corner[0], 1.0f, 0, 0, 1, 0xFFFFFFFF, 0, 0});
    }
    TScene scene(UINT(state.range(0)));
    IDirect3DSurface9* map = TargetSurface(scene, kSize, kSize, D3DFMT_R32F);
    IDirect3DSurface9* plain = TargetSurface(scene, kSize, kSize, D3DFMT_A8R8G8B8);
    IDirect3DSurface9* depth = nullptr;
    scene.device->CreateDepthStencilSurface(kSize, kSize, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr);
    scene.owned.push_back(depth);
    IDirect3DSurface9 *back = nullptr, *backDepth = nullptr;
    scene.device->GetRenderTarget(0, &back);
    scene.device->GetDepthStencilSurface(&backDepth);
    IDirect3DDevice9* device = scene.device;
    device->SetDepthStencilSurface(depth);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    const TShaderPair depthModel(scene, "bench.colour", "shadowdepth"), colourModel(scene, "bench.colour", "bench.colour");
    auto draw = [&](IDirect3DSurface9* target, const TShaderPair& shaders) {
        shaders.Set();
        device->SetRenderTarget(0, target);
        device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, kCount, vertices.data(), sizeof(TVertex));
    };
    MeasureBeside(
        state, scene, [&] { draw(map, depthModel); }, [&] { draw(plain, colourModel); });
    device->SetRenderTarget(0, back);
    device->SetDepthStencilSurface(backDepth);
    back->Release();
    backDepth->Release();
}
BENCHMARK(ShadowMap)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

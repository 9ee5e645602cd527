#include "levelatmosphere.h"
#include "levelmeshes.h"

#include "core/cluster/cluster.h"
#include "core/math/half.h"
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/material.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/effects/atmospherevertexpool.h"
#include "igame/effects/skyelement.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr f32 PI = 3.14159265f;
constexpr u32 ATLAS_SIZE = 128;
constexpr u32 BACKGROUND_WIDTH = 64;
constexpr u32 BACKGROUND_HEIGHT = 32;
constexpr u32 GLOW_WIDTH = 128;
constexpr u32 GLOW_HEIGHT = 4;
// The dome: rings from a little under the horizon to the top, and segments around.
constexpr u32 DOME_RINGS = 12;
constexpr u32 DOME_SEGMENTS = 32;
constexpr f32 DOME_RADIUS = 500.0f;
constexpr f32 DOME_LOWEST = -0.15f;
// The templates of the pool: the sun's disc, a star, a cloud (each a quad of two triangles).
constexpr u16 SUN_TEMPLATE = 0;
constexpr u16 STAR_TEMPLATE = 1;
constexpr u16 CLOUD_TEMPLATE = 2;
constexpr u32 QUAD_VERTICES = 6;
constexpr u32 COLOR_KEYS = 8;
constexpr u32 RAIN_WIDTH = 8;
constexpr u32 RAIN_HEIGHT = 32;

u32 Pixel(f32 r, f32 g, f32 b, f32 a)
{
    auto byte = [](f32 c) { return static_cast<u32>(std::fmin(std::fmax(c, 0.0f), 1.0f) * 255.0f + 0.5f); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// A fixed pseudo-random value in [0, 1) for i and a stream: the same on every run.
f32 Scatter(u32 i, u32 stream)
{
    u32 h = i * 0x9E3779B1u + stream * 0x85EBCA77u;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return static_cast<f32>(h & 0xFFFFFF) / 16777216.0f;
}

// Soft cloud cover: a few sines, between 0 and 1.
f32 Billow(f32 x, f32 y)
{
    return 0.5f + 0.2f * std::sin(x * 2.1f + 0.7f) * std::sin(y * 1.7f) + 0.15f * std::sin(x * 5.3f + y * 3.1f) +
           0.15f * std::sin(y * 6.7f - x * 2.9f);
}

// A faint texture of streaks the dome's colours are multiplied by.
std::vector<u32> Background()
{
    std::vector<u32> pixels(BACKGROUND_WIDTH * BACKGROUND_HEIGHT);
    for (u32 y = 0; y < BACKGROUND_HEIGHT; ++y)
        for (u32 x = 0; x < BACKGROUND_WIDTH; ++x)
        {
            const f32 u = 2.0f * PI * static_cast<f32>(x) / BACKGROUND_WIDTH, v = static_cast<f32>(y) / BACKGROUND_HEIGHT;
            const f32 level = 0.9f + 0.1f * std::sin(u * 3.0f + v * 9.0f) * std::sin(v * 14.0f);
            pixels[y * BACKGROUND_WIDTH + x] = Pixel(level, level, level, 1.0f);
        }
    return pixels;
}

// The glow about the sun across u, the sine of half the angle from it: bright within some ten
// degrees, a faint wash over the sun's side of the sky.
std::vector<u32> Glow()
{
    std::vector<u32> pixels(GLOW_WIDTH * GLOW_HEIGHT);
    for (u32 x = 0; x < GLOW_WIDTH; ++x)
    {
        const f32 u = static_cast<f32>(x) / (GLOW_WIDTH - 1);
        const f32 near = std::pow(std::fmax(0.0f, 1.0f - u * 8.0f), 3.0f);
        const f32 wide = std::pow(1.0f - u, 6.0f) * 0.25f;
        const f32 a = std::fmin(1.0f, near + wide);
        for (u32 y = 0; y < GLOW_HEIGHT; ++y)
            pixels[y * GLOW_WIDTH + x] = Pixel(1.0f, 0.9f, 0.75f, a);
    }
    return pixels;
}

// The elements' atlas: the sun's disc (top left), a star (top right), a cloud (the lower half).
std::vector<u32> Atlas()
{
    std::vector<u32> pixels(ATLAS_SIZE * ATLAS_SIZE);
    const u32 half = ATLAS_SIZE / 2;
    for (u32 y = 0; y < ATLAS_SIZE; ++y)
        for (u32 x = 0; x < ATLAS_SIZE; ++x)
        {
            u32& out = pixels[y * ATLAS_SIZE + x];
            if (y < half)
            {
                const f32 cx = (static_cast<f32>(x % half) + 0.5f) / half * 2.0f - 1.0f;
                const f32 cy = (static_cast<f32>(y) + 0.5f) / half * 2.0f - 1.0f;
                const f32 r = std::sqrt(cx * cx + cy * cy);
                if (x < half)
                {
                    const f32 disc = std::fmin(1.0f, std::fmax(0.0f, (0.45f - r) * 20.0f));
                    const f32 halo = std::pow(std::fmax(0.0f, 1.0f - r), 2.0f) * 0.5f;
                    out = Pixel(1.0f, 0.96f, 0.85f, std::fmin(1.0f, disc + halo));
                }
                else
                    out = Pixel(0.9f, 0.92f, 1.0f, std::pow(std::fmax(0.0f, 1.0f - r * 1.6f), 3.0f));
            }
            else
            {
                const f32 cx = (static_cast<f32>(x) + 0.5f) / ATLAS_SIZE * 2.0f - 1.0f;
                const f32 cy = (static_cast<f32>(y - half) + 0.5f) / half * 2.0f - 1.0f;
                const f32 edge = std::fmax(0.0f, 1.0f - (cx * cx + cy * cy));
                const f32 cover = std::fmin(1.0f, edge * 1.6f * Billow(cx * 3.0f, cy * 3.0f));
                const f32 shade = 0.6f + 0.4f * (1.0f - cy) * 0.5f;
                out = Pixel(shade, shade, shade, cover);
            }
        }
    return pixels;
}

// Grey overcast: rolls of cloud across the dome.
std::vector<u32> Overcast()
{
    std::vector<u32> pixels(BACKGROUND_WIDTH * BACKGROUND_HEIGHT);
    for (u32 y = 0; y < BACKGROUND_HEIGHT; ++y)
        for (u32 x = 0; x < BACKGROUND_WIDTH; ++x)
        {
            const f32 u = 2.0f * PI * static_cast<f32>(x) / BACKGROUND_WIDTH, v = static_cast<f32>(y) / BACKGROUND_HEIGHT;
            const f32 level = 0.45f + 0.1f * Billow(u * 2.0f, v * 6.0f) + 0.08f * v;
            pixels[y * BACKGROUND_WIDTH + x] = Pixel(level, level * 1.02f, level * 1.06f, 1.0f);
        }
    return pixels;
}

// A rain streak: a thin bright line down the middle, soft at both ends.
std::vector<u32> RainStreak()
{
    std::vector<u32> pixels(RAIN_WIDTH * RAIN_HEIGHT);
    for (u32 y = 0; y < RAIN_HEIGHT; ++y)
        for (u32 x = 0; x < RAIN_WIDTH; ++x)
        {
            const f32 across = std::fabs((static_cast<f32>(x) + 0.5f) / RAIN_WIDTH * 2.0f - 1.0f);
            const f32 along = (static_cast<f32>(y) + 0.5f) / RAIN_HEIGHT;
            const f32 a = std::pow(std::fmax(0.0f, 1.0f - across), 2.0f) * std::sin(along * PI);
            pixels[y * RAIN_WIDTH + x] = Pixel(0.85f, 0.9f, 1.0f, a);
        }
    return pixels;
}

// A hemisphere of quads, a little below the horizon, its texture once around and up.
std::vector<TMeshVertex> Dome()
{
    std::vector<TMeshVertex> vertices;
    auto at = [](u32 ring, u32 segment) {
        const f32 v = static_cast<f32>(ring) / DOME_RINGS;
        const f32 elevation = (DOME_LOWEST + (1.0f - DOME_LOWEST) * v) * 0.5f * PI;
        const f32 u = static_cast<f32>(segment) / DOME_SEGMENTS;
        const f32 azimuth = u * 2.0f * PI;
        const f32 across = std::cos(elevation) * DOME_RADIUS;
        return TMeshVertex{std::sin(azimuth) * across, std::sin(elevation) * DOME_RADIUS, std::cos(azimuth) * across,
                           u, 1.0f - v, 0xFFFFFFFFu};
    };
    for (u32 ring = 0; ring < DOME_RINGS; ++ring)
        for (u32 segment = 0; segment < DOME_SEGMENTS; ++segment)
        {
            vertices.push_back(at(ring, segment));
            vertices.push_back(at(ring + 1, segment));
            vertices.push_back(at(ring + 1, segment + 1));
            vertices.push_back(at(ring, segment + 1));
        }
    return vertices;
}

// A quad of two triangles facing +z, over the atlas rectangle [u0, u1] x [v0, v1].
void AddQuad(std::vector<TSkyVertex>& out, f32 u0, f32 v0, f32 u1, f32 v1)
{
    const u16 normal[4] = {FloatToHalf(0.0f), FloatToHalf(0.0f), FloatToHalf(1.0f), FloatToHalf(1.0f)};
    const f32 corner[QUAD_VERTICES][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
    for (const auto& c : corner)
    {
        TSkyVertex v{c[0], c[1], 0.0f, {normal[0], normal[1], normal[2], normal[3]}, c[0] < 0 ? u0 : u1,
                     c[1] < 0 ? v1 : v0};
        out.push_back(v);
    }
}

// A matrix that scales the template by (x, y) and faces its +z along forward.
TMatrix Facing(const TVector& forward, f32 x, f32 y, const TVector& place)
{
    TMatrix m;
    const TVector up = std::fabs(forward.y) > 0.95f ? TVector(0.0f, 0.0f, 1.0f, 0.0f) : TVector(0.0f, 1.0f, 0.0f, 0.0f);
    m.SetOrientation(forward, up);
    m.aRow[0] = TVector(m.aRow[0].x * x, m.aRow[0].y * x, m.aRow[0].z * x, 0.0f);
    m.aRow[1] = TVector(m.aRow[1].x * y, m.aRow[1].y * y, m.aRow[1].z * y, 0.0f);
    m.aRow[3] = place;
    return m;
}

void SetKey(TVector* table, u32 key, f32 r, f32 g, f32 b)
{
    table[key] = TVector(r, g, b, 1.0f);
}

struct TLevelSky
{
    TLevelSky(TRepositoryWriter& writer, TAtmosphere& day, TAtmosphere& rain, TNode* light);

    TSkyElement* Add(u16 templateIndex, const TMatrix& local, const TMatrix& world, u8 visible);

    TAtmosphereVertexPool pool;
    TSkyElementTemplate templates[LEVEL_SKY_TEMPLATES] = {};
    std::vector<TSkyElement> elements;
};

TSkyElement* TLevelSky::Add(u16 templateIndex, const TMatrix& local, const TMatrix& world, u8 visible)
{
    TSkyElement& e = elements.emplace_back();
    std::memset(&e, 0, sizeof e);
    e.m_nTemplate = templateIndex;
    e.Local = local;
    e.World = world;
    e.m_nVisible = visible;
    return &e;
}

TLevelSky::TLevelSky(TRepositoryWriter& writer, TAtmosphere& day, TAtmosphere& rain, TNode* light)
{
    // Room for every element first: the atmospheres keep their addresses.
    elements.reserve(1 + LEVEL_SKY_STARS + LEVEL_SKY_AMBIENT_CLOUDS + LEVEL_SKY_RAIN_CLOUDS + LEVEL_SKY_ELEMENTS);
    TTexture* background = MakeTexture(writer, "sky_background", BACKGROUND_WIDTH, BACKGROUND_HEIGHT, Background());
    TTexture* glow = MakeTexture(writer, "sky_sun_glow", GLOW_WIDTH, GLOW_HEIGHT, Glow());
    TTexture* atlas = MakeTexture(writer, "sky_elements", ATLAS_SIZE, ATLAS_SIZE, Atlas());
    TTexture* overcast = MakeTexture(writer, "sky_overcast", BACKGROUND_WIDTH, BACKGROUND_HEIGHT, Overcast());
    TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName("sky_dome", true));
    TMeshData* dome = MakeMeshData(writer, "sky_dome", Dome(), material);
    auto shader = [](const char* name) { return g_pDxShaderManager->FindShader(TName(name, true)); };

    // The pool: its template table, then the quads' vertices.
    std::vector<TSkyVertex> vertices;
    AddQuad(vertices, 0.0f, 0.0f, 0.5f, 0.5f);
    AddQuad(vertices, 0.5f, 0.0f, 1.0f, 0.5f);
    AddQuad(vertices, 0.0f, 0.5f, 1.0f, 1.0f);
    std::vector<u8> block(sizeof templates + vertices.size() * sizeof(TSkyVertex));
    for (u32 i = 0; i < LEVEL_SKY_TEMPLATES; ++i)
    {
        templates[i] = {i * QUAD_VERTICES, QUAD_VERTICES};
        g_pAtmosphereManager->Templates().Add(&templates[i]);
    }
    std::memcpy(block.data(), templates, sizeof templates);
    std::memcpy(block.data() + sizeof templates, vertices.data(), vertices.size() * sizeof(TSkyVertex));
    pool.m_Name = TName("sky_vertex_pool", true);
    pool.m_nTemplateCount = LEVEL_SKY_TEMPLATES;
    writer.AddBlock(&pool, block.data(), static_cast<u32>(block.size()));
    g_pAtmosphereManager->VertexPools().Add(&pool);

    day.m_nSkyMode = ATMOSPHERE_DYNAMIC_SKY;
    day.pMeshData = dome;
    day.pShader = shader("Sky_dome");
    day.pMainBackgroundTexture = background;
    day.pSunGlowTexture = glow;
    day.pSkyElementsTexture = atlas;
    day.pSkyElementsShader = shader("Sky_elements");
    day.pSkySunShader = shader("Sky_sun");
    day.pLight = light;
    // Light, sky (zenith) and horizon colours: midnight, night, dawn, morning, afternoon, evening,
    // dusk, midnight.
    const f32 keys[COLOR_KEYS][3][3] = {
        {{0.08f, 0.09f, 0.15f}, {0.01f, 0.015f, 0.04f}, {0.03f, 0.04f, 0.08f}},
        {{0.1f, 0.1f, 0.18f}, {0.02f, 0.025f, 0.06f}, {0.05f, 0.05f, 0.1f}},
        {{1.0f, 0.7f, 0.45f}, {0.35f, 0.45f, 0.7f}, {0.95f, 0.65f, 0.45f}},
        {{1.0f, 0.97f, 0.9f}, {0.25f, 0.45f, 0.85f}, {0.7f, 0.82f, 0.95f}},
        {{1.0f, 0.95f, 0.85f}, {0.25f, 0.43f, 0.82f}, {0.72f, 0.8f, 0.92f}},
        {{1.0f, 0.8f, 0.55f}, {0.3f, 0.45f, 0.75f}, {0.9f, 0.75f, 0.6f}},
        {{0.35f, 0.25f, 0.35f}, {0.06f, 0.06f, 0.15f}, {0.25f, 0.15f, 0.2f}},
        {{0.08f, 0.09f, 0.15f}, {0.01f, 0.015f, 0.04f}, {0.03f, 0.04f, 0.08f}}};
    for (u32 k = 0; k < COLOR_KEYS; ++k)
    {
        SetKey(day.aLightColorKey, k, keys[k][0][0], keys[k][0][1], keys[k][0][2]);
        SetKey(day.aColorKeyA, k, keys[k][1][0], keys[k][1][1], keys[k][1][2]);
        SetKey(day.aColorKeyB, k, keys[k][2][0], keys[k][2][1], keys[k][2][2]);
    }
    day.m_nColorKeyCount = COLOR_KEYS;

    const TMatrix sun = Facing(TVector(0.0f, 0.0f, 1.0f, 0.0f), 12.0f, 12.0f, TVector(0.0f, 0.0f, -200.0f, 1.0f));
    day.pSun = Add(SUN_TEMPLATE, sun, sun, 1);
    // Stars over the upper sky, 180 units out, facing the eye.
    for (u32 i = 0; i < LEVEL_SKY_STARS; ++i)
    {
        const f32 azimuth = Scatter(i, 1) * 2.0f * PI;
        const f32 elevation = std::asin(0.05f + 0.95f * Scatter(i, 2));
        const TVector d(std::cos(elevation) * std::sin(azimuth), std::sin(elevation), std::cos(elevation) * std::cos(azimuth), 0.0f);
        const f32 size = 1.2f + 1.8f * Scatter(i, 3);
        const TMatrix star = Facing(d.Negated(), size, size, TVector(d.x * 180.0f, d.y * 180.0f, d.z * 180.0f, 1.0f));
        day.aStars.Add(Add(STAR_TEMPLATE, star, star, 1));
    }
    // Ambient clouds: flat sheets under the ambient dome, seen from below.
    for (u32 i = 0; i < LEVEL_SKY_AMBIENT_CLOUDS; ++i)
    {
        const f32 x = (Scatter(i, 4) * 2.0f - 1.0f) * day.m_fAmbientWrap * 0.6f;
        const f32 z = (Scatter(i, 5) * 2.0f - 1.0f) * day.m_fAmbientDomeRadius * 0.6f;
        const f32 size = 250.0f + 250.0f * Scatter(i, 6);
        const TMatrix sheet = Facing(TVector(0.0f, -1.0f, 0.0f, 0.0f), size, size * 0.6f, TVector(x, 0.0f, z, 1.0f));
        day.aAmbientCloud.Add(Add(CLOUD_TEMPLATE, sheet, sheet, 1));
    }
    // Rain clouds: banks facing the eye; which of them show follows the rain.
    for (u32 i = 0; i < LEVEL_SKY_RAIN_CLOUDS; ++i)
    {
        const f32 x = (Scatter(i, 7) * 2.0f - 1.0f) * day.m_fRainWrap * 0.5f;
        const f32 z = (Scatter(i, 8) * 2.0f - 1.0f) * day.m_fRainDomeRadius * 0.7f;
        const f32 size = 500.0f + 400.0f * Scatter(i, 9);
        TMatrix local(1.0f);
        local.aRow[0].x = size;
        local.aRow[1].y = size * 0.45f;
        TMatrix world = local;
        world.aRow[3] = TVector(x, 0.0f, z, 1.0f);
        day.aRainCloud.Add(Add(CLOUD_TEMPLATE, local, world, 0));
    }
    // Far wisps drifting along the sky.
    for (u32 i = 0; i < LEVEL_SKY_ELEMENTS; ++i)
    {
        TMatrix local(1.0f);
        local.aRow[0].x = 3000.0f;
        local.aRow[1].y = 700.0f;
        TMatrix world = local;
        world.aRow[3] = TVector(-15000.0f + 10000.0f * static_cast<f32>(i), 0.0f, (i % 2 ? 1.0f : -1.0f) * 12000.0f, 1.0f);
        day.aSkyElement.Add(Add(CLOUD_TEMPLATE, local, world, 1));
    }
    for (TSkyElement& e : elements)
        g_pAtmosphereManager->Elements().Add(&e);

    rain.m_nSkyMode = 1;
    rain.pMeshData = dome;
    rain.pShader = shader("Sky_plain");
    rain.pTexture = overcast;
}

std::unique_ptr<TLevelSky> s_pSky;

struct TTestLevelSky
{
    TAtmosphere day;
    TAtmosphere rain;
    TAtmosphereChange change;
    TLight overcast;
    ~TTestLevelSky() { day.pNode = rain.pNode = overcast.pNode = nullptr; }
};

std::unique_ptr<TTestLevelSky> s_pTestSky;
} // namespace

void AddRainLights(TAtmosphereChange& change, TLight& overcast, TNode* level)
{
    const TNode* at = g_pNodeManager->FindNode(TName("sun").GetId());
    TLight* sun = nullptr;
    DArray<TLight*>& lights = g_pLightManager->Lights();
    for (i32 i = 0; i < lights.GetCount() && !sun; ++i)
        if (lights[i]->GetNode() == at)
            sun = lights[i];
    if (!sun)
        return;
    overcast.m_nType = LIGHT_DIRECTIONAL;
    overcast.m_fRange = sun->m_fRange;
    overcast.m_fIntensity = 0.4f;
    const f32 grey[4] = {0.62f, 0.65f, 0.7f, 1.0f};
    std::copy(grey, grey + 4, overcast.m_aColor);
    std::fill(overcast.m_aSecondColor, overcast.m_aSecondColor + 4, 0.0f);
    overcast.m_nCastsShadows = 0;
    overcast.pLightSet = sun->pLightSet;
    TNode* node = g_pNodeManager->CreateNode(LEVEL_OVERCAST_LIGHT);
    level->AddChild(node);
    TMatrix above(1.0f);
    above.SetOrientation(TVector(0.1f, -1.0f, 0.15f, 0.0f).Normalized(), TVector(0.0f, 0.0f, 1.0f, 0.0f));
    above.aRow[3] = TVector(0.0f, 200.0f, 0.0f, 1.0f);
    node->SetLocalMatrix(above, TNode::OrdinaryCause());
    node->AddObject(&overcast);
    overcast.OnEnable(1);
    lights.Add(&overcast);
    change.aDayLight.Add(sun);
    change.aNightLight.Add(&overcast);
    // Written as the day has it: the sun whole, the overcast light off.
    change.Apply();
}

u32 AddRainTexture(TRepositoryWriter& writer)
{
    TTexture* rain = MakeTexture(writer, "weather_rain", RAIN_WIDTH, RAIN_HEIGHT, RainStreak());
    return g_pCluster->GetHandle(rain).GetWord();
}

void AddDynamicSky(TRepositoryWriter& writer, TAtmosphere& day, TAtmosphere& rain, TNode* light)
{
    s_pSky.reset();
    s_pSky = std::make_unique<TLevelSky>(writer, day, rain, light);
}

i32 AddLevelAtmosphere(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pTestSky.reset();
    s_pTestSky = std::make_unique<TTestLevelSky>();
    TTestLevelSky& sky = *s_pTestSky;
    const char* names[2] = {LEVEL_SKY_DAY, LEVEL_SKY_RAIN};
    TAtmosphere* atmospheres[2] = {&sky.day, &sky.rain};
    for (u32 i = 0; i < 2; ++i)
    {
        TNode* node = g_pNodeManager->CreateNode(names[i]);
        level->AddChild(node);
        node->AddObject(atmospheres[i]);
        g_pAtmosphereManager->Atmospheres().Add(atmospheres[i]);
    }
    AddDynamicSky(writer, sky.day, sky.rain, g_pNodeManager->FindNode(TName("sun").GetId()));
    sky.change.pDay = &sky.day;
    sky.change.pNight = &sky.rain;
    sky.change.m_fDuration = LEVEL_SKY_RAIN_BLEND;
    AddRainLights(sky.change, sky.overcast, level);
    g_pAtmosphereManager->Changes().Add(&sky.change);
    managers[count++] = g_pAtmosphereManager;
    return count;
}

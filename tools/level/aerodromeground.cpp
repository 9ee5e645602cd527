#include "aerodromeground.h"
#include "aerodromebuilder.h"

#include "ageia/nxdynamics.h"
#include "engine/render/environment.h"
#include "engine/render/environmentmanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "igame/effects/terrainmanager.h"
#include "levelmeshes.h"

#include <algorithm>
#include <cmath>
#include <random>

using namespace AerodromePlan;

namespace
{
// The grass cooked for physics reaches past everything that drives.
constexpr f32 GROUND_MIN_X = -1000.0f, GROUND_MAX_X = 3000.0f;
constexpr f32 GROUND_MIN_Z = -1000.0f, GROUND_MAX_Z = 1000.0f;
constexpr f32 GROUND_CELL = 100.0f;
// Pavements lie a little above the grass and each other, so that the far depth buffer keeps
// them apart.
constexpr f32 APRON_Y = 0.10f;
constexpr f32 ROAD_Y = 0.15f;
constexpr f32 TAXIWAY_Y = 0.20f;
constexpr f32 MARKING_Y = 0.30f;

u32 Argb(u32 r, u32 g, u32 b)
{
    return 0xFF000000u | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
}

// A texture of a base colour with grain; joints every `joint` texels when given. The standard
// generator's sequence is fixed, so the bytes are the same on every run.
std::vector<u32> Surface(u32 seed, u32 r, u32 g, u32 b, u32 grain, u32 joint)
{
    std::minstd_rand noise(seed);
    std::vector<u32> pixels(64 * 64);
    for (u32 y = 0; y < 64; ++y)
        for (u32 x = 0; x < 64; ++x)
        {
            const u32 n = static_cast<u32>(noise() % grain);
            const bool seam = joint && (x % joint == 0 || y % joint == 0);
            pixels[y * 64 + x] = seam ? Argb(r * 3 / 4, g * 3 / 4, b * 3 / 4) : Argb(r + n, g + n, b + n);
        }
    return pixels;
}

// Light panels between bands of glass, for the terminal and the tower's cab.
std::vector<u32> Facade()
{
    std::vector<u32> pixels(64 * 64);
    for (u32 y = 0; y < 64; ++y)
        for (u32 x = 0; x < 64; ++x)
        {
            const bool glass = y % 32 >= 8 && y % 32 <= 24 && x % 16 != 0;
            pixels[y * 64 + x] = glass ? Argb(60, 90, 120) : Argb(210, 206, 196);
        }
    return pixels;
}

// One flat quad from x0..x1, z0..z1 at height y, its texture repeated every `tile` metres.
void Flat(std::vector<TLitVertex>& quads, f32 x0, f32 z0, f32 x1, f32 z1, f32 y, f32 tile)
{
    const f32 hx = (x1 - x0) * 0.5f, hz = (z1 - z0) * 0.5f;
    AddFace(quads, TVector(x0 + hx, y, z0 + hz, 0.0f), TVector(hx, 0, 0, 0), TVector(0, 0, hz, 0),
            2.0f * std::max(hx, hz) / tile);
}

// A strip of the width along a centre line: one quad per segment, the joints closed by the
// neighbouring quads' overlap.
void Strip(std::vector<TLitVertex>& quads, const TPlanPath& line, f32 width, f32 y, f32 tile)
{
    for (size_t i = 1; i < line.size(); ++i)
    {
        const TPlanPoint& a = line[i - 1];
        const TPlanPoint& b = line[i];
        const f32 dx = b.x - a.x, dz = b.z - a.z;
        const f32 length = std::sqrt(dx * dx + dz * dz);
        if (length < 0.01f)
            continue;
        // Half a width longer at each end, so that bends leave no gaps.
        const f32 ux = dx / length, uz = dz / length;
        const f32 half = length * 0.5f + width * 0.5f;
        const TVector along(ux * half, 0.0f, uz * half, 0.0f);
        const TVector across(-uz * width * 0.5f, 0.0f, ux * width * 0.5f, 0.0f);
        // along x across points into the ground: the face looks up.
        AddFace(quads, TVector((a.x + b.x) * 0.5f, y, (a.z + b.z) * 0.5f, 0.0f), along, across,
                2.0f * half / tile);
    }
}

// A building: its box drawn and standing on a convex collision block.
void Building(TAerodromeBuilder& builder, const char* name, TMaterial* material, const TPlanPoint& min,
              const TPlanPoint& max)
{
    const TVector half((max.x - min.x) * 0.5f, (max.y - min.y) * 0.5f, (max.z - min.z) * 0.5f, 1.0f);
    TNode* node = builder.AddNode(name, nullptr,
                                  Placement((min.x + max.x) * 0.5f, min.y, (min.z + max.z) * 0.5f));
    builder.AddMesh(node, builder.BoxMeshData(name, half, material));
    builder.AddCollision(node, builder.CookBox(name, half), GROUPS_BUILDING);
}

void AddPhysicsSettings()
{
    TDynamicsSettings settings = g_pNxDynamicsManager->GetSettings();
    settings.aGravity[0] = 0.0f;
    settings.aGravity[1] = -9.8f;
    settings.aGravity[2] = 0.0f;
    settings.aGravity[3] = 0.0f;
    settings.fRate = 120.0f;
    settings.nMaxSubSteps = 8;
    g_pNxDynamicsManager->SetData(0, &settings, sizeof settings);
}

void AddGrass(TAerodromeBuilder& builder)
{
    // Physics: a grid of cells, so that no triangle is kilometres long.
    const u32 columns = static_cast<u32>((GROUND_MAX_X - GROUND_MIN_X) / GROUND_CELL);
    const u32 rows = static_cast<u32>((GROUND_MAX_Z - GROUND_MIN_Z) / GROUND_CELL);
    std::vector<f32> vertices;
    std::vector<u16> indices;
    for (u32 r = 0; r <= rows; ++r)
        for (u32 c = 0; c <= columns; ++c)
            vertices.insert(vertices.end(), {GROUND_MIN_X + GROUND_CELL * static_cast<f32>(c), 0.0f,
                                             GROUND_MIN_Z + GROUND_CELL * static_cast<f32>(r), 0.0f, 1.0f, 0.0f});
    for (u32 r = 0; r < rows; ++r)
        for (u32 c = 0; c < columns; ++c)
        {
            const u16 a = static_cast<u16>(r * (columns + 1) + c), b = static_cast<u16>(a + 1);
            const u16 d = static_cast<u16>(a + columns + 1), e = static_cast<u16>(d + 1);
            indices.insert(indices.end(), {a, d, e, a, e, b});
        }
    TNode* ground = builder.AddNode("ground", nullptr, Placement(0.0f, 0.0f, 0.0f));
    builder.AddCollision(ground, builder.CookTriangles("ground", vertices, indices), GROUPS_GROUND);

    // Drawn: the grass far beyond the fence.
    std::vector<TLitVertex> quads;
    Flat(quads, -4000.0f, -4000.0f, 6000.0f, 8000.0f, 0.0f, 25.0f);
    builder.AddMesh(ground, builder.MeshData("grass", quads,
                                             builder.TexturedMaterial("grass", 64, Surface(11, 70, 110, 50, 24, 0))));
}

void AddPavements(TAerodromeBuilder& builder)
{
    TNode* node = builder.AddNode("pavements", nullptr, Placement(0.0f, 0.0f, 0.0f));
    // The apron and the yards in concrete slabs.
    std::vector<TLitVertex> concrete;
    Flat(concrete, TERMINAL_MIN.x - 10.0f, TAXIWAY_A_Z + 12.0f, EAST_LINK_X + 5.0f, TERMINAL_MIN.z, APRON_Y, 10.0f);
    Flat(concrete, 470.0f, 0.0f, 575.0f, 115.0f, APRON_Y, 10.0f);
    Flat(concrete, 90.0f, 112.0f, 260.0f, 170.0f, APRON_Y, 10.0f);
    Flat(concrete, -140.0f, 112.0f, 30.0f, 170.0f, APRON_Y, 10.0f);
    builder.AddMesh(node, builder.MeshData("apron", concrete,
                                           builder.TexturedMaterial("concrete", 64, Surface(5, 150, 150, 144, 10, 32))));

    // Runway and taxiways in dark asphalt, the runway's centre line and thresholds in white.
    std::vector<TLitVertex> asphalt;
    for (const TPlanStrip& strip : TaxiwayStrips())
        Strip(asphalt, strip.Line, strip.fWidth, TAXIWAY_Y, 20.0f);
    builder.AddMesh(node, builder.MeshData("taxiways", asphalt,
                                           builder.TexturedMaterial("asphalt", 64, Surface(7, 58, 60, 62, 12, 0))));
    std::vector<TLitVertex> markings;
    const f32 west = RUNWAY_CENTRE.x - RUNWAY_LENGTH * 0.5f;
    for (f32 x = west + 60.0f; x < west + RUNWAY_LENGTH - 60.0f; x += 60.0f)
        Flat(markings, x, RUNWAY_CENTRE.z - 0.6f, x + 30.0f, RUNWAY_CENTRE.z + 0.6f, MARKING_Y, 30.0f);
    for (f32 end : {west + 10.0f, west + RUNWAY_LENGTH - 40.0f})
        for (f32 z = RUNWAY_CENTRE.z - 18.0f; z < RUNWAY_CENTRE.z + 18.0f; z += 4.0f)
            Flat(markings, end, z, end + 30.0f, z + 1.8f, MARKING_Y, 30.0f);
    builder.AddMesh(node, builder.MeshData("markings", markings, builder.ColourMaterial("marking", Argb(235, 235, 230))));

    // Service roads and the public road.
    std::vector<TLitVertex> roads;
    for (const TPlanStrip& strip : RoadStrips())
        Strip(roads, strip.Line, strip.fWidth, ROAD_Y, 10.0f);
    builder.AddMesh(node, builder.MeshData("roads", roads,
                                           builder.TexturedMaterial("road", 64, Surface(13, 80, 80, 84, 14, 0))));
}

void AddBuildings(TAerodromeBuilder& builder)
{
    TMaterial* facade = builder.TexturedMaterial("facade", 64, Facade());
    TMaterial* metal = builder.TexturedMaterial("metal", 64, Surface(17, 150, 156, 164, 20, 8));
    TMaterial* white = builder.ColourMaterial("white_paint", Argb(225, 225, 220));
    Building(builder, "terminal", facade, TERMINAL_MIN, TERMINAL_MAX);
    // The tower: a shaft and the cab on it.
    const TPlanPoint& base = TOWER_BASE;
    const f32 w = TOWER_HALF_WIDTH;
    Building(builder, "control_tower", white, {base.x - w, 0.0f, base.z - w}, {base.x + w, TOWER_HEIGHT, base.z + w});
    Building(builder, "control_tower_cab", facade, {base.x - 2.0f * w, TOWER_HEIGHT, base.z - 2.0f * w},
             {base.x + 2.0f * w, TOWER_HEIGHT + 6.0f, base.z + 2.0f * w});
    Building(builder, "garage", metal, GARAGE_MIN, GARAGE_MAX);
    Building(builder, "luggage_hall", metal, {90.0f, 0.0f, 176.0f}, {200.0f, 9.0f, 204.0f});
    Building(builder, "cargo_storage", metal, {-75.0f, 0.0f, 174.0f}, {-5.0f, 12.0f, 204.0f});
    Building(builder, "fuel_farm", white, {-150.0f, 0.0f, 156.0f}, {-90.0f, 8.0f, 170.0f});
}

void AddDaylight(TAerodromeBuilder& builder)
{
    TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    TLightSet& set = builder.Make<TLightSet>();
    scene->pLightSet = &set;
    g_pLightManager->LightSets().Add(&set);
    // An afternoon sun from the south-west over a sky-blue ambient.
    TLight& sun = builder.Make<TLight>();
    TMatrix facing(1.0f);
    facing.SetOrientation(TVector(0.45f, -0.6f, 0.65f, 0.0f).Normalized(), TVector(0, 1, 0, 0));
    facing.aRow[3] = TVector(0.0f, 500.0f, -500.0f, 1.0f);
    sun.m_nType = LIGHT_DIRECTIONAL;
    sun.m_fRange = 100000.0f;
    sun.m_fIntensity = 1.0f;
    const f32 colour[4] = {1.0f, 0.96f, 0.88f, 1.0f};
    const f32 ambient[4] = {0.42f, 0.46f, 0.55f, 1.0f};
    std::copy(colour, colour + 4, sun.m_aColor);
    std::copy(ambient, ambient + 4, sun.m_aSecondColor);
    sun.pLightSet = &set;
    builder.AddNode("sun", nullptr, facing)->AddObject(&sun);
    sun.OnEnable(1);
    g_pLightManager->Lights().Add(&sun);

    // The sky the glass reflects: blue above, hazy at the horizon.
    std::vector<u32> sky(16 * 16);
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 16; ++x)
        {
            const f32 dx = (static_cast<f32>(x) - 7.5f) / 7.5f, dy = (static_cast<f32>(y) - 7.5f) / 7.5f;
            const f32 t = std::min(std::sqrt(dx * dx + dy * dy), 1.0f);
            sky[y * 16 + x] = Argb(static_cast<u32>(90 + 110 * t), static_cast<u32>(130 + 90 * t), static_cast<u32>(200 + 30 * t));
        }
    TEnvironment& environment = builder.Make<TEnvironment>();
    builder.AddNode("environment_global", nullptr, Placement(0.0f, 0.0f, 0.0f))->AddObject(&environment);
    environment.pTexture = MakeTexture(builder.Writer(), "environment_sky", 16, 16, sky);
    g_pEnvironmentManager->Environments().Add(&environment);

    // The terrain shaders' settings: texture scale, then the ground's base colour.
    f32 settings[TERRAIN_SETTINGS_VECTORS * 4] = {};
    const f32 head[8] = {0.04f, 0.04f, 0.0f, 0.0f, 0.30f, 0.45f, 0.22f, 1.0f};
    std::copy(head, head + 8, settings);
    g_pTerrainManager->SetData(0, settings, sizeof settings);
}
} // namespace

i32 AddAerodromeGround(TAerodromeBuilder& builder, TClusterManager** managers, i32 count)
{
    AddPhysicsSettings();
    AddGrass(builder);
    AddPavements(builder);
    AddBuildings(builder);
    AddDaylight(builder);
    managers[count++] = g_pLightManager;
    managers[count++] = g_pEnvironmentManager;
    managers[count++] = g_pTerrainManager;
    return count;
}

#include "levellitscene.h"
#include "levelmeshes.h"

#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/environmentmanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/terrainmanager.h"
#include "repositorywriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <tuple>
#include <vector>

namespace
{
constexpr u32 GROUND_PATCHES = 4;
constexpr f32 GROUND_PATCH_SIZE = 50.0f;
// Metres the ground texture spans.
constexpr f32 GROUND_TEXTURE_SIZE = 6.25f;
// The material vector whose x the directional pass takes as the reflection amount.
constexpr u32 REFLECTION_VECTOR = 6;
// Radians.
constexpr f32 FLOODLIGHT_CULL_ANGLE = 1.0f;

// A fixed sequence (no clock, no addresses): the same texture bytes on every run.
class TNoise
{
public:
    explicit TNoise(u32 seed) : m_nState(seed) {}
    // 0 .. span - 1.
    u32 Next(u32 span)
    {
        m_nState = m_nState * 1664525u + 1013904223u;
        return (m_nState >> 16) % span;
    }

private:
    u32 m_nState;
};

u32 Argb(u32 r, u32 g, u32 b)
{
    return 0xFF000000u | (std::min(r, 255u) << 16) | (std::min(g, 255u) << 8) | std::min(b, 255u);
}

// Concrete slabs with dark joints and grain.
std::vector<u32> ApronPixels()
{
    TNoise noise(7);
    std::vector<u32> pixels(64 * 64);
    for (u32 y = 0; y < 64; ++y)
        for (u32 x = 0; x < 64; ++x)
        {
            const u32 grey = (x % 32 == 0 || y % 32 == 0) ? 96 : 132 + noise.Next(8);
            pixels[y * 64 + x] = Argb(grey, grey, grey - 6);
        }
    return pixels;
}

// Light panels between bands of dark glass.
std::vector<u32> FacadePixels()
{
    std::vector<u32> pixels(32 * 32);
    for (u32 y = 0; y < 32; ++y)
        for (u32 x = 0; x < 32; ++x)
        {
            const bool glass = y % 16 >= 5 && y % 16 <= 12 && x % 8 != 0;
            pixels[y * 32 + x] = glass ? Argb(40, 60, 80) : Argb(200, 196, 186);
        }
    return pixels;
}

// Corrugated metal.
std::vector<u32> HangarPixels()
{
    std::vector<u32> pixels(32 * 32);
    for (u32 y = 0; y < 32; ++y)
        for (u32 x = 0; x < 32; ++x)
        {
            const u32 shade = 120 + (x % 4) * 18;
            pixels[y * 32 + x] = Argb(shade - 10, shade, shade + 8);
        }
    return pixels;
}

// A reflection: a gradient from the middle (facing up) out to the horizon.
std::vector<u32> EnvironmentPixels(u32 centre, u32 horizon)
{
    std::vector<u32> pixels(16 * 16);
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 16; ++x)
        {
            const f32 dx = (static_cast<f32>(x) - 7.5f) / 7.5f, dy = (static_cast<f32>(y) - 7.5f) / 7.5f;
            const f32 t = std::min(std::sqrt(dx * dx + dy * dy), 1.0f);
            u32 channel[3];
            for (u32 c = 0; c < 3; ++c)
            {
                const f32 a = static_cast<f32>((centre >> (16 - 8 * c)) & 0xFF);
                const f32 b = static_cast<f32>((horizon >> (16 - 8 * c)) & 0xFF);
                channel[c] = static_cast<u32>(a + (b - a) * t);
            }
            pixels[y * 16 + x] = Argb(channel[0], channel[1], channel[2]);
        }
    return pixels;
}

TMatrix Facing(const TVector& direction, const TVector& at)
{
    TMatrix m(1.0f);
    const TVector forward = direction.Normalized();
    const TVector up = std::fabs(forward.y) > 0.9f ? TVector(0, 0, 1, 0) : TVector(0, 1, 0, 0);
    m.SetOrientation(forward, up);
    m.aRow[3] = at;
    return m;
}

TNode* Node(TNode* level, const char* name, const TMatrix& at)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    level->AddChild(node);
    node->SetLocalMatrix(at, TNode::OrdinaryCause());
    return node;
}

// The records that live outside the managers' own arrays.
struct TLevelLitScene
{
    TLevelLitScene(TRepositoryWriter& writer, TNode* level);
    // The written level's cluster has freed the nodes by now: the objects leave no node.
    ~TLevelLitScene()
    {
        for (TLight& light : m_aLight)
            light.pNode = nullptr;
        for (TEnvironment& zone : m_aEnvironment)
            zone.pNode = nullptr;
    }

    TMaterial* Material(TRepositoryWriter& writer, const char* name, i32 size, const std::vector<u32>& pixels)
    {
        TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName(name, true));
        material->aTexture[0] = MakeTexture(writer, name, size, size, pixels);
        return material;
    }
    // A building reflects in the queue "Reflective", whose define picks the reflecting programs.
    void Building(TRepositoryWriter& writer, const char* name, TMaterial* material, f32 x, f32 z, f32 halfX,
                  f32 halfY, f32 halfZ, f32 reflection)
    {
        TMatrix at(1.0f);
        at.aRow[3] = TVector(x, 0.0f, z, 1.0f);
        TMesh* mesh = g_pDxMeshManager->CreateMesh(Node(m_pLevel, name, at));
        mesh->pMeshData = MakeMeshData(writer, name, LitBox(halfX, halfY, halfZ, 8.0f), material);
        // Buildings shade the apron.
        mesh->pMeshData->m_Description.aWord[0] |= MESH_DATA_CASTS_SHADOW;
        mesh->m_Material.aVector[REFLECTION_VECTOR].x = reflection;
        mesh->SetQueue(reflection > 0.0f ? &m_Reflective : m_pNormal);
    }
    TLight& Light(const char* name, i32 type, const TMatrix& at, f32 range, f32 intensity, const f32 (&colour)[3])
    {
        TLight& light = m_aLight[m_nLights++];
        light.m_nType = type;
        light.m_fRange = range;
        light.m_fIntensity = intensity;
        for (u32 c = 0; c < 3; ++c)
            light.m_aColor[c] = colour[c];
        light.m_aColor[3] = 1.0f;
        light.pLightSet = &m_Set;
        Node(m_pLevel, name, at)->AddObject(&light);
        // Counted in its set as a node switched on counts it.
        light.OnEnable(1);
        g_pLightManager->Lights().Add(&light);
        return light;
    }
    void Environment(const char* name, const TVector& at, f32 radius, f32 fade, TTexture* texture)
    {
        TEnvironment& zone = m_aEnvironment[m_nEnvironments++];
        TMatrix place(1.0f);
        place.aRow[3] = at;
        Node(m_pLevel, name, place)->AddObject(&zone);
        zone.m_fInnerRadius = radius;
        zone.m_fFadeRange = fade;
        zone.pTexture = texture;
        g_pEnvironmentManager->Environments().Add(&zone);
    }

    TNode* m_pLevel;
    TRenderQueue* m_pNormal;
    TRenderQueue* m_pAlphaBlend = nullptr;
    TRenderQueue m_Reflective{};
    TRenderQueue m_Ground{};
    TRenderQueue m_AlphaBlend{};
    TLightSet m_Set{0, 0, {}};
    TLight m_aLight[4];
    u32 m_nLights = 0;
    TEnvironment m_aEnvironment[2];
    u32 m_nEnvironments = 0;
};

TLevelLitScene::TLevelLitScene(TRepositoryWriter& writer, TNode* level) : m_pLevel(level)
{
    TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    m_pNormal = scene->FindQueue(TName("Normal", true));
    m_Reflective.m_Name = TName("Reflective", true);
    m_Reflective.m_Define = g_NameReflectionDefine;
    m_Reflective.m_nFlags = RENDER_QUEUE_ENABLED | RENDER_QUEUE_DEFINE;
    scene->aRenderQueue[scene->m_nQueueCount++] = &m_Reflective;
    g_pRenderSceneManager->Queues().Add(&m_Reflective);
    // The ground's own queue comes last: where the buildings stand before it, its pixels fail
    // the depth test before they are shaded.
    m_Ground.m_Name = TName("Ground", true);
    m_Ground.m_nFlags = RENDER_QUEUE_ENABLED;
    scene->aRenderQueue[scene->m_nQueueCount++] = &m_Ground;
    g_pRenderSceneManager->Queues().Add(&m_Ground);

    // The ground: patches of one mesh, so that spot passes draw only those a floodlight reaches.
    TMaterial* apron = Material(writer, "apron", 64, ApronPixels());
    std::vector<TLitVertex> patch;
    const f32 half = GROUND_PATCH_SIZE * 0.5f;
    AddFace(patch, TVector(0, 0, 0, 0), TVector(half, 0, 0, 0), TVector(0, 0, half, 0),
            GROUND_PATCH_SIZE / GROUND_TEXTURE_SIZE);
    TDxMeshData* ground = MakeMeshData(writer, "apron_patch", patch, apron);
    const f32 first = -0.5f * GROUND_PATCH_SIZE * (GROUND_PATCHES - 1);
    for (u32 i = 0; i < GROUND_PATCHES * GROUND_PATCHES; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "apron_%02u", i);
        TMatrix at(1.0f);
        at.aRow[3] = TVector(first + GROUND_PATCH_SIZE * static_cast<f32>(i % GROUND_PATCHES), 0.0f,
                             first + GROUND_PATCH_SIZE * static_cast<f32>(i / GROUND_PATCHES), 1.0f);
        TMesh* mesh = g_pDxMeshManager->CreateMesh(Node(level, name, at));
        mesh->pMeshData = ground;
        mesh->SetQueue(&m_Ground);
    }

    // The terminal stands on its collision block; the glass of it and of the tower reflects.
    TMaterial* facade = Material(writer, "facade", 32, FacadePixels());
    Building(writer, "terminal_building", facade, 40.0f, -30.0f, 10.0f, 4.0f, 6.0f, 0.35f);
    Building(writer, "hangar", Material(writer, "hangar_metal", 32, HangarPixels()), 14.0f, -42.0f, 8.0f, 4.5f,
             7.0f, 0.0f);
    Building(writer, "control_tower", facade, 60.0f, -40.0f, 1.5f, 10.0f, 1.5f, 0.2f);

    // Dusk: a low warm sun over a bluish ambient, two floodlights over the apron, a lamp at the
    // terminal's door. One light set, which the level scene switches on.
    scene->pLightSet = &m_Set;
    g_pLightManager->LightSets().Add(&m_Set);
    TLight& sun = Light("sun", LIGHT_DIRECTIONAL, Facing(TVector(0.35f, -0.55f, 0.75f, 0.0f), TVector(0, 60, -120, 1)),
                        1000.0f, 0.85f, {1.0f, 0.78f, 0.55f});
    // Four splits over 300 units of shadow.
    sun.m_nCastsShadows = 1;
    sun.m_aShadow[0] = 0.7f;
    const f32 ambient[4] = {0.30f, 0.34f, 0.44f, 1.0f};
    std::copy(ambient, ambient + 4, sun.m_aSecondColor);
    for (const auto& [name, x, tilt] : {std::tuple{"floodlight_1", 30.0f, 0.2f}, std::tuple{"floodlight_2", 50.0f, -0.2f}})
    {
        TLight& flood = Light(name, LIGHT_SPOT, Facing(TVector(tilt, -1.0f, 0.55f, 0.0f), TVector(x, 14.0f, -60.0f, 1.0f)),
                              40.0f, 1.3f, {1.0f, 0.9f, 0.7f});
        flood.SetCone(0.35f, 0.55f);
        // The spot test takes a ground patch's sphere at 0.6 of its radius and the mean of the two
        // angles: the angles it culls by open wider than the light, so that no lit patch is left out.
        flood.m_aConeAngle[0] = flood.m_aConeAngle[1] = FLOODLIGHT_CULL_ANGLE;
    }
    // The first floodlight casts too.
    TLight& flood = m_aLight[1];
    flood.m_nCastsShadows = 1;
    flood.m_aShadow[0] = 0.8f;
    flood.m_fShadowDistance = 60.0f;

    // A glass pane on the apron before the terminal, drawn with the transparent queue.
    if (TRenderQueue* alpha = scene->FindQueue(TName("Alpha blend", true)))
        m_pAlphaBlend = alpha;
    else
    {
        // Drawn by the renderers after the opaque scene, not by the scene's walk: not enabled.
        m_AlphaBlend.m_Name = TName("Alpha blend", true);
        scene->aRenderQueue[scene->m_nQueueCount++] = &m_AlphaBlend;
        g_pRenderSceneManager->Queues().Add(&m_AlphaBlend);
        m_pAlphaBlend = &m_AlphaBlend;
    }
    TMaterial* glass = Material(writer, "glass_pane", 4, std::vector<u32>(16, 0x7090C0E0u));
    std::vector<TLitVertex> pane;
    // Both sides.
    AddFace(pane, TVector(0, 2.0f, 0, 0), TVector(3.0f, 0, 0, 0), TVector(0, 2.0f, 0, 0), 1.0f);
    AddFace(pane, TVector(0, 2.0f, 0, 0), TVector(0, 2.0f, 0, 0), TVector(3.0f, 0, 0, 0), 1.0f);
    TMatrix paneAt(1.0f);
    paneAt.aRow[3] = TVector(46.0f, 0.0f, -62.0f, 1.0f);
    TMesh* paneMesh = g_pDxMeshManager->CreateMesh(Node(level, "glass_pane", paneAt));
    paneMesh->pMeshData = MakeMeshData(writer, "glass_pane", pane, glass);
    paneMesh->SetQueue(m_pAlphaBlend);
    Light("terminal_lamp", LIGHT_POINT, Facing(TVector(0, 0, 1, 0), TVector(40.0f, 3.0f, -37.0f, 1.0f)), 10.0f, 1.0f,
          {1.0f, 0.8f, 0.5f});

    Environment("environment_global", TVector(0, 0, 0, 1), 0.0f, 0.0f,
                MakeTexture(writer, "environment_sky", 16, 16, EnvironmentPixels(0x8098C0, 0xE0A070)));
    Environment("environment_terminal", TVector(40.0f, 4.0f, -36.0f, 1.0f), 12.0f, 25.0f,
                MakeTexture(writer, "environment_apron", 16, 16, EnvironmentPixels(0xF0C080, 0x604830)));

    // The terrain shaders' settings: texture scale, then the ground's base colour.
    f32 settings[TERRAIN_SETTINGS_VECTORS * 4] = {};
    const f32 head[8] = {0.04f, 0.04f, 0.0f, 0.0f, 0.45f, 0.47f, 0.43f, 1.0f};
    std::copy(head, head + 8, settings);
    g_pTerrainManager->SetData(0, settings, sizeof settings);
}

std::unique_ptr<TLevelLitScene> s_pLitScene;
} // namespace

i32 AddLevelLitScene(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pLitScene = std::make_unique<TLevelLitScene>(writer, level);
    managers[count++] = g_pLightManager;
    managers[count++] = g_pEnvironmentManager;
    managers[count++] = g_pTerrainManager;
    return count;
}

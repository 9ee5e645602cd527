#include "levelparticles.h"
#include "levelloopingbone.h"
#include "levelmeshes.h"

#include "core/cluster/cluster.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "ifx/ifxparticlemanager.h"
#include "repositorywriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
// The route: a circle of this radius about its centre on the apron, before the floodlights.
constexpr f32 ROUTE_X = 36.0f;
constexpr f32 ROUTE_Z = -58.0f;
constexpr f32 ROUTE_RADIUS = 7.0f;
constexpr i32 ROUTE_KEYS = 12;
// Frames a second of the route's animation: a round in 24 seconds.
constexpr f32 ROUTE_TIME_SCALE = 0.5f;
constexpr f32 PI = 3.14159265f;

TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

TNode* Child(TNode* parent, const char* name, const TMatrix& at)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    parent->AddChild(node);
    node->SetLocalMatrix(at, TNode::OrdinaryCause());
    return node;
}

u32 Argb(f32 a, u32 rgb)
{
    return static_cast<u32>(std::clamp(a, 0.0f, 1.0f) * 255.0f + 0.5f) << 24 | rgb;
}

// Sixteen puffs of smoke on a 4 x 4 sheet of 16-pixel cells, each rounder and thinner than the
// one before; grey-white, the colour keys tint them.
std::vector<u32> SmokeSheet()
{
    std::vector<u32> pixels(64 * 64);
    for (u32 y = 0; y < 64; ++y)
        for (u32 x = 0; x < 64; ++x)
        {
            const u32 cell = (y / 16) * 4 + x / 16;
            const f32 dx = (static_cast<f32>(x % 16) - 7.5f) / 7.5f,
                      dy = (static_cast<f32>(y % 16) - 7.5f) / 7.5f;
            // A lumpy edge that smooths out frame by frame.
            const f32 angle = std::atan2(dy, dx);
            const f32 lumps = 0.18f * (1.0f - static_cast<f32>(cell) / 16.0f) * std::sin(5.0f * angle + cell);
            const f32 r = std::sqrt(dx * dx + dy * dy) / (0.85f + lumps);
            const f32 density = std::max(0.0f, 1.0f - r) * (1.0f - 0.03f * static_cast<f32>(cell));
            pixels[y * 64 + x] = Argb(density * 3.0f, 0xE8E8E8);
        }
    return pixels;
}

// A glowing dot, white at its centre.
std::vector<u32> SparkDot()
{
    std::vector<u32> pixels(16 * 16);
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 16; ++x)
        {
            const f32 dx = (static_cast<f32>(x) - 7.5f) / 7.5f, dy = (static_cast<f32>(y) - 7.5f) / 7.5f;
            const f32 glow = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
            pixels[y * 16 + x] = Argb(glow * glow * 2.0f, 0xFFFFFF);
        }
    return pixels;
}

// A tug's body: orange, its texture one colour.
std::vector<u32> TugPaint()
{
    return std::vector<u32>(4 * 4, 0xFFD07020);
}

TIParticleEmitterData* Data(const char* name)
{
    const u32 id = TName(name, true).GetId();
    auto* data = static_cast<TIParticleEmitterData*>(g_pParticleManager->CreateEmitterData(&id));
    for (f32& m : data->aColorMultiplier)
        m = 1.0f;
    data->aScale[0] = data->aScale[1] = data->aScale[2] = {1.0f, 0.0f};
    data->TimeScale = {1.0f, 0.0f};
    const f32 whole[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    std::memcpy(data->aTextureRect, whole, sizeof whole);
    return data;
}

void ColourKeys(TIParticleEmitterData* data, const f32 (&keys)[4][4], f32 first, f32 second)
{
    std::memcpy(data->aColorKey, keys, sizeof keys);
    data->aColorKeyAge[0] = first;
    data->aColorKeyAge[1] = second;
}

// The records that live outside the managers' own arrays, held until the next call.
struct TLevelParticles
{
    TLevelParticles(TRepositoryWriter& writer, TNode* level);
    // The written level's cluster has freed the nodes by now: the objects leave no node.

    void Route(TRepositoryWriter& writer, TNode* level);
    void Smoke(TRepositoryWriter& writer);
    void Sparks(TRepositoryWriter& writer);

    TRenderQueue alphaBlend{};
    std::unique_ptr<TLevelLoopingBone> drive;
    TNode* tug = nullptr;
    TNode* engine = nullptr;
};

TLevelParticles::TLevelParticles(TRepositoryWriter& writer, TNode* level)
{
    TRenderScene* scene = g_pRenderSceneManager->Scenes()[0];
    if (!scene->FindQueue(TName("Alpha blend", true)))
    {
        // Drawn by the renderers after the opaque scene, not by the scene's walk: not enabled.
        alphaBlend.m_Name = TName("Alpha blend", true);
        scene->aRenderQueue[scene->GetQueueCount()] = &alphaBlend;
        ++scene->m_nQueueCount;
        g_pRenderSceneManager->Queues().Add(&alphaBlend);
    }
    Route(writer, level);
    Smoke(writer);
    Sparks(writer);

    // A light wind over the apron: a noise field that stirs what flies through it.
    TNode* wind = Child(level, LEVEL_WIND, Translation(40.0f, 4.0f, -50.0f));
    TParticleGlobalArea* area = g_pParticleManager->CreateGlobalArea(wind);
    area->Area.nId = TName(LEVEL_WIND, true).GetId();
    area->Area.nMode = PARTICLE_AREA_NOISE;
    area->Area.fRadius = 80.0f;
    area->Area.fStrength = 0.02f;
    area->Area.fNoiseScale = 0.3f;
    area->Area.nAxisMask = PARTICLE_AREA_AXIS_Y;
    // The cluster clears the made objects after the save, once its nodes are gone: the manager
    // takes them off their nodes first, as the game's unload does.
    g_pCluster->AddListener(static_cast<TIFXParticleManager*>(g_pParticleManager));
}

void TLevelParticles::Route(TRepositoryWriter& writer, TNode* level)
{
    // The route's one bone turns about the route's centre; the tug's node follows it.
    std::vector<TAnimationKey> keys;
    for (i32 k = 0; k <= ROUTE_KEYS; ++k)
    {
        // Round counter-clockwise seen from above, the tug's nose (+Z) along its way.
        const f32 angle = 2.0f * PI * static_cast<f32>(k % ROUTE_KEYS) / ROUTE_KEYS;
        keys.push_back(LevelYawKey(-angle, ROUTE_RADIUS * std::cos(angle), 0.0f, ROUTE_RADIUS * std::sin(angle)));
    }
    drive = std::make_unique<TLevelLoopingBone>(writer, "tug_route", std::move(keys), ROUTE_TIME_SCALE);
    TNode* route = Child(level, "tug_route", Translation(ROUTE_X, 0.0f, ROUTE_Z));
    tug = Child(route, LEVEL_TUG, drive->FirstKey().ToMatrix());
    drive->Attach(route, tug);

    // The body: a low box with a cab, lit as the buildings are.
    TMaterial* paint = g_pDxMaterialManager->CreateMaterial(TName("tug_paint", true));
    paint->aTexture[0] = MakeTexture(writer, "tug_paint", 4, 4, TugPaint());
    std::vector<TLitVertex> body = LitBox(1.1f, 0.6f, 1.8f, 4.0f);
    for (TLitVertex& v : LitBox(0.9f, 0.5f, 0.6f, 4.0f))
    {
        v.y += 1.2f;
        v.z -= 0.9f;
        body.push_back(v);
    }
    TMesh* mesh = g_pDxMeshManager->CreateMesh(tug);
    mesh->pMeshData = MakeMeshData(writer, "tug_body", body, paint);
    mesh->SetQueue(g_pRenderSceneManager->Scenes()[0]->FindQueue(TName("Normal", true)));
}

void TLevelParticles::Smoke(TRepositoryWriter& writer)
{
    // The engine's node switches the smoke; the pipe stands at the back of the cab.
    engine = Child(tug, LEVEL_TUG_ENGINE, TMatrix(1.0f));
    TNode* exhaust = Child(tug, "apron_tug_exhaust", Translation(0.7f, 2.3f, -1.4f));
    TTexture* sheet = MakeTexture(writer, "smoke_sheet", 64, 64, SmokeSheet());
    TIParticleEmitterData* data = Data(LEVEL_TUG_SMOKE);
    data->m_nFlags = PARTICLE_SHEET_ANIMATED | PARTICLE_SHEET_RANDOM_START;
    data->m_nBlendMode = PARTICLE_BLEND_ALPHA;
    data->m_nMaxParticles = 80;
    data->Rate = {20.0f, 0.0f};
    data->Lifetime = {3.0f, 0.4f};
    data->Speed = {1.4f, 0.5f};
    data->ConeAngle = {8.0f, 10.0f};
    data->Acceleration = {-0.25f, 0.0f};
    data->Spin = {15.0f, 25.0f};
    data->aSize[0] = {0.6f, 0.2f};
    data->aSize[1] = {2.4f, 0.5f};
    data->aSize[2] = {4.0f, 0.8f};
    data->MiddleSizeAge = {0.35f, 0.0f};
    data->aAngle[0] = {0.0f, 360.0f};
    data->FrameRate = {5.0f, 1.5f};
    data->m_nSheetFrames = 16;
    data->m_nSheetColumns = 4;
    // Dark diesel smoke, paling and thinning as it spreads.
    const f32 keys[4][4] = {{0.08f, 0.07f, 0.07f, 0.0f},
                            {0.1f, 0.1f, 0.09f, 1.0f},
                            {0.22f, 0.22f, 0.23f, 0.85f},
                            {0.4f, 0.4f, 0.42f, 0.0f}};
    ColourKeys(data, keys, 0.05f, 0.5f);
    TParticleNodeSystem* smoke = g_pParticleManager->CreateNodeSystem(exhaust, data, sheet);
    smoke->pVisibilityDriver = engine;
    smoke->m_nRenderFlags = PARTICLE_NODE_CASTS_SHADOW;
}

void TLevelParticles::Sparks(TRepositoryWriter& writer)
{
    // Sparks streak along their flight and fall; a little smoke rises where they were struck.
    TTexture* dot = MakeTexture(writer, "spark_dot", 16, 16, SparkDot());
    TIParticleEmitterData* sparks = Data(LEVEL_SPARKS);
    sparks->m_nBlendMode = PARTICLE_BLEND_ADD;
    sparks->m_nMaxParticles = 40;
    sparks->StartBurst = {24.0f, 8.0f};
    sparks->Lifetime = {0.35f, 0.2f};
    sparks->Speed = {7.0f, 3.0f};
    sparks->ConeAngle = {50.0f, 10.0f};
    sparks->m_fGravity = 1.0f;
    sparks->aSize[0] = {0.16f, 0.04f};
    sparks->aSize[1] = {0.12f, 0.0f};
    sparks->aSize[2] = {0.05f, 0.0f};
    sparks->MiddleSizeAge = {0.5f, 0.0f};
    sparks->aScale[0] = {0.35f, 0.0f};
    sparks->aScale[1] = {1.6f, 0.0f};
    sparks->m_nQuadOrientation = PARTICLE_ALONG_DIRECTION;
    sparks->m_nQuadRotationMode = PARTICLE_ROTATION_ANGLE;
    const f32 glow[4][4] = {{1.0f, 1.0f, 0.9f, 1.0f},
                            {1.0f, 0.85f, 0.4f, 1.0f},
                            {1.0f, 0.45f, 0.1f, 0.8f},
                            {0.5f, 0.1f, 0.0f, 0.0f}};
    ColourKeys(sparks, glow, 0.2f, 0.6f);
    sparks->aTexture[0] = dot;

    TIParticleEmitterData* puff = Data("impact_sparks_smoke");
    puff->m_nBlendMode = PARTICLE_BLEND_ALPHA;
    puff->m_nMaxParticles = 10;
    puff->StartBurst = {6.0f, 2.0f};
    puff->Lifetime = {1.2f, 0.3f};
    puff->Speed = {0.8f, 0.3f};
    puff->ConeAngle = {30.0f, 10.0f};
    puff->aSize[0] = {0.3f, 0.1f};
    puff->aSize[1] = {0.8f, 0.2f};
    puff->aSize[2] = {1.3f, 0.2f};
    puff->MiddleSizeAge = {0.4f, 0.0f};
    puff->aAngle[0] = {0.0f, 360.0f};
    const f32 grey[4][4] = {{0.4f, 0.4f, 0.4f, 0.6f},
                            {0.45f, 0.45f, 0.45f, 0.5f},
                            {0.5f, 0.5f, 0.5f, 0.3f},
                            {0.55f, 0.55f, 0.55f, 0.0f}};
    ColourKeys(puff, grey, 0.2f, 0.6f);
    puff->aTexture[0] = MakeTexture(writer, "spark_smoke", 64, 64, SmokeSheet());
    puff->m_nSheetFrames = 16;
    puff->m_nSheetColumns = 4;
    sparks->aSubEmitter[0] = puff;
    sparks->m_nSubEmitterCount = 1;
}

std::unique_ptr<TLevelParticles> s_pParticles;
} // namespace

i32 AddLevelParticles(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pParticles = std::make_unique<TLevelParticles>(writer, level);
    managers[count++] = static_cast<TIFXParticleManager*>(g_pParticleManager);
    return count;
}

#include "leveldecals.h"
#include "levelmeshes.h"
#include "levelparticles.h"

#include "core/cluster/cluster.h"
#include "core/math/half.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/staticdecalpool.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/effects/decalmanager.h"
#include "igame/effects/decalvertex.h"
#include "igame/effects/trackdecal.h"
#include "repositorywriter.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
// The atlas: a 64 x 64 texture, along the decal across it (u) and its entries' columns down it
// (v): the upper half a stain, then the two track columns (asphalt, grass).
constexpr u32 ATLAS_SIZE = 64;
constexpr u32 STAIN_ENTRY = 0;
constexpr u32 TRACK_ENTRY = 1;
// The stands' stains: where they lie on the apron and how large they are.
constexpr f32 STAINS[][3] = {{30.0f, -48.0f, 1.6f}, {34.0f, -47.0f, 1.1f}, {44.0f, -49.0f, 1.4f},
                             {48.0f, -46.0f, 0.9f}, {40.0f, -66.0f, 1.3f}};

TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

u32 Argb(f32 a, f32 grey)
{
    const auto byte = [](f32 v) { return static_cast<u32>(std::fmin(std::fmax(v, 0.0f), 1.0f) * 255.0f + 0.5f); };
    const u32 g = byte(grey);
    return byte(a) << 24 | g << 16 | g << 8 | g;
}

// The upper half: a round dark stain fading at its rim; below: two columns of tread.
std::vector<u32> Atlas()
{
    std::vector<u32> pixels(ATLAS_SIZE * ATLAS_SIZE);
    for (u32 y = 0; y < ATLAS_SIZE; ++y)
        for (u32 x = 0; x < ATLAS_SIZE; ++x)
        {
            u32& p = pixels[y * ATLAS_SIZE + x];
            if (y < ATLAS_SIZE / 2)
            {
                const f32 dx = (static_cast<f32>(x) - 31.5f) / 31.5f, dy = (static_cast<f32>(y) - 15.5f) / 15.5f;
                const f32 r = std::sqrt(dx * dx + dy * dy) * (1.0f + 0.15f * std::sin(7.0f * std::atan2(dy, dx)));
                p = Argb((1.0f - r) * 2.5f, 0.08f);
            }
            else
            {
                // Tread bars across the strip every 8 texels along it; grass tracks are paler.
                const bool grass = y >= ATLAS_SIZE * 3 / 4;
                const bool bar = (x % 8) < 5;
                p = Argb(bar ? 0.75f : 0.45f, grass ? 0.22f : 0.05f);
            }
        }
    return pixels;
}

void PutFloat(TDecalData& data, u32 offset, f32 value)
{
    std::memcpy(reinterpret_cast<u8*>(&data) + offset, &value, sizeof value);
}

void PutHalves(u16* out, f32 x, f32 y, f32 z)
{
    out[0] = FloatToHalf(x);
    out[1] = FloatToHalf(y);
    out[2] = FloatToHalf(z);
    out[3] = FloatToHalf(0.0f);
}

// A flat square stain of half size s at (x, z), on the ground, its texture the stain entry.
void AddStain(std::vector<TDecalVertex>& out, f32 x, f32 z, f32 s)
{
    const f32 corner[4][4] = {{x - s, z - s, 0.0f, 0.0f}, {x + s, z - s, 0.5f, 0.0f},
                              {x + s, z + s, 0.5f, 1.0f}, {x - s, z + s, 0.0f, 1.0f}};
    for (u32 k : {0u, 2u, 1u, 0u, 3u, 2u})
    {
        TDecalVertex v{};
        v.aPosition[0] = corner[k][0];
        v.aPosition[1] = 0.01f;
        v.aPosition[2] = corner[k][1];
        PutHalves(v.aUp, 0.0f, 1.0f, 0.0f);
        PutHalves(v.aTangent, -1.0f, 0.0f, 0.0f);
        PutHalves(v.aThird, 0.0f, 0.0f, 1.0f);
        v.aTexCoord[0] = corner[k][3];
        v.aTexCoord[1] = corner[k][2];
        v.aOne[0] = v.aOne[1] = 1.0f;
        v.nColour = 0xD0FFFFFFu;
        out.push_back(v);
    }
}

// The records, held until the next call (the written level's cluster has freed the nodes by
// then: the objects leave no node).
struct TLevelDecals
{
    TLevelDecals(TRepositoryWriter& writer, TNode* level);
    ~TLevelDecals()
    {
        left.pNode = right.pNode = nullptr;
        stains.pNode = nullptr;
    }

    TDecalData data{};
    TDecal decal{};
    TStaticDecalPool stains;
    TTrackDecal left, right;
    std::vector<TDecalVertex> vertices;
};

TLevelDecals::TLevelDecals(TRepositoryWriter& writer, TNode* level)
{
    data.pTextureColor = MakeTexture(writer, "apron_decal_atlas", ATLAS_SIZE, ATLAS_SIZE, Atlas());
    // The stain entry: the left half; the track entry: the right quarter columns, asphalt then
    // grass by the ground's material.
    PutFloat(data, STAIN_ENTRY * 100 + 28, 0.0f);
    PutFloat(data, STAIN_ENTRY * 100 + 36, 0.5f);
    PutFloat(data, TRACK_ENTRY * 100 + 28, 0.5f);
    PutFloat(data, TRACK_ENTRY * 100 + 36, 0.75f);
    PutFloat(data, TRACK_ENTRY * 100 + 92, LEVEL_ASPHALT_MATERIAL);
    PutFloat(data, TRACK_ENTRY * 100 + 96, LEVEL_GRASS_MATERIAL);
    decal.pDecalData = &data;
    decal.m_nAtlasIndex = TRACK_ENTRY;
    g_pDecalManager->DecalData().Add(&data);
    g_pDecalManager->Decals().Add(&decal);

    // The stains at the stands: their vertices are the pool's block.
    for (const auto& s : STAINS)
        AddStain(vertices, s[0], s[1], s[2]);
    TNode* node = g_pNodeManager->CreateNode(LEVEL_STAINS);
    level->AddChild(node);
    stains.m_Name = TName(LEVEL_STAINS, true);
    stains.pNode = node;
    stains.pDecalData = &data;
    stains.m_nVertexCount = static_cast<u32>(vertices.size());
    writer.AddBlock(&stains, vertices.data(), static_cast<u32>(vertices.size() * sizeof(TDecalVertex)));
    g_pDecalManager->StaticPools().Add(&stains);

    // The tracks: behind the rear wheels, a strip a quarter of a metre wide.
    TNode* tug = g_pNodeManager->FindNode(TName(LEVEL_TUG).GetId());
    const f32 side[2] = {-0.55f, 0.55f};
    TTrackDecal* tracks[2] = {&left, &right};
    const char* names[2] = {LEVEL_TRACK_LEFT, LEVEL_TRACK_RIGHT};
    for (u32 i = 0; i < 2; ++i)
    {
        TNode* wheel = g_pNodeManager->CreateNode(names[i]);
        tug->AddChild(wheel);
        wheel->SetLocalMatrix(Translation(side[i], 0.3f, -0.6f), TNode::OrdinaryCause());
        TTrackDecal& track = *tracks[i];
        track.pDecal = &decal;
        track.m_aOffset[1] = -0.3f;
        track.m_fWidth = 0.25f;
        track.m_fHeight = 1.0f;
        track.m_fLength = 0.3f;
        track.m_fVScale = 0.5f;
        track.m_Color = TColor{1.0f, 1.0f, 1.0f, 0.8f};
        wheel->AddObject(&track);
        g_pDecalManager->TrackDecals().Add(&track);
    }
}

std::unique_ptr<TLevelDecals> s_pDecals;
} // namespace

i32 AddLevelDecals(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pDecals = std::make_unique<TLevelDecals>(writer, level);
    managers[count++] = g_pDecalManager;
    return count;
}

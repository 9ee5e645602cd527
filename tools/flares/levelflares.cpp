#include "levelflares.h"
#include "levelmeshes.h"

#include "core/system/string.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/lensflare.h"
#include "igame/effects/lensflaremanager.h"
#include "repositorywriter.h"

#include <cmath>
#include <memory>
#include <vector>

namespace
{
constexpr u32 GLOW_SIZE = 32;

// A warm glow, white at its centre, with a faint ring.
std::vector<u32> Glow()
{
    std::vector<u32> pixels(GLOW_SIZE * GLOW_SIZE);
    for (u32 y = 0; y < GLOW_SIZE; ++y)
        for (u32 x = 0; x < GLOW_SIZE; ++x)
        {
            const f32 dx = (static_cast<f32>(x) - 15.5f) / 15.5f, dy = (static_cast<f32>(y) - 15.5f) / 15.5f;
            const f32 r = std::sqrt(dx * dx + dy * dy);
            const f32 core = std::fmax(0.0f, 1.0f - r);
            const f32 ring = std::fmax(0.0f, 1.0f - std::fabs(r - 0.8f) * 12.0f) * 0.3f;
            const f32 a = std::fmin(1.0f, core * core * 1.5f + ring);
            const u32 level = static_cast<u32>(a * 255.0f + 0.5f);
            pixels[y * GLOW_SIZE + x] = level << 24 | level << 16 | (level * 15 / 16) << 8 | (level * 3 / 4);
        }
    return pixels;
}

// The light's frame: its axis (Z) towards -z, the tower's side.
TMatrix Facing(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[0] = TVector(-1.0f, 0.0f, 0.0f, 0.0f);
    m.aRow[2] = TVector(0.0f, 0.0f, -1.0f, 0.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

struct TLevelFlares
{
    TLevelFlares(TRepositoryWriter& writer, TNode* level);
    ~TLevelFlares()
    {
        for (TLensFlare& flare : flares)
            flare.pNode = nullptr;
    }
    TLensFlare flares[LEVEL_RUNWAY_LIGHTS + 1];
};

TLevelFlares::TLevelFlares(TRepositoryWriter& writer, TNode* level)
{
    TTexture* glow = MakeTexture(writer, "runway_light_glow", GLOW_SIZE, GLOW_SIZE, Glow());
    for (u32 i = 0; i <= LEVEL_RUNWAY_LIGHTS; ++i)
    {
        const bool hidden = i == LEVEL_RUNWAY_LIGHTS;
        char name[32];
        FormatStringN(name, sizeof name, LEVEL_RUNWAY_LIGHT, i);
        TNode* node = g_pNodeManager->CreateNode(hidden ? LEVEL_HIDDEN_LIGHT : name);
        level->AddChild(node);
        node->SetLocalMatrix(hidden ? Facing(40.0f, 4.0f, -20.0f) : Facing(26.0f + 4.0f * i, 0.3f, -46.0f),
                             TNode::OrdinaryCause());
        TLensFlare& flare = flares[i];
        flare.pTexture = glow;
        flare.m_nBlendMode = 1;
        flare.m_Color = TColor{1.0f, 0.9f, 0.7f, 1.0f};
        flare.m_fWidth = flare.m_fHeight = hidden ? 1.2f : 0.6f;
        flare.m_fOcclusionSize = 0.3f;
        flare.m_fFadeInTime = 0.2f;
        flare.m_fFadeOutTime = 0.2f;
        flare.m_fConeFull = 0.5f;
        flare.m_fConeZero = 0.0f;
        node->AddObject(&flare);
        g_pLensFlareManager->Flares().Add(&flare);
    }
}

std::unique_ptr<TLevelFlares> s_pFlares;
} // namespace

i32 AddLevelFlares(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pFlares = std::make_unique<TLevelFlares>(writer, level);
    managers[count++] = g_pLensFlareManager;
    return count;
}

#include "levelballistics.h"

#include "igame/gamematerial/gamematerialmanager.h"
#include "levelmeshes.h"
#include "soundrecords.h"
#include "xaudio2/xaudio2sounddata.h"

#include <memory>
#include <vector>

namespace
{
constexpr i32 TRAIL_TEXTURE_WIDTH = 32;
constexpr i32 TRAIL_TEXTURE_HEIGHT = 4;

struct TMaterialRow
{
    const char* szName;
    f32 fMaxCos, fProbability, fScatter, fEnergyLoss;
    const char* szRicochetSound;
    const char* szImpactSound;
};

// Hard ground and metal throw flat hits back; grass swallows nearly everything.
constexpr TMaterialRow MATERIALS[] = {
    {"Default", 0.3f, 0.5f, 0.05f, 0.5f, "TyreSqueal", "ButtonClick"},
    {"concrete", 0.35f, 0.6f, 0.08f, 0.4f, "TyreSqueal", "ButtonClick"},
    {"metal", 0.5f, 0.8f, 0.03f, 0.2f, "TyreSqueal", "MenuSelect"},
    {"grass", 0.1f, 0.1f, 0.2f, 0.9f, nullptr, "LayerShown"},
};

// White, its alpha falling from the head (u = 0) to the tail (u = 1).
std::vector<u32> TrailPixels()
{
    std::vector<u32> pixels;
    for (i32 y = 0; y < TRAIL_TEXTURE_HEIGHT; ++y)
        for (i32 x = 0; x < TRAIL_TEXTURE_WIDTH; ++x)
        {
            const u32 alpha = static_cast<u32>(255 - x * 255 / (TRAIL_TEXTURE_WIDTH - 1));
            pixels.push_back(alpha << 24 | 0x00ffffffu);
        }
    return pixels;
}

std::vector<std::unique_ptr<TGameMaterial>> s_aMaterial;
} // namespace

i32 AddLevelBallistics(TRepositoryWriter& writer, TClusterManager** managers, i32 count)
{
    MakeTexture(writer, LEVEL_TRAIL_TEXTURE, TRAIL_TEXTURE_WIDTH, TRAIL_TEXTURE_HEIGHT, TrailPixels());
    TSoundRecords& sounds = TSoundRecords::Current();
    s_aMaterial.clear();
    for (const TMaterialRow& row : MATERIALS)
    {
        auto material = std::make_unique<TGameMaterial>();
        material->nName = TName(row.szName, true).GetId();
        material->ricochetMaxCos = row.fMaxCos;
        material->ricochetProbability = row.fProbability;
        material->ricochetScatter = row.fScatter;
        material->ricochetEnergyLoss = row.fEnergyLoss;
        material->pRicocheSoundData = row.szRicochetSound ? sounds.FindClip(row.szRicochetSound) : nullptr;
        material->pImpactSoundData = sounds.FindClip(row.szImpactSound);
        g_pGameMaterialManager->Materials().Add(material.get());
        s_aMaterial.push_back(std::move(material));
    }
    g_pGameMaterialManager->RebuildKeys();
    managers[count++] = g_pGameMaterialManager;
    return count;
}

#include "leveleffects.h"
#include "levelatmosphere.h"
#include "levelmeshes.h"

#include "core/system/name.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/dynamicweathermanager.h"
#include "igame/effects/effectsmanager.h"

#include <cmath>
#include <deque>
#include <memory>
#include <vector>

namespace
{
constexpr u32 HAZE_TEXTURE_SIZE = 64;
// The test level's hangar stands on the ground, 16 x 9 x 14 units.
const TVector HANGAR_HALF(8.0f, 4.5f, 7.0f, 0.0f);

// Soft streaks of haze: a few sines across and down, between 0.75 and 1 of the tint.
std::vector<u32> Haze(f32 r, f32 g, f32 b)
{
    std::vector<u32> pixels(HAZE_TEXTURE_SIZE * HAZE_TEXTURE_SIZE);
    constexpr f32 turn = 6.2831853f / HAZE_TEXTURE_SIZE;
    for (u32 y = 0; y < HAZE_TEXTURE_SIZE; ++y)
        for (u32 x = 0; x < HAZE_TEXTURE_SIZE; ++x)
        {
            const f32 wave = 0.5f + 0.25f * std::sin(turn * (2.0f * x + y)) + 0.25f * std::sin(turn * 3.0f * y);
            const f32 level = 0.75f + 0.25f * wave;
            auto byte = [&](f32 c) { return static_cast<u32>(c * level * 255.0f + 0.5f); };
            pixels[y * HAZE_TEXTURE_SIZE + x] = 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
        }
    return pixels;
}

void SetVector(f32 (&v)[4], f32 x, f32 y, f32 z, f32 w)
{
    v[0] = x;
    v[1] = y;
    v[2] = z;
    v[3] = w;
}

struct TLevelEffects
{
    explicit TLevelEffects(TRepositoryWriter& writer);
    TEffectSettings clear;
    TEffectSettings rain;
};

TLevelEffects::TLevelEffects(TRepositoryWriter& writer)
{
    MakeTexture(writer, LEVEL_HAZE_TEXTURE, HAZE_TEXTURE_SIZE, HAZE_TEXTURE_SIZE, Haze(1.0f, 0.97f, 0.92f));
    MakeTexture(writer, LEVEL_RAIN_HAZE_TEXTURE, HAZE_TEXTURE_SIZE, HAZE_TEXTURE_SIZE, Haze(0.85f, 0.88f, 0.92f));
    // Haze from 40 units out, at most 45% by 400 units; the dusk's light tints it.
    clear.nName = TName(LEVEL_EFFECTS, true).GetId();
    clear.nFlags = EFFECT_FLAG_HAZE;
    clear.fTransitionTime = 8.0f;
    clear.Haze.nUserId = TName(LEVEL_HAZE_TEXTURE, true).GetId();
    SetVector(clear.aHaze[0], 40.0f, 400.0f, 0.45f, 0.0f);
    SetVector(clear.aHaze[1], 0.78f, 0.74f, 0.72f, 1.0f);
    SetVector(clear.aHaze[2], 0.0f, 0.0f, 0.0f, 1.0f);
    SetVector(clear.aHaze[3], 3.0f, 2.0f, 0.0f, 0.0f);
    // Rain: haze from 10 units, 80% by 150, grey; clouds and rain; wetter, windier weather.
    rain = clear;
    rain.nName = TName(LEVEL_EFFECTS_RAIN, true).GetId();
    rain.fTransitionTime = 10.0f;
    rain.Haze.nUserId = TName(LEVEL_RAIN_HAZE_TEXTURE, true).GetId();
    SetVector(rain.aHaze[0], 10.0f, 150.0f, 0.8f, 0.0f);
    SetVector(rain.aHaze[1], 0.58f, 0.6f, 0.64f, 1.0f);
    SetVector(rain.aAtmosphere, 0.7f, 1.0f, 0.0f, 0.0f);
    rain.aWeather[1] = 1.0f;
    rain.aWeather[4] = 0.6f;
    rain.aWeather[5] = 0.3f;
    rain.aWeatherWord[0] = AddRainTexture(writer);
    g_pEffectsManager->Settings().Add(&clear);
    g_pEffectsManager->Settings().Add(&rain);
    // The level starts in the clear look: the manager's data block is the current settings.
    g_pEffectsManager->Transition().Start(clear, 0.0f);
}

std::unique_ptr<TLevelEffects> s_pEffects;

// The written level's cluster has freed the nodes by now: the areas and boxes leave none.
struct TLevelEffectObjects
{
    ~TLevelEffectObjects()
    {
        for (TEffectArea& area : areas)
            area.pNode = nullptr;
        for (TWeatherOcclusionBox& box : boxes)
            box.pNode = nullptr;
    }
    std::deque<TEffectArea> areas;
    std::deque<TWeatherOcclusionBox> boxes;
};

TLevelEffectObjects s_Objects;
} // namespace

i32 AddWeatherOcclusionBox(TNode* node, const TVector& half, TClusterManager** managers, i32 count)
{
    DArray<TWeatherOcclusionBox*>& listed = g_pDynamicWeatherManager->OcclusionBoxes();
    if (listed.GetCount() == 0)
        managers[count++] = g_pDynamicWeatherManager;
    TWeatherOcclusionBox& box = s_Objects.boxes.emplace_back();
    box.m_aValue[0] = half.x;
    box.m_aValue[1] = half.y;
    box.m_aValue[2] = half.z;
    node->AddObject(&box);
    listed.Add(&box);
    return count;
}

i32 AddLevelEffects(TRepositoryWriter& writer, TNode*, TClusterManager** managers, i32 count)
{
    s_pEffects = std::make_unique<TLevelEffects>(writer);
    managers[count++] = g_pEffectsManager;
    return count;
}

void AddHangarEffectArea(TNode* node)
{
    TEffectArea& hangar = s_Objects.areas.emplace_back();
    hangar.m_Settings = s_pEffects->clear;
    hangar.m_Settings.nName = TName(LEVEL_EFFECTS_HANGAR, true).GetId();
    hangar.m_Settings.nFlags = 0;
    node->AddObject(&hangar);
    g_pEffectsManager->Areas().Add(&hangar);
}

i32 AddLevelEffectArea(TRepositoryWriter&, TNode* level, TClusterManager** managers, i32 count)
{
    TNode* inside = g_pNodeManager->CreateNode(LEVEL_EFFECT_AREA);
    level->AddChild(inside);
    TMatrix place(1.0f);
    place.aRow[3] = TVector(LEVEL_HANGAR_X, 0.0f, LEVEL_HANGAR_Z, 1.0f);
    inside->SetLocalMatrix(place, TNode::OrdinaryCause());
    AddHangarEffectArea(inside);
    // Rain stays out of the hangar: a box filling it, roof to floor.
    TNode* roof = g_pNodeManager->CreateNode(LEVEL_HANGAR_ROOF);
    level->AddChild(roof);
    TMatrix at(1.0f);
    at.aRow[3] = TVector(LEVEL_HANGAR_X, HANGAR_HALF.y, LEVEL_HANGAR_Z, 1.0f);
    roof->SetLocalMatrix(at, TNode::OrdinaryCause());
    return AddWeatherOcclusionBox(roof, HANGAR_HALF, managers, count);
}

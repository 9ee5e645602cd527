#include "aerodromeeffects.h"
#include "aerodromebuilder.h"

#include "leveldecals.h"
#include "leveleffects.h"
#include "levelmotionblur.h"
#include "levelflares.h"
#include "levelparticles.h"

using namespace AerodromePlan;

i32 AddAerodromeEffects(TAerodromeBuilder& builder, TClusterManager** managers, i32 count)
{
    TNode* apron = builder.AddNode("apron_effects", nullptr,
                                   Placement(AERODROME_APRON_EFFECTS_X, 0.0f, AERODROME_APRON_EFFECTS_Z));
    count = AddLevelParticles(builder.Writer(), apron, managers, count);
    // The tracks hang under the tug the particles placed.
    count = AddLevelDecals(builder.Writer(), apron, managers, count);
    TNode* runway = builder.AddNode("runway_lights", nullptr,
                                    Placement(AERODROME_RUNWAY_LIGHTS_X, 0.0f, AERODROME_RUNWAY_LIGHTS_Z, 180.0f));
    count = AddLevelFlares(builder.Writer(), runway, managers, count);
    // The test level's radar antenna, its frame placed so that the mast stands by the tower.
    TNode* radar = builder.AddNode("radar_frame", nullptr,
                                   Placement(AERODROME_RADAR_X - LEVEL_RADAR_X, 0.0f, AERODROME_RADAR_Z - LEVEL_RADAR_Z));
    count = AddLevelMotionBlur(builder.Writer(), radar, managers, count);
    // Inside the garage the hangar's look: no haze.
    AddHangarEffectArea(builder.AddNode(AERODROME_GARAGE_EFFECTS, nullptr,
                                        Placement(0.5f * (GARAGE_MIN.x + GARAGE_MAX.x), 0.0f,
                                                  0.5f * (GARAGE_MIN.z + GARAGE_MAX.z))));
    // Rain stays out of the garage: a box filling it, roof to floor.
    const TVector half(0.5f * (GARAGE_MAX.x - GARAGE_MIN.x), 0.5f * (GARAGE_MAX.y - GARAGE_MIN.y),
                       0.5f * (GARAGE_MAX.z - GARAGE_MIN.z), 0.0f);
    TNode* roof = builder.AddNode(AERODROME_GARAGE_ROOF, nullptr,
                                  Placement(GARAGE_MIN.x + half.x, GARAGE_MIN.y + half.y, GARAGE_MIN.z + half.z));
    return AddWeatherOcclusionBox(roof, half, managers, count);
}

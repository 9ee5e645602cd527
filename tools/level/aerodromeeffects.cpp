#include "aerodromeeffects.h"
#include "aerodromebuilder.h"

#include "leveldecals.h"
#include "levelflares.h"
#include "levelparticles.h"

i32 AddAerodromeEffects(TAerodromeBuilder& builder, TClusterManager** managers, i32 count)
{
    TNode* apron = builder.AddNode("apron_effects", nullptr,
                                   Placement(AERODROME_APRON_EFFECTS_X, 0.0f, AERODROME_APRON_EFFECTS_Z));
    count = AddLevelParticles(builder.Writer(), apron, managers, count);
    // The tracks hang under the tug the particles placed.
    count = AddLevelDecals(builder.Writer(), apron, managers, count);
    TNode* runway = builder.AddNode("runway_lights", nullptr,
                                    Placement(AERODROME_RUNWAY_LIGHTS_X, 0.0f, AERODROME_RUNWAY_LIGHTS_Z, 180.0f));
    return AddLevelFlares(builder.Writer(), runway, managers, count);
}

#pragma once
// The level's skies: a dynamic day sky (mode 3) whose light node follows the sun, with eight
// colour keys from night through day, a sun, 64 stars, 16 ambient and 32 rain clouds and 4 far
// sky elements instanced from the quad templates of one vertex pool, around a dome; an overcast
// sky for rain; and the change that blends the day sky into the rain sky.
#include "core/system/types.h"

class TAtmosphere;
struct TAtmosphereChange;
class TLight;
class TClusterManager;
class TNode;
class TRepositoryWriter;

constexpr const char* LEVEL_SKY_DAY = "sky_day";
constexpr const char* LEVEL_SKY_RAIN = "sky_rain";
constexpr u32 LEVEL_SKY_STARS = 64;
constexpr u32 LEVEL_SKY_AMBIENT_CLOUDS = 16;
constexpr u32 LEVEL_SKY_RAIN_CLOUDS = 32;
constexpr u32 LEVEL_SKY_ELEMENTS = 4;
constexpr u32 LEVEL_SKY_TEMPLATES = 3;
// Seconds the day sky takes to turn into the rain sky.
constexpr f32 LEVEL_SKY_RAIN_BLEND = 10.0f;

// Fills the two skies the caller made (kept on their nodes): day the dynamic sky whose light
// node is light, rain the overcast one; their textures, dome, templates, pool and elements are
// written and listed with the atmosphere manager. Held until the next call.
void AddDynamicSky(TRepositoryWriter& writer, TAtmosphere& day, TAtmosphere& rain, TNode* light);

// The change's lights, a deliberate choice for both levels: the sun (the light on the node
// "sun") is the day light, faded out as the rain comes; overcast, made here on a node under
// level, a grey light from overhead without ambient, is the rain light, faded in. The sun's
// ambient stays, so that the rain dims the scene without blacking it out; by day the overcast
// light's power is 0 and it adds nothing. Held by the caller until the level is written.
void AddRainLights(TAtmosphereChange& change, TLight& overcast, TNode* level);
constexpr const char* LEVEL_OVERCAST_LIGHT = "overcast";

// The rain's streak texture ("weather_rain"), written; the cluster handle word the effect
// settings' weather block names it by.
u32 AddRainTexture(TRepositoryWriter& writer);

// The test level's skies on nodes under the level, the change between them, the light node the
// level's sun ("sun"); appends the atmosphere manager; answers the new count.
i32 AddLevelAtmosphere(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count);

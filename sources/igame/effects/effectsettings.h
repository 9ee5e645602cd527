#pragma once
// TEffectSettings (stored type 105, 244 bytes, a raw image without field records): one named set
// of post-effect parameters: which of haze, depth of field and overlay are on, their textures and
// vectors, the ambient-occlusion vectors, the weather values the effects manager hands on, and
// the record's own transition time. Its links are 8 bytes, {name id, cache word}: the cache word
// is 0 in stored data and holds the resolved object while the cluster lives.
// TEffectArea (type 104, 260 bytes) and TWeatherOcclusionBox (type 118, 28 bytes) are the level
// objects of the same family; the effects manager only keeps them.
#include "core/cluster/useridlink.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

constexpr u16 EFFECT_AREA_TYPE_ID = 104;
constexpr u16 EFFECT_SETTINGS_TYPE_ID = 105;
constexpr u16 WEATHER_OCCLUSION_BOX_TYPE_ID = 118;

// Flag bits.
constexpr u32 EFFECT_FLAG_DOF = 1u << 0;
constexpr u32 EFFECT_FLAG_HAZE = 1u << 1;
constexpr u32 EFFECT_FLAG_OVERLAY = 1u << 2;
constexpr u32 EFFECT_FLAG_DOF_TEXTURES = 1u << 3;

constexpr u32 EFFECT_HAZE_VECTORS = 4;
constexpr u32 EFFECT_AO_VECTORS = 4;
constexpr u32 EFFECT_WEATHER_FLOATS = 8;
// Bytes 180-219: the dynamic-weather block (its eight floats and two words).
constexpr u32 EFFECT_WEATHER_BLOCK_SIZE = 40;

struct TEffectSettings
{
    TEffectSettings();

    // The texture of a link, resolved by name on first use (null when none is named or found).
    static TTexture* ResolveTexture(TUserIdLink& link);
    // Every cache word forgotten: a copied or loaded record resolves its links again.
    void ForgetLinks();

    u32 nName;
    u32 nFlags;
    // Seconds; a transition started with a negative time takes this.
    f32 fTransitionTime;
    // Carried, not read by the effects.
    f32 aReserved12[4];
    TUserIdLink Overlay;
    TUserIdLink DepthOfField;
    f32 aHaze[EFFECT_HAZE_VECTORS][4];
    TUserIdLink Haze;
    f32 aAmbientOcclusion[EFFECT_AO_VECTORS][4];
    f32 aWeather[EFFECT_WEATHER_FLOATS];
    u32 aWeatherWord[2];
    // x cloud density, y rain, z and w for the atmosphere.
    f32 aAtmosphere[4];
    // A cross-faded atmosphere (by its node's name): its weight follows the transition.
    TUserIdLink CrossFade;
};

static_assert(sizeof(TEffectSettings) == 244);
static_assert(offsetof(TEffectSettings, fTransitionTime) == 8);
static_assert(offsetof(TEffectSettings, Overlay) == 28 && offsetof(TEffectSettings, DepthOfField) == 36);
static_assert(offsetof(TEffectSettings, aHaze) == 44 && offsetof(TEffectSettings, Haze) == 108);
static_assert(offsetof(TEffectSettings, aAmbientOcclusion) == 116 && offsetof(TEffectSettings, aWeather) == 180);
static_assert(offsetof(TEffectSettings, aWeatherWord) == 212 && offsetof(TEffectSettings, aAtmosphere) == 220);
static_assert(offsetof(TEffectSettings, CrossFade) == 236);

class TEffectArea : public TNodeObject
{
public:
    TEffectArea() : m_nReserved(0) {}

    TEffectSettings m_Settings;
    u32 m_nReserved;
};

static_assert(sizeof(TEffectArea) == 260);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TEffectArea, m_Settings) == 12);
#pragma GCC diagnostic pop

class TWeatherOcclusionBox : public TNodeObject
{
public:
    // Extents and strength, read by the dynamic weather.
    f32 m_aValue[4] = {1.0f, 1.0f, 1.0f, 1.0f};
};

static_assert(sizeof(TWeatherOcclusionBox) == 28);

const TClusterTypeDecl& EffectSettingsDecl();
const TClusterTypeDecl& EffectAreaDecl();
const TClusterTypeDecl& WeatherOcclusionBoxDecl();

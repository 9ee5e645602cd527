#pragma once
// TLight (stored type 50, 268 bytes): a light placed by its node. The renderers read its type,
// level, range, intensities, colours and attenuation values (copied as stored into the
// current-light block, lightsettings.h); the spot test reads its cone; the shadow code its shadow
// values and channel selectors. It shines along its node's Z axis. Enabling and disabling its
// node counts it in its light set and, while that set is on, in the light manager's totals.
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"

struct TLightSet;
class TTexture;

// Light types; a type-6 light is never counted.
constexpr i32 LIGHT_AMBIENT = 0;
constexpr i32 LIGHT_DIRECTIONAL = 1;
constexpr i32 LIGHT_POINT = 2;
constexpr i32 LIGHT_SPOT = 3;
constexpr i32 LIGHT_AREA = 4;
constexpr i32 LIGHT_VOLUME = 5;
constexpr i32 LIGHT_UNCOUNTED = 6;

// The spot shape the spot shader reads (the first attenuation vector): the cosines of the outer
// and inner half-angles.
constexpr u32 LIGHT_SPOT_COS_OUTER = 0;
constexpr u32 LIGHT_SPOT_COS_INNER = 1;

class TLight : public TNodeObject
{
public:
    TLight();

    // The node's enable state: counted in (or out of) its light set, and in the totals while
    // the set is on. Type 6 and refused lights are never counted; a light without a set is
    // counted nowhere.
    void OnEnable(u32 enabled) override;

    // Types 0-6 with a range of at least 0; the renderers skip the others.
    u32 IsValid() const;
    // Enabled and visible node, and its light set on (a light without a set as if it were on).
    u32 IsOn() const;
    // The cone angles (radians: inner, outer half-angles) and the spot shape of the first
    // attenuation vector, kept together.
    void SetCone(f32 inner, f32 outer);

    i32 m_nType;
    u32 m_nWord16;
    // Drawn only while not above the optimisation level (the forward renderer: 0 or less).
    i32 m_nLevel;
    // 1: the spot light subtracts light.
    u32 m_nSubtract;
    f32 m_fRange;
    f32 m_fIntensity;
    // A light casts shadows only while its power is at least 0.5.
    f32 m_fPower;
    u32 m_nCastsShadows;
    f32 m_fDepthBias;
    f32 m_fSoftness;
    f32 m_fShadowDistance;
    f32 m_fLocalBias;
    f32 m_fFadeFraction;
    i32 m_nSplitCount;
    f32 m_aColor[4];
    // The ambient colour the forward directional pass adds.
    f32 m_aSecondColor[4];
    f32 m_aVector100[4];
    f32 m_aVector116[4];
    TLightSet* pLightSet;
    TTexture* pProjection;
    f32 m_aValue140[8];
    f32 m_aValue172[2];
    // Radians.
    f32 m_aConeAngle[2];
    f32 m_aAttenuation[8];
    f32 m_aShadow[4];
    f32 m_aChannel[2][4];
};

static_assert(sizeof(TLight) == 268);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TLight, m_nType) == 12);
static_assert(offsetof(TLight, m_nLevel) == 20);
static_assert(offsetof(TLight, m_nSubtract) == 24);
static_assert(offsetof(TLight, m_fRange) == 28);
static_assert(offsetof(TLight, m_fIntensity) == 32);
static_assert(offsetof(TLight, m_fPower) == 36);
static_assert(offsetof(TLight, m_nCastsShadows) == 40);
static_assert(offsetof(TLight, m_fDepthBias) == 44);
static_assert(offsetof(TLight, m_nSplitCount) == 64);
static_assert(offsetof(TLight, m_aColor) == 68);
static_assert(offsetof(TLight, m_aSecondColor) == 84);
static_assert(offsetof(TLight, m_aVector100) == 100);
static_assert(offsetof(TLight, m_aVector116) == 116);
static_assert(offsetof(TLight, pLightSet) == 132);
static_assert(offsetof(TLight, pProjection) == 136);
static_assert(offsetof(TLight, m_aValue140) == 140);
static_assert(offsetof(TLight, m_aConeAngle) == 180);
static_assert(offsetof(TLight, m_aAttenuation) == 188);
static_assert(offsetof(TLight, m_aShadow) == 220);
static_assert(offsetof(TLight, m_aChannel) == 236);
#pragma GCC diagnostic pop

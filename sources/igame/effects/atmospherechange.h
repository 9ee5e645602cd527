#pragma once
// TAtmosphereChange (stored type 98, 172 bytes): the cross-fade of a day and a night (or rain)
// atmosphere: blend 0 is day, 1 night. SetBlend sets it at once or starts a timed transition
// that the atmosphere manager steps, ending exactly on the target. Applied, the blend
// weights the two atmospheres, the power of their lights and their blend meshes.
#include "core/system/templates/sarray.h"

#include <cstddef>

class TAtmosphere;
class TClusterTypeDecl;
class TLight;
class TMesh;

constexpr u16 ATMOSPHERE_CHANGE_TYPE_ID = 98;
constexpr u32 ATMOSPHERE_CHANGE_ENTRIES = 8;
// The progress of a change that is not moving.
constexpr f32 ATMOSPHERE_NO_TRANSITION = -1.0f;

struct TAtmosphereChange
{
    TAtmosphereChange();

    // Clamped to [0, 1]; immediate: applied now, else a transition over the duration.
    void SetBlend(f32 value, u32 immediate);
    // One step of a running transition.
    void Step(f32 dt);
    // The blend into the atmospheres' weights.
    void Apply();
    // Entry counts above 8 (a damaged record) cut, one line each; 1 when cut.
    u32 CutCounts();
    // A stored blend outside [0, 1] (a damaged record) is refused for the day; a stored running
    // transition that leaves [0, 1] or takes a negative time stops. One line each; 1 when refused.
    u32 CheckBlend();
    f32 GetBlend() const { return m_fBlend; }
    u32 IsMoving() const { return m_fProgress != ATMOSPHERE_NO_TRANSITION; }

    TAtmosphere* pNight;
    TAtmosphere* pDay;
    SArray<TLight*, ATMOSPHERE_CHANGE_ENTRIES, 0> aNightLight;
    SArray<TLight*, ATMOSPHERE_CHANGE_ENTRIES, 0> aDayLight;
    SArray<TMesh*, ATMOSPHERE_CHANGE_ENTRIES, 0> aDayMeshBlend;
    SArray<TMesh*, ATMOSPHERE_CHANGE_ENTRIES, 0> aNightMeshBlend;
    f32 m_fBlend;
    f32 m_fStart;
    f32 m_fDelta;
    f32 m_fProgress;
    // Seconds a timed transition takes.
    f32 m_fDuration;
};

static_assert(sizeof(TAtmosphereChange) == 172);
static_assert(offsetof(TAtmosphereChange, pDay) == 4);
// The counts; the references follow each, from 12, 48, 84 and 120.
static_assert(offsetof(TAtmosphereChange, aNightLight) == 8);
static_assert(offsetof(TAtmosphereChange, aDayLight) == 44);
static_assert(offsetof(TAtmosphereChange, aDayMeshBlend) == 80);
static_assert(offsetof(TAtmosphereChange, aNightMeshBlend) == 116);
static_assert(offsetof(TAtmosphereChange, m_fBlend) == 152);
static_assert(offsetof(TAtmosphereChange, m_fStart) == 156);
static_assert(offsetof(TAtmosphereChange, m_fDelta) == 160);
static_assert(offsetof(TAtmosphereChange, m_fProgress) == 164);
static_assert(offsetof(TAtmosphereChange, m_fDuration) == 168);

const TClusterTypeDecl& AtmosphereChangeDecl();

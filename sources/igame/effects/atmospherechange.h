#pragma once
// TAtmosphereChange (stored type 98, 172 bytes): the cross-fade of a day and a night (or rain)
// atmosphere: blend 0 is day, 1 night. SetBlend sets it at once or starts a timed transition
// that the atmosphere manager steps, ending exactly on the target. Applied, the blend
// weights the two atmospheres and the power of their lights (the blend meshes are kept).
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
    f32 GetBlend() const { return m_fBlend; }
    u32 IsMoving() const { return m_fProgress != ATMOSPHERE_NO_TRANSITION; }

    TAtmosphere* pNight;
    TAtmosphere* pDay;
    // Seconds a timed transition takes.
    f32 m_fDuration;
    SArray<TLight*, ATMOSPHERE_CHANGE_ENTRIES, 0> aNightLight;
    SArray<TLight*, ATMOSPHERE_CHANGE_ENTRIES, 0> aDayLight;
    SArray<TMesh*, ATMOSPHERE_CHANGE_ENTRIES, 0> aDayMeshBlend;
    SArray<TMesh*, ATMOSPHERE_CHANGE_ENTRIES, 0> aNightMeshBlend;
    f32 m_fBlend;
    f32 m_fStart;
    f32 m_fDelta;
    f32 m_fProgress;
};

static_assert(sizeof(TAtmosphereChange) == 172);
static_assert(offsetof(TAtmosphereChange, m_fDuration) == 8);
static_assert(offsetof(TAtmosphereChange, aNightLight) == 12);
static_assert(offsetof(TAtmosphereChange, aDayLight) == 48);
static_assert(offsetof(TAtmosphereChange, aDayMeshBlend) == 84);
static_assert(offsetof(TAtmosphereChange, aNightMeshBlend) == 120);
static_assert(offsetof(TAtmosphereChange, m_fBlend) == 156);
static_assert(offsetof(TAtmosphereChange, m_fStart) == 160);
static_assert(offsetof(TAtmosphereChange, m_fDelta) == 164);
static_assert(offsetof(TAtmosphereChange, m_fProgress) == 168);

const TClusterTypeDecl& AtmosphereChangeDecl();

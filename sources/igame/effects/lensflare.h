#pragma once
// TLensFlare (stored type 117, 104 bytes): a flare drawn over the finished scene at a light
// such as a vehicle's headlight. Laid out at its least: the records load and their nodes are
// switched with their lights; the drawing comes with the flare manager.
#include "core/math/color.h"
#include "core/math/vector.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

constexpr u16 LENS_FLARE_TYPE_ID = 117;

class TLensFlare : public TNodeObject
{
public:
    TLensFlare();

    // 0, 1 or 2: how the quad is turned.
    u32 m_nOrientationMode;
    u32 m_nBlendMode;
    TTexture* pTexture;
    // Run time.
    void* pOcclusionQuery;
    f32 m_fVisibility;
    TColor m_Color;
    // Half extents along the right and up axes.
    f32 m_fWidth;
    f32 m_fHeight;
    // Half size of the occlusion square; 0 or less: no occlusion test.
    f32 m_fOcclusionSize;
    f32 m_fReserved60;
    // Occlusion centre in the node's frame.
    TVector m_OcclusionOffset;
    f32 m_fFadeInTime;
    f32 m_fFadeOutTime;
    // Cone: the factor is 1 at and above the first cosine, 0 below the second.
    f32 m_fConeFull;
    f32 m_fConeZero;
    // The active list (run time).
    TLensFlare* pPrevious;
    TLensFlare* pNext;
};

static_assert(sizeof(TLensFlare) == 104);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TLensFlare, pTexture) == 20);
static_assert(offsetof(TLensFlare, m_Color) == 32);
static_assert(offsetof(TLensFlare, m_OcclusionOffset) == 64);
static_assert(offsetof(TLensFlare, m_fConeZero) == 92);
static_assert(offsetof(TLensFlare, pNext) == 100);
#pragma GCC diagnostic pop

const TClusterTypeDecl& LensFlareDecl();

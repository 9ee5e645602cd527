#pragma once
// TLensFlare (stored type 117, 104 bytes): a flare drawn over the finished scene at a light
// such as a vehicle's headlight or a runway light (TLensFlareManager draws it). Its node's
// enable state puts it on the manager's active list; its visibility fades towards what its
// occlusion query saw; its light's axis fades it by the angle to the camera.
#include "core/math/color.h"
#include "core/math/vector.h"
#include "engine/render/canvasvertex.h"
#include "engine/system/nodeobject.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

constexpr u16 LENS_FLARE_TYPE_ID = 117;

class TLensFlare : public TNodeObject
{
public:
    TLensFlare();

    // On the manager's active list while its node is on; the visibility starts again at 0.
    void OnEnable(u32 enabled) override;
    // The visibility moved towards target over dt seconds by the fade times (0: at once).
    void FadeTowards(f32 target, f32 dt);
    // 1 at and above the full cosine, 0 below the zero cosine, linear between.
    f32 ConeFactor(f32 cosine) const;
    // Right and up axes by the orientation mode (other modes than 0-2 take 0), from the
    // camera's Y axis, the direction to the camera and the flare node's matrix.
    void Axes(const TVector& cameraUp, const TVector& toCamera, const TMatrix& node, TVector& right,
              TVector& up) const;
    // 0-2; other blend modes take 1.
    u32 GetBlendMode() const { return m_nBlendMode <= 2 ? m_nBlendMode : 1; }
    // The target visibility of a square covering area pixels of which pixels were seen.
    static f32 OcclusionTarget(f32 pixels, f32 area);
    // Two triangles about the centre: half extents w along right and h along up.
    static void WriteQuad(TCanvasVertex* out, const TVector& centre, const TVector& right, const TVector& up, f32 w,
                          f32 h, u32 colour);

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

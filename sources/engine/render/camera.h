#pragma once
// TCamera (stored type 48, 308 bytes): turns its node's placement into a view matrix and its
// lens into a projection. The lens mirrors x and looks along +Z; depth runs 0 (near) to 1 (far).
#include "core/math/boundbox.h"
#include "core/math/matrix.h"
#include "core/math/ray.h"
#include "core/system/types.h"
#include "engine/system/nodekindnames.h"

#include "engine/system/nodeobject.h"
#include <cstring>

// Flag bits.
constexpr u32 CAMERA_ORTHOGRAPHIC = 1;
// Fit modes.
constexpr u32 CAMERA_FIT_FILL = 0;
constexpr u32 CAMERA_FIT_HORIZONTAL = 1;
constexpr u32 CAMERA_FIT_VERTICAL = 2;
constexpr u32 CAMERA_FIT_EXPLICIT = 3;

// Frustum verdicts.
constexpr u32 FRUSTUM_OUTSIDE = 0;
constexpr u32 FRUSTUM_INSIDE = 1;
constexpr u32 FRUSTUM_CROSSING = 2;

// The full 4 x 4 product A x B (projections do not keep the last column (0, 0, 0, 1)).
TMatrix Matrix4Multiply(const TMatrix& a, const TMatrix& b);
// The box in the object's space against the clip volume of object x viewProjection.
u32 IsBoxInFrustum(const TBoundBox& box, const TMatrix& object, const TMatrix& viewProjection);
// The mirrored perspective of the lens: fields of view in degrees.
TMatrix PerspectiveMatrix(f32 horizontalFov, f32 verticalFov, f32 nearClip, f32 farClip);

class TCamera : public TNodeObject
{
public:
    TCamera()
    {
        std::memset(reinterpret_cast<u8*>(this) + 12, 0, sizeof(*this) - 12);
        m_nClassName = g_NameTCamera.GetId();
    }

    // Placement from the node, view its rigid inverse, view-projection view x projection.
    void UpdateView();
    // Rebuilds the projection from the lens; a and b are the target's size values.
    void UpdateProjection(i32 a, i32 b);
    // IsBoxInFrustum with the camera's view-projection.
    u32 IsBoxVisible(const TBoundBox& box, const TMatrix& object) const;
    // (pixel x, pixel y, depth, w) of a world point on the device's video size.
    TVector ProjectPoint(const TVector& point) const;
    // The ray through a screen point (0..1 on both axes) from the camera's position.
    TRay ScreenPointToRay(f32 x, f32 y, f32 length) const;
    const TMatrix* GetMatrix() override { return &m_Placement; }

    u32 m_nFlags;
    f32 m_fFocalLength;
    f32 m_fHorizontalAperture;
    f32 m_fVerticalAperture;
    u32 m_nFitMode;
    f32 m_fHorizontalFov;
    f32 m_fVerticalFov;
    f32 m_fNearClip;
    f32 m_fFarClip;
    f32 m_fOrthographicSize;
    TMatrix m_Projection;
    TMatrix m_Placement;
    TMatrix m_View;
    TMatrix m_ViewProjection;
};

static_assert(sizeof(TCamera) == 308);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TCamera, m_nFlags) == 12);
static_assert(offsetof(TCamera, m_fFocalLength) == 16);
static_assert(offsetof(TCamera, m_fHorizontalAperture) == 20);
static_assert(offsetof(TCamera, m_fVerticalAperture) == 24);
static_assert(offsetof(TCamera, m_nFitMode) == 28);
static_assert(offsetof(TCamera, m_fHorizontalFov) == 32);
static_assert(offsetof(TCamera, m_fVerticalFov) == 36);
static_assert(offsetof(TCamera, m_fNearClip) == 40);
static_assert(offsetof(TCamera, m_fFarClip) == 44);
static_assert(offsetof(TCamera, m_fOrthographicSize) == 48);
static_assert(offsetof(TCamera, m_Projection) == 52);
static_assert(offsetof(TCamera, m_Placement) == 116);
static_assert(offsetof(TCamera, m_View) == 180);
static_assert(offsetof(TCamera, m_ViewProjection) == 244);
#pragma GCC diagnostic pop

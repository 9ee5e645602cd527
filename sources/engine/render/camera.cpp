#include "engine/render/camera.h"

#include "engine/render/device.h"
#include "engine/system/node.h"

#include <cmath>

namespace
{
// Degrees to half-angle radians, and twice-angle radians to degrees.
constexpr f32 HALF_ANGLE = 0.008726646f;
constexpr f32 DOUBLE_DEGREES = 114.59156f;
constexpr f32 MILLIMETRES_TO_INCHES = 0.03937f;

f32 Element(const TMatrix& m, u32 row, u32 column)
{
    return (&m.aRow[row].x)[column];
}


// The smallest and largest value of clip column c over the box.
void ColumnRange(const TBoundBox& box, const TMatrix& m, u32 c, f32& low, f32& high)
{
    low = high = Element(m, 3, c);
    const f32* minimum = &box.minimum.x;
    const f32* maximum = &box.maximum.x;
    for (u32 axis = 0; axis < 3; ++axis)
    {
        const f32 k = Element(m, axis, c);
        low += k * (k >= 0.0f ? minimum[axis] : maximum[axis]);
        high += k * (k >= 0.0f ? maximum[axis] : minimum[axis]);
    }
}
} // namespace

TMatrix Matrix4Multiply(const TMatrix& a, const TMatrix& b)
{
    TMatrix m;
    for (u32 r = 0; r < 4; ++r)
        for (u32 c = 0; c < 4; ++c)
            (&m.aRow[r].x)[c] = a.aRow[r].x * Element(b, 0, c) + a.aRow[r].y * Element(b, 1, c) +
                                a.aRow[r].z * Element(b, 2, c) + a.aRow[r].w * Element(b, 3, c);
    return m;
}

u32 IsBoxInFrustum(const TBoundBox& box, const TMatrix& object, const TMatrix& viewProjection)
{
    const TMatrix m = Matrix4Multiply(object, viewProjection);
    f32 xmin, xmax, ymin, ymax, zmin, zmax, wmin, wmax;
    ColumnRange(box, m, 0, xmin, xmax);
    ColumnRange(box, m, 1, ymin, ymax);
    ColumnRange(box, m, 2, zmin, zmax);
    ColumnRange(box, m, 3, wmin, wmax);
    if (xmin > wmax || -wmax > xmax || ymin > wmax || -wmax > ymax || zmin > wmin || -wmax > zmax)
        return FRUSTUM_OUTSIDE;
    if (-wmin > xmin || -wmin > ymin || -wmin > zmin || xmax > wmin || ymax > wmin || zmax > wmax)
        return FRUSTUM_CROSSING;
    return FRUSTUM_INSIDE;
}

TMatrix PerspectiveMatrix(f32 horizontalFov, f32 verticalFov, f32 nearClip, f32 farClip)
{
    TMatrix m(0.0f);
    m.aRow[0].x = -1.0f / std::tan(horizontalFov * HALF_ANGLE);
    m.aRow[1].y = 1.0f / std::tan(verticalFov * HALF_ANGLE);
    m.aRow[2].z = farClip / (farClip - nearClip);
    m.aRow[2].w = 1.0f;
    m.aRow[3].z = -nearClip * farClip / (farClip - nearClip);
    return m;
}

void TCamera::UpdateView()
{
    m_Placement = *pNode->GetWorldMatrix();
    const TVector& t = m_Placement.Translation();
    TMatrix& v = m_View;
    for (u32 row = 0; row < 3; ++row)
    {
        const TVector& r = m_Placement.aRow[row];
        (&v.aRow[0].x)[row] = r.x;
        (&v.aRow[1].x)[row] = r.y;
        (&v.aRow[2].x)[row] = r.z;
        (&v.aRow[3].x)[row] = -(t.x * r.x + t.y * r.y + t.z * r.z);
    }
    v.aRow[0].w = v.aRow[1].w = v.aRow[2].w = 0.0f;
    v.aRow[3].w = 1.0f;
    m_ViewProjection = Matrix4Multiply(m_View, m_Projection);
}

void TCamera::UpdateProjection(i32 a, i32 b)
{
    if (m_nFlags & CAMERA_ORTHOGRAPHIC)
    {
        const f32 s = m_fOrthographicSize;
        m_Projection = TMatrix(0.0f);
        m_Projection.aRow[0].x = 1.0f / s;
        m_Projection.aRow[1].y = 1.0f / s;
        m_Projection.aRow[2].z = -1.0f / (2.0f * s);
        m_Projection.aRow[3].z = 0.5f;
        m_Projection.aRow[3].w = 1.0f;
        return;
    }
    if (m_nFitMode == CAMERA_FIT_EXPLICIT)
    {
        m_Projection = PerspectiveMatrix(m_fHorizontalFov, m_fVerticalFov, m_fNearClip, m_fFarClip);
        return;
    }
    if (m_nFitMode > CAMERA_FIT_VERTICAL)
        return;
    const f32 fa = static_cast<f32>(a), fb = static_cast<f32>(b);
    const f32 focal = m_fFocalLength * MILLIMETRES_TO_INCHES;
    const f32 h = std::atan(m_fHorizontalAperture * 0.5f / focal) * DOUBLE_DEGREES;
    const f32 v = std::atan(m_fVerticalAperture * 0.5f / focal) * DOUBLE_DEGREES;
    m_fHorizontalFov = h;
    m_fVerticalFov = v;
    const f32 derivedH = std::atan(fa / (std::tan(h * HALF_ANGLE) * fb)) * DOUBLE_DEGREES;
    const f32 derivedV =
        std::atan(std::tan(v * HALF_ANGLE) * fb / (fa / (m_fHorizontalAperture / m_fVerticalAperture))) *
        DOUBLE_DEGREES;
    const bool horizontal = m_nFitMode == CAMERA_FIT_HORIZONTAL || (m_nFitMode == CAMERA_FIT_FILL && derivedH > h);
    m_Projection = horizontal ? PerspectiveMatrix(h, derivedV, m_fNearClip, m_fFarClip)
                              : PerspectiveMatrix(derivedH, v, m_fNearClip, m_fFarClip);
}

u32 TCamera::IsBoxVisible(const TBoundBox& box, const TMatrix& object) const
{
    return IsBoxInFrustum(box, object, m_ViewProjection);
}

TVector TCamera::ProjectPoint(const TVector& point) const
{
    const TMatrix& m = m_ViewProjection;
    TVector p(point.x, point.y, point.z, 1.0f);
    f32 out[4];
    for (u32 c = 0; c < 4; ++c)
        out[c] = p.x * Element(m, 0, c) + p.y * Element(m, 1, c) + p.z * Element(m, 2, c) + Element(m, 3, c);
    const f32 w = out[3] == 0.0f ? 1.0f : out[3];
    const f32 halfWidth = static_cast<f32>(g_pDeviceManager->GetVideoWidth() / 2);
    const f32 halfHeight = static_cast<f32>(g_pDeviceManager->GetVideoHeight() / 2);
    const f32 x = out[0] / w, y = out[1] / w;
    return TVector((x + 1.0f) * halfWidth, halfHeight - halfHeight * y, out[2] / w, w);
}

TRay TCamera::ScreenPointToRay(f32 x, f32 y, f32 length) const
{
    const f32 cx = (2.0f * x - 1.0f) / m_Projection.aRow[0].x;
    const f32 cy = -(2.0f * y - 1.0f) / m_Projection.aRow[1].y;
    TVector direction = TVector::Add(TVector::Add(m_Placement.AxisX().Scaled(cx), m_Placement.AxisY().Scaled(cy)),
                                     m_Placement.AxisZ());
    direction = direction.Normalized();
    TRay ray;
    ray.origin = m_Placement.Translation();
    ray.direction[0] = direction.x;
    ray.direction[1] = direction.y;
    ray.direction[2] = direction.z;
    ray.length = length;
    return ray;
}

#include "engine/system/triggergeometry.h"

#include "engine/system/node.h"
#include "engine/system/triggeractor.h"
#include "engine/system/triggermanager.h"

#include <cmath>

namespace
{
TVector Point(const TVector& v)
{
    return TVector(v.x, v.y, v.z, 1.0f);
}

// The parameters, in distance along the unit direction, where the line is inside one slab;
// false when it never is.
bool Slab(f32 origin, f32 direction, f32 minimum, f32 maximum, f32& enter, f32& exit)
{
    if (direction == 0.0f)
        return origin >= minimum && origin <= maximum;
    f32 a = (minimum - origin) / direction;
    f32 b = (maximum - origin) / direction;
    if (a > b)
    {
        const f32 t = a;
        a = b;
        b = t;
    }
    enter = a > enter ? a : enter;
    exit = b < exit ? b : exit;
    return true;
}
} // namespace

void TTriggerGeometry::OnNodeUpdate(const TName*)
{
    if (g_pTriggerManager)
        g_pTriggerManager->OnGeometryMoved(this);
}

TVector TTriggerGeometry::ToLocal(const TVector& point)
{
    const TMatrix& world = *GetMatrix();
    const TVector offset = TVector::Subtract(point, world.aRow[3]);
    return TVector(offset.Dot(world.aRow[0]), offset.Dot(world.aRow[1]), offset.Dot(world.aRow[2]), 1.0f);
}

bool TTriggerGeometry::InsideBox(const TVector& p) const
{
    const TVector& lo = m_Bounds.minimum;
    const TVector& hi = m_Bounds.maximum;
    return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y && p.z >= lo.z && p.z <= hi.z;
}

bool TTriggerGeometry::Contains(const TVector& point)
{
    if (m_nShape == TRIGGER_SPHERE)
    {
        const TVector centre = Point(GetMatrix()->aRow[3]);
        return TVector::Subtract(point, centre).Length() <= 0.5f * m_Bounds.diagonal;
    }
    if (m_nShape == TRIGGER_BOX)
        return InsideBox(ToLocal(point));
    return false;
}

u32 TTriggerGeometry::SweptTest(const TVector& from, const TVector& to)
{
    if (m_nShape == TRIGGER_SPHERE)
    {
        const TVector centre = Point(GetMatrix()->aRow[3]);
        const f32 r = 0.5f * m_Bounds.diagonal;
        const TVector toCentre = TVector::Subtract(centre, from);
        const f32 d0 = toCentre.Length();
        const f32 d1 = TVector::Subtract(centre, to).Length();
        if (d0 <= r)
            return d1 <= r ? TRIGGER_INSIDE : TRIGGER_LEFT;
        if (d1 <= r)
            return TRIGGER_ENTERED;
        const TVector s = TVector::Subtract(to, from);
        const f32 k = s.Dot(toCentre);
        const f32 length2 = s.Dot(s);
        if (k <= 0.0f || k >= length2)
            return TRIGGER_OUTSIDE;
        const f32 t = k / std::sqrt(length2);
        return d0 * d0 - t * t <= r * r ? TRIGGER_PASSED : TRIGGER_OUTSIDE;
    }
    if (m_nShape != TRIGGER_BOX)
        return TRIGGER_OUTSIDE;
    const TVector a = ToLocal(from);
    const TVector b = ToLocal(to);
    if (InsideBox(a))
        return InsideBox(b) ? TRIGGER_INSIDE : TRIGGER_LEFT;
    if (InsideBox(b))
        return TRIGGER_ENTERED;
    const TVector segment = TVector::Subtract(b, a);
    const f32 length = segment.Length();
    if (length < 1e-6f)
        return TRIGGER_OUTSIDE;
    // The slabs with the bounds' ends included find every crossing: the segment's ends lie
    // outside, so it crosses exactly when the line's entry lies on it (its exit then does too).
    f32 enter = -INFINITY;
    f32 exit = INFINITY;
    const TVector& lo = m_Bounds.minimum;
    const TVector& hi = m_Bounds.maximum;
    if (!Slab(a.x, segment.x / length, lo.x, hi.x, enter, exit) ||
        !Slab(a.y, segment.y / length, lo.y, hi.y, enter, exit) ||
        !Slab(a.z, segment.z / length, lo.z, hi.z, enter, exit) || enter > exit)
        return TRIGGER_OUTSIDE;
    return enter >= 0.0f && enter <= length ? TRIGGER_PASSED : TRIGGER_OUTSIDE;
}

#include "core/math/curve.h"

#include <cmath>

namespace
{
const TVector Origin(0.0f, 0.0f, 0.0f, 1.0f);

// a + (b - a) x u, w = 1.
TVector Lerp(const TVector& a, const TVector& b, float u)
{
    return TVector(a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u, 1.0f);
}

// a x wa + b x wb + c x wc + d x wd, w = 1.
TVector Weighted(const TVector& a, float wa, const TVector& b, float wb, const TVector& c, float wc,
                 const TVector& d, float wd)
{
    return TVector(a.x * wa + b.x * wb + c.x * wc + d.x * wd, a.y * wa + b.y * wb + c.y * wc + d.y * wd,
                   a.z * wa + b.z * wb + c.z * wc + d.z * wd, 1.0f);
}

// a + (a - b) x factor, w = 1.
TVector Extrapolate(const TVector& a, const TVector& b, float factor)
{
    return TVector::Add(a, TVector::Subtract(a, b).Scaled(factor));
}

// 0.5 x (2P1 + (P2 - P0) u + (2P0 - 5P1 + 4P2 - P3) u^2 + (3P1 - P0 - 3P2 + P3) u^3).
TVector CatmullRomPoint(const TVector& p0, const TVector& p1, const TVector& p2, const TVector& p3, float u)
{
    const float u2 = u * u;
    const float u3 = u2 * u;
    return Weighted(p0, 0.5f * (-u + 2.0f * u2 - u3), p1, 0.5f * (2.0f - 5.0f * u2 + 3.0f * u3), p2,
                    0.5f * (u + 4.0f * u2 - 3.0f * u3), p3, 0.5f * (-u2 + u3));
}

// A point from `from` towards `towards` at the given distance.
TVector AtDistance(const TVector& from, const TVector& towards, float distance)
{
    TVector offset = TVector::Subtract(towards, from);
    offset.SetLength(distance);
    return TVector::Add(from, offset);
}

// Splits t in (0, 1) over `segments` segments; rounding never selects a segment past the last.
int Segment(int segments, float t, float& u)
{
    const float position = static_cast<float>(segments) * t;
    int segment = static_cast<int>(std::floor(position));
    if (segment >= segments)
        segment = segments - 1;
    u = position - static_cast<float>(segment);
    return segment;
}
} // namespace

void TCurve::Evaluate(i32 kind, TVector& status, const TCurve& curve, TVector& point, float t)
{
    const TVector* p = curve.Points();
    const int n = static_cast<int>(curve.count);

    // Without points there is nothing to read; with one the curve is that point.
    if (n == 0)
    {
        status = TVector(0.0f, 0.0f, 0.0f, 1.0f);
        point = Origin;
        return;
    }
    if (t <= 0.0f)
    {
        status = TVector(0.0f, 0.0f, 0.0f, 1.0f);
        point = p[0];
        return;
    }
    if (t >= 1.0f)
    {
        status = TVector(2.0f, 0.0f, 0.0f, 1.0f);
        point = p[n - 1];
        return;
    }
    if (n == 1 || (kind == Bezier && n < 4))
    {
        // No whole segment: the nearer end stands for the curve.
        status = TVector(1.0f, 0.0f, t, 1.0f);
        point = t < 0.5f ? p[0] : p[n - 1];
        return;
    }

    float u = 0.0f;
    int segment = 0;
    switch (kind)
    {
    case Polyline:
        segment = Segment(n - 1, t, u);
        point = Lerp(p[segment], p[segment + 1], u);
        break;
    case CatmullRom: {
        segment = Segment(n - 1, t, u);
        const TVector& p1 = p[segment];
        const TVector& p2 = p[segment + 1];
        const TVector p0 = segment > 0 ? p[segment - 1] : Extrapolate(p[0], p[1], 3.0f);
        const TVector p3 = segment + 2 < n ? p[segment + 2] : Extrapolate(p[n - 1], p[n - 2], 3.0f);
        point = CatmullRomPoint(p0, p1, p2, p3, u);
        break;
    }
    case Bezier: {
        segment = Segment(n / 4, t, u);
        const TVector* q = p + segment * 4;
        const float v = 1.0f - u;
        point = Weighted(q[0], v * v * v, q[1], 3.0f * v * v * u, q[2], 3.0f * v * u * u, q[3], u * u * u);
        break;
    }
    case CatmullRomEven: {
        segment = Segment(n - 1, t, u);
        const TVector& p1 = p[segment];
        const TVector& p2 = p[segment + 1];
        const float length = TVector::Subtract(p2, p1).Length();
        const TVector before = segment > 0 ? p[segment - 1] : Extrapolate(p[0], p[1], 1.0f);
        const TVector after = segment + 2 < n ? p[segment + 2] : Extrapolate(p[n - 1], p[n - 2], 1.0f);
        point = CatmullRomPoint(AtDistance(p1, before, length), p1, p2, AtDistance(p2, after, length), u);
        break;
    }
    default:
        status = TVector(1.0f, 0.0f, t, 1.0f);
        point = Origin;
        return;
    }
    status = TVector(1.0f, static_cast<float>(segment), u, 1.0f);
}

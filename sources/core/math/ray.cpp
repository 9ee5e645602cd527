#include "core/math/ray.h"

TRay::TRay(const TVector& a, const TVector& b)
{
    Set(a, b);
}

void TRay::Set(const TVector& a, const TVector& b)
{
    const TVector span = TVector::Subtract(b, a);
    const TVector unit = span.Normalized();
    origin = a;
    direction[0] = unit.x;
    direction[1] = unit.y;
    direction[2] = unit.z;
    length = span.Length();
}

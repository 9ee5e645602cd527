#include "igame/ballistics/projectile.h"

#include "igame/gamematerial/gamematerialmanager.h"

#include <cmath>
#include <cstring>

namespace
{
constexpr f32 PI = 3.14159265358979f;
// How far ahead of t the direction is measured.
constexpr f32 CURVE_LOOKAHEAD = 0.01f;
} // namespace

TProjectile::TProjectile()
{
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    kindId = g_NameDefault.GetId();
}

void TProjectile::Curve(f32 t, TVector& at, TVector& heading) const
{
    auto point = [&](f32 s) { return TVector(0.0f, arcHeight * std::sin(PI * s), range * s, 1.0f); };
    at = point(t);
    heading = TVector::Subtract(point(t + CURVE_LOOKAHEAD), at).Normalized();
    heading.w = 1.0f;
}

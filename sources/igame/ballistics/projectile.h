#pragma once
// TProjectile (208 bytes, stored raw in state images, every offset asserted): one projectile
// flying a fixed arc in its launch frame, its trail state and its damage record.
#include "core/math/matrix.h"
#include "igame/damage/damagemanager.h"

#include <cstddef>

class TProjectile
{
public:
    // A new record: all zero, of the kind "Default".
    TProjectile();

    // The flight curve at t (0 launch, 1 the end of the range), in the launch frame: position
    // (0, arcHeight x sin(pi t), range x t, 1) and the unit direction towards t + 0.01.
    void Curve(f32 t, TVector& position, TVector& direction) const;
    u32 HasBouncePoint() const { return bouncePoint.w == 1.0f ? 1 : 0; }

    // Rows right, up, forward and the launch position.
    TMatrix frame;
    u32 kindId;
    f32 range;
    f32 arcHeight;
    f32 fadeRate;
    TDamageRecord damage;
    f32 time;
    f32 lifetime;
    f32 trailLength;
    f32 trailWidth;
    u32 nReserved78;
    TVector prevPosition;
    TVector position;
    TVector direction;
    f32 fade;
    // w = 1 while a ricochet's bend is drawn.
    TVector bouncePoint;
    f32 bounceDirection[3];
    // The trail length built (no bounce), or how far along the bounce segment (0..1).
    f32 trailProgress;
};

static_assert(sizeof(TProjectile) == 208);
static_assert(offsetof(TProjectile, frame) == 0x00);
static_assert(offsetof(TProjectile, kindId) == 0x40);
static_assert(offsetof(TProjectile, range) == 0x44);
static_assert(offsetof(TProjectile, arcHeight) == 0x48);
static_assert(offsetof(TProjectile, fadeRate) == 0x4c);
static_assert(offsetof(TProjectile, damage) == 0x50);
static_assert(offsetof(TProjectile, time) == 0x68);
static_assert(offsetof(TProjectile, lifetime) == 0x6c);
static_assert(offsetof(TProjectile, trailLength) == 0x70);
static_assert(offsetof(TProjectile, trailWidth) == 0x74);
static_assert(offsetof(TProjectile, nReserved78) == 0x78);
static_assert(offsetof(TProjectile, prevPosition) == 0x7c);
static_assert(offsetof(TProjectile, position) == 0x8c);
static_assert(offsetof(TProjectile, direction) == 0x9c);
static_assert(offsetof(TProjectile, fade) == 0xac);
static_assert(offsetof(TProjectile, bouncePoint) == 0xb0);
static_assert(offsetof(TProjectile, bounceDirection) == 0xc0);
static_assert(offsetof(TProjectile, trailProgress) == 0xcc);

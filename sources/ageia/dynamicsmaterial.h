#pragma once
// TDynamicsMaterial: friction and restitution that shapes name by a 16-bit index. Every
// property is kept in the object and reaches the physics material once it exists.
#include "core/math/vector.h"
#include "core/system/types.h"

class TDynamicsMaterial
{
public:
    virtual ~TDynamicsMaterial() = default;
    virtual u16 GetIndex() = 0;
    virtual void SetFlags(u32 flags) = 0;
    virtual u32 GetFlags() = 0;
    virtual void SetDynamicFriction(f32 value) = 0;
    virtual f32 GetDynamicFriction() = 0;
    virtual void SetStaticFriction(f32 value) = 0;
    virtual f32 GetStaticFriction() = 0;
    virtual void SetRestitution(f32 value) = 0;
    virtual f32 GetRestitution() = 0;
    virtual void SetDynamicFrictionV(f32 value) = 0;
    virtual f32 GetDynamicFrictionV() = 0;
    virtual void SetStaticFrictionV(f32 value) = 0;
    virtual f32 GetStaticFrictionV() = 0;
    virtual void SetDirOfAnisotropy(const TVector& direction) = 0;
    virtual const f32* GetDirOfAnisotropy() = 0;
    virtual void SetFrictionCombineMode(u32 mode) = 0;
    virtual u32 GetFrictionCombineMode() = 0;
    virtual void SetRestitutionCombineMode(u32 mode) = 0;
    virtual u32 GetRestitutionCombineMode() = 0;
};

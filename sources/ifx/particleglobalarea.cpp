#include "ifx/particleglobalarea.h"

#include "engine/system/node.h"

#include <cstring>

TParticleGlobalArea::TParticleGlobalArea() : TParticleArea{}, aValue{}
{
    m_nClassName = TName("TParticleGlobalArea", true).GetId();
}

TVector TParticleGlobalArea::GetCentre() const
{
    const TVector& at = GetNode()->GetWorldMatrix()->Translation();
    return TVector(at.x + Area.aOffset[0], at.y + Area.aOffset[1], at.z + Area.aOffset[2], 1.0f);
}

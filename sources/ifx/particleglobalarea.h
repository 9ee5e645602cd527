#pragma once
// TParticleGlobalArea (stored type 88, 68 bytes): a node object whose force area acts on the
// particles of every emitter, centred on its node's position plus the area's offset.
// TIParticleGlobalArea implements it.
#include "engine/system/nodeobject.h"
#include "ifx/particlearea.h"

class TParticleGlobalArea : public TNodeObject, public TParticleArea
{
public:
    // The area's centre in the world.
    TVector GetCentre() const;

    // Set to 0, 1.0 and 0.5 by TParticleManager::CreateGlobalArea; no particle code reads them.
    f32 aValue[3];

protected:
    TParticleGlobalArea();
};

static_assert(sizeof(TParticleGlobalArea) == 68);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleGlobalArea, m_nTable) == 12);
static_assert(offsetof(TParticleGlobalArea, Area) == 16);
static_assert(offsetof(TParticleGlobalArea, aValue) == 56);
#pragma GCC diagnostic pop

class TIParticleGlobalArea : public TParticleGlobalArea
{
public:
    TIParticleGlobalArea() = default;
};

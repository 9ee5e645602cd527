#pragma once
// TCollisionMesh: a node object that places collision mesh data in the scene, either as a
// static actor following its node or as one shape of a dynamics body above it.
#include "engine/system/nodeobject.h"

class TDynamicsGeometry;

class TCollisionMesh : public TNodeObject
{
public:
    virtual void SetGroupsMask(u32 mask) = 0;
    virtual u32 GetGroupsMask() = 0;
    virtual void SetCollisionGroup(u16 group) = 0;
    virtual u16 GetCollisionGroup() = 0;
    virtual void SetDominanceGroup(u16 group) = 0;
    // Dominance is not kept: 0.
    virtual u16 GetDominanceGroup() = 0;
    virtual void SetDynamicsGeometry(TDynamicsGeometry* geometry) = 0;
    virtual TDynamicsGeometry* GetDynamicsGeometry() = 0;
};

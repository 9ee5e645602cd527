#pragma once
// TCollisionUserData: what every physics actor and shape of the engine carries as its user
// data, so that reports and queries find the engine object behind it.
#include "engine/system/nodeobject.h"

// Kinds.
constexpr u32 COLLISION_USER_BODY = 1;     // a TDynamicsBody (on actors)
constexpr u32 COLLISION_USER_GEOMETRY = 2; // a body's TDynamicsGeometry (on shapes)
constexpr u32 COLLISION_USER_MESH = 3;     // a static collision mesh
constexpr u32 COLLISION_USER_HEIGHTFIELD = 4;

struct TCollisionUserData
{
    // The scene node of a body, a body's shape or a static mesh (all node objects); null for
    // a height field.
    TNode* GetNode() const
    {
        if (nKind == COLLISION_USER_BODY || nKind == COLLISION_USER_GEOMETRY || nKind == COLLISION_USER_MESH)
            return static_cast<TNodeObject*>(pObject)->pNode;
        return nullptr;
    }

    u32 nKind;
    void* pObject;
};

static_assert(sizeof(TCollisionUserData) == 8);

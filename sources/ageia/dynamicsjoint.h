#pragma once
// TDynamicsJoint: a constraint between two bodies, a node object on its own node.
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"

constexpr u32 JOINT_TYPE_COUNT = 10;
// The fixed joint, which bodies moved by their nodes carry along.
constexpr u32 JOINT_FIXED = 3;

class TDynamicsJoint : public TNodeObject
{
};

#pragma once
// The stored physics types: their ids, which are repository format, and their descriptors,
// declared to the cluster by static initialisers.
#include "core/cluster/clustertypedecl.h"

constexpr u16 CONTROLLER_TYPE_ID = 27;
constexpr u16 COLLISION_MESH_DATA_TYPE_ID = 64;
constexpr u16 COLLISION_MESH_TYPE_ID = 65;
constexpr u16 DYNAMICS_MATERIAL_TYPE_ID = 78;
constexpr u16 DYNAMICS_GEOMETRY_TYPE_ID = 79;
constexpr u16 DYNAMICS_BODY_TYPE_ID = 80;
constexpr u16 DYNAMICS_PROP_PROXY_TYPE_ID = 81;
constexpr u16 DYNAMICS_JOINT_TYPE_ID = 82;

const TClusterTypeDecl& DynamicsMaterialDecl();
const TClusterTypeDecl& DynamicsGeometryDecl();
const TClusterTypeDecl& DynamicsBodyDecl();
const TClusterTypeDecl& DynamicsJointDecl();
const TClusterTypeDecl& CollisionMeshDataDecl();
const TClusterTypeDecl& CollisionMeshDecl();
const TClusterTypeDecl& ControllerDecl();

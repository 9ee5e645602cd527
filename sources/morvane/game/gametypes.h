#pragma once
// The game's stored types: their ids (repository format) and descriptors, declared by static
// initialisers in gametypes.cpp, the one place that lists them with their reference fields.
#include "core/cluster/clustertypedecl.h"

constexpr u16 ORBIT_CAMERA_TYPE_ID = 156;
constexpr u16 CURVE_POOL_TYPE_ID = 157;
constexpr u16 AI_COMMON_UNIT_TYPE_ID = 158;
constexpr u16 TASK_AREA_TYPE_ID = 159;
constexpr u16 CROSSROAD_AREA_TYPE_ID = 160;
constexpr u16 GATE_TYPE_ID = 161;
constexpr u16 TASK_TYPE_ID = 162;
constexpr u16 TAKE_OFF_WAIT_ZONE_TYPE_ID = 163;
constexpr u16 GAME_PARAMETERS_TYPE_ID = 164;
constexpr u16 LANDING_WAIT_ZONE_TYPE_ID = 165;
constexpr u16 TRAFFIC_VEHICLE_TYPE_ID = 175;

// The scene's types that the game's references name and whose modules give no constant.
constexpr u16 PROP_TYPE_ID = 32;
constexpr u16 MESH_TYPE_ID = 43;
constexpr u16 SKELETON_TYPE_ID = 53;
constexpr u16 ANIMATION_TYPE_ID = 56;

const TClusterTypeDecl& OrbitCameraDecl();
const TClusterTypeDecl& CurvePoolDecl();
const TClusterTypeDecl& AICommonUnitDecl();
const TClusterTypeDecl& TaskAreaDecl();
const TClusterTypeDecl& CrossroadAreaDecl();
const TClusterTypeDecl& GateDecl();
const TClusterTypeDecl& TaskDecl();
const TClusterTypeDecl& TakeOffWaitZoneDecl();
const TClusterTypeDecl& GameParametersDecl();
const TClusterTypeDecl& LandingWaitZoneDecl();
const TClusterTypeDecl& TrafficVehicleDecl();

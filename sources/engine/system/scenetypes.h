#pragma once
// The scene's stored types: their ids, which are repository format, and their descriptors,
// declared to the cluster by static initialisers (scenetypes.cpp lists every one).
#include "core/cluster/clustertypedecl.h"
#include "core/system/name.h"

constexpr u16 NODE_OBJECT_TYPE_ID = 16;
constexpr u16 NODE_LINK_TYPE_ID = 17;
constexpr u16 NODE_TYPE_ID = 18;
constexpr u16 USER_DATA_TYPE_ID = 19;
constexpr u16 RESOURCE_LINK_TYPE_ID = 20;
constexpr u16 RESOURCE_TYPE_ID = 21;
constexpr u16 SCRIPT_TYPE_ID = 60;
constexpr u16 SCRIPT_OBJECT_TYPE_ID = 63;

const TClusterTypeDecl& NodeObjectDecl();
const TClusterTypeDecl& NodeLinkDecl();
const TClusterTypeDecl& NodeDecl();
const TClusterTypeDecl& UserDataDecl();
const TClusterTypeDecl& ResourceLinkDecl();
const TClusterTypeDecl& ResourceDecl();
const TClusterTypeDecl& ScriptDecl();
const TClusterTypeDecl& ScriptObjectDecl();
// Animation, skeletons, triggers and automats: their managers register arrays of them.
const TClusterTypeDecl& SkeletonDataDecl();
const TClusterTypeDecl& SkeletonMeshDataDecl();
const TClusterTypeDecl& SkeletonDecl();
const TClusterTypeDecl& SkeletonPoseDecl();
const TClusterTypeDecl& AnimationDataDecl();
const TClusterTypeDecl& AnimationDecl();
const TClusterTypeDecl& TextureFontDecl();
const TClusterTypeDecl& MaterialDecl();
const TClusterTypeDecl& MeshDecl();
const TClusterTypeDecl& ImposterDataDecl();
const TClusterTypeDecl& ImposterDecl();
const TClusterTypeDecl& ViewportSetDecl();
const TClusterTypeDecl& CameraDecl();
const TClusterTypeDecl& LightSetDecl();
const TClusterTypeDecl& LightDecl();
const TClusterTypeDecl& EnvironmentDecl();
const TClusterTypeDecl& RenderQueueDecl();
const TClusterTypeDecl& RenderSceneDecl();
const TClusterTypeDecl& TriggerGeometryDecl();
const TClusterTypeDecl& TriggerGeometryLinkDecl();
const TClusterTypeDecl& TriggerActorDecl();
const TClusterTypeDecl& AutomatStateDecl();
const TClusterTypeDecl& AutomatDecl();
// The prop manager keeps the arrays of these.
const TClusterTypeDecl& PropDataDecl();
const TClusterTypeDecl& PropDataPoolDecl();
const TClusterTypeDecl& PropDecl();
// The decal manager keeps the arrays of these.
const TClusterTypeDecl& DecalDataDecl();
const TClusterTypeDecl& DecalDecl();
const TClusterTypeDecl& StaticDecalPoolDecl();
// The vegetation manager keeps the array of these (the meshes of its plant kinds).
const TClusterTypeDecl& PropDataRenderDecl();
// The physics manager keeps the array of these.
const TClusterTypeDecl& DynamicsPropProxyDecl();

// Every scene descriptor, in the order of the table of types.
const TClusterTypeDecl* const* SceneTypeDecls(u32& count);
// Records that begin as node objects: polymorphic, with the node link at offset 4.
bool IsNodeObjectType(const TClusterTypeDecl* decl);
// Records that begin as resources: polymorphic, with the resource head's link arrays.
bool IsResourceType(const TClusterTypeDecl* decl);
// Whether count records of size bytes at data lie inside the managed cluster array of the
// type (stored dynamic arrays must point there).
bool IsInsideClusterArray(u32 typeId, const void* data, i32 count, u32 size);

// Names registered with their texts at start-up.
constexpr u32 SCENE_TRANSFORM_COUNT = 7;
extern const TName g_NameShaderOverlayBlend;
extern const TName g_NameShaderOverlayAdd;
extern const TName g_NameShaderOverlayMul;
// "_transform_normal", "_transform_instance", "_transform_blendshape", "_transform_softbind1"
// to "_transform_softbind4".
extern const TName g_aNameTransform[SCENE_TRANSFORM_COUNT];

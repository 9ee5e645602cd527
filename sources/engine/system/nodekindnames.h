#pragma once
// The kind names of the scene's node objects: each node object stores the id of its kind's
// name when it is constructed. Made with their texts before main runs, so that every module
// (the scene, the render-resource declarations) shares the same entries of the name table.
#include "core/system/name.h"

extern const TName g_NameIgnoreNodeObjectUpdate;
extern const TName g_NameTRenderObject;
extern const TName g_NameTMesh;
extern const TName g_NameTLight;
extern const TName g_NameTCamera;
extern const TName g_NameTImposter;
extern const TName g_NameTEnvironment;
extern const TName g_NameTParticleEmitter;
extern const TName g_NameTParticleNodeSystem;
extern const TName g_NameTParticleGlobalArea;
extern const TName g_NameTProp;
extern const TName g_NameTDynamicsGeometry;
extern const TName g_NameTDynamicsBody;
extern const TName g_NameTDynamicsJoint;
extern const TName g_NameTSkeleton;
extern const TName g_NameTCollisionMesh;
extern const TName g_NameTTriggerGeometry;
extern const TName g_NameTTriggerActor;
extern const TName g_NameTDynamicDecal;
extern const TName g_NameTController;
extern const TName g_NameTSound;
extern const TName g_NameTSoundReverb;
extern const TName g_NameTSoundGeometry;

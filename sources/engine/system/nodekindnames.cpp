#include "engine/system/nodekindnames.h"

const TName g_NameIgnoreNodeObjectUpdate("IgnoreNodeObjectUpdate", true);
const TName g_NameTRenderObject("TRenderObject", true);
const TName g_NameTMesh("TMesh", true);
const TName g_NameTLight("TLight", true);
const TName g_NameTCamera("TCamera", true);
const TName g_NameTImposter("TImposter", true);
const TName g_NameTEnvironment("TEnvironment", true);
const TName g_NameTParticleEmitter("TParticleEmitter", true);
const TName g_NameTParticleNodeSystem("TParticleNodeSystem", true);
const TName g_NameTParticleGlobalArea("TParticleGlobalArea", true);
const TName g_NameTProp("TProp", true);
const TName g_NameTDynamicsGeometry("TDynamicsGeometry", true);
const TName g_NameTDynamicsBody("TDynamicsBody", true);
const TName g_NameTDynamicsJoint("TDynamicsJoint", true);
const TName g_NameTSkeleton("TSkeleton", true);
const TName g_NameTCollisionMesh("TCollisionMesh", true);
const TName g_NameTTriggerGeometry("TTriggerGeometry", true);
const TName g_NameTTriggerActor("TTriggerActor", true);
const TName g_NameTDynamicDecal("TDynamicDecal", true);
const TName g_NameTController("TController", true);
const TName g_NameTSound("TSound", true);
const TName g_NameTSoundReverb("TSoundReverb", true);
const TName g_NameTSoundGeometry("TSoundGeometry", true);

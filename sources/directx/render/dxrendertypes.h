#pragma once
// The render resources' stored types, declared to the cluster by static initialisers, and the
// names the window procedure switches manager systems by.
#include "core/cluster/clustertypedecl.h"
#include "core/system/name.h"

const TClusterTypeDecl& ShaderParameterDecl();
const TClusterTypeDecl& ShaderProgramDataDecl();
const TClusterTypeDecl& ShaderDecl();
const TClusterTypeDecl& TextureDecl();
const TClusterTypeDecl& TextureAnimationDecl();
const TClusterTypeDecl& MeshDataInstancingDecl();
const TClusterTypeDecl& MeshDataDecl();
const TClusterTypeDecl& ViewportDecl();

// The manager systems of an active and of an inactive window.
extern const TName g_NameNormal;
extern const TName g_NameInactive;

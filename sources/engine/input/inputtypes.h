#pragma once
// The descriptors of the input manager's stored types: actions (23), action groups (24),
// cursors (25) and input objects (26).
#include "core/cluster/clustertypedecl.h"

// The script objects that cursors and input objects run (stored type 60) and textures (36).
constexpr u16 INPUT_SCRIPT_TYPE_ID = 60;
constexpr u16 INPUT_TEXTURE_TYPE_ID = 36;

// Built on first use, so that the input manager can register its cursor array from any
// static initialiser.
const TClusterTypeDecl& InputActionDecl();
const TClusterTypeDecl& InputActionGroupDecl();
const TClusterTypeDecl& InputCursorDecl();
const TClusterTypeDecl& InputObjectDecl();

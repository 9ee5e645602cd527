#pragma once
// Node matrices on their way to the physics layer: static actors and bodies are never scaled.
#include "core/math/matrix.h"
#include "platform/physics/nxmat34.h"

// A scale further than this from (1, 1, 1) is warned about and taken out.
constexpr f32 POSE_SCALE_TOLERANCE = 0.05f;

// The layer's pose of an engine matrix (rows: axes, then translation).
NxMat34 PoseOf(const TMatrix& m);
// Keeps the direction of the X axis; the other two are rebuilt from cross products.
TMatrix Orthonormalized(const TMatrix& m);
// The matrix unscaled: when its scale is off by more than the tolerance, a warning with the
// prefix names the object and the scale, and the matrix is orthonormalised.
TMatrix UnscaledPose(const TMatrix& world, const char* prefix, const char* name);

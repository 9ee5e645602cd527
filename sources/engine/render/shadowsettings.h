#pragma once
// The shadow settings: the console variables that steer the shadow manager (shadow_enable,
// shadow_map_size, shadow_distance_factor, shadow_map_splits, shadow_map_splitweight,
// shadow_soften), and the shadow parameter block through which every shadow pass talks to its
// shaders: a projection matrix and eight four-float vectors, handed to them by the plug-ins
// TShadowProjection (the matrix) and TShadowParameters (the vectors). The variables' initial
// values are not applied by themselves: the manager's own (a 1024 x 1024 map, distance factor
// 1.0, shadows and softening on) hold until a script sets a variable.
#include "core/math/matrix.h"

// The parameter block's vectors.
constexpr u32 SHADOW_LIGHT_POSITION = 0; // the light (a directional one moved back by its range), camera space
constexpr u32 SHADOW_LIGHT_AXIS = 1;     // the light's Z axis transformed as a point
constexpr u32 SHADOW_CHANNEL = 2;        // the light's channel selector of its mask
constexpr u32 SHADOW_RANGE = 3;          // (near, far, fade start, shadow distance)
constexpr u32 SHADOW_BIAS = 4;           // (depth bias, local bias, 1 / map width, beyond the last split)
constexpr u32 SHADOW_AXIS_X = 5;         // the light's X axis in camera space
constexpr u32 SHADOW_AXIS_Y = 6;         // the light's Y axis in camera space
constexpr u32 SHADOW_SOFTNESS = 7;       // (softness, softness x 0.5, 0, 1)
constexpr u32 SHADOW_PARAMETER_VECTORS = 8;

struct TShadowParameterBlock
{
    // The light's view-projection while casters are drawn into a map; camera space to
    // shadow-map texture coordinates and depth during a projection pass.
    TMatrix projection;
    TVector aVector[SHADOW_PARAMETER_VECTORS];
};

extern TShadowParameterBlock g_ShadowParameters;

// shadow_map_splits read as an integer: non-zero replaces a directional light's split count.
i32 ShadowMapSplits();
// The practical split scheme's weight (shadow_map_splitweight read as a float; 0.8 at start).
f32 ShadowSplitWeight();
// Writes a value back into shadow_enable without applying it (the manager's refusal).
void StoreShadowEnable(i32 value);

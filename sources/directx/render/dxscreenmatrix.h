#pragma once
// The canvas's screen-matrix block: three vectors the canvas writes before it draws and the
// plug-in "TScreenMatrix" hands to the canvas shaders as a vector array of three entries.
//   0 position scale and offset {sx, ox, sy, oy} (clip = 2 (p x s + o));
//   1 texture-coordinate scale and offset {su, ou, sv, ov};
//   2 {1/width, -0.5, -1/height, 0.5} of the current aperture.
#include "core/math/vector.h"

constexpr u32 SCREEN_MATRIX_VECTORS = 3;

extern TVector g_aScreenMatrix[SCREEN_MATRIX_VECTORS];

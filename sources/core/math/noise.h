#pragma once

#include "core/math/vector.h"

// Ken Perlin's reference gradient noise (B = 256, N = 4096), in one dimension. The tables are
// built once from the C run-time rand before the program proper starts.

// The noise at x, in [-1, 1].
float Noise1(float x);
// The sum over `octaves` octaves of Noise1 (x_i) / scale_i; the scale starts at 1 and is
// multiplied by alpha, x by beta, after each octave.
float NoiseOctaves1(float x, float alpha, float beta, int octaves);

// Three octave sums (3 octaves, alpha = beta = 2) at x, x + 0.15 and x + 0.3, times the factor.
TVector NoiseVector1D(float x, float factor);
// Three octave sums (3 octaves, alpha = beta = 2) of the point's x, y and z, times the factor.
TVector NoiseVector3D(const TVector& point, float factor);

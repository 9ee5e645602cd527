#pragma once
// The speaker matrices used where X3DAudio is not: the reverb submix into the mastering voice,
// and the direct path and reverb send of sounds without a node. Laid out as XAudio2 takes them:
// the level of source s in destination d is matrix[d * sources + s]. Destinations are front
// left 0, front right 1, centre 2, low frequency 3, back left 4, back right 5, side left 6,
// side right 7.
#include "core/system/types.h"

constexpr u32 OUTPUT_MATRIX_SIZE = 64;

// Every coefficient not set is 0; a coefficient whose source or destination lies outside the
// counts is left out.
void BuildOutputMatrix(u32 sources, u32 destinations, f32 (&matrix)[OUTPUT_MATRIX_SIZE]);

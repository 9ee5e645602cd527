#pragma once

#include "core/math/vector.h"

#include "core/system/types.h"

// Constant vectors, in the engine's order: all ones, the origin, then the unit axes and the
// sums of two of them (all points, w = 1).
inline constexpr TVector VectorOne(1.0f, 1.0f, 1.0f, 1.0f);
inline constexpr TVector VectorOrigin(0.0f, 0.0f, 0.0f, 1.0f);
inline constexpr TVector VectorZ(0.0f, 0.0f, 1.0f, 1.0f);
inline constexpr TVector VectorY(0.0f, 1.0f, 0.0f, 1.0f);
inline constexpr TVector VectorX(1.0f, 0.0f, 0.0f, 1.0f);
inline constexpr TVector VectorXY(1.0f, 1.0f, 0.0f, 1.0f);
inline constexpr TVector VectorXZ(1.0f, 0.0f, 1.0f, 1.0f);
inline constexpr TVector VectorYZ(0.0f, 1.0f, 1.0f, 1.0f);

// Constant colours, A, R, G, B from the high byte down.
inline constexpr u32 ColorWhite = 0xFFFFFFFF;
inline constexpr u32 ColorBlack = 0xFF000000;
inline constexpr u32 ColorRed = 0xFFFF0000;
inline constexpr u32 ColorGreen = 0xFF00FF00;
inline constexpr u32 ColorBlue = 0xFF0000FF;
inline constexpr u32 ColorCyan = 0xFF00FFFF;
inline constexpr u32 ColorMagenta = 0xFFFF00FF;
inline constexpr u32 ColorYellow = 0xFFFFFF00;

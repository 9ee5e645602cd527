#pragma once
// Our cooked mesh format, little-endian through the stream's own calls:
//   triangle mesh: magic "VTRM", version, vertex count, triangle count, material flag (0 or 1),
//                  vertices (3 floats each, original order), triangles (3 u32 each),
//                  and with the flag one u16 material per triangle;
//   convex mesh:   magic "VCVX", version, point count, points (3 floats each).
#include "platform/physics/nxtypes.h"

constexpr NxU32 kCookedTriangleMeshMagic = 'V' | 'T' << 8 | 'R' << 16 | 'M' << 24;
constexpr NxU32 kCookedConvexMeshMagic = 'V' | 'C' << 8 | 'V' << 16 | 'X' << 24;
constexpr NxU32 kCookedVersion = 1;
// More than these would only be a damaged header.
constexpr NxU32 kCookedMaxVertices = 1u << 24;
constexpr NxU32 kCookedMaxTriangles = 1u << 24;
constexpr NxU32 kCookedMaxHullPoints = 256;

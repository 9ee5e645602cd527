#pragma once
// The aerodrome's scenery the game logic drives: the public road as the curve pool
// "TrafficCurve" with eight cars on it (their meshes, drawn with the traffic shader, listed in
// the parameter record), the power lines (children of "PowerLineCurves", each holding its
// poles as 16-byte user-data points, with the poles drawn), and the sky: a day and a rain
// atmosphere with the one change between them that the rain blends.
#include "core/system/types.h"

class TAerodromeBuilder;
class TClusterManager;
struct TGameParameters;

constexpr u32 AERODROME_TRAFFIC_CARS = 8;
// Seconds the rain takes to come and to go.
constexpr f32 AERODROME_RAIN_BLEND = 20.0f;

// Adds the records (the cars' meshes and shader into the parameters); the managers whose
// records these are after count. Answers the new count.
i32 AddAerodromeScenery(TAerodromeBuilder& builder, TGameParameters& parameters, TClusterManager** managers,
                        i32 count);

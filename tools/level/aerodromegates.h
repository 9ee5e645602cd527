#pragma once
// The aerodrome's game records: the parameter record (the aircraft in order, the five landing
// zones on the aircraft's first path, the five take-off zones on the departure path, the
// take-off queue's entry, the taxi end, the three task-area locators), the eight gates (ids 1
// to 8) each with its tasks 0 to 32, their areas, deadlines and work times, its arrival, taxi
// and departure paths, the follow-me task last, and the crossroads of the yards.
#include "aerodromeaircraft.h"
#include "aerodromeunits.h"
#include "core/system/types.h"

class TAerodromeBuilder;
class TCurvePoolBuilder;
struct TGameParameters;

TGameParameters& AddAerodromeGates(TAerodromeBuilder& builder, TCurvePoolBuilder& curves, const TServiceUnits& units,
                                   const TAerodromeAircraft& aircraft, TAICommonUnit& followMe);

// The units (not aircraft, which crossroads let pass) whose paths pass within the radius of a
// point.
u32 CountUnitsReaching(const TCurvePoolBuilder& curves, const TPlanPoint& centre, f32 radius);

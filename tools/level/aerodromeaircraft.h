#pragma once
// The aerodrome's aircraft: eight airliners and a freighter, each a unit whose prop stands hidden
// where the landing animation ends and the take-off begins (facing east at the landing end),
// so that the body is placed there and the take-off puts it back. A form carries the vehicle
// ("%s_Veh", a box fuselage on four wheels), "%s_Vdrive", "%s_OrbCam", and "%s_Skeleton": a
// rig carrying the aircraft's meshes and "PlaneSoundLocator" moved by "%s_AniLanding" (an
// approach from the west touching down after frame 1,654 and rolling out to the landing end),
// "%s_AniTakeOff" and "%s_EngineIdle"; the freighter's door turns on a second bone
// ("%s_CargoDoor"), which makes it a cargo aircraft. Every aircraft's first path is the one
// curve from the landing end through the landing zones.
#include "core/system/types.h"

class TAerodromeBuilder;
class TAICommonUnit;
class TCurvePoolBuilder;

constexpr u32 AERODROME_AIRLINERS = 8;
constexpr u32 AERODROME_AIRCRAFT = AERODROME_AIRLINERS + 1;
// The landing animation's frame of touchdown and its length; the take-off's length.
constexpr u32 LANDING_TOUCHDOWN_FRAME = 1660;
constexpr u32 LANDING_FRAMES = 2100;
constexpr u32 TAKE_OFF_FRAMES = 1500;

struct TAerodromeAircraft
{
    // The airliners, then the freighter.
    TAICommonUnit* aPlane[AERODROME_AIRCRAFT];
};

TAerodromeAircraft AddAerodromeAircraft(TAerodromeBuilder& builder, TCurvePoolBuilder& curves);

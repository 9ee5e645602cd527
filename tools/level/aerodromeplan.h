#pragma once
// The aerodrome's plan: where the runway, taxiways, stands, service roads, yards and buildings
// lie, and every path a unit or an aircraft drives, as plain geometry in metres (x east, y up,
// z north). The generator makes its records from it; the tests check the game's rules on it.
//
// Aircraft land eastwards on the runway and stop at the landing end, where their take-off
// begins; they leave it north and queue westwards on taxiway A (landing zones 4 to 0), turn
// into their stand from the east and park facing west in front of the terminal. They leave
// westwards, cross A southwards and taxi east on taxiway D to the taxi end, then pass the
// take-off queue's entry and zones 4 to 0 back to the landing end. Service vehicles drive one
// way round a loop (the front road westwards between the terminal and the stands, the back
// road eastwards behind the terminal); at a stand each enters its own row from the east gap
// and leaves it through the west gap. Homes: the garage yard east of the terminal, yard 1
// (luggage and buses) and yard 2 (fuel, catering, the cargo storage) behind the terminal, the
// jet bridges at the terminal's face. Each yard's entry road crosses its exit road at a
// crossroad.
#include "core/system/types.h"

#include <vector>

struct TPlanPoint
{
    f32 x, y, z;
};
using TPlanPath = std::vector<TPlanPoint>;

constexpr u32 PLAN_GATE_COUNT = 8;
constexpr u32 PLAN_ZONE_COUNT = 5;

// A unit's service at a gate; each gate has one unit of each.
enum EPlanService : u32
{
    // Homes in the garage yard.
    SERVICE_MAINTENANCE,
    SERVICE_REPAIRS,
    SERVICE_STAIRS,
    SERVICE_EXT_CLEANING,
    SERVICE_INT_CLEANING,
    SERVICE_TAXI,
    SERVICE_CARGO_UNLOAD,
    SERVICE_CARGO_LOAD,
    // Yard 1.
    SERVICE_LUGGAGE_OUT,
    SERVICE_LUGGAGE_IN,
    SERVICE_BUS_OUT,
    SERVICE_BUS_IN,
    // Yard 2.
    SERVICE_FUEL,
    SERVICE_CATERING,
    // The terminal's face.
    SERVICE_TUNNEL,
    SERVICE_COUNT
};

constexpr u32 PLAN_TASK_TYPES = 33;
// A gate task as the plan has it: the service whose unit drives it (-1 for none: the player's),
// which of its paths, whether it ends in a task area (a work task or one the player drives) or
// only at its path's end (a leg), and its times.
struct TPlanTask
{
    i32 nType;
    i32 nService;
    // 0: the unit's first path, 1: its second.
    i32 nPath;
    // The player drives it: the service's unit is its player vehicle only.
    bool bPlayer;
    bool bArea;
    bool bHideOnArrival;
    f32 fDeadline;
    f32 fBaseWork;
    f32 fExtraWork;
};

// The task of each type, in type order.
extern const TPlanTask g_aPlanTask[PLAN_TASK_TYPES];

namespace AerodromePlan
{
// The runway: centre, length along x, width.
constexpr TPlanPoint RUNWAY_CENTRE = {1600.0f, 0.0f, -230.0f};
constexpr f32 RUNWAY_LENGTH = 2000.0f;
constexpr f32 RUNWAY_WIDTH = 45.0f;
// Where the landing animation ends and the take-off begins: aircraft face east (+x) there.
constexpr TPlanPoint LANDING_END = {1500.0f, 0.0f, -230.0f};
constexpr f32 TAXIWAY_A_Z = -100.0f;
constexpr f32 TAXIWAY_D_Z = -160.0f;
constexpr f32 TAXIWAY_WIDTH = 23.0f;
constexpr TPlanPoint TAXI_END = {420.0f, 0.0f, TAXIWAY_D_Z};
constexpr TPlanPoint TAKE_OFF_QUEUE_ENTRY = {470.0f, 0.0f, TAXIWAY_D_Z};
// How far ahead of an aircraft's middle its drive node steers it (the path follower brings that
// node to a path's end).
constexpr f32 AIRCRAFT_DRIVE_LEAD = 12.0f;
// Stands: gate g (1..8) parks at x = first - spacing x (g - 1), facing west.
constexpr f32 STAND_FIRST_X = 330.0f;
constexpr f32 STAND_SPACING = 80.0f;
constexpr f32 STAND_Z = -40.0f;
// The service loop.
constexpr f32 FRONT_ROAD_Z = -8.0f;
constexpr f32 BACK_ROAD_Z = 75.0f;
constexpr f32 WEST_LINK_X = -385.0f;
constexpr f32 EAST_LINK_X = 455.0f;
constexpr f32 ROAD_WIDTH = 8.0f;
// The terminal (a box from its west-south corner), the tower and the garage building.
constexpr TPlanPoint TERMINAL_MIN = {-330.0f, 0.0f, 10.0f};
constexpr TPlanPoint TERMINAL_MAX = {370.0f, 14.0f, 50.0f};
constexpr TPlanPoint TOWER_BASE = {410.0f, 0.0f, 40.0f};
constexpr f32 TOWER_HEIGHT = 42.0f;
constexpr f32 TOWER_HALF_WIDTH = 4.0f;
// The garage, the aerodrome's hangar for its service vehicles.
constexpr TPlanPoint GARAGE_MIN = {585.0f, 0.0f, 10.0f};
constexpr TPlanPoint GARAGE_MAX = {625.0f, 10.0f, 100.0f};
// Where the tower's camera looks from and at: high over the south-west, 1200 out and 25 degrees
// down, so that the first view holds all eight stands, both queues and the landing end.
constexpr TPlanPoint TOWER_EYE = {-692.0f, 507.0f, -594.0f};
constexpr TPlanPoint TOWER_LOOK_AT = {250.0f, 0.0f, -50.0f};
// The crossroads of the two yards and their radius.
constexpr TPlanPoint CROSSROAD_YARD_1 = {190.0f, 0.0f, 120.0f};
constexpr TPlanPoint CROSSROAD_YARD_2 = {-40.0f, 0.0f, 120.0f};
constexpr f32 CROSSROAD_RADIUS = 8.0f;
// The cargo storage, where loaders take and leave their loads.
constexpr TPlanPoint CARGO_STORAGE = {-40.0f, 0.0f, 160.0f};
// The follow-me car's place.
constexpr TPlanPoint FOLLOW_ME_HOME = {415.0f, 0.0f, -2.0f};
}

// A gate's stand: where its aircraft parks (facing west).
TPlanPoint StandPosition(u32 gate);
// A unit's home (where it waits hidden and where its prop stands) and the heading it faces
// there, in degrees about y from +z towards +x.
TPlanPoint UnitHome(u32 service, u32 gate, f32* heading);
// A unit's first (0) or second (1) path.
TPlanPath UnitPath(u32 service, u32 gate, u32 which);

// The aircraft: their first path (from the landing end through the landing zones), a gate's
// arrival path (from landing zone 0 to its stand), taxi path (from the stand past the taxi
// end) and the departure path (from the taxi end through the queue's entry and the take-off
// zones to the landing end).
TPlanPath FirstPath();
TPlanPath ArrivalPath(u32 gate);
TPlanPath TaxiPath(u32 gate);
TPlanPath DeparturePath();
TPlanPoint LandingZone(u32 zone);
TPlanPoint TakeOffZone(u32 zone);

// The public road's closed loop and the three power lines' poles (the wires' tops).
TPlanPath PublicRoad();
std::vector<TPlanPath> PowerLines();
// Strips of pavement: runway, taxiways, roads, each a centre line and a width.
struct TPlanStrip
{
    TPlanPath Line;
    f32 fWidth;
};
std::vector<TPlanStrip> TaxiwayStrips();
std::vector<TPlanStrip> RoadStrips();

// Geometry helpers.
f32 PlanDistance(const TPlanPoint& a, const TPlanPoint& b);
// The distance from a point to the nearest point of a path (in the ground plane).
f32 DistanceToPath(const TPlanPoint& p, const TPlanPath& path);
// The corners joined by arcs of at most the radius (each corner's arc fits between its
// neighbours), points every few metres along the arcs.
TPlanPath RoundCorners(const TPlanPath& corners, f32 radius);
// The path's length in the ground plane.
f32 PathLength(const TPlanPath& path);

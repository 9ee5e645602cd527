#include "aerodromeplan.h"

#include <algorithm>
#include <cmath>
#include <tuple>

using namespace AerodromePlan;

// Work tasks end in an area where the unit works; legs end where their path ends, the back legs
// hiding their unit at home (its prop gives back its form, so it waits there unseen).
const TPlanTask g_aPlanTask[PLAN_TASK_TYPES] = {
    {0, SERVICE_MAINTENANCE, 0, false, true, false, 600.0f, 180.0f, 120.0f},
    {1, SERVICE_MAINTENANCE, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {2, SERVICE_STAIRS, 0, false, false, false, 600.0f, 0.0f, 0.0f},
    {3, SERVICE_STAIRS, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {4, SERVICE_TUNNEL, 0, false, false, false, 300.0f, 0.0f, 0.0f},
    {5, SERVICE_TUNNEL, 1, false, false, true, 300.0f, 0.0f, 0.0f},
    {6, SERVICE_LUGGAGE_OUT, 0, false, true, false, 600.0f, 240.0f, 120.0f},
    {7, SERVICE_LUGGAGE_OUT, 1, false, true, true, 900.0f, 120.0f, 60.0f},
    {8, SERVICE_LUGGAGE_IN, 0, false, true, false, 900.0f, 240.0f, 120.0f},
    {9, SERVICE_LUGGAGE_IN, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {10, SERVICE_EXT_CLEANING, 0, false, true, false, 600.0f, 300.0f, 120.0f},
    {11, SERVICE_EXT_CLEANING, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {12, SERVICE_BUS_OUT, 0, false, true, false, 600.0f, 180.0f, 60.0f},
    {13, SERVICE_BUS_OUT, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {14, SERVICE_BUS_IN, 0, false, true, false, 900.0f, 180.0f, 60.0f},
    {15, SERVICE_BUS_IN, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {16, SERVICE_INT_CLEANING, 0, false, true, false, 600.0f, 300.0f, 120.0f},
    {17, SERVICE_INT_CLEANING, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {18, SERVICE_FUEL, 0, false, true, false, 900.0f, 300.0f, 120.0f},
    {19, SERVICE_FUEL, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {20, SERVICE_CATERING, 0, false, true, false, 900.0f, 240.0f, 120.0f},
    {21, SERVICE_CATERING, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {22, SERVICE_TAXI, 0, false, false, false, 600.0f, 0.0f, 0.0f},
    {23, SERVICE_TAXI, 0, true, true, false, 900.0f, 0.0f, 0.0f},
    {24, SERVICE_REPAIRS, 0, false, true, false, 600.0f, 240.0f, 180.0f},
    {25, SERVICE_REPAIRS, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {26, SERVICE_TAXI, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {27, SERVICE_CARGO_LOAD, 0, false, true, false, 900.0f, 120.0f, 60.0f},
    {28, SERVICE_CARGO_LOAD, 0, true, true, false, 900.0f, 0.0f, 0.0f},
    {29, SERVICE_CARGO_LOAD, 1, false, false, true, 900.0f, 0.0f, 0.0f},
    {30, SERVICE_CARGO_UNLOAD, 0, false, false, false, 900.0f, 0.0f, 0.0f},
    {31, SERVICE_CARGO_UNLOAD, 0, true, true, false, 900.0f, 120.0f, 60.0f},
    {32, SERVICE_CARGO_UNLOAD, 1, false, false, true, 900.0f, 0.0f, 0.0f},
};

namespace
{
// Corners of roads and of the aircraft's curves.
constexpr f32 ROAD_CORNER = 8.0f;
constexpr f32 AIRCRAFT_CORNER = 40.0f;

// The rows at a stand where the services stop, heading west (z), and where along them (x from
// the stand). North rows lie between the front road and the fuselage, south rows between the
// fuselage and taxiway A.
struct TServiceRow
{
    f32 fZ;
    f32 fX;
};
constexpr TServiceRow kRow[SERVICE_COUNT] = {
    {-54.0f, -14.0f}, // maintenance: the nose gear
    {-59.0f, 2.0f},   // repairs: the engine
    {-24.0f, 9.0f},   // stairs: the rear door
    {-74.0f, 14.0f},  // exterior cleaning
    {-18.0f, -6.0f},  // interior cleaning: the front door
    {0.0f, 0.0f},     // taxi: before the nose (own approach)
    {-74.0f, -5.25f}, // cargo unloading: the door (own approach from row -74)
    {-74.0f, -5.25f}, // cargo loading: the door (the player), out along row -74
    {-49.0f, -6.0f},  // luggage out: the front hold
    {-49.0f, -6.0f},  // luggage in
    {-18.0f, 9.0f},   // bus out: by the stairs
    {-18.0f, 9.0f},   // bus in
    {-64.0f, 2.0f},   // fuel: the wing
    {-69.0f, 12.0f},  // catering: the rear galley
    {0.0f, 0.0f},     // tunnel: from the terminal
};
// Where the cargo door lies from the aircraft: forward along its z, back along its x.
constexpr f32 CARGO_DOOR_FORWARD = 5.25f;
constexpr f32 CARGO_DOOR_SIDE = 5.8f;

// Homes.
constexpr f32 GARAGE_FIRST_X = 480.0f;
constexpr f32 GARAGE_FIRST_Z = 20.0f;
constexpr f32 GARAGE_STEP = 11.0f;
constexpr f32 GARAGE_EXIT_Z = 8.0f;
constexpr f32 GARAGE_ENTRY_Z = 108.0f;
constexpr f32 YARD_STEP = 10.0f;
constexpr f32 YARD_FIRST_Z = 135.0f;
constexpr f32 YARD_EXIT_Z = 120.0f;
constexpr f32 YARD_ENTRY_Z = 128.0f;
constexpr f32 YARD_1_FIRST_X = 100.0f;
constexpr f32 YARD_1_EXIT_X = 250.0f;
constexpr f32 YARD_2_FIRST_X = -130.0f;
constexpr f32 YARD_2_EXIT_X = 20.0f;
constexpr f32 YARD_EXIT_CUT = 15.0f;
constexpr f32 YARD_HOME_CUT = 6.0f;
constexpr f32 YARD_HOME_STRAIGHT = 10.0f;
constexpr f32 TUNNEL_HOME_Z = 2.0f;
constexpr f32 TUNNEL_DOOR_Z = -31.0f;
constexpr f32 TUNNEL_FROM_NOSE = 10.0f;
// Where the buses leave their row for the front road, from the stand.
constexpr f32 BUS_TURN_OUT_X = 4.0f;

TPlanPoint P(f32 x, f32 z)
{
    return {x, 0.0f, z};
}

void Append(TPlanPath& path, const TPlanPath& more)
{
    for (const TPlanPoint& p : more)
        if (path.empty() || PlanDistance(path.back(), p) > 0.01f)
            path.push_back(p);
}

u32 HomeIndex(u32 service)
{
    return service <= SERVICE_CARGO_LOAD ? service : service <= SERVICE_BUS_IN ? service - SERVICE_LUGGAGE_OUT
                                                                               : service - SERVICE_FUEL;
}

enum class EHome
{
    Garage,
    Yard1,
    Yard2,
    Terminal
};

EHome HomeOf(u32 service)
{
    return service <= SERVICE_CARGO_LOAD ? EHome::Garage
           : service <= SERVICE_BUS_IN   ? EHome::Yard1
           : service <= SERVICE_CATERING ? EHome::Yard2
                                         : EHome::Terminal;
}

// From a home onto the front road, heading west, as far as x.
TPlanPath FromHome(u32 service, u32 gate, f32 toX)
{
    const TPlanPoint home = UnitHome(service, gate, nullptr);
    const f32 eastLink[][2] = {{EAST_LINK_X - 15.0f, BACK_ROAD_Z}, {EAST_LINK_X, BACK_ROAD_Z - 15.0f},
                               {EAST_LINK_X, FRONT_ROAD_Z + 15.0f}, {EAST_LINK_X - 15.0f, FRONT_ROAD_Z}};
    TPlanPath corners = {home};
    switch (HomeOf(service))
    {
    case EHome::Garage:
        corners.insert(corners.end(), {P(home.x, GARAGE_EXIT_Z), P(EAST_LINK_X + 10.0f, GARAGE_EXIT_Z),
                                       P(EAST_LINK_X - 15.0f, FRONT_ROAD_Z)});
        break;
    case EHome::Yard1:
    case EHome::Yard2:
    {
        // The turn east onto the back road is cut at 45 degrees: the jointed bus overshoots a
        // square one into the terminal's back wall.
        const f32 exitX = HomeOf(service) == EHome::Yard1 ? YARD_1_EXIT_X : YARD_2_EXIT_X;
        corners.insert(corners.end(), {P(home.x, YARD_EXIT_Z), P(exitX, YARD_EXIT_Z), P(exitX, BACK_ROAD_Z + YARD_EXIT_CUT),
                                       P(exitX + YARD_EXIT_CUT, BACK_ROAD_Z)});
        for (const auto& c : eastLink)
            corners.push_back(P(c[0], c[1]));
        break;
    }
    case EHome::Terminal:
        break;
    }
    corners.push_back(P(toX, FRONT_ROAD_Z));
    return corners;
}

// From the front road at x, heading west, round the loop to a home (ending there).
TPlanPath ToHome(u32 service, u32 gate, f32 fromX)
{
    const TPlanPoint home = UnitHome(service, gate, nullptr);
    TPlanPath corners = {P(fromX, FRONT_ROAD_Z), P(WEST_LINK_X, FRONT_ROAD_Z), P(WEST_LINK_X, BACK_ROAD_Z)};
    switch (HomeOf(service))
    {
    case EHome::Garage:
        corners.insert(corners.end(), {P(EAST_LINK_X - 25.0f, BACK_ROAD_Z), P(EAST_LINK_X + 15.0f, GARAGE_ENTRY_Z),
                                       P(home.x, GARAGE_ENTRY_Z), home});
        break;
    case EHome::Yard1:
    case EHome::Yard2:
    {
        const f32 entryX =
            HomeOf(service) == EHome::Yard1 ? AerodromePlan::CROSSROAD_YARD_1.x : AerodromePlan::CROSSROAD_YARD_2.x;
        // Into the home's lane at 45 degrees, as out of the yard, across the lanes before it
        // (their units wait hidden, without bodies) so that the far rows' long vehicles come in
        // on a straight run.
        const f32 cut =
            std::min(std::max(YARD_HOME_CUT, home.z - YARD_ENTRY_Z - YARD_HOME_STRAIGHT), entryX - home.x);
        corners.insert(corners.end(), {P(entryX - 12.0f, BACK_ROAD_Z), P(entryX, BACK_ROAD_Z + 12.0f),
                                       P(entryX, YARD_ENTRY_Z), P(home.x + cut, YARD_ENTRY_Z),
                                       P(home.x, YARD_ENTRY_Z + cut), home});
        break;
    }
    case EHome::Terminal:
        corners.push_back(home);
        break;
    }
    return corners;
}

// From the front road into a stand's row (entering from the east gap) to the service's place.
TPlanPath IntoRow(u32 service, u32 gate)
{
    const TPlanPoint stand = StandPosition(gate);
    const TServiceRow row = kRow[service];
    TPlanPath corners = {P(stand.x + 56.0f, FRONT_ROAD_Z), P(stand.x + 46.0f, FRONT_ROAD_Z)};
    if (row.fZ < STAND_Z)
        corners.push_back(P(stand.x + 42.0f, STAND_Z + 10.0f));
    corners.push_back(P(stand.x + 40.0f, row.fZ));
    corners.push_back(P(stand.x + row.fX, row.fZ));
    return corners;
}

// From the west end of a row (z) at a stand out through the west gap onto the front road.
TPlanPath RowExit(f32 rowZ, u32 gate)
{
    const TPlanPoint stand = StandPosition(gate);
    TPlanPath corners = {P(stand.x - 50.0f, rowZ)};
    if (rowZ < STAND_Z)
        corners.push_back(P(stand.x - 52.0f, STAND_Z + 10.0f));
    corners.insert(corners.end(), {P(stand.x - 54.0f, FRONT_ROAD_Z - 6.0f), P(stand.x - 60.0f, FRONT_ROAD_Z),
                                   P(stand.x - 70.0f, FRONT_ROAD_Z)});
    return corners;
}

// From a service's place along its row out through the west gap onto the front road.
TPlanPath OutOfRow(u32 service, u32 gate)
{
    const TServiceRow row = kRow[service];
    TPlanPath corners = {P(StandPosition(gate).x + row.fX, row.fZ)};
    Append(corners, RowExit(row.fZ, gate));
    return corners;
}

// The cargo door of the aircraft at a stand, and the way a loader reaches it from row -74
// (facing north: square to the aircraft).
TPlanPoint CargoDoor(u32 gate)
{
    // The aircraft faces west: its z is -x, its x is +z.
    const TPlanPoint stand = StandPosition(gate);
    return P(stand.x - CARGO_DOOR_FORWARD, stand.z - CARGO_DOOR_SIDE);
}

TPlanPath Round(const TPlanPath& corners, f32 radius = ROAD_CORNER)
{
    return RoundCorners(corners, radius);
}
} // namespace

TPlanPoint StandPosition(u32 gate)
{
    return P(STAND_FIRST_X - STAND_SPACING * static_cast<f32>(gate - 1), STAND_Z);
}

TPlanPoint UnitHome(u32 service, u32 gate, f32* heading)
{
    const u32 column = gate - 1;
    const u32 index = HomeIndex(service);
    f32 facing = 180.0f;
    TPlanPoint home{};
    switch (HomeOf(service))
    {
    case EHome::Garage:
        home = P(GARAGE_FIRST_X + GARAGE_STEP * static_cast<f32>(column),
                 GARAGE_FIRST_Z + GARAGE_STEP * static_cast<f32>(index));
        break;
    case EHome::Yard1:
        home = P(YARD_1_FIRST_X + YARD_STEP * static_cast<f32>(column), YARD_FIRST_Z + YARD_STEP * static_cast<f32>(index));
        break;
    case EHome::Yard2:
        home = P(YARD_2_FIRST_X + YARD_STEP * static_cast<f32>(column), YARD_FIRST_Z + YARD_STEP * static_cast<f32>(index));
        break;
    case EHome::Terminal:
        home = P(StandPosition(gate).x - TUNNEL_FROM_NOSE, TUNNEL_HOME_Z);
        break;
    }
    if (heading)
        *heading = facing;
    return home;
}

TPlanPath UnitPath(u32 service, u32 gate, u32 which)
{
    const TPlanPoint stand = StandPosition(gate);
    TPlanPath corners;
    switch (service)
    {
    case SERVICE_TUNNEL:
    {
        const TPlanPoint home = UnitHome(service, gate, nullptr);
        if (which == 0)
            return Round({home, P(home.x, TUNNEL_DOOR_Z)});
        // Turned round beside the door and back to the terminal's face, the last stretch
        // straight: tracks coming in at a slant swing past their end into the terminal.
        return Round({P(home.x, TUNNEL_DOOR_Z), P(home.x - 6.0f, TUNNEL_DOOR_Z + 5.0f), P(home.x - 7.0f, -20.0f),
                      P(home.x, -12.0f), home},
                     4.0f);
    }
    case SERVICE_TAXI:
        if (which == 0)
        {
            // Before the nose, where the aircraft will leave.
            corners = FromHome(service, gate, stand.x - 20.0f);
            Append(corners, {P(stand.x - 28.0f, FRONT_ROAD_Z - 10.0f), P(stand.x - 30.0f, STAND_Z + 4.0f)});
            return Round(corners);
        }
        // From the taxi end north across the apron's east edge onto the front road.
        corners = {TAXI_END, P(TAXI_END.x + 20.0f, TAXI_END.z + 20.0f), P(TAXI_END.x + 20.0f, FRONT_ROAD_Z - 20.0f),
                   P(TAXI_END.x, FRONT_ROAD_Z)};
        Append(corners, ToHome(service, gate, TAXI_END.x - 20.0f));
        return Round(corners);
    case SERVICE_CARGO_LOAD:
        if (which == 0)
        {
            // To the storage, in through yard 2's crossroad.
            corners = FromHome(service, gate, WEST_LINK_X + 20.0f);
            Append(corners, {P(WEST_LINK_X, FRONT_ROAD_Z), P(WEST_LINK_X, BACK_ROAD_Z),
                             P(CROSSROAD_YARD_2.x - 12.0f, BACK_ROAD_Z), P(CROSSROAD_YARD_2.x, BACK_ROAD_Z + 12.0f),
                             CARGO_STORAGE});
            return Round(corners);
        }
        // From the cargo door back out along row -74.
        corners = {CargoDoor(gate), P(CargoDoor(gate).x, -66.0f), P(CargoDoor(gate).x - 10.0f, kRow[service].fZ)};
        Append(corners, RowExit(kRow[service].fZ, gate));
        Append(corners, ToHome(service, gate, stand.x - 80.0f));
        return Round(corners);
    case SERVICE_CARGO_UNLOAD:
        if (which == 0)
        {
            corners = FromHome(service, gate, stand.x + 60.0f);
            Append(corners, IntoRow(service, gate));
            corners.push_back(CargoDoor(gate));
            return Round(corners);
        }
        // From the storage out through yard 2's crossroad, round to the garage.
        corners = {CARGO_STORAGE, P(CARGO_STORAGE.x + 6.0f, CARGO_STORAGE.z - 10.0f),
                   P(CARGO_STORAGE.x + 6.0f, YARD_ENTRY_Z + 2.0f), P(CARGO_STORAGE.x, YARD_EXIT_Z),
                   P(YARD_2_EXIT_X, YARD_EXIT_Z), P(YARD_2_EXIT_X, BACK_ROAD_Z)};
        {
            const TPlanPoint home = UnitHome(service, gate, nullptr);
            Append(corners, {P(EAST_LINK_X - 25.0f, BACK_ROAD_Z), P(EAST_LINK_X + 15.0f, GARAGE_ENTRY_Z),
                             P(home.x, GARAGE_ENTRY_Z), home});
        }
        return Round(corners);
    case SERVICE_BUS_OUT:
    case SERVICE_BUS_IN:
        if (which == 1)
        {
            // Out of the row north onto the front road before the jet bridge, which stands
            // across the row's way west until the aircraft is loaded.
            const TServiceRow row = kRow[service];
            corners = {P(stand.x + row.fX, row.fZ), P(stand.x + BUS_TURN_OUT_X, row.fZ),
                       P(stand.x + BUS_TURN_OUT_X - (FRONT_ROAD_Z - row.fZ), FRONT_ROAD_Z)};
            Append(corners, ToHome(service, gate, stand.x - 2.0f * TUNNEL_FROM_NOSE));
            return Round(corners);
        }
        [[fallthrough]];
    default:
        if (which == 0)
        {
            corners = FromHome(service, gate, stand.x + 60.0f);
            Append(corners, IntoRow(service, gate));
            return Round(corners);
        }
        corners = OutOfRow(service, gate);
        Append(corners, ToHome(service, gate, stand.x - 80.0f));
        return Round(corners);
    }
}

TPlanPath FirstPath()
{
    TPlanPath corners = {LANDING_END, P(LANDING_END.x + 80.0f, LANDING_END.z),
                         P(LANDING_END.x + 80.0f, TAXIWAY_A_Z)};
    for (u32 zone = PLAN_ZONE_COUNT; zone-- > 0;)
        corners.push_back(LandingZone(zone));
    // On beyond zone 0, where the aircraft holds.
    corners.push_back(P(LandingZone(0).x - 40.0f, TAXIWAY_A_Z));
    return RoundCorners(corners, AIRCRAFT_CORNER);
}

TPlanPath ArrivalPath(u32 gate)
{
    // Along A, north up the gap east of the stand, west into it, straight for a length before
    // its middle stands on the stand.
    const TPlanPoint stand = StandPosition(gate);
    return RoundCorners({LandingZone(0), P(stand.x + 55.0f, TAXIWAY_A_Z), P(stand.x + 55.0f, STAND_Z),
                         P(stand.x - AIRCRAFT_DRIVE_LEAD, STAND_Z)},
                        20.0f);
}

TPlanPath TaxiPath(u32 gate)
{
    const TPlanPoint stand = StandPosition(gate);
    TPlanPath corners = {stand, P(stand.x - 42.0f, STAND_Z), P(stand.x - 42.0f, TAXIWAY_D_Z), TAXI_END,
                         P(TAXI_END.x + 30.0f, TAXIWAY_D_Z)};
    return RoundCorners(corners, 20.0f);
}

TPlanPath DeparturePath()
{
    TPlanPath corners = {TAXI_END, TAKE_OFF_QUEUE_ENTRY};
    for (u32 zone = PLAN_ZONE_COUNT; zone-- > 0;)
        corners.push_back(TakeOffZone(zone));
    corners.push_back(P(LANDING_END.x - 80.0f, TAXIWAY_D_Z));
    corners.push_back(P(LANDING_END.x - 30.0f, LANDING_END.z));
    corners.push_back(LANDING_END);
    return RoundCorners(corners, AIRCRAFT_CORNER);
}

TPlanPoint LandingZone(u32 zone)
{
    // Zone 0 nearest the gates, 200 apart eastwards.
    return P(480.0f + 200.0f * static_cast<f32>(zone), TAXIWAY_A_Z);
}

TPlanPoint TakeOffZone(u32 zone)
{
    // Zone 0 nearest the runway, 150 apart westwards.
    return P(1200.0f - 150.0f * static_cast<f32>(zone), TAXIWAY_D_Z);
}

TPlanPath PublicRoad()
{
    TPlanPath corners = {P(-700.0f, 260.0f), P(900.0f, 260.0f), P(900.0f, 380.0f), P(-700.0f, 380.0f),
                         P(-700.0f, 260.0f)};
    TPlanPath loop = RoundCorners(corners, 40.0f);
    // Closed: the last point is the first.
    loop.back() = loop.front();
    return loop;
}

std::vector<TPlanPath> PowerLines()
{
    std::vector<TPlanPath> lines(3);
    // Pylons tall enough that the wires' sag (half the game's 45 at mid-span) clears the ground.
    // North to the far hills: 12 poles, the last past 7000 from the apron.
    for (u32 i = 0; i < 12; ++i)
        lines[0].push_back({1100.0f + 30.0f * static_cast<f32>(i), 34.0f, 500.0f + 650.0f * static_cast<f32>(i)});
    // Along the east fence: 8 poles.
    for (u32 i = 0; i < 8; ++i)
        lines[1].push_back({2900.0f, 32.0f, -700.0f + 200.0f * static_cast<f32>(i)});
    // West, behind the cargo yard: 6 poles.
    for (u32 i = 0; i < 6; ++i)
        lines[2].push_back({-600.0f - 180.0f * static_cast<f32>(i), 32.0f, 160.0f + 40.0f * static_cast<f32>(i)});
    return lines;
}

std::vector<TPlanStrip> TaxiwayStrips()
{
    const f32 halfRunway = RUNWAY_LENGTH * 0.5f;
    std::vector<TPlanStrip> strips = {
        {{P(RUNWAY_CENTRE.x - halfRunway, RUNWAY_CENTRE.z), P(RUNWAY_CENTRE.x + halfRunway, RUNWAY_CENTRE.z)},
         RUNWAY_WIDTH},
        {FirstPath(), TAXIWAY_WIDTH},
        {{LandingZone(0), P(StandPosition(PLAN_GATE_COUNT).x, TAXIWAY_A_Z)}, TAXIWAY_WIDTH},
        {{P(StandPosition(PLAN_GATE_COUNT).x - 42.0f, TAXIWAY_D_Z), TAXI_END}, TAXIWAY_WIDTH},
        {DeparturePath(), TAXIWAY_WIDTH},
    };
    // Each stand's way out across the grass between the two taxiways.
    for (u32 gate = 1; gate <= PLAN_GATE_COUNT; ++gate)
        strips.push_back({TaxiPath(gate), TAXIWAY_WIDTH * 0.7f});
    return strips;
}

std::vector<TPlanStrip> RoadStrips()
{
    std::vector<TPlanStrip> strips;
    // The loop, the links to the garage yard and the two yards' roads.
    strips.push_back({Round({P(EAST_LINK_X - 15.0f, FRONT_ROAD_Z), P(WEST_LINK_X, FRONT_ROAD_Z), P(WEST_LINK_X, BACK_ROAD_Z),
                             P(EAST_LINK_X, BACK_ROAD_Z), P(EAST_LINK_X, FRONT_ROAD_Z), P(EAST_LINK_X - 15.0f, FRONT_ROAD_Z)},
                            20.0f),
                      ROAD_WIDTH});
    strips.push_back({{P(EAST_LINK_X, GARAGE_EXIT_Z), P(GARAGE_FIRST_X + 8.0f * GARAGE_STEP, GARAGE_EXIT_Z)}, 6.0f});
    strips.push_back({Round({P(EAST_LINK_X - 25.0f, BACK_ROAD_Z), P(EAST_LINK_X + 15.0f, GARAGE_ENTRY_Z),
                             P(GARAGE_FIRST_X + 8.0f * GARAGE_STEP, GARAGE_ENTRY_Z)}),
                      6.0f});
    for (const auto& [crossroad, firstX, exitX] :
         {std::tuple{CROSSROAD_YARD_1, YARD_1_FIRST_X, YARD_1_EXIT_X}, std::tuple{CROSSROAD_YARD_2, YARD_2_FIRST_X, YARD_2_EXIT_X}})
    {
        strips.push_back({{P(firstX, YARD_EXIT_Z), P(exitX, YARD_EXIT_Z), P(exitX, BACK_ROAD_Z)}, 6.0f});
        strips.push_back({{P(crossroad.x, BACK_ROAD_Z), P(crossroad.x, YARD_ENTRY_Z), P(firstX, YARD_ENTRY_Z)}, 6.0f});
    }
    strips.push_back({{P(CROSSROAD_YARD_2.x, YARD_ENTRY_Z), CARGO_STORAGE}, 6.0f});
    strips.push_back({PublicRoad(), 9.0f});
    return strips;
}

f32 PlanDistance(const TPlanPoint& a, const TPlanPoint& b)
{
    const f32 dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

f32 DistanceToPath(const TPlanPoint& p, const TPlanPath& path)
{
    f32 best = path.empty() ? 1e30f : PlanDistance(P(p.x, p.z), P(path[0].x, path[0].z));
    for (size_t i = 1; i < path.size(); ++i)
    {
        const f32 ax = path[i - 1].x, az = path[i - 1].z;
        const f32 dx = path[i].x - ax, dz = path[i].z - az;
        const f32 length = dx * dx + dz * dz;
        const f32 t = length > 0.0f ? std::clamp(((p.x - ax) * dx + (p.z - az) * dz) / length, 0.0f, 1.0f) : 0.0f;
        const f32 ex = ax + dx * t - p.x, ez = az + dz * t - p.z;
        best = std::min(best, std::sqrt(ex * ex + ez * ez));
    }
    return best;
}

TPlanPath RoundCorners(const TPlanPath& corners, f32 radius)
{
    if (corners.size() < 3)
        return corners;
    TPlanPath path = {corners.front()};
    for (size_t i = 1; i + 1 < corners.size(); ++i)
    {
        const TPlanPoint& a = corners[i - 1];
        const TPlanPoint& b = corners[i];
        const TPlanPoint& c = corners[i + 1];
        const f32 inX = b.x - a.x, inZ = b.z - a.z, outX = c.x - b.x, outZ = c.z - b.z;
        const f32 inLength = std::sqrt(inX * inX + inZ * inZ), outLength = std::sqrt(outX * outX + outZ * outZ);
        if (inLength < 0.01f || outLength < 0.01f)
            continue;
        const f32 cosTurn = std::clamp((inX * outX + inZ * outZ) / (inLength * outLength), -1.0f, 1.0f);
        const f32 turn = std::acos(cosTurn);
        if (turn < 0.01f)
        {
            path.push_back(b);
            continue;
        }
        // The arc's tangent points lie this far from the corner; each may take half a leg.
        f32 r = radius;
        f32 back = r * std::tan(turn * 0.5f);
        const f32 room = std::min(inLength, outLength) * 0.5f;
        if (back > room)
        {
            back = room;
            r = back / std::tan(turn * 0.5f);
        }
        const TPlanPoint from = P(b.x - inX / inLength * back, b.z - inZ / inLength * back);
        const TPlanPoint to = P(b.x + outX / outLength * back, b.z + outZ / outLength * back);
        const u32 steps = std::max(2u, static_cast<u32>(turn * r / 4.0f) + 1u);
        // A quadratic curve through the corner stands in for the arc.
        for (u32 s = 0; s <= steps; ++s)
        {
            const f32 t = static_cast<f32>(s) / static_cast<f32>(steps);
            const f32 u = 1.0f - t;
            path.push_back(P(u * u * from.x + 2.0f * u * t * b.x + t * t * to.x,
                             u * u * from.z + 2.0f * u * t * b.z + t * t * to.z));
        }
    }
    path.push_back(corners.back());
    TPlanPath clean;
    Append(clean, path);
    return clean;
}

f32 PathLength(const TPlanPath& path)
{
    f32 length = 0.0f;
    for (size_t i = 1; i < path.size(); ++i)
        length += PlanDistance(P(path[i - 1].x, path[i - 1].z), P(path[i].x, path[i].z));
    return length;
}

#pragma once
// The aerodrome's damageable props: striped barriers along the apron's front road and floodlight
// poles between the stands. Each is a prop with a damage actor on its node, whose two children
// are its damage states: standing (shown) and knocked down (hidden until its health falls below
// half).
#include "core/system/types.h"

class TAerodromeBuilder;
class TClusterManager;

constexpr u32 AERODROME_BARRIERS = 4;
constexpr u32 AERODROME_LIGHT_POLES = 4;
// Node names, numbered from 1.
constexpr const char* AERODROME_BARRIER = "apron_barrier_%u";
constexpr const char* AERODROME_LIGHT_POLE = "apron_light_pole_%u";
// The health ratio below which a prop shows its knocked-down state.
constexpr f32 AERODROME_DAMAGE_THRESHOLD = 0.5f;

// Adds the records and the damage manager after count; answers the new count.
i32 AddAerodromeDamage(TAerodromeBuilder& builder, TClusterManager** managers, i32 count);

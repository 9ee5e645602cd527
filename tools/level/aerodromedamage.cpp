#include "aerodromedamage.h"
#include "aerodromebuilder.h"
#include "aerodromeplan.h"

#include "core/system/string.h"
#include "engine/system/node.h"
#include "engine/system/prop.h"
#include "engine/system/propmanager.h"
#include "igame/damage/damageactor.h"
#include "igame/damage/damagemanager.h"
#include "levelmeshes.h"

#include <vector>

using namespace AerodromePlan;

namespace
{
// Barriers stand on the apron's side of the front road, poles between the stands' noses.
constexpr f32 BARRIER_Z = FRONT_ROAD_Z - 8.0f;
constexpr f32 LIGHT_POLE_Z = STAND_Z - 34.0f;
constexpr f32 LIGHT_POLE_HEIGHT = 14.0f;

struct TDamageLook
{
    const char* szName;
    f32 fMaxHealth;
    std::vector<TLitVertex> Standing;
    std::vector<TLitVertex> Down;
};

std::vector<TLitVertex> Moved(std::vector<TLitVertex> box, f32 x, f32 y, f32 z)
{
    for (TLitVertex& v : box)
    {
        v.x += x;
        v.y += y;
        v.z += z;
    }
    return box;
}

std::vector<TLitVertex> Joined(std::vector<TLitVertex> a, const std::vector<TLitVertex>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A prop of two damage states at the place.
void AddProp(TAerodromeBuilder& builder, const TDamageLook& look, u32 number, f32 x, f32 z, TMaterial* material)
{
    const std::string name = StringFormat(look.szName, number);
    TNode* base = builder.AddNode(name.c_str(), nullptr, Placement(x, 0.0f, z));
    TNode* standing = builder.AddNode((name + "_standing").c_str(), base, Placement(0.0f, 0.0f, 0.0f));
    TNode* down = builder.AddNode((name + "_down").c_str(), base, Placement(0.0f, 0.0f, 0.0f));
    builder.AddMesh(standing, builder.MeshData((name + "_standing").c_str(), look.Standing, material));
    builder.AddMesh(down, builder.MeshData((name + "_down").c_str(), look.Down, material));
    down->Enable(0, 0);

    TProp& prop = builder.Make<TProp>();
    base->AddObject(&prop);
    g_pPropManager->Props().Add(&prop);
    TDamageActor& actor = builder.Make<TDamageActor>();
    actor.maxHealth = look.fMaxHealth;
    actor.health = look.fMaxHealth;
    actor.directFactor1 = actor.splashFactor1 = actor.falloff1 = 1.0f;
    actor.aNode.Add(standing);
    actor.aNode.Add(down);
    actor.aThreshold.Add(AERODROME_DAMAGE_THRESHOLD);
    actor.aThreshold.Add(0.0f);
    actor.state = 0;
    base->AddObject(&actor);
    g_pDamageManager->Actors().Add(&actor);
}
} // namespace

i32 AddAerodromeDamage(TAerodromeBuilder& builder, TClusterManager** managers, i32 count)
{
    // A low striped block, and the same block tipped onto its side.
    const TDamageLook barrier = {AERODROME_BARRIER, 60.0f, Joined(LitBox(1.5f, 0.45f, 0.3f, 1.0f),
                                                                   Moved(LitBox(1.5f, 0.08f, 0.31f, 1.0f), 0.0f, 0.3f, 0.0f)),
                                 Moved(LitBox(1.5f, 0.3f, 0.45f, 1.0f), 0.0f, 0.0f, 0.5f)};
    // A mast with its lamp head, and the mast fallen with a stump left.
    const TDamageLook pole = {AERODROME_LIGHT_POLE, 150.0f,
                              Joined(LitBox(0.25f, 0.5f * LIGHT_POLE_HEIGHT, 0.25f, 2.0f),
                                     Moved(LitBox(1.2f, 0.3f, 0.6f, 2.0f), 0.0f, LIGHT_POLE_HEIGHT, 0.0f)),
                              Joined(LitBox(0.3f, 0.6f, 0.3f, 2.0f),
                                     Moved(LitBox(0.25f, 0.25f, 0.5f * LIGHT_POLE_HEIGHT, 2.0f), 0.0f, 0.0f,
                                           0.5f * LIGHT_POLE_HEIGHT + 0.5f))};
    TMaterial* red = builder.ColourMaterial("barrier_paint", 0xFFC8281E);
    TMaterial* grey = builder.ColourMaterial("light_pole_steel", 0xFF8C9096);
    for (u32 i = 1; i <= AERODROME_BARRIERS; ++i)
        AddProp(builder, barrier, i, StandPosition(i).x - 0.5f * STAND_SPACING, BARRIER_Z, red);
    for (u32 i = 1; i <= AERODROME_LIGHT_POLES; ++i)
        AddProp(builder, pole, i, StandPosition(2 * i - 1).x - 0.5f * STAND_SPACING, LIGHT_POLE_Z, grey);
    managers[count++] = g_pDamageManager;
    return count;
}

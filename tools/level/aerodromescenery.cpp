#include "aerodromescenery.h"
#include "aerodromebuilder.h"
#include "aerodromecurves.h"

#include "core/system/string.h"
#include "directx/render/dxmaterialmanager.h"
#include "directx/render/dxmeshmanager.h"
#include "directx/render/dxshadermanager.h"
#include "engine/render/light.h"
#include "engine/render/material.h"
#include "engine/render/mesh.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"
#include "igame/effects/atmospheremanager.h"
#include "levelatmosphere.h"
#include "levelmeshes.h"
#include "morvane/game/gameparameters.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/game/gamelogicmanager.h"

#include <cmath>

namespace
{
constexpr u32 CAR_MESHES = 4;
const u32 kCarColour[CAR_MESHES] = {0xFFB02020, 0xFF2050B0, 0xFFE0E0E0, 0xFF303030};
constexpr f32 POLE_HALF_WIDTH = 0.3f;

// A car of the traffic shader's layout: a box of coloured faces, lit from above.
std::vector<TMeshVertex> Car(u32 colour)
{
    const u32 r = (colour >> 16) & 0xFF, g = (colour >> 8) & 0xFF, b = colour & 0xFF;
    const auto shade = [&](u32 percent) {
        return 0xFF000000u | (r * percent / 100 << 16) | (g * percent / 100 << 8) | (b * percent / 100);
    };
    std::vector<TMeshVertex> v;
    const f32 hx = 0.9f, hy = 0.7f, hz = 2.2f;
    const TVector x(hx, 0, 0, 0), y(0, hy, 0, 0), z(0, 0, hz, 0);
    AddFace(v, TVector(0, hy, -hz, 0), x, y, shade(70));
    AddFace(v, TVector(0, hy, hz, 0), x.Negated(), y, shade(70));
    AddFace(v, TVector(hx, hy, 0, 0), z, y, shade(85));
    AddFace(v, TVector(-hx, hy, 0, 0), z.Negated(), y, shade(85));
    AddFace(v, TVector(0, 2.0f * hy, 0, 0), x, z, shade(100));
    return v;
}

void AddTraffic(TAerodromeBuilder& builder, TGameParameters& parameters)
{
    TCurvePoolBuilder road;
    const i32 curve = road.Add(PublicRoad());
    road.Write(builder, "TrafficCurve");
    const TPlanPath& loop = road.GetCurve(static_cast<u32>(curve));

    TMaterial* material = g_pDxMaterialManager->CreateMaterial(TName("traffic_car", true));
    material->pShader = g_pDxShaderManager->FindShader(TName("Shader_mesh", true));
    material->aTexture[0] = MakeTexture(builder.Writer(), "traffic_white", 2, 2, std::vector<u32>(4, 0xFFFFFFFF));
    parameters.pTrafficShader = material->pShader;
    for (u32 i = 0; i < CAR_MESHES; ++i)
    {
        TMesh* mesh = g_pDxMeshManager->CreateMesh(nullptr);
        mesh->pMeshData = MakeMeshData(builder.Writer(), StringFormat("traffic_car_%u", i), Car(kCarColour[i]), material);
        parameters.aCarMesh.Add(mesh);
    }
    // Spread round the loop; a car takes up its segment's run at the first frame.
    const u32 segments = static_cast<u32>(loop.size() - 1);
    for (u32 i = 0; i < AERODROME_TRAFFIC_CARS; ++i)
    {
        TTrafficVehicle& car = builder.Make<TTrafficVehicle>();
        car.nCurve = static_cast<u8>(curve);
        car.nSegment = static_cast<u8>(i * segments / AERODROME_TRAFFIC_CARS);
        car.fSpeed = 12.0f + static_cast<f32>(i % 3) * 2.0f;
        car.World = TMatrix(1.0f);
        car.pMesh = parameters.aCarMesh[i % CAR_MESHES];
        g_pGameLogicManager->TrafficVehicles().Add(&car);
    }
}

void AddPowerLines(TAerodromeBuilder& builder)
{
    TNode* lines = builder.AddNode("PowerLineCurves", nullptr, Placement(0.0f, 0.0f, 0.0f));
    TNode* poles = builder.AddNode("power_poles", nullptr, Placement(0.0f, 0.0f, 0.0f));
    std::vector<TLitVertex> quads;
    u32 index = 0;
    for (const TPlanPath& line : PowerLines())
    {
        TNode* node = builder.AddNode(StringFormat("power_line_%u", ++index), lines, Placement(0.0f, 0.0f, 0.0f));
        for (const TPlanPoint& pole : line)
        {
            TUserData point;
            const f32 at[4] = {pole.x, pole.y, pole.z, 1.0f};
            std::memcpy(point.aWord, at, sizeof at);
            node->aUserData.Add(point);
            // Each pole a slim box up to the wires with a cross-arm.
            for (const TVector& box : {TVector(POLE_HALF_WIDTH, pole.y * 0.5f, POLE_HALF_WIDTH, 0.0f),
                                       TVector(2.0f, 0.15f, 0.15f, pole.y - 0.3f)})
            {
                std::vector<TLitVertex> part = LitBox(box.x, box.y, box.z, 4.0f);
                for (TLitVertex& v : part)
                {
                    v.x += pole.x;
                    v.y += box.w;
                    v.z += pole.z;
                }
                quads.insert(quads.end(), part.begin(), part.end());
            }
        }
        node->m_nUserDataFlag = 1;
    }
    builder.AddMesh(poles, builder.MeshData("power_poles", quads, builder.ColourMaterial("pole_wood", 0xFF6A5238)));
}

void AddSky(TAerodromeBuilder& builder)
{
    TAtmosphere& day = builder.Make<TAtmosphere>();
    TAtmosphere& rain = builder.Make<TAtmosphere>();
    builder.AddNode("atmosphere_day", nullptr, Placement(0.0f, -3.0f, 0.0f))->AddObject(&day);
    builder.AddNode("atmosphere_rain", nullptr, Placement(0.0f, -3.0f, 0.0f))->AddObject(&rain);
    TAtmosphereChange& change = builder.Make<TAtmosphereChange>();
    change.pDay = &day;
    change.pNight = &rain;
    change.m_fDuration = AERODROME_RAIN_BLEND;
    AddDynamicSky(builder.Writer(), day, rain, g_pNodeManager->FindNode(TName("sun").GetId()));
    AddRainLights(change, builder.Make<TLight>(), builder.Level());
    g_pAtmosphereManager->Atmospheres().Add(&day);
    g_pAtmosphereManager->Atmospheres().Add(&rain);
    g_pAtmosphereManager->Changes().Add(&change);
}
} // namespace

i32 AddAerodromeScenery(TAerodromeBuilder& builder, TGameParameters& parameters, TClusterManager** managers, i32 count)
{
    AddTraffic(builder, parameters);
    AddPowerLines(builder);
    AddSky(builder);
    managers[count++] = g_pAtmosphereManager;
    return count;
}

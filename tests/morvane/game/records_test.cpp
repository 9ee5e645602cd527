// The game's stored records: names, the stored types and their reference fields, defaults, and
// what a load does with records that break the tables' limits.
#include "gamefixture.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gameenums.h"
#include "morvane/game/gametypes.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/game/helpcategory.h"
#include "ui/uiicon.h"
#include "ui/uistyle.h"

#include <cstring>

namespace
{
std::string TaskName(i32 type)
{
    TGameName name;
    GetTaskTypeName(type, name);
    return name.GetText();
}

std::string StateName(i32 state)
{
    TGameName name;
    GetGateStateName(state, name);
    return name.GetText();
}

// The reference fields of a stored type as (offset, type, count, name).
struct TField
{
    u32 nOffset;
    u32 nType;
    u32 nCount;
    std::string Name;
    bool operator==(const TField&) const = default;
};

std::vector<TField> Fields(const TClusterTypeDecl& decl)
{
    std::vector<TField> fields;
    for (u32 i = 0; i < decl.GetMemberCount(); ++i)
    {
        const TClusterMemberDecl& member = decl.GetMember(i);
        fields.push_back({member.nOffset, member.nTypeId, member.nCount, member.szName});
    }
    return fields;
}

// A stored count beyond the table, as a damaged record carries it.
template <class TArray> void StoreCount(TArray& array, u32 count)
{
    std::memcpy(static_cast<void*>(&array), &count, 4);
}
} // namespace

TEST(GameNames, EveryValueHasItsNameAndTheRestAreUnknown)
{
    const std::tuple<i32, const char*, const char*> cases[] = {
        {-1, "???", "???"}, {0, "gtDeployMaintenance", "gsIdle"}, {8, "gtLuggageToGate", "gsTakeOff"},
        {9, "gtLuggageToGarage", "???"}, {32, "gtCargoStorageToGarage", "???"}, {33, "???", "???"}};
    for (const auto& [value, task, state] : cases)
    {
        EXPECT_EQ(TaskName(value), task) << value;
        EXPECT_EQ(StateName(value), state) << value;
    }
}

TEST(GameTypes, EachTypeHasItsIdSizeAndReferenceFields)
{
    g_pCluster->LinkTypes();
    const std::pair<u32, u32> types[] = {{156, 168}, {157, 112}, {158, 312}, {159, 84}, {160, 152},
                                         {161, 348}, {162, 88},  {163, 28},  {164, 560}, {165, 28},
                                         {166, 328}, {175, 148}, {106, 88},  {107, 288}};
    for (const auto& [id, size] : types)
    {
        const TClusterTypeDecl* decl = g_pCluster->GetSlot(id).pDecl;
        ASSERT_NE(decl, nullptr) << id;
        EXPECT_EQ(decl->GetTypeId(), id);
        EXPECT_EQ(decl->GetObjectSize(), size) << decl->GetName();
    }

    // The wait zones' aircraft inside the parameter record, one field each.
    std::vector<TField> zones;
    for (const TField& field : Fields(GameParametersDecl()))
        if (field.Name.find("WaitZone::pWaitZonePlane") != std::string::npos)
            zones.push_back(field);
    const u32 offsets[] = {96, 124, 152, 180, 208, 244, 272, 300, 328, 356};
    ASSERT_EQ(zones.size(), 10u);
    for (u32 i = 0; i < 10; ++i)
    {
        EXPECT_EQ(zones[i].nOffset, offsets[i]);
        EXPECT_EQ(zones[i].nType, AI_COMMON_UNIT_TYPE_ID);
        EXPECT_EQ(zones[i].Name, i < 5 ? "TLandingWaitZone::pWaitZonePlane" : "TTakeOffWaitZone::pWaitZonePlane");
    }
    EXPECT_EQ(Fields(LandingWaitZoneDecl()), (std::vector<TField>{{24, 158, 1, "pWaitZonePlane"}}));
    EXPECT_EQ(Fields(GameParametersDecl()).front(), (TField{4, 158, 16, "aPlane"}));
    EXPECT_EQ(Fields(GateDecl()), (std::vector<TField>{{52, 0, 36, "aGateTask"}, {208, 158, 1, "pPlane"}}));
    EXPECT_EQ(Fields(TaskDecl()), (std::vector<TField>{{4, 159, 1, "pTaskArea"},
                                                        {8, 161, 1, "pGate"},
                                                        {12, 158, 1, "pAIUnit"},
                                                        {16, 158, 1, "pPlayerVehicle"}}));
    EXPECT_EQ(Fields(AICommonUnitDecl()),
              (std::vector<TField>{{20, 32, 1, "pProp"},         {24, 80, 1, "pBody"},
                                   {28, 80, 1, "pSecBody"},      {32, 116, 1, "pVehicle"},
                                   {36, 156, 1, "pOrbitCamera"}, {40, 159, 1, "pTaskArea"},
                                   {44, 162, 1, "pTask"},        {52, 18, 1, "pVDriveNode"},
                                   {56, 18, 1, "pCargo"},        {124, 53, 1, "pSkeleton"},
                                   {128, 56, 5, "aAnimation"},   {148, 18, 1, "pPlaneSoundLocator"}}));
    EXPECT_EQ(Fields(CrossroadAreaDecl()), (std::vector<TField>{{24, 158, 32, "aAIUnit"}}));
    EXPECT_EQ(Fields(TrafficVehicleDecl()), (std::vector<TField>{{144, 43, 1, "pMesh"}}));
    const std::vector<TField> camera = Fields(OrbitCameraDecl());
    ASSERT_EQ(camera.size(), 10u);
    EXPECT_EQ(camera[0], (TField{4, 18, 1, "TNodeObject::pNode"}));
    EXPECT_EQ(camera[2], (TField{36, 48, 1, "pCamera"}));
    EXPECT_EQ(camera[9], (TField{64, 23, 1, "pZoomOut"}));
    EXPECT_EQ(Fields(CurvePoolDecl()), (std::vector<TField>{{36, 20, 1, "TResource::TResourceLink"},
                                                             {48, 20, 1, "TResource::TResourceLink"}}));
    EXPECT_TRUE(Fields(TaskAreaDecl()).empty());
    EXPECT_TRUE(Fields(HelpCategoryDecl()).empty());
}

using GameRecords = GameTest;

TEST_F(GameRecords, AServiceKindFindsItsDeployTaskAndNothingOutsideTheTable)
{
    TGate& gate = AddGate(1);
    TTask& taxi = AddTask(&gate, gtDeployTaxi);
    TTask& repairs = AddTask(&gate, gtDeployRepairs);
    AddTask(&gate, gtTaxi);
    // A damaged task type that no kind stands for.
    AddTask(&gate, -1);
    EXPECT_EQ((std::vector<TTask*>{gate.GetServiceTask(skTaxi), gate.GetServiceTask(skRepairs),
                                   gate.GetServiceTask(skMaintenance), gate.GetServiceTask(11), gate.GetServiceTask(-1)}),
              (std::vector<TTask*>{&taxi, &repairs, nullptr, nullptr, nullptr}));
    EXPECT_EQ(gate.FindTask(gtTaxi), gate.aGateTask[2]);
    EXPECT_EQ(Game().FindGate(1), &gate);
    EXPECT_EQ(Game().FindGate(2), nullptr);
}

TEST_F(GameRecords, AQueueOfFewerThanFiveZonesIsCompletedAndOneOfMoreCut)
{
    TGameParameters& parameters = m_Parameters;
    parameters.aLandingZone.SetCount(2);
    parameters.aLandingZone[1].fX = 7.0f;
    // Whatever the damaged record held beyond its count.
    std::memset(static_cast<void*>(&parameters.aLandingZone[2]), 0xAB, 3 * sizeof(TLandingWaitZone));
    StoreCount(parameters.aTakeOffZone, 6);
    Game().OnClusterLoad();
    ASSERT_EQ(parameters.aLandingZone.GetCount(), 5u);
    EXPECT_EQ(parameters.aLandingZone[1].fX, 7.0f);
    for (u32 i = 2; i < 5; ++i)
    {
        EXPECT_EQ(parameters.aLandingZone[i].fRadius, 8.0f);
        EXPECT_EQ(parameters.aLandingZone[i].pWaitZonePlane, nullptr);
        EXPECT_EQ(parameters.aLandingZone[i].nEntered, 0);
    }
    EXPECT_EQ(parameters.aTakeOffZone.GetCount(), 5u);
    EXPECT_NE(Log().find("2 landing zones completed to 5"), std::string::npos);
    EXPECT_NE(Log().find("6 take-off zones cut to 5"), std::string::npos);
}

TEST_F(GameRecords, CountsBeyondTheirTablesAreCutAndTheLimitsKept)
{
    TGameParameters& parameters = m_Parameters;
    StoreCount(parameters.aPlane, 17);
    StoreCount(parameters.aCarMesh, 12);
    TGate& full = AddGate(1);
    StoreCount(full.aGateTask, 36);
    TGate& over = AddGate(2);
    StoreCount(over.aGateTask, 37);
    TCrossroadArea crossroads[2] = {};
    StoreCount(crossroads[0].aAIUnit, 32);
    StoreCount(crossroads[1].aAIUnit, 33);
    Game().Crossroads().Add(&crossroads[0]);
    Game().Crossroads().Add(&crossroads[1]);
    Game().OnClusterLoad();
    EXPECT_EQ(parameters.aPlane.GetCount(), 16u);
    EXPECT_EQ(parameters.aCarMesh.GetCount(), 12u);
    EXPECT_EQ(full.aGateTask.GetCount(), 36u);
    EXPECT_EQ(over.aGateTask.GetCount(), 36u);
    EXPECT_EQ(crossroads[0].aAIUnit.GetCount(), 32u);
    EXPECT_EQ(crossroads[1].aAIUnit.GetCount(), 32u);
    for (const auto& [line, count] : {std::pair{"17 aircraft cut to 16", 1u}, {"car meshes cut", 0u},
                                      {"gate 2: 37 entries cut to 36", 1u}, {"gate 1: 36", 0u},
                                      {"crossroad 1: 33 entries cut to 32", 1u}, {"crossroad 0:", 0u}})
        EXPECT_EQ(LogCount(line), count) << line;
}

TEST_F(GameRecords, GateIdsOutsideOneToEightOrRepeatedAndUnitsWithoutPropAreReported)
{
    AddGate(1);
    AddGate(8);
    AddGate(0);
    AddGate(9);
    AddGate(8);
    AddUnit();
    Game().OnClusterLoad();
    for (const auto& [line, count] : {std::pair{"gate 0: the id lies outside 1 to 8", 1u},
                                      {"gate 9: the id lies outside 1 to 8", 1u}, {"gate 1: the id", 0u},
                                      {"gate 8: the id lies", 0u}, {"gate 8: the id is repeated", 1u},
                                      {"unit 0 has no prop: skipped", 1u}})
        EXPECT_EQ(LogCount(line), count) << line;
}

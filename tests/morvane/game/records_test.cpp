// The game's stored records: what a load does with records that break the tables' limits.
#include "gamefixture.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"

#include <cstring>

namespace
{
// A stored count beyond the table, as a damaged record carries it.
template <class TArray> void StoreCount(TArray& array, u32 count)
{
    std::memcpy(static_cast<void*>(&array), &count, 4);
}
} // namespace

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

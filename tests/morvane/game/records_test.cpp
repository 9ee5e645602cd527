// The game's stored records: what a load does with records that break the tables' limits.
#include "gamefixture.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/gameenums.h"

#include <cstring>
#include <tuple>

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

// One load of damaged records: a queue of fewer than five zones completed and one of more cut,
// counts beyond their tables cut (the last that fits kept), gate ids outside 1 to 8 or
// repeated and units without a prop reported.
TEST_F(GameRecords, DamagedRecordsAreCompletedCutOrReportedAtLoad)
{
    TGameParameters& parameters = m_Parameters;
    parameters.aLandingZone.SetCount(2);
    parameters.aLandingZone[1].fX = 7.0f;
    // Whatever the damaged record held beyond its count.
    std::memset(static_cast<void*>(&parameters.aLandingZone[2]), 0xAB, 3 * sizeof(TLandingWaitZone));
    StoreCount(parameters.aTakeOffZone, 6);
    StoreCount(parameters.aPlane, 17);
    StoreCount(parameters.aCarMesh, 12);
    TGate& full = AddGate(1);
    StoreCount(full.aGateTask, 36);
    TGate& over = AddGate(2);
    StoreCount(over.aGateTask, 37);
    for (const i32 id : {8, 0, 9, 8})
        AddGate(id);
    TCrossroadArea crossroads[2] = {};
    StoreCount(crossroads[0].aAIUnit, 32);
    StoreCount(crossroads[1].aAIUnit, 33);
    Game().Crossroads().Add(&crossroads[0]);
    Game().Crossroads().Add(&crossroads[1]);
    AddUnit();
    Game().OnClusterLoad();
    ASSERT_EQ(parameters.aLandingZone.GetCount(), 5u);
    EXPECT_EQ(parameters.aLandingZone[1].fX, 7.0f);
    for (u32 i = 2; i < 5; ++i)
        EXPECT_EQ(std::tuple(parameters.aLandingZone[i].fRadius, parameters.aLandingZone[i].pWaitZonePlane,
                             parameters.aLandingZone[i].nEntered),
                  std::tuple(8.0f, nullptr, 0));
    EXPECT_EQ((std::vector<u32>{parameters.aTakeOffZone.GetCount(), parameters.aPlane.GetCount(),
                                parameters.aCarMesh.GetCount(), full.aGateTask.GetCount(), over.aGateTask.GetCount(),
                                crossroads[0].aAIUnit.GetCount(), crossroads[1].aAIUnit.GetCount()}),
              (std::vector<u32>{5, 16, 12, 36, 36, 32, 32}));
    for (const auto& [line, count] :
         {std::pair{"2 landing zones completed to 5", 1u}, {"6 take-off zones cut to 5", 1u},
          {"17 aircraft cut to 16", 1u}, {"car meshes cut", 0u}, {"gate 2: 37 entries cut to 36", 1u},
          {"gate 1: 36", 0u}, {"crossroad 1: 33 entries cut to 32", 1u}, {"crossroad 0:", 0u},
          {"gate 0: the id lies outside 1 to 8", 1u}, {"gate 9: the id lies outside 1 to 8", 1u},
          {"gate 1: the id", 0u}, {"gate 8: the id lies", 0u}, {"gate 8: the id is repeated", 1u},
          {"unit 0 has no prop: skipped", 1u}})
        EXPECT_EQ(LogCount(line), count) << line;
}

// Gate tasks: the deadline's pay and cost, the player's vehicle's arrival and work, and resets.
#include "gamefixture.h"
#include "morvane/game/gameenums.h"

namespace
{
class Tasks : public GameTest
{
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        SetAutoStart(1);
    }
    void TearDown() override
    {
        SetAutoStart(0);
        GameTest::TearDown();
    }
    static void SetAutoStart(i32 on)
    {
        TCommandManager::Instance().FindVariable(TName("game.autostartaitask"))->SetInt(on);
    }

    // A player's task of gate 1 whose vehicle stands at x = 0, its area at x (radius 2).
    TTask& PlayerTask(f32 areaX, f32 deadline = 30.0f)
    {
        TGate& gate = m_aGate.empty() ? AddGate(1) : m_aGate.front();
        TTask& task = AddTask(&gate, gtDeployMaintenance);
        TAICommonUnit& unit = AddUnit();
        TVehicle& vehicle = AddVehicle("player_car", 0.0f, 0.0f);
        unit.pVehicle = &vehicle;
        unit.pBody = vehicle.pBody;
        task.pPlayerVehicle = &unit;
        task.pTaskArea = &AddArea(areaX, 0.0f, 2.0f);
        task.m_fDeadline = deadline;
        task.m_fBaseWorkTime = 10.0f;
        return task;
    }
};
} // namespace

TEST_F(Tasks, ReachingTheAreaPaysTheSecondsLeftTimesOnePointOneSixTruncatedAndALateOneNothing)
{
    TTask& task = PlayerTask(0.0f);
    task.Start();
    // Truncated, not rounded: 10.9 x 1.16 = 12.64; a late arrival was charged while it drove.
    const std::pair<f32, i32> cases[] = {{10.5f, 12}, {10.9f, 12}, {0.0f, 0}, {-5.0f, 0}};
    for (const auto& [countdown, paid] : cases)
    {
        const i32 before = Money();
        Game().GetParameters().pActiveTask = &task;
        task.m_nArrived = 0;
        task.m_fCountdown = countdown;
        task.ReachArea();
        EXPECT_EQ(Money(), before + paid) << countdown;
        EXPECT_TRUE(task.IsArrived());
        EXPECT_EQ(Game().GetParameters().pActiveTask, nullptr) << "the view goes back to the tower";
    }
}

TEST_F(Tasks, EachSecondLateCostsOneWhileTheVehicleDrives)
{
    TTask& task = PlayerTask(50.0f, 1.0f);
    task.Start();
    EXPECT_EQ(task.m_fCountdown, 1.0f);
    EXPECT_TRUE(task.IsDeploying());
    // 1.0 -> -1.0: the second from 0 to -1 is the first late one; a step from exactly 0 was
    // not yet late before it; money does not wrap.
    const struct
    {
        f32 from, step;
        i32 frames, money;
    } steps[] = {{1.0f, 0.5f, 4, 999}, {-1.0f, 0.25f, 1, 999}, {-1.25f, 0.75f, 1, 998}, {0.0f, 1.0f, 1, 998},
                 {-3.0f, 1.0f, 1, INT_MIN}};
    for (const auto& s : steps)
    {
        if (s.money == INT_MIN)
            Game().GetParameters().nMoney = INT_MIN;
        task.m_fCountdown = s.from;
        for (i32 frame = 0; frame < s.frames; ++frame)
            task.Update(s.step);
        EXPECT_EQ(Money(), s.money) << s.from;
    }
}

TEST_F(Tasks, APlayerVehicleArrivesInTheAreaBelowTwoTenthsOfAKilometrePerHourOnly)
{
    // Backwards as fast is moving as much.
    const struct
    {
        f32 areaX, speed;
        bool arrived;
    } cases[] = {{1.0f, 0.2f, false}, {1.0f, -0.5f, false}, {1.0f, 0.19f, true}, {2.1f, 0.0f, false}};
    for (const auto& c : cases)
    {
        TTask& task = PlayerTask(c.areaX);
        task.Start();
        task.pPlayerVehicle->pVehicle->Parameters.fSpeed = c.speed;
        const i32 before = Money();
        task.Update(0.1f);
        EXPECT_EQ(task.IsArrived(), c.arrived) << c.areaX << " " << c.speed;
        EXPECT_EQ(Money(), before + (c.arrived ? static_cast<i32>(29.9f * 1.16f) : 0));
    }
}

TEST_F(Tasks, ThePlayersWorkRunsOnlyWithinTheRadiusAndHalfAUnit)
{
    TTask& task = PlayerTask(2.4f);
    task.Start();
    task.m_nArrived = 1;
    task.m_fExtraWorkTime = 0.0f;
    task.BeginWork();
    EXPECT_EQ(task.m_fWorkTimer, 10.0f);
    task.Update(1.0f);
    EXPECT_EQ(task.m_fWorkTimer, 9.0f);
    EXPECT_EQ(task.pPlayerVehicle->m_nWorking, 1u);
    // Out of reach: the timer stands and the unit does not work.
    task.pTaskArea->Position.x = 2.6f;
    task.Update(1.0f);
    EXPECT_EQ(task.m_fWorkTimer, 9.0f);
    EXPECT_EQ(task.pPlayerVehicle->m_nWorking, 0u);
    task.pTaskArea->Position.x = 2.4f;
    task.Update(9.5f);
    EXPECT_TRUE(task.m_nDone);
    EXPECT_FALSE(task.IsWorking());
    EXPECT_EQ(task.m_fWorkTimer, 0.0f);
    EXPECT_EQ(task.m_nCountdownStarted, 0);
}

TEST_F(Tasks, AResetSendsTheUnitBackAndStartsTheTaskAgainAtACost)
{
    // An AI task (level 1).
    TTask& task = PlayerTask(5.0f);
    task.pAIUnit = task.pPlayerVehicle;
    task.pAIUnit->m_nAILevel = 1;
    task.Start();
    task.Update(0.1f);
    Game().GetParameters().pActiveTask = &task;
    task.Reset();
    EXPECT_EQ(Money(), 1000 - 2500);
    EXPECT_EQ(task.m_fCountdown, task.m_fDeadline) << "the countdown starts again";
    EXPECT_TRUE(task.m_nStarted);
    EXPECT_FALSE(task.m_nArrived);
    EXPECT_FALSE(task.m_nDone);
    EXPECT_EQ(Game().GetParameters().pActiveTask, nullptr);
    // A task not started is not reset.
    TTask& idle = AddTask(&m_aGate.front(), gtDeployFuel);
    idle.Reset();
    EXPECT_EQ(Money(), 1000 - 2500);
}

// With the AI's tasks started by the player: the task's countdown runs while its unit waits, the
// start button's start goes on from it, and the unit drives the path the task names.
TEST_F(Tasks, AnAITaskWaitingForItsStartCountsDownAndThenDrivesItsPath)
{
    SetAutoStart(0);
    for (const auto& [selector, path] : {std::pair{0, 3}, {1, 5}})
    {
        TTask& task = PlayerTask(50.0f);
        task.pAIUnit = task.pPlayerVehicle;
        task.pAIUnit->m_nAILevel = 1;
        task.pAIUnit->m_nFirstPath = 3;
        task.pAIUnit->m_nSecondPath = 5;
        task.m_nPathSelector = selector;
        task.Start();
        EXPECT_FALSE(task.m_nStarted);
        EXPECT_TRUE(task.pAIUnit->m_nWaitingForStart);
        task.Update(2.0f);
        task.RequestStart();
        task.Start();
        EXPECT_TRUE(task.m_nStarted);
        EXPECT_EQ(task.m_fCountdown, 28.0f) << "the wait counted";
        EXPECT_EQ(task.pAIUnit->m_nCurrentPath, path) << selector;
        EXPECT_EQ(task.m_nStartRequest, 0) << "the request is used up";
    }
}

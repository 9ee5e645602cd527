// The game run by a manager system in the start-up script's update order, so that each manager
// steps on its own channel as in the program: gate 1's first aircraft and its maintenance van
// drive alike with the frames of a windowed run and the long frames of a headless one.
#include "turnaroundfixture.h"

#include "engine/system/managermanager.h"
#include "morvane/game/gameenums.h"

#include <memory>

namespace
{
// After the aircraft parks (about 30 s), the van is at its area well within this.
constexpr f32 kRunLimit = 250.0f;
// The van's first seconds out, over which the ground it covers is compared.
constexpr f32 kEarlySpan = 20.0f;
// Physics steps the same seconds in other chunks and the path follower decides at other
// moments: this much apart is alike.
constexpr f32 kTolerance = 0.15f;

struct TVanRun
{
    // When the maintenance task set out (the aircraft parked) and when its van arrived.
    f32 fSetOut = -1.0f;
    f32 fArrived = -1.0f;
    f32 fEarlyDistance = 0.0f;
    f32 fTopSpeed = 0.0f;
};

class FrameStep : public Turnaround
{
protected:
    // Gate 1's first turnaround in frames of `step` seconds, until the van arrives.
    TVanRun Run(f32 step)
    {
        auto managers = std::make_unique<TManagerManager>();
        managers->CreateSystem(TName("Normal", true));
        for (TManager* manager : {static_cast<TManager*>(g_pNxDynamicsManager),
                                  static_cast<TManager*>(g_pAnimationManager),
                                  static_cast<TManager*>(g_pVehicleManager),
                                  static_cast<TManager*>(g_pGameLogicManager)})
            managers->AddUpdateManager(manager, 0);
        TGameParameters& parameters = Game().GetParameters();
        TTask& task = *Game().FindGate(1)->FindTask(gtDeployMaintenance);
        TVanRun run;
        bool chosen = false;
        TVector last;
        f32 time = 0.0f;
        while (time < kRunLimit && run.fArrived < 0.0f)
        {
            if (!chosen && parameters.aLandingZone[0].pWaitZonePlane)
            {
                parameters.nChosenGate = 1;
                chosen = true;
            }
            managers->Update(step);
            time += step;
            const TAICommonUnit* van = task.pAIUnit;
            if (!task.m_nStarted || !van || !van->pBody)
                continue;
            const TVector at = van->GetPosition();
            if (run.fSetOut < 0.0f)
                run.fSetOut = time;
            else if (time - run.fSetOut <= kEarlySpan)
                run.fEarlyDistance += PointDistance(at, last);
            last = at;
            run.fTopSpeed = std::max(run.fTopSpeed, van->pBody->GetLinearVelocity().Length());
            if (task.m_nArrived)
                run.fArrived = time;
        }
        return run;
    }
    static void ExpectAlike(f32 value, f32 usual, const char* what)
    {
        EXPECT_NEAR(value, usual, usual * kTolerance) << what;
    }
};

TEST_F(FrameStep, TheAircraftAndTheMaintenanceVanDriveAlikeInLongFrames)
{
    const TVanRun usual = Run(kGameFrame);
    ASSERT_GT(usual.fArrived, 0.0f) << "the van never arrived in frames of 1/30 s";
    // The van drives at pace: the frames' own run is the measure.
    EXPECT_GT(usual.fTopSpeed, 5.0f);
    for (const f32 step : {0.0625f, 1.0f / 15.0f})
    {
        Turnaround::TearDown();
        Turnaround::SetUp();
        const TVanRun run = Run(step);
        SCOPED_TRACE(testing::Message() << "frames of " << step << " s");
        ASSERT_GT(run.fArrived, 0.0f) << "the van never arrived";
        ExpectAlike(run.fSetOut, usual.fSetOut, "the aircraft's way to the gate");
        ExpectAlike(run.fArrived - run.fSetOut, usual.fArrived - usual.fSetOut, "the van's trip");
        ExpectAlike(run.fEarlyDistance, usual.fEarlyDistance, "the ground covered in its first seconds");
        ExpectAlike(run.fTopSpeed, usual.fTopSpeed, "its top speed");
    }
}
} // namespace

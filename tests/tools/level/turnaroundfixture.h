#pragma once
// The aerodrome played by the game itself without drawing: 1/30 s frames in the game's order,
// the AI's tasks started at once, the shared generator seeded.
#include "aerodromefixture.h"

#include "core/math/random.h"
#include "engine/system/animationmanager.h"
#include "engine/system/command/deferredvariable.h"

constexpr f32 kGameFrame = 1.0f / 30.0f;

class Turnaround : public AerodromeTest
{
protected:
    void SetUp() override
    {
        AerodromeTest::SetUp();
        g_pAnimationManager->BeginManager();
        TDeferredVariable("game_autostartaitask").SetInt(1);
        TRandom::Shared().Seed(1);
        Game().MarkGameStarted();
    }
    void TearDown() override
    {
        TDeferredVariable("game_autostartaitask").SetInt(0);
        AerodromeTest::TearDown();
    }

    // One frame in the game's order.
    void Frame()
    {
        g_pVehicleManager->UpdateManager(kGameFrame);
        Game().UpdateManager(kGameFrame);
        Manager().ThreadUpdateManager(kGameFrame);
        g_pAnimationManager->ThreadUpdateManager(kGameFrame);
        Manager().UpdateManager(kGameFrame);
        g_pAnimationManager->UpdateManager(kGameFrame);
    }
};

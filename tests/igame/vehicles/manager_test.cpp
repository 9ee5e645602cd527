// The vehicle manager: setting the active vehicle again restarts its engine.
#include "vehiclefixture.h"

#include "xaudio2/gamesound.h"

TEST_F(VehicleTest, SettingTheSameVehicleActiveAgainStopsAndRestartsItsEngine)
{
    g_pVehicleManager->SetActiveVehicle(m_pCart);
    TGameSound* idle = m_pCart->Sound.aSound[VEHICLE_SOUND_IDLE_LOOP];
    Step();
    ASSERT_TRUE(idle->IsPlaying());
    g_pVehicleManager->SetActiveVehicle(m_pCart);
    EXPECT_FALSE(idle->IsPlaying());
    EXPECT_TRUE(m_pCart->Sound.aSound[VEHICLE_SOUND_STOP]->IsPlaying());
    Step();
    EXPECT_TRUE(idle->IsPlaying());
    // The stopped loop's release does not end the loop that started since.
    Step();
    EXPECT_TRUE(idle->IsPlaying());
    // Another vehicle taking over stops the engine of the one left: its revs fall to 0.
    for (i32 frame = 0; frame < 30; ++frame)
    {
        m_pCart->Drive(1.0f, kFrame);
        Step();
    }
    ASSERT_GT(m_pCart->Sound.fRev, 0.0f);
    g_pVehicleManager->SetActiveVehicle(m_pCrawler);
    EXPECT_EQ(0.0f, m_pCart->Sound.fRev);
}

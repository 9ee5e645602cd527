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
}

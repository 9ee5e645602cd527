// The vehicle manager: the active vehicle and its setters, the shared track vector and its
// plug-in, and the names it keeps.
#include "vehiclefixture.h"

#include "core/system/namemanager.h"
#include "core/system/plugin.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/vehicles/trackshaderparameters.h"
#include "xaudio2/gamesound.h"

namespace
{
class TVectorTarget : public TShaderParameter
{
public:
    void SetVector(const TVector& vector) override { value = vector; }
    TVector value;
};
} // namespace

TEST_F(VehicleTest, TheActiveVehicleChangesOnlyThroughTheSetters)
{
    EXPECT_EQ(3, g_pVehicleManager->Vehicles().GetCount());
    EXPECT_EQ(nullptr, g_pVehicleManager->GetActiveVehicle());
    // Nobody drives: input reaches no vehicle.
    m_pCart->flags = 0;
    g_pVehicleManager->HandleInput();
    EXPECT_EQ(0u, m_pCart->releaseFlags);

    g_pVehicleManager->SetActiveVehicleByName(TName(LEVEL_LOADER).GetId());
    EXPECT_EQ(m_pLoader, g_pVehicleManager->GetActiveVehicle());
    g_pVehicleManager->SetActiveVehicleByName(TName("nobody", true).GetId());
    EXPECT_EQ(-1, g_pVehicleManager->GetActiveIndex());
    g_pVehicleManager->SetActiveVehicle(m_pCrawler);
    EXPECT_EQ(m_pCrawler, g_pVehicleManager->GetActiveVehicle());
    TVehicle stranger;
    g_pVehicleManager->SetActiveVehicle(&stranger);
    EXPECT_EQ(-1, g_pVehicleManager->GetActiveIndex());
    g_pVehicleManager->SetActiveVehicleIndex(0);
    EXPECT_EQ(g_pVehicleManager->Vehicles()[0], g_pVehicleManager->GetActiveVehicle());
    // An index the list no longer has names no vehicle.
    g_pVehicleManager->SetActiveVehicleIndex(7);
    EXPECT_EQ(nullptr, g_pVehicleManager->GetActiveVehicle());
    g_pVehicleManager->HandleInput();
}

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

TEST_F(VehicleTest, TheTrackShaderShowsTheOffsetsOfTheTrackedVehicleUpdatedLast)
{
    TPlugin* plugin = nullptr;
    g_pPluginManager->TryFindPlugin(plugin, TName("TTrackShaderParameters"), g_NameShaderParameterPlugin);
    ASSERT_NE(nullptr, plugin);
    auto* parameters = static_cast<TShaderParameterPlugin*>(plugin);
    Step(30);
    for (i32 frame = 0; frame < 30; ++frame)
    {
        m_pCrawler->Drive(1.0f, kFrame);
        Step();
    }
    TVectorTarget target;
    parameters->Apply(nullptr, nullptr, &target, nullptr, nullptr);
    EXPECT_FLOAT_EQ(m_pCrawler->trackOffsetLeft, target.value.x);
    EXPECT_FLOAT_EQ(m_pCrawler->trackOffsetRight, target.value.y);
    EXPECT_FLOAT_EQ(0.0f, target.value.z);
    EXPECT_FLOAT_EQ(0.0f, target.value.w);
    EXPECT_NE(0.0f, target.value.x);
    EXPECT_GE(target.value.x, 0.0f);
    EXPECT_LT(target.value.x, 1.0f);

    // A second tracked vehicle updated after it: its offsets are shown.
    TVehicle second;
    second.type = VEHICLE_TRACKED;
    second.wheelCount = 1;
    second.aWheel[0] = {VEHICLE_WHEEL_STEERED | VEHICLE_WHEEL_LEFT, 1.0f, 1.0f, 1.0f};
    second.aWheelGeometry.Add(m_pCrawler->aWheelGeometry[0]);
    second.trackOffsetLeft = 0.25f;
    second.trackOffsetRight = 0.75f;
    g_pVehicleManager->Vehicles().Add(&second);
    Step();
    parameters->Apply(nullptr, nullptr, &target, nullptr, nullptr);
    EXPECT_FLOAT_EQ(second.trackOffsetLeft, target.value.x);
    EXPECT_FLOAT_EQ(second.trackOffsetRight, target.value.y);
    EXPECT_EQ(GetTrackShaderVector().x, target.value.x);
    g_pVehicleManager->Vehicles().SetCount(3);
}


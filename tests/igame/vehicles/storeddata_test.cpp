// Damaged vehicle records: counts beyond their arrays and unusable parameters are cut or
// replaced at the load with an error line naming the vehicle's node; values that are no number
// never reach a wheel.
#include "vehiclefixture.h"

#include "ageia/dynamicsjoint.h"
#include "repositorywriter.h"
#include "xaudio2/gamesound.h"

#include <cstring>
#include <limits>
#include <memory>
#include <optional>

namespace
{
// Writes a stored count past what the array can hold, as damaged data would.
template <class TArray> void StoreCount(TArray& array, u32 count)
{
    std::memcpy(static_cast<void*>(&array), &count, sizeof count);
}

const TVehicle* FindLoaded(const char* node)
{
    DArray<TVehicle*>& vehicles = g_pVehicleManager->Vehicles();
    for (i32 i = 0; i < vehicles.GetCount(); ++i)
        if (vehicles[i]->GetNode()->m_Name == TName(node))
            return vehicles[i];
    return nullptr;
}
} // namespace

TEST_F(VehicleTest, StoredCountsBeyondTheirArraysAreCutAndUnusableParametersReplaced)
{
    g_pCluster->Clear();
    // "full" stands at every limit; "battered" one past it; "worn" below the lower ones.
    auto vehicles = std::make_unique<TVehicle[]>(3);
    auto sounds = std::make_unique<TGameSound[]>(2);
    const char* const names[3] = {"full", "battered", "worn"};
    for (u32 i = 0; i < 3; ++i)
    {
        TNode* node = g_pNodeManager->CreateNode(names[i]);
        node->AddObject(&vehicles[i]);
        g_pVehicleManager->Vehicles().Add(&vehicles[i]);
    }
    TVehicle& full = vehicles[0];
    // Wheel shapes, front lights and stop light flares at and one past their capacities.
    for (auto [vehicle, over] : {std::pair{&vehicles[0], 0u}, {&vehicles[1], 1u}})
    {
        StoreCount(vehicle->aWheelGeometry, 16 + over);
        StoreCount(vehicle->aFrontLightNode, 8 + over);
        StoreCount(vehicle->aStopLightLensFlare, 4 + over);
    }
    full.wheelCount = 16;
    full.Parameters.nGearCount = 4;
    full.Parameters.fMaxSpeed = 0.001f;
    sounds[0].m_nClipCount = 16;
    full.Sound.aSound.Add(&sounds[0]);
    TVehicle& battered = vehicles[1];
    StoreCount(battered.Sound.aSound, 9);
    battered.wheelCount = 17;
    battered.Parameters.nGearCount = 5;
    battered.Parameters.fMaxSpeed = 0.0f;
    battered.Parameters.fMaxReverseSpeed = -1.0f;
    battered.Parameters.fMaxSteerAngle = std::numeric_limits<f32>::quiet_NaN();
    battered.Parameters.nInclineMode = 2;
    sounds[1].m_nClipCount = 17;
    battered.Sound.aSound[0] = &sounds[1];
    TVehicle& worn = vehicles[2];
    worn.wheelCount = -1;
    worn.Parameters.nGearCount = 0;
    worn.Parameters.fMaxIncline = 0.0f;
    for (TGameSound* sound : {&sounds[0], &sounds[1]})
        g_pGameSoundManager->GameSounds().Add(sound);
    {
        TRepositoryWriter writer(70, 0);
        TClusterManager* managers[12];
        i32 count = TRepositoryWriter::SceneManagers(managers);
        managers[count++] = g_pVehicleManager;
        managers[count++] = g_pGameSoundManager;
        ASSERT_TRUE(writer.Write("battered.data", managers, count, false));
    }
    for (TVehicle* vehicle : {&full, &battered, &worn})
        vehicle->pNode = nullptr;
    g_pCluster->Clear();

    ASSERT_EQ(0, g_pResourceManager->LoadRepository("battered.data", 0));
    // Wheel shapes, front lights, stop light flares, wheels, gears and the first sound's clips:
    // "full" keeps its own, "battered" is cut to the same.
    for (const char* name : {"full", "battered"})
    {
        const TVehicle* loaded = FindLoaded(name);
        ASSERT_NE(nullptr, loaded);
        EXPECT_EQ(std::vector<i64>({16, 8, 4, 16, 4, 16}),
                  std::vector<i64>({loaded->aWheelGeometry.GetCount(), loaded->aFrontLightNode.GetCount(),
                                    loaded->aStopLightLensFlare.GetCount(), loaded->wheelCount,
                                    loaded->Parameters.nGearCount, loaded->Sound.aSound[0]->m_nClipCount}))
            << name;
    }
    EXPECT_FLOAT_EQ(0.001f, FindLoaded("full")->Parameters.fMaxSpeed);
    const TVehicle* loaded = FindLoaded("battered");
    EXPECT_EQ(8u, loaded->Sound.aSound.GetCount());
    const TVehicleParameters& p = loaded->Parameters;
    EXPECT_EQ(std::vector<f32>({20.0f, 5.0f, 30.0f}), std::vector<f32>({p.fMaxSpeed, p.fMaxReverseSpeed, p.fMaxSteerAngle}));
    // An unknown incline mode drives with the factor 1, uphill too.
    TVehicle& uphill = *const_cast<TVehicle*>(loaded);
    uphill.flags = VEHICLE_DRIVING;
    uphill.Parameters.fIncline = 15.0f;
    EXPECT_FLOAT_EQ(1.0f, uphill.GetSpeedInclineFactor());

    loaded = FindLoaded("worn");
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(std::vector<f32>({0.0f, 1.0f, 30.0f}), std::vector<f32>({static_cast<f32>(loaded->wheelCount),
                                                                         static_cast<f32>(loaded->Parameters.nGearCount),
                                                                         loaded->Parameters.fMaxIncline}));

    const std::string log = m_Folder.SystemLog();
    const char* const lines[] = {
        "TVehicle::CheckStoredData(): error: vehicle 'battered': 17 wheel shapes cut to 16",
        "vehicle 'battered': 9 front lights cut to 8",
        "vehicle 'battered': 5 stop light flares cut to 4",
        "vehicle 'battered': 9 sounds cut to 8",
        "vehicle 'battered': 17 wheels cut to 16",
        "vehicle 'battered': 5 gears cut to 4",
        "vehicle 'battered': sound 0: 17 clips cut to 16",
        "vehicle 'battered': top speed 0 is not above 0: 20 taken",
        "vehicle 'battered': reverse speed -1 is not above 0: 5 taken",
        "vehicle 'battered': steer angle nan is not above 0: 30 taken",
        "vehicle 'battered': incline mode 2 is unknown: factor 1.0 taken",
        "vehicle 'worn': -1 wheels cut to 0",
        "vehicle 'worn': 0 gears cut to 1",
        "vehicle 'worn': incline limit 0 is not above 0: 30 taken",
    };
    for (const char* line : lines)
        EXPECT_NE(std::string::npos, log.find(line)) << line;
    EXPECT_EQ(std::string::npos, log.find("vehicle 'full'"));
}

TEST_F(VehicleTest, TheInclineCurveModeTakesTheStoredFactorWithinZeroToOne)
{
    TVehicle& cart = *m_pCart;
    cart.Parameters.nInclineMode = VEHICLE_INCLINE_CURVE;
    cart.Parameters.fInclineCurve = 0.6f;
    EXPECT_FLOAT_EQ(0.6f, cart.GetSpeedInclineFactor());
    cart.Parameters.fInclineCurve = 1.5f;
    EXPECT_FLOAT_EQ(1.0f, cart.GetSpeedInclineFactor());
    // The built-in rule: uphill the drive grows, steep it fades out.
    cart.Parameters.nInclineMode = VEHICLE_INCLINE_RULE;
    cart.flags = VEHICLE_DRIVING;
    cart.Parameters.fIncline = 15.0f;
    EXPECT_FLOAT_EQ(1.5f, cart.GetSpeedInclineFactor());
    cart.Parameters.fIncline = 0.975f * cart.Parameters.fMaxIncline;
    EXPECT_NEAR(0.5f, cart.GetSpeedInclineFactor(), 1e-4f);
    cart.flags = VEHICLE_DRIVEBACK;
    cart.Parameters.fIncline = -15.0f;
    EXPECT_FLOAT_EQ(2.0f, cart.GetSpeedInclineFactor());
}

TEST_F(VehicleTest, ValuesThatAreNoNumberNeverReachAWheelOrTheJoint)
{
    const f32 nan = std::numeric_limits<f32>::quiet_NaN();
    const f32 infinity = std::numeric_limits<f32>::infinity();
    TVehicle& cart = *m_pCart;
    std::optional<TCountedWheels> counted(&cart);
    cart.aWheel[0].fSteerFactor = nan;
    cart.aWheel[1].fSteerFactor = infinity;
    cart.aWheel[2].fDriveFactor = nan;
    cart.aWheel[3].fBrakeFactor = -infinity;
    cart.speedLimitFactor = 0.0f;
    for (i32 frame = 0; frame < 30; ++frame)
    {
        cart.Drive(1.0f, kFrame);
        cart.SteerLeft(1.0f, kFrame);
        Step();
    }
    u32 sent = 0;
    for (const auto& wheel : counted->wheels)
        for (const TCountingWheel::TSent& value : wheel->sent)
        {
            EXPECT_TRUE(std::isfinite(value.fValue)) << value.nParameter;
            ++sent;
        }
    EXPECT_GT(sent, 0u);
    counted.reset();

    // A steering rate that is no number leaves the joint's angle a number.
    TVehicle& loader = *m_pLoader;
    loader.Parameters.fSteerSpeed = nan;
    for (i32 frame = 0; frame < 30; ++frame)
    {
        loader.SteerLeft(1.0f, kFrame);
        Step();
    }
    EXPECT_TRUE(std::isfinite(loader.Parameters.fSteerAngle));
    EXPECT_TRUE(std::isfinite(loader.pDriveJoint->GetAngle()));
    EXPECT_TRUE(std::isfinite(Position(&loader).x));
}

#pragma once
// The writer's level (written once per program into a scratch folder) loaded with its
// dependencies onto real physics, the vehicle, sound and game sound managers begun; the
// three vehicles found by name; frames stepped as the game runs them: input, vehicles,
// physics, sound.
#include "ageia/dynamicsfixture.h"
#include "core/system/timer.h"
#include "engine/input/inputmanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelvehicles.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "scenerepositories.h"
#include "support/countingwheel.h"
#include "support/scratchworkingfolder.h"
#include "support/testinput.h"
#include "xaudio2/gamesoundmanager.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <cmath>
#include <deque>
#include <memory>
#include <string>
#include <vector>

// Counting stand-ins for a vehicle's wheels, put back when the test ends.
class TCountedWheels
{
public:
    explicit TCountedWheels(TVehicle* vehicle) : m_pVehicle(vehicle)
    {
        for (u32 i = 0; i < vehicle->aWheelGeometry.GetCount(); ++i)
        {
            m_aReal.push_back(vehicle->aWheelGeometry[i]);
            wheels.push_back(std::make_unique<TCountingWheel>(vehicle->aWheelGeometry[i]));
            vehicle->aWheelGeometry[i] = wheels.back().get();
        }
    }
    ~TCountedWheels()
    {
        for (u32 i = 0; i < m_aReal.size(); ++i)
            m_pVehicle->aWheelGeometry[i] = m_aReal[i];
    }
    u32 Sent(u32 parameter) const
    {
        u32 count = 0;
        for (const auto& wheel : wheels)
            count += wheel->CountSent(parameter);
        return count;
    }
    void Clear()
    {
        for (const auto& wheel : wheels)
            wheel->sent.clear();
    }

    std::vector<std::unique_ptr<TCountingWheel>> wheels;

private:
    TVehicle* m_pVehicle;
    std::vector<TDynamicsGeometry*> m_aReal;
};

// An input the test moves: a key or a half-axis.
using TVehicleTestInput = TTestInput;

class VehicleTest : public DynamicsTest
{
protected:
    static constexpr f32 kFrame = 1.0f / 60.0f;

    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pXAudio2SoundManager->InitializeManager();
            g_pXAudio2SoundManager->BeginManager();
            g_pGameSoundManager->BeginManager();
            g_pVehicleManager->BeginManager();
            s_bBegun = true;
        }
        // The sound engine runs on a mixer the test never steps: clips end only when stopped.
        XAudio2Settings().stepped = true;
        static const std::string s_Folder = WriteLevel();
        g_pResourceManager->Associate(COMMON_REPOSITORY_ID, (s_Folder + "/common.data").c_str());
        g_pResourceManager->Associate(MAPPED_REPOSITORY_ID, (s_Folder + "/mapped.data").c_str());
        g_pResourceManager->Associate(STREAMED_REPOSITORY_ID, (s_Folder + "/streamed.data").c_str());
        ASSERT_EQ(0, g_pResourceManager->LoadRepository((s_Folder + "/main.data").c_str(), 0));
        m_pCart = Find(LEVEL_CART);
        m_pCrawler = Find(LEVEL_CRAWLER);
        m_pLoader = Find(LEVEL_LOADER);
        ASSERT_TRUE(m_pCart && m_pCrawler && m_pLoader);
    }
    void TearDown() override
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        if (m_pHeldTimer)
            g_pTimer = m_pHeldTimer;
        DynamicsTest::TearDown();
        g_pResourceManager->CloseRepositories(0);
        XAudio2Settings() = TXAudio2Settings();
    }

    static std::string WriteLevel()
    {
        static TScratchFolder s_Folder("vehiclelevel");
        EXPECT_TRUE(WriteSceneRepositories(s_Folder.Path().c_str(), AddLevelVehicles));
        return s_Folder.Path();
    }

    static TVehicle* Find(const char* name)
    {
        DArray<TVehicle*>& vehicles = g_pVehicleManager->Vehicles();
        for (i32 i = 0; i < vehicles.GetCount(); ++i)
            if (vehicles[i]->nameId == TName(name).GetId())
                return vehicles[i];
        return nullptr;
    }

    // Frames of the game's order: input, vehicles, physics, sound.
    void Step(i32 frames = 1)
    {
        for (i32 i = 0; i < frames; ++i)
        {
            g_pVehicleManager->HandleInput();
            for (TVehicleTestInput& input : Inputs())
                input.bPressed = input.bReleased = false;
            g_pVehicleManager->UpdateManager(kFrame);
            Manager().ThreadUpdateManager(kFrame);
            Manager().UpdateManager(kFrame);
            g_pXAudio2SoundManager->UpdateManager(kFrame);
            m_nClock += static_cast<i64>(kFrame * TIMER_COUNTS_PER_SECOND);
        }
    }

    // The test's clock behind the timer the vehicles read the time from.
    void UseTestClock()
    {
        static i64* s_pClock = nullptr;
        s_pClock = &m_nClock;
        m_pHeldTimer = g_pTimer;
        m_pTimer = std::make_unique<TTimer>([]() { return *s_pClock; });
        g_pTimer = m_pTimer.get();
    }

    // An input of the test (registered once, at rest), bound as the action's only input.
    static TVehicleTestInput& Bind(EVehicleAction action, const char* name)
    {
        TVehicleTestInput* input = nullptr;
        for (TVehicleTestInput& known : Inputs())
            if (*known.GetName() == TName(name))
                input = &known;
        if (!input)
        {
            input = &Inputs().emplace_back(name);
            TInputManager::Instance().RegisterInput(input);
        }
        *input = TVehicleTestInput(name);
        TInputManager::Instance().BindAction(g_pVehicleManager->GetAction(action), input, nullptr);
        return *input;
    }
    static std::deque<TVehicleTestInput>& Inputs()
    {
        static std::deque<TVehicleTestInput> s_aInput;
        return s_aInput;
    }

    static f32 Heading(const TVehicle* vehicle)
    {
        const TVector& forward = vehicle->pBody->GetMatrix()->aRow[2];
        return std::atan2(forward.x, forward.z) * 57.29578f;
    }
    static TVector Position(const TVehicle* vehicle) { return vehicle->pBody->GetMatrix()->aRow[3]; }

    TScratchWorkingFolder m_Folder{"vehicles"};
    TVehicle* m_pCart = nullptr;
    TVehicle* m_pCrawler = nullptr;
    TVehicle* m_pLoader = nullptr;
    i64 m_nClock = 10 * TIMER_COUNTS_PER_SECOND;
    std::unique_ptr<TTimer> m_pTimer;
    TTimer* m_pHeldTimer = nullptr;
};

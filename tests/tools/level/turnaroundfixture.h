#pragma once
// The aerodrome played by the game itself without drawing: 1/30 s frames in the game's order,
// the AI's tasks started at once, the shared generator seeded.
#include "aerodromefixture.h"

#include "core/compression/compressedfile.h"
#include "core/math/random.h"
#include "core/stream/memorystream.h"
#include "engine/system/animationmanager.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/statemanager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

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

    // The log tells of gate 1's take-off and of its aircraft's state.
    void ExpectTakeOffLogged()
    {
        const std::string log = m_Folder.SystemLog();
        EXPECT_NE(std::string::npos, log.find("gate 1: gsTakeOff, aircraft '"));
        EXPECT_NE(std::string::npos, log.find("': state 11, gate "));
    }

    // The whole roads play an hour of the game and more: CI starts the steps it checks from
    // states the roads saved near them (TURNAROUND_STATE_DIR); a developer plays a road with
    // VESTAMOR_WHOLE_ROAD=1, which writes those states again.
    static bool WholeRoad() { return std::getenv("VESTAMOR_WHOLE_ROAD") != nullptr; }

    // The running game's state as the game saves it (compressed), naming no repository, so that
    // it loads into the level here.
    static void WriteState(const char* name)
    {
        TMemoryStream image;
        ASSERT_EQ(STATE_DONE, g_pStateManager->_Save(image));
        TStateHeader* header = reinterpret_cast<TStateHeader*>(image.GetData());
        std::fill(std::begin(header->aName), std::end(header->aName), '\0');
        const std::string path = std::string(TURNAROUND_STATE_DIR) + "/" + name;
        std::ofstream(path + ".image", std::ios::binary)
            .write(reinterpret_cast<const char*>(image.GetData()), image.GetSize());
        EXPECT_EQ(COMPRESS_DONE, CompressFile((path + ".image").c_str(), path.c_str()));
        std::remove((path + ".image").c_str());
    }

    // A saved state loaded into the level as the game loads one; the draws to come start from
    // a seed of their own.
    static void LoadState(const char* name)
    {
        const std::string path = std::string(TURNAROUND_STATE_DIR) + "/" + name;
        ASSERT_EQ(STATE_DONE, g_pStateManager->LoadFromFile(path.c_str()))
            << path << " does not load: play the road with VESTAMOR_WHOLE_ROAD=1 to save it again";
        TRandom::Shared().Seed(2);
    }
};

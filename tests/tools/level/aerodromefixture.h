#pragma once
// The aerodrome the build writes, loaded as the game loads it with the game's managers begun on
// real physics, and stepped in the game's order without drawing.
#include "ageia/dynamicsfixture.h"
#include "aerodromeplan.h"
#include "igame/damage/damagemanager.h"
#include "igame/gamematerial/gamematerialmanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelgenerator.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/crossroadarea.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/game/trafficvehicle.h"
#include "morvane/ui/soundplayer.h"
#include "morvane/ux/screens.h"
#include "scenerepositories.h"
#include "engine/system/prop.h"
#include "support/scratchworkingfolder.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

constexpr f32 kFrame = 1.0f / 60.0f;

class AerodromeTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            // The level carries the UX screens' records: the screens are registered first.
            RegisterGameScreens();
            // Nodes that grew children after the load (props taking their forms) let them go
            // when the cluster is cleared.
            g_pNodeManager->BeginManager();
            g_pXAudio2SoundManager->InitializeManager();
            g_pXAudio2SoundManager->BeginManager();
            g_pVehicleManager->BeginManager();
            g_pOrbitCameraManager->BeginManager();
            g_pGameLogicManager->BeginManager();
            g_pSoundPlayerManager->BeginManager();
            g_pDamageManager->BeginManager();
            g_pGameMaterialManager->BeginManager();
            s_bBegun = true;
        }
        // A device fixture of the program takes the cluster's listeners with its device and may
        // leave its own: the level's load reaches this fixture's managers, in the order they were
        // begun, and only them.
        g_pCluster->ClearListeners();
        for (TClusterMethods* listener : {static_cast<TClusterMethods*>(g_pNxDynamicsManager),
                                          static_cast<TClusterMethods*>(g_pNxCollisionManager),
                                          static_cast<TClusterMethods*>(g_pResourceManager),
                                          static_cast<TClusterMethods*>(g_pNodeManager),
                                          static_cast<TClusterMethods*>(g_pXAudio2SoundManager),
                                          static_cast<TClusterMethods*>(g_pVehicleManager),
                                          static_cast<TClusterMethods*>(g_pGameLogicManager),
                                          static_cast<TClusterMethods*>(g_pSoundPlayerManager),
                                          static_cast<TClusterMethods*>(g_pDamageManager),
                                          static_cast<TClusterMethods*>(g_pGameMaterialManager)})
            g_pCluster->AddListener(listener);
        const std::string data = VESTAMOR_DATA_DIR;
        g_pResourceManager->Associate(SHADER_REPOSITORY_ID, (data + "/shaders.data").c_str());
        g_pResourceManager->Associate(MORVANE_COOKED_REPOSITORY_ID, (data + "/" + MORVANE_COOKED_REPOSITORY).c_str());
        ASSERT_EQ(g_pResourceManager->LoadRepository((data + "/" + MORVANE_REPOSITORY).c_str(), 0), 0);
    }
    void TearDown() override
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        DynamicsTest::TearDown();
        g_pResourceManager->CloseRepositories(0);
    }

    static TGameLogicManager& Game() { return *g_pGameLogicManager; }

    static TOrbitCamera* Camera(const char* name)
    {
        for (i32 i = 0; i < g_pOrbitCameraManager->Cameras().GetCount(); ++i)
            if (g_pOrbitCameraManager->Cameras()[i]->m_Name.GetId() == TName(name).GetId())
                return g_pOrbitCameraManager->Cameras()[i];
        return nullptr;
    }

    // Frames of the game's order: vehicles, the game, the camera, physics.
    void Step(i32 frames)
    {
        for (i32 i = 0; i < frames; ++i)
        {
            g_pVehicleManager->UpdateManager(kFrame);
            Game().UpdateManager(kFrame);
            g_pOrbitCameraManager->UpdateManager(kFrame);
            Manager().ThreadUpdateManager(kFrame);
            Manager().UpdateManager(kFrame);
        }
    }

    TScratchWorkingFolder m_Folder{"aerodrome"};
};

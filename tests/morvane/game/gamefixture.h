#pragma once
// The game's managers begun once on real physics, with a scratch working folder of their own
// log; each test builds its records (owned by the test, listed in the game logic's arrays the
// cluster empties afterwards) and a fresh first parameter record.
#include "ageia/dynamicsfixture.h"
#include "ageia/dynamicsgeometry.h"
#include "clipsynth.h"
#include "core/cluster/cluster.h"
#include "engine/system/command/variable.h"
#include "engine/system/prop.h"
#include "engine/system/propdata.h"
#include "engine/system/propdatapool.h"
#include "igame/effects/atmospheremanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "engine/system/repository.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/aicommonunit.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"
#include "morvane/game/orbitcamera.h"
#include "morvane/game/orbitcameramanager.h"
#include "morvane/game/task.h"
#include "morvane/game/taskarea.h"
#include "morvane/ui/gamemenumanager.h"
#include "morvane/ui/soundplayer.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "support/consolelines.h"
#include "support/scratchworkingfolder.h"
#include "support/testclip.h"
#include "xaudio2/soundtypes.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

// One frame of the game at its 30 frames a second.
inline constexpr f32 kFrame = 1.0f / 30.0f;

class GameTest : public DynamicsTest
{
protected:
    void SetUp() override
    {
        DynamicsTest::SetUp();
        BeginResources();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pXAudio2SoundManager->InitializeManager();
            g_pXAudio2SoundManager->BeginManager();
            g_pVehicleManager->BeginManager();
            g_pAtmosphereManager->BeginManager();
            g_pGameLogicManager->BeginManager();
            g_pSoundPlayerManager->BeginManager();
            g_pGameMenuManager->BeginManager();
            s_bBegun = true;
        }
        Game().Parameters().Add(&m_Parameters);
        TakeNewGameStartedFlag();
    }
    void TearDown() override
    {
        g_pVehicleManager->SetActiveVehicleIndex(-1);
        for (TVehicle& vehicle : m_aVehicle)
            if (vehicle.pNode)
                vehicle.GetNode()->DeleteObject(&vehicle);
        for (TOrbitCamera& camera : m_aCamera)
            if (camera.pNode)
                camera.GetNode()->DeleteObject(&camera);
        for (TProp& prop : m_aProp)
            if (prop.pNode)
                prop.GetNode()->DeleteObject(&prop);
        DynamicsTest::TearDown();
        for (TTestClip& clip : m_aClip)
            clip.Data.Unload();
        XAudio2Settings() = TXAudio2Settings();
    }

    // The sound service started as a level load starts it, on a stepped engine (a fake stereo
    // device, 32 pool records), with the clips made so far.
    void StartSounds()
    {
        TXAudio2Settings& settings = XAudio2Settings();
        settings.devices = {{u"Test speakers"}};
        settings.stepped = true;
        TXAudio2SoundManager& sounds = *g_pXAudio2SoundManager;
        for (TXAudio2Sound& record : m_aRecord)
            sounds.Sounds().Add(&record);
        sounds.SetArray(SOUND_TYPE_ID, nullptr, 0);
        sounds.OnClusterLoad();
        ASSERT_TRUE(sounds.IsAudioEnabled());
    }
    // A clip of the name: a tenth of a second's tone.
    TXAudio2SoundData& Clip(const char* name, u32 flags = 0)
    {
        const TClipTone tone = {EClipWave::Sine, 440.0f, 440.0f, 0.1f, 0.5f, 0.5f};
        TTestClip& clip = m_aClip.emplace_back(name, SynthesizeClip({name, nullptr, flags, 1, {tone}}), nullptr, flags);
        g_pXAudio2SoundManager->Data().Add(&clip.Data);
        return clip.Data;
    }

    static TGameLogicManager& Game() { return *g_pGameLogicManager; }

    TGate& AddGate(i32 id)
    {
        TGate& gate = m_aGate.emplace_back();
        gate.m_nId = id;
        Game().Gates().Add(&gate);
        return gate;
    }

    TTask& AddTask(TGate* gate, i32 type)
    {
        TTask& task = m_aTask.emplace_back();
        task.m_nType = type;
        task.pGate = gate;
        if (gate)
            gate->aGateTask.Add(&task);
        Game().Tasks().Add(&task);
        return task;
    }

    TAICommonUnit& AddUnit(i32 level = 0)
    {
        TAICommonUnit& unit = m_aUnit.emplace_back();
        unit.m_nAILevel = level;
        Game().Units().Add(&unit);
        return unit;
    }

    TTaskArea& AddArea(f32 x, f32 z, f32 radius)
    {
        TTaskArea& area = m_aArea.emplace_back();
        area.Position = TVector(x, 0.0f, z, 1.0f);
        area.Transform = Translation(x, 0.0f, z);
        area.fRadius = radius;
        return area;
    }

    // A vehicle on a box body at the place.
    TVehicle& AddVehicle(const char* name, f32 x, f32 z)
    {
        TNxDynamicsBody* body = Box(name, x, 0.5f, z);
        TVehicle& vehicle = m_aVehicle.emplace_back();
        body->GetNode()->AddObject(&vehicle);
        vehicle.pBody = body;
        vehicle.nameId = body->GetNode()->m_Name.GetId();
        return vehicle;
    }

    // A still box of the half sizes at the place, in the collision groups.
    void StillBox(const TMatrix& at, const TVector& half, u32 groups)
    {
        TNode* node = g_pNodeManager->CreateNode("still_box");
        node->SetLocalMatrix(at, TNode::OrdinaryCause());
        TNxDynamicsBody* body = static_cast<TNxDynamicsBody*>(Manager().CreateBody(node));
        TDynamicsGeometry* box = body->__CreateGeometry(node, GEOMETRY_BOX);
        box->SetSize(half);
        box->SetGroupsMask(groups);
        body->SetDynamic(0);
        body->__Create();
    }

    // A curve pool of the name over a block of the curves' points and records, `cut` bytes
    // short, listed with the game logic.
    TCurvePool& AddCurvePool(const char* name, const std::vector<std::vector<TVector>>& curves, u32 cut = 0)
    {
        std::vector<TVector> points;
        std::vector<TCurveRecord> records;
        for (const std::vector<TVector>& curve : curves)
        {
            records.push_back({static_cast<u32>(points.size()), static_cast<u32>(curve.size()), {0, 0}});
            points.insert(points.end(), curve.begin(), curve.end());
        }
        std::vector<u8>& block = m_aBlock.emplace_back(points.size() * 16 + records.size() * 16);
        std::memcpy(block.data(), points.data(), points.size() * 16);
        std::memcpy(block.data() + points.size() * 16, records.data(), records.size() * 16);
        block.resize(block.size() - cut);
        TRepository& repository = m_aRepository.emplace_back(block.data(), static_cast<u32>(block.size()));
        TCurvePool& pool = m_aPool.emplace_back();
        pool.m_PoolName = TName(name);
        pool.m_nPointCount = static_cast<u32>(points.size());
        pool.m_nCurveCount = static_cast<u32>(records.size());
        pool.SetData(&repository, 0, static_cast<u32>(block.size()));
        Game().CurvePools().Add(&pool);
        return pool;
    }

    i32 Money() { return Game().GetParameters().nMoney; }
    std::string Log() const { return m_Folder.SystemLog(); }
    // How many times the log holds the text.
    size_t LogCount(const std::string& text) const
    {
        const std::string log = Log();
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    TGameParameters m_Parameters;
    std::deque<TGate> m_aGate;
    std::deque<TTask> m_aTask;
    std::deque<TAICommonUnit> m_aUnit;
    std::deque<TTaskArea> m_aArea;
    std::deque<TVehicle> m_aVehicle;
    std::deque<TOrbitCamera> m_aCamera;
    std::deque<TProp> m_aProp;
    std::deque<std::vector<u8>> m_aBlock;
    std::deque<TRepository> m_aRepository;
    std::deque<TCurvePool> m_aPool;
    TXAudio2Sound m_aRecord[32];
    std::deque<TTestClip> m_aClip;
    TConsoleLines m_Console;
    TScratchWorkingFolder m_Folder{"game"};
};

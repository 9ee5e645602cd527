#pragma once
// The sound service started on an empty cluster, with clips a test makes, a recorder of every
// instance call and of the listener's notifications; the cluster is cleared after each test.
#include "core/cluster/cluster.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "support/scratchworkingfolder.h"
#include "xaudio2/gamesoundmanager.h"
#include "xaudio2/soundmethods.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

class TSoundCallRecorder : public TSoundCallListener, public TSoundMethods
{
public:
    void OnSoundCall(TXAudio2Sound* sound, ESoundCall call, i32 id, f32 value) override
    {
        const char* kinds[] = {"play", "stop", "parameter"};
        std::string line = kinds[call];
        if (call == SOUND_CALL_PARAMETER)
            line += " " + std::to_string(id) + "=" + std::to_string(value);
        calls.push_back(line);
        sounds.push_back(sound);
    }
    void OnSoundEnded(TSound* sound) override { ended.push_back(sound); }

    std::vector<std::string> calls;
    std::vector<TXAudio2Sound*> sounds;
    std::vector<TSound*> ended;
};

class SoundTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_ManagerManager.Initialize();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pCluster->LinkTypes();
            Manager().InitializeManager();
            Manager().BeginManager();
            g_pGameSoundManager->BeginManager();
            Manager().AddMethod(&s_Recorder);
            s_bBegun = true;
        }
        g_pCluster->Clear();
        Manager().OnClusterLoad();
        s_Recorder = TSoundCallRecorder();
        TXAudio2Sound::s_pCallListener = &s_Recorder;
    }
    void TearDown() override
    {
        TXAudio2Sound::s_pCallListener = nullptr;
        g_pCluster->Clear();
        for (TXAudio2SoundData& clip : m_aClip)
            clip.Unload();
    }

    static TXAudio2SoundManager& Manager() { return *g_pXAudio2SoundManager; }
    static TSoundCallRecorder& Recorder() { return s_Recorder; }

    // A clip of the name, held by the test.
    TXAudio2SoundData* Clip(const char* name, f32 volume = 1.0f)
    {
        TXAudio2SoundData& clip = m_aClip.emplace_back();
        clip.m_Name.Set(name, true);
        clip.m_fDefaultVolume = volume;
        return &clip;
    }

    TXAudio2Sound* Play(TSoundData* data, u32 play = 1)
    {
        TSound* sound = nullptr;
        Manager().PlaySound(sound, data, nullptr, 0, play);
        return static_cast<TXAudio2Sound*>(sound);
    }

    static inline TSoundCallRecorder s_Recorder;
    std::deque<TXAudio2SoundData> m_aClip;
    TScratchWorkingFolder m_Folder{"sound"};
};

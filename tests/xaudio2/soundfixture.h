#pragma once
// The sound service on a stepped engine: a fake stereo 44,100 Hz device whose output goes to a
// WAV file, the mixer stepped by the test; the sound test repository (written once per program)
// loaded before each test, which starts the engine, and cleared after it, which stops it. The
// frame timer runs on the test's clock. A recorder notes every instance call and every
// notification of a released sound.
#include "clipsynth.h"
#include "core/cluster/cluster.h"
#include "core/system/timer.h"
#include "engine/sound/soundmethods.h"
#include "engine/system/command/commandmanager.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "engine/system/resourcemanager.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "soundtestrepository.h"
#include "support/scratchworkingfolder.h"
#include "support/testclip.h"
#include "support/wavreader.h"
#include "xaudio2/gamesoundmanager.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundmanager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

inline void MoveNode(TNode* node, f32 x, f32 y, f32 z)
{
    TMatrix place = node->GetLocalMatrix();
    place.aRow[3] = TVector(x, y, z, 1.0f);
    node->SetLocalMatrix(place, TNode::OrdinaryCause());
}

inline TNode* PlacedNode(const char* name, f32 x, f32 y, f32 z)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    MoveNode(node, x, y, z);
    return node;
}

class TSoundCallRecorder : public TSoundCallListener, public TSoundMethods
{
public:
    void OnSoundCall(TXAudio2Sound* sound, ESoundCall, i32, f32) override { calls.push_back(sound); }
    void OnSoundEnded(TSound* sound) override { ended.push_back(sound); }

    std::vector<TXAudio2Sound*> calls;
    std::vector<TSound*> ended;
};

class SoundTest : public testing::Test
{
public:
    static const std::string& RepositoryPath()
    {
        static TScratchFolder s_Folder("soundrepository");
        static const std::string s_Path = [] {
            const std::string path = s_Folder.Path() + "/sound.data";
            EXPECT_TRUE(WriteSoundTestRepository(path.c_str()));
            return path;
        }();
        return s_Path;
    }

protected:
    // One quantum of the mixer: 10 ms at 44,100 Hz.
    static constexpr u32 kQuantum = 441;

    void SetUp() override
    {
        g_ManagerManager.Initialize();
        static bool s_bBegun = false;
        if (!s_bBegun)
        {
            g_pCluster->LinkTypes();
            g_pResourceManager->BeginManager();
            Manager().InitializeManager();
            Manager().BeginManager();
            g_pGameSoundManager->BeginManager();
            Manager().AddMethod(&s_Recorder);
            s_bBegun = true;
        }
        s_nClock = 0;
        m_pHeldTimer = g_pTimer;
        m_pTimer = std::make_unique<TTimer>([] { return s_nClock; });
        g_pTimer = m_pTimer.get();
        TXAudio2Settings& settings = XAudio2Settings();
        settings.devices = {{u"Test speakers"}};
        settings.stepped = true;
        settings.wavFile = m_Folder.Path() + "/out.wav";
        s_Recorder = TSoundCallRecorder();
        TXAudio2Sound::s_pCallListener = &s_Recorder;
        ASSERT_EQ(0, g_pResourceManager->LoadRepository(RepositoryPath().c_str(), 0));
    }
    void TearDown() override
    {
        TXAudio2Sound::s_pCallListener = nullptr;
        g_pCluster->Clear();
        g_pResourceManager->CloseRepositories(0);
        XAudio2Settings() = TXAudio2Settings();
        g_pTimer = m_pHeldTimer;
    }

    static TXAudio2SoundManager& Manager() { return *g_pXAudio2SoundManager; }
    static TSoundCallRecorder& Recorder() { return s_Recorder; }

    static TXAudio2SoundData* Clip(const char* name)
    {
        TSoundData* data = nullptr;
        Manager().FindSoundData(data, TName(name));
        EXPECT_NE(nullptr, data) << name;
        return static_cast<TXAudio2SoundData*>(data);
    }
    static TXAudio2SoundGroup* Group(const char* path)
    {
        TSoundGroup* group = nullptr;
        Manager().FindSoundGroup(group, TName(path));
        EXPECT_NE(nullptr, group) << path;
        return static_cast<TXAudio2SoundGroup*>(group);
    }
    static TXAudio2Sound* Play(TSoundData* data, u32 play = 1, TNode* node = nullptr)
    {
        TSound* sound = nullptr;
        Manager().PlaySound(sound, data, node, 0, play);
        return static_cast<TXAudio2Sound*>(sound);
    }

    // The timer's frame time becomes t: ten frames of t each, as it averages ten.
    static void SetFrameTime(f32 t)
    {
        for (i32 i = 0; i < 10; ++i)
        {
            s_nClock += static_cast<i64>(static_cast<f64>(t) * TIMER_COUNTS_PER_SECOND);
            g_pTimer->Update();
        }
    }
    // One frame of t seconds as the game runs it (the group fades, then the sound update), and
    // the mixer stepped through the quanta of that time.
    static void Frame(f32 t = 0.05f, bool mix = true)
    {
        SetFrameTime(t);
        Manager().ThreadUpdateManager(t);
        Manager().UpdateManager(t);
        if (mix)
            XAudio2StepMixer(static_cast<UINT32>(t * 100.0f + 0.5f));
    }
    // A clip made here: a block as given, or synthesised from one tone.
    TXAudio2SoundData* MakeClip(const char* name, std::vector<u8> block, const char* group = "/master/game/effects",
                                u32 flags = 0)
    {
        return &m_aClip.emplace_back(name, std::move(block), group ? Group(group) : nullptr, flags).Data;
    }
    TXAudio2SoundData* MakeClip(const char* name, const TClipTone& tone, u32 channels = 1,
                                const char* group = "/master/game/effects", u32 flags = 0)
    {
        return MakeClip(name, SynthesizeClip({name, group, flags, channels, {tone}}), group, flags);
    }

    // The largest sample of one channel between two frames of the output.
    static i32 Peak(const TWavContents& wav, u32 channel, u32 first, u32 last)
    {
        i32 peak = 0;
        for (u32 frame = first; frame < last && (frame + 1) * wav.channels <= wav.samples.size(); ++frame)
            peak = std::max(peak, std::abs(static_cast<i32>(wav.samples[frame * wav.channels + channel])));
        return peak;
    }

    // The largest change from one sample of a channel to the next between two frames: a cut
    // or a start at full level shows as a step far above what a tone makes by itself.
    static i32 LargestStep(const TWavContents& wav, u32 channel, u32 first, u32 last)
    {
        i32 step = 0;
        for (u32 frame = first + 1; frame < last && (frame + 1) * wav.channels <= wav.samples.size(); ++frame)
            step = std::max(step, std::abs(wav.samples[frame * wav.channels + channel] -
                                           wav.samples[(frame - 1) * wav.channels + channel]));
        return step;
    }

    // Whether the system log holds the line.
    bool Logged(const std::string& line) const { return m_Folder.SystemLog().find(line) != std::string::npos; }
    // Stops the engine (the cluster cleared) and reads what it wrote.
    TWavContents Finish()
    {
        g_pCluster->Clear();
        return ReadWav(m_Folder.Path() + "/out.wav");
    }

    static inline TSoundCallRecorder s_Recorder;
    static inline i64 s_nClock = 0;
    TScratchWorkingFolder m_Folder{"sound"};
    std::deque<TTestClip> m_aClip;
    TTimer* m_pHeldTimer = nullptr;
    std::unique_ptr<TTimer> m_pTimer;
};

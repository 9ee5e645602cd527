// 255 playing 3D sounds on a stepped engine: one update of the sound manager (the listener,
// X3DAudio, the matrices and every voice call, the commit) against X3DAudioCalculate alone for
// the same 255 emitters, both timed in the same run; the aim is at most twice X3DAudio. The
// mixer runs between the frames, untimed, so that the voices take their changes.
#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "core/system/timer.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/repository.h"
#include "platform/xaudio2/xaudio2settings.h"
#include "xaudio2/xaudio2sound.h"
#include "xaudio2/xaudio2sounddata.h"
#include "xaudio2/xaudio2soundgroup.h"
#include "xaudio2/xaudio2soundmanager.h"
#include "xaudio2/xaudio2state.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>
#include <memory>
#include <vector>

namespace
{
constexpr u32 kSounds = SOUND_PLAYING_CAPACITY;
constexpr f32 kStep = 1.0f / 60.0f;

i64 s_nClock = 0;

// A mono 16-bit loop of one second.
std::vector<u8> LoopBlock()
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 44100;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 88200;
    std::vector<u8> block(sizeof format + 4 + 2 * 44100, 0);
    std::memcpy(block.data(), &format, sizeof format);
    for (u32 i = 0; i < 44100; ++i)
    {
        const i16 sample = static_cast<i16>(8000.0f * std::sin(static_cast<f32>(i) * 0.0628f));
        std::memcpy(block.data() + sizeof format + 4 + 2 * i, &sample, 2);
    }
    return block;
}

struct TSoundScene
{
    TSoundScene() : block(LoopBlock()), repository(block.data(), static_cast<u32>(block.size()))
    {
        XAudio2Settings().devices = {{u"Benchmark speakers"}};
        XAudio2Settings().stepped = true;
        g_pTimer = &timer;
        for (i32 i = 0; i < 10; ++i)
            Tick();
        g_ManagerManager.Initialize();
        g_pCluster->LinkTypes();
        TXAudio2SoundManager& manager = *g_pXAudio2SoundManager;
        manager.InitializeManager();
        for (TXAudio2Sound& sound : aSound)
            manager.Sounds().Add(&sound);
        manager.Groups().Add(&group);
        manager._ResetDynamicSounds();
        clip.pGroup = &group;
        clip.m_nFlags = SOUND_DATA_ENDLESS;
        clip.SetData(&repository, 0, static_cast<u32>(block.size()));
        manager.OnClusterLoad();
        // The emitters on a ring around the listener, turned every way.
        for (u32 i = 0; i < kSounds; ++i)
        {
            char name[32];
            FormatStringN(name, sizeof name, "emitter_%u", i);
            TNode* node = g_pNodeManager->CreateNode(name);
            const f32 angle = static_cast<f32>(i) * 0.1f;
            TMatrix place = TMatrix::RotationY(static_cast<f32>(i) * 7.0f);
            place.aRow[3] = TVector(30.0f * std::cos(angle), 0.0f, 30.0f * std::sin(angle), 1.0f);
            node->SetLocalMatrix(place, TNode::OrdinaryCause());
            TSound* sound = nullptr;
            manager.PlaySound(sound, &clip, node, -1, 1);
            if (!sound || !sound->IsPlaying())
                std::abort();
            nodes.push_back(node);
        }
        Frame();
    }
    ~TSoundScene()
    {
        g_pXAudio2SoundManager->_Stop();
        g_pXAudio2SoundManager->Sounds().SetCount(0);
        g_pXAudio2SoundManager->Groups().SetCount(0);
        g_pCluster->Clear();
        clip.SetData(nullptr, 0, 0);
        g_pTimer = pHeldTimer;
    }

    static void Tick()
    {
        s_nClock += static_cast<i64>(kStep * TIMER_COUNTS_PER_SECOND);
        g_pTimer->Update();
    }
    void Frame()
    {
        Tick();
        g_pXAudio2SoundManager->UpdateManager(kStep);
        XAudio2StepMixer(1);
    }

    // The emitters as the sound code builds them, for X3DAudio alone.
    void Emitters(std::vector<X3DAUDIO_EMITTER>& emitters, std::deque<float>& azimuths) const
    {
        for (TNode* node : nodes)
        {
            const TMatrix& world = *node->GetWorldMatrix();
            X3DAUDIO_EMITTER emitter = {};
            emitter.OrientFront = {world.aRow[2].x, world.aRow[2].y, world.aRow[2].z};
            emitter.OrientTop = {world.aRow[1].x, world.aRow[1].y, world.aRow[1].z};
            emitter.Position = {world.aRow[3].x, world.aRow[3].y, world.aRow[3].z};
            emitter.ChannelCount = 1;
            azimuths.push_back(0.0f);
            emitter.pChannelAzimuths = &azimuths.back();
            emitter.DopplerScaler = 0.1f;
            emitter.CurveDistanceScaler = 100.0f;
            emitters.push_back(emitter);
        }
    }

    TTimer* pHeldTimer = g_pTimer;
    TTimer timer{[] { return s_nClock; }};
    std::vector<u8> block;
    TRepository repository;
    TXAudio2SoundData clip;
    TXAudio2SoundGroup group;
    TXAudio2Sound aSound[SOUND_POOL_CAPACITY];
    std::vector<TNode*> nodes;
};

using TClock = std::chrono::steady_clock;

void BM_SoundUpdateAgainstX3DAudio(benchmark::State& state)
{
    TSoundScene scene;
    std::vector<X3DAUDIO_EMITTER> emitters;
    std::deque<float> azimuths;
    scene.Emitters(emitters, azimuths);
    const u32 outputs = g_XAudio2.GetOutputChannels();
    TClock::duration update{}, x3daudio{};
    i64 frames = 0;
    f32 sink = 0.0f;
    for (auto _ : state)
    {
        TSoundScene::Tick();
        const auto start = TClock::now();
        g_pXAudio2SoundManager->UpdateManager(kStep);
        const auto middle = TClock::now();
        for (const X3DAUDIO_EMITTER& emitter : emitters)
        {
            f32 coefficients[64] = {};
            X3DAUDIO_DSP_SETTINGS dsp = {};
            dsp.pMatrixCoefficients = coefficients;
            dsp.SrcChannelCount = 1;
            dsp.DstChannelCount = outputs;
            dsp.DopplerFactor = 1.0f;
            X3DAudioCalculate(g_XAudio2.X3DAudio, &g_XAudio2.Listener, &emitter, 0x35, &dsp);
            sink += coefficients[0] + dsp.DopplerFactor;
        }
        x3daudio += TClock::now() - middle;
        update += middle - start;
        ++frames;
        XAudio2StepMixer(1);
    }
    benchmark::DoNotOptimize(sink);
    const f64 updateUs = std::chrono::duration<f64, std::micro>(update).count() / static_cast<f64>(frames);
    const f64 x3daudioUs = std::chrono::duration<f64, std::micro>(x3daudio).count() / static_cast<f64>(frames);
    state.counters["update_us"] = updateUs;
    state.counters["x3daudio_us"] = x3daudioUs;
    state.counters["ratio"] = updateUs / x3daudioUs;
    state.counters["playing"] = g_pXAudio2SoundManager->GetPlayingList().GetCount();
}
BENCHMARK(BM_SoundUpdateAgainstX3DAudio)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(600)
    ->Repetitions(3);
} // namespace

// Skeleton evaluation: 100 skeletons of 60 bones, each blending two sampled animations and
// solving two constraints (an aim and a two-bone reach), per frame. On one core the fixed-rate
// evaluation and the frame's publication run on the calling thread; on the update workers the
// evaluation of the same skeletons is spread over 1, 2 or 4 workers of a manager system while
// the main thread publishes. A memcpy of the published matrices (100 x 60 x 64 bytes) in the
// same run is the yardstick for a shared machine.
#include "engine/system/animation.h"
#include "engine/system/animationdata.h"
#include "engine/system/managermanager.h"
#include "engine/system/repository.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace
{
constexpr u32 kSkeletons = 100;
constexpr u32 kBones = 60;
constexpr i32 kFrames = 30;
constexpr f32 kStep = 1.0f / 60.0f;

TAnimationKey RandomKey(u32& seed)
{
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<f32>(seed >> 8) / 16777216.0f - 0.5f;
    };
    TQuaternion q(next(), next(), next(), 1.0f);
    const f32 length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    TAnimationKey key;
    key.SetRotation(TQuaternion(q.x / length, q.y / length, q.z / length, q.w / length));
    const f32 position[4] = {next(), next(), 1.0f + next(), 1.0f};
    const f32 scale[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    std::memcpy(key.aPosition, position, sizeof position);
    std::memcpy(key.aScale, scale, sizeof scale);
    return key;
}

// Two animations of 60 tracks each, shared by every skeleton.
struct TClips
{
    TClips()
    {
        // Resources load only while the manager system is open.
        g_ManagerManager.Initialize();
        u32 seed = 7;
        for (int c = 0; c < 2; ++c)
        {
            keys[c].resize(kBones * (kFrames + 1));
            for (TAnimationKey& key : keys[c])
                key = RandomKey(seed);
            const u32 size = static_cast<u32>(keys[c].size() * sizeof(TAnimationKey));
            repository[c] = std::make_unique<TRepository>(keys[c].data(), size);
            data[c].m_nLength = kFrames;
            data[c].m_nTrackCount = kBones;
            data[c].SetData(repository[c].get(), 0, size);
            data[c].Require();
        }
    }
    ~TClips()
    {
        data[0].Unload();
        data[1].Unload();
    }
    std::vector<TAnimationKey> keys[2];
    std::unique_ptr<TRepository> repository[2];
    TAnimationData data[2];
};

// One skeleton: a tree of 60 bones (bone b under bone (b - 1) / 2), two animations mixed half
// and half into every bone, an aim and a two-bone reach.
struct TRig
{
    explicit TRig(TClips& clips, f32 phase)
    {
        data.m_nBoneCount = kBones;
        for (u32 b = 0; b < kBones; ++b)
        {
            data.aBone[b].nParent = b == 0 ? -1 : static_cast<i16>((b - 1) / 2);
            data.aBone[b].Bind = TMatrix(1.0f);
            data.aBone[b].Rest = TMatrix(1.0f);
            data.aBone[b].Rest.aRow[3] = TVector(0.0f, 0.0f, 1.0f, 1.0f);
        }
        pose.m_nBoneCount = kBones;
        pose.pSkeleton = &skeleton;
        TSkeletonConstraint& aim = pose.aConstraint[pose.m_nConstraintCount++];
        aim.nType = CONSTRAINT_AIM;
        aim.nBone = 3;
        aim.nTarget = 40;
        TSkeletonConstraint& reach = pose.aConstraint[pose.m_nConstraintCount++];
        reach.nType = CONSTRAINT_TWO_BONE_REACH;
        reach.nBone = 5;
        reach.nTarget = 50;
        reach.fLength1 = 1.5f;
        reach.fLength2 = 1.5f;
        for (int c = 0; c < 2; ++c)
        {
            std::memset(&animation[c], 0, sizeof animation[c]);
            animation[c].pAnimationData = &clips.data[c];
            animation[c].pSkeleton = &skeleton;
            animation[c].m_fTimeScale = 1.0f;
            animation[c].m_fSpeed = 30.0f;
            animation[c].Play(1, ANIMATION_PLAY_RESUME);
            animation[c].SetTime(phase + 7.0f * c);
            for (u32 b = 0; b < kBones; ++b)
                animation[c].aBoneMap[b] = static_cast<u8>(b);
            skeleton.Function.aAnimation[c] = &animation[c];
        }
        skeleton.Function.aInstruction[0] = {BLEND_MIX, 0, 0, 1, 0.5f};
        skeleton.Function.nInstructionCount = 1;
        skeleton.m_nFlags = SKELETON_FIXED_RATE;
        skeleton.pSkeletonData = &data;
        skeleton.pSkeletonPose = &pose;
        pose.Require();
    }
    ~TRig() { pose.Unload(); }

    // The fixed-rate part of a frame: the animations advance and the pose is evaluated, as an
    // update worker does it (loading nothing).
    void Evaluate()
    {
        animation[0].Update(kStep);
        animation[1].Update(kStep);
        TSkeletonManager::EvaluateSkeleton(&skeleton, 0);
    }

    TSkeletonData data;
    TSkeletonPose pose;
    TSkeleton skeleton;
    TAnimation animation[2];
};

struct TScene
{
    TScene()
    {
        for (u32 i = 0; i < kSkeletons; ++i)
            rigs.push_back(std::make_unique<TRig>(clips, static_cast<f32>(i % kFrames)));
    }
    // The frame's part on the main thread: every pose published.
    void Publish()
    {
        for (auto& rig : rigs)
            rig->pose.SwapBuffers();
    }
    TClips clips;
    std::vector<std::unique_ptr<TRig>> rigs;
};

// The microseconds of a memcpy of every published matrix, the yardstick of this run.
f64 MemcpyMicroseconds()
{
    std::vector<u8> from(kSkeletons * kBones * sizeof(TMatrix), 1), to(from.size());
    const auto start = std::chrono::steady_clock::now();
    constexpr int kRepeats = 200;
    for (int i = 0; i < kRepeats; ++i)
    {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return std::chrono::duration<f64, std::micro>(std::chrono::steady_clock::now() - start).count() / kRepeats;
}

void BM_SkeletonsOneCore(benchmark::State& state)
{
    TScene scene;
    for (auto _ : state)
    {
        for (auto& rig : scene.rigs)
            rig->Evaluate();
        scene.Publish();
        benchmark::ClobberMemory();
    }
    const f64 memcpyUs = MemcpyMicroseconds();
    state.counters["us_per_frame"] =
        benchmark::Counter(static_cast<f64>(state.iterations()) * 1e-6, benchmark::Counter::kIsRate |
                                                                             benchmark::Counter::kInvert);
    state.counters["memcpy_us"] = memcpyUs;
}
BENCHMARK(BM_SkeletonsOneCore)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(3);

// A worker's share of the skeletons, evaluated in its fixed-rate update.
class TSliceManager : public TManager
{
public:
    TSliceManager(TScene& scene, u32 first, u32 end, u32 worker) : m_pScene(&scene), m_nFirst(first), m_nEnd(end)
    {
        m_nWorker = worker;
        m_nChannel = 0;
    }
    void ThreadUpdateManager(f32) override
    {
        for (u32 i = m_nFirst; i < m_nEnd; ++i)
            m_pScene->rigs[i]->Evaluate();
    }
    void UpdateManager(f32) override {}

private:
    TScene* m_pScene;
    u32 m_nFirst;
    u32 m_nEnd;
};

// The main thread's publication as a frame update.
class TPublishManager : public TManager
{
public:
    explicit TPublishManager(TScene& scene) : m_pScene(&scene) {}
    void UpdateManager(f32) override { m_pScene->Publish(); }

private:
    TScene* m_pScene;
};

void BM_SkeletonsOnWorkers(benchmark::State& state)
{
    const u32 workers = static_cast<u32>(state.range(0));
    TScene scene;
    auto mm = std::make_unique<TManagerManager>();
    mm->CreateSystem(TName("skeletons"));
    std::vector<std::unique_ptr<TManager>> managers;
    for (u32 w = 0; w < workers; ++w)
    {
        managers.push_back(std::make_unique<TSliceManager>(scene, kSkeletons * w / workers,
                                                           kSkeletons * (w + 1) / workers, w + 1));
        mm->AddUpdateManager(managers.back().get(), 0);
    }
    managers.push_back(std::make_unique<TPublishManager>(scene));
    mm->AddUpdateManager(managers.back().get(), 0);
    mm->__SetProcessorCount(static_cast<i32>(workers) + 1);
    mm->Initialize();
    for (auto _ : state)
        mm->Update(kStep);
    mm->Finalize();
    state.counters["us_per_frame"] =
        benchmark::Counter(static_cast<f64>(state.iterations()) * 1e-6, benchmark::Counter::kIsRate |
                                                                             benchmark::Counter::kInvert);
    state.counters["memcpy_us"] = MemcpyMicroseconds();
}
BENCHMARK(BM_SkeletonsOnWorkers)->Arg(1)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond)->UseRealTime()->Repetitions(3);
} // namespace

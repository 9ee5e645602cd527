// The projectiles' costs, each beside its yardstick measured in the same run:
// - Step512: 512 projectiles stepped for six frames over rolling ground of 40 x 40 cells, inside
//   its bounds, some ending in it (curve, ray cast under the scene lock, material, damage) against
//   plain ray casts of the same segments; counters step_ns, rays_ns (per frame) and ratio (aim: at
//   most 1.3).
// - Trails512: the trails of 512 projectiles written into the batch; counter draws (aim: 6).
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxdynamics.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/shader.h"
#include "engine/system/repository.h"
#include "igame/ballistics/ballisticsmanager.h"
#include "igame/ballistics/trailvertex.h"
#include "igame/gamematerial/gamematerialmanager.h"
#include "repositorywriter.h"
#include "support/levelstart.h"
#include "support/scratchworkingfolder.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <vector>

namespace
{
constexpr i32 kCells = 40;
constexpr u32 kRepository = 72;
constexpr u32 kProjectiles = 512;
constexpr f32 kStep = 1.0f / 60.0f;

// Rolling ground up to 2 m high: the projectiles fly inside its bounds and some hit it.
f32 Height(i32 x, i32 z)
{
    return 2.0f * std::sin(static_cast<f32>(x) * 0.7f) * std::cos(static_cast<f32>(z) * 0.5f);
}

struct TGround
{
    TGround()
    {
        StartPhysics(StillSettings());
        TRepositoryWriter writer(kRepository, REPOSITORY_STREAMED);
        writer.Write("cooked.data", nullptr, 0, false);
        cooked = std::make_unique<TRepository>(kRepository, REPOSITORY_STREAMED, TName("cooked.data", true));
        cooked->OpenStreamed("cooked.data", true);
        MakeGround(cooked.get(), kCells, Height, 1);

        // Impacts only: a hit ends the projectile, posting its damage.
        material.nName = g_NameDefault.GetId();
        g_pGameMaterialManager->Materials().Add(&material);
        g_pGameMaterialManager->RebuildKeys();
        // Projectiles crossing the ground at 1 to 3 m, over and into its hills.
        for (u32 i = 0; i < kProjectiles; ++i)
        {
            TProjectile p;
            const f32 x = static_cast<f32>(i % 32) - 16.0f, z = static_cast<f32>(i / 32) * 2.0f - 16.0f;
            p.frame.SetOrientation(TVector(1, 0, 0.2f, 0).Normalized(), TVector(0, 1, 0, 0));
            p.frame.Translation() = TVector(x, 1.0f + static_cast<f32>(i % 3), z, 1.0f);
            p.range = 30.0f;
            p.arcHeight = 1.0f;
            p.lifetime = 2.0f;
            p.trailLength = 2.0f;
            p.trailWidth = 0.05f;
            p.prevPosition = p.frame.Translation();
            launched.push_back(p);
        }
    }

    TScratchWorkingFolder folder{"ballistics_benchmark"};
    std::unique_ptr<TRepository> cooked;
    std::vector<TProjectile> launched;
    TGameMaterial material = {};
};

TGround& Ground()
{
    static TGround s_Ground;
    return s_Ground;
}

void Step512(benchmark::State& state)
{
    TGround& ground = Ground();
    TBallisticsManager& ballistics = *g_pBallisticsManager;
    f64 stepNs = 0.0, raysNs = 0.0;
    u64 frames = 0;
    for (auto _ : state)
    {
        // A tenth of a second of flight, then the same segments as plain ray casts.
        std::vector<TProjectile> flying = ground.launched;
        std::vector<u8> alive(flying.size(), 1);
        std::vector<TVector> from(flying.size());
        std::vector<std::pair<TVector, TVector>> segments;
        segments.reserve(kProjectiles * 6);
        for (u32 frame = 0; frame < 6; ++frame)
        {
            for (size_t i = 0; i < flying.size(); ++i)
                from[i] = flying[i].prevPosition;
            const auto start = TClock::now();
            for (size_t i = 0; i < flying.size(); ++i)
                if (alive[i] && ballistics.Step(flying[i], kStep))
                    alive[i] = 2;
            stepNs += NanosecondsSince(start);
            for (size_t i = 0; i < flying.size(); ++i)
                if (alive[i])
                {
                    segments.emplace_back(from[i], flying[i].position);
                    alive[i] = alive[i] == 2 ? 0 : 1;
                }
            ++frames;
        }
        const auto start = TClock::now();
        u32 hits = 0;
        for (const auto& [a, b] : segments)
        {
            TCollisionHit hit = {};
            hit.nFilter = BALLISTICS_RAY_GROUPS;
            hits += g_pCollisionManager->RayCast(TRay(a, b), hit, 0);
        }
        raysNs += NanosecondsSince(start);
        benchmark::DoNotOptimize(hits);
    }
    state.counters["step_ns"] = stepNs / static_cast<f64>(frames);
    state.counters["rays_ns"] = raysNs / static_cast<f64>(frames);
    state.counters["ratio"] = stepNs / raysNs;
}
BENCHMARK(Step512)->Unit(benchmark::kMicrosecond);

class TCountingMesh : public TDynamicMesh
{
public:
    void* LockVertices(u32 count) override
    {
        m_aVertex.resize(count);
        return m_aVertex.data();
    }
    void Draw(u32, TShader*) override { ++nDraws; }
    void Release() override {}
    u32 nDraws = 0;

private:
    std::vector<TTrailVertex> m_aVertex;
};

class TPlainShader : public TShader
{
public:
    i32 Begin(TNodeObject*, const TMeshDescription*, TMaterial*) override { return 0; }
    void End() override {}
    void SetDefine(const TName&, const TName&) override {}
    void RemoveDefine(const TName&) override {}
};

void Trails512(benchmark::State& state)
{
    TGround& ground = Ground();
    TCountingMesh mesh;
    TPlainShader shader;
    TTrailBatch batch;
    batch.Attach(&mesh);
    batch.SetMaterial(&shader, nullptr);
    std::vector<TProjectile> flying = ground.launched;
    for (TProjectile& p : flying)
        g_pBallisticsManager->Step(p, kStep);
    u64 frames = 0;
    const TVector camera(0, 20, -30, 1);
    for (auto _ : state)
    {
        for (const TProjectile& p : flying)
            WriteTrail(p, camera, batch);
        batch.Flush();
        ++frames;
    }
    state.counters["draws"] = static_cast<f64>(mesh.nDraws) / static_cast<f64>(frames);
    batch.Attach(nullptr);
}
BENCHMARK(Trails512)->Unit(benchmark::kMicrosecond);
} // namespace


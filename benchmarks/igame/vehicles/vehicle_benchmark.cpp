// 20 carts driving circles on a ground of one static box, on one core: per frame, the vehicle
// manager's update (every vehicle's requests, gears, speed and wheel values) against the
// dynamics manager's step of the same frame (the physics and the poses written back), both
// timed in the same run; the aim is at most 0.1 of the step. The wheel calls of a frame are
// counted in a separate pass through counting wheels.
#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "support/countingwheel.h"
#include "support/levelstart.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <deque>
#include <memory>
#include <vector>

namespace
{
constexpr i32 kVehicles = 20;
constexpr f32 kStep = 1.0f / 60.0f;
// Frames driven before the measurement, so that every cart is rolling on its circle.
constexpr i32 kWarmUp = 120;

// The ground and the carts, as the level's cart: front wheels steered, rear wheels driven.
struct TCircleScene
{
    TCircleScene()
    {
        StartPhysics(DrivingSettings());
        StaticBox("ground", TVector(0.0f, -1.0f, 0.0f, 1.0f), TVector(200.0f, 1.0f, 200.0f, 1.0f));
        for (i32 i = 0; i < kVehicles; ++i)
        {
            char name[32];
            FormatStringN(name, sizeof name, "cart_%d", i);
            MakeCart(vehicles.emplace_back(), name,
                     TVector(static_cast<f32>(i % 5) * 20.0f - 40.0f, 0.8f, static_cast<f32>(i / 5) * 20.0f - 30.0f, 1.0f));
        }
        for (TVehicle& vehicle : vehicles)
            g_pVehicleManager->Vehicles().Add(&vehicle);
        for (i32 frame = 0; frame < kWarmUp; ++frame)
            Frame();
    }
    ~TCircleScene()
    {
        g_pVehicleManager->Vehicles().SetCount(0);
        g_pCluster->Clear();
    }

    // The AI's requests: drive at 60 % and steer left at half lock, every frame.
    void Request()
    {
        for (TVehicle& vehicle : vehicles)
        {
            vehicle.Drive(0.6f, kStep);
            vehicle.SteerLeft(0.5f, kStep);
        }
    }
    void Dynamics()
    {
        g_pNxDynamicsManager->ThreadUpdateManager(kStep);
        g_pNxDynamicsManager->UpdateManager(kStep);
    }
    void Frame()
    {
        Request();
        g_pVehicleManager->UpdateManager(kStep);
        Dynamics();
    }

    std::deque<TVehicle> vehicles;
};

using TClock = std::chrono::steady_clock;

void BM_VehiclesAgainstDynamics(benchmark::State& state)
{
    TCircleScene scene;
    TClock::duration vehicles{}, dynamics{};
    i64 frames = 0;
    for (auto _ : state)
    {
        scene.Request();
        const auto start = TClock::now();
        g_pVehicleManager->UpdateManager(kStep);
        const auto middle = TClock::now();
        scene.Dynamics();
        dynamics += TClock::now() - middle;
        vehicles += middle - start;
        ++frames;
    }
    const f64 vehicleUs = std::chrono::duration<f64, std::micro>(vehicles).count() / static_cast<f64>(frames);
    const f64 dynamicsUs =
        std::chrono::duration<f64, std::micro>(dynamics).count() / static_cast<f64>(frames);

    // The wheel calls of a frame, counted over 60 more frames.
    std::vector<std::unique_ptr<TCountingWheel>> counted;
    u32 reads = 0;
    for (TVehicle& vehicle : scene.vehicles)
        for (u32 w = 0; w < vehicle.aWheelGeometry.GetCount(); ++w)
        {
            counted.push_back(std::make_unique<TCountingWheel>(vehicle.aWheelGeometry[w]));
            vehicle.aWheelGeometry[w] = counted.back().get();
        }
    constexpr i32 kCounted = 60;
    for (i32 frame = 0; frame < kCounted; ++frame)
        scene.Frame();
    size_t sent = 0;
    for (const auto& wheel : counted)
    {
        sent += wheel->sent.size();
        reads += wheel->nReads;
    }
    state.counters["vehicles_us"] = vehicleUs;
    state.counters["dynamics_us"] = dynamicsUs;
    state.counters["ratio"] = vehicleUs / dynamicsUs;
    state.counters["wheel_sets"] = static_cast<f64>(sent) / kCounted;
    state.counters["wheel_reads"] = static_cast<f64>(reads) / kCounted;
    state.counters["speed_kmh"] = scene.vehicles.front().GetSpeed();
}
BENCHMARK(BM_VehiclesAgainstDynamics)
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime()
    ->Iterations(600)
    ->Repetitions(3);
} // namespace

#pragma once
// What the benchmarks that start a piece of the level share, so that each keeps only what it
// measures: the clock of their timings; the headless device with the first managers of the
// UI; the physics managers over an empty cluster, static boxes, bodies and the level's carts;
// a collision ground of one-metre cells.
#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxcollisionmanager.h"
#include "ageia/nxcollisionmesh.h"
#include "ageia/nxcollisionmeshdata.h"
#include "ageia/nxdynamics.h"
#include "core/cluster/cluster.h"
#include "core/stream/filestreammanager.h"
#include "directx/render/dxdevice.h"
#include "directx/render/dxdevicevariables.h"
#include "directx/render/dxshadermanager.h"
#include "engine/input/inputmanager.h"
#include "engine/render/meshdata.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "igame/vehicles/vehicle.h"
#include "morvane/ux/screens.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using TClock = std::chrono::steady_clock;

inline f64 NanosecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::nano>(TClock::now() - start).count();
}

inline f64 MillisecondsSince(TClock::time_point start)
{
    return std::chrono::duration<f64, std::milli>(TClock::now() - start).count();
}

inline f64 Median(std::vector<f64> times)
{
    std::sort(times.begin(), times.end());
    return times.empty() ? 0.0 : times[times.size() / 2];
}

// The headless device at 1280 x 720 without vertical sync, under the manager system "Normal",
// with the game's screens, the input, the resources (the loader off: a read is done when asked
// for) and the shaders begun; false without a device.
inline bool StartHeadlessDevice()
{
    setenv("VESTAMOR_HEADLESS", "1", 1);
    g_pFileStreamManager->SetLocked(0);
    g_device_size.Store(1280.0f, 720.0f, 0.0f, 1.0f);
    g_device_verticalsyn.Store(0);
    g_ManagerManager.CreateSystem(TName("Normal", true));
    g_ManagerManager.Initialize();
    if (g_pDeviceManager->InitializeManager() != 0)
        return false;
    g_pDeviceManager->SetRunning(1);
    g_pCluster->LinkTypes();
    RegisterGameScreens();
    TInputManager::Instance().InitializeManager();
    g_pResourceManager->BeginManager();
    g_pResourceManager->GetLoader().SetEnabled(false);
    g_pDxShaderManager->BeginManager();
    return true;
}

// 60 steps a second, one sub-step, no gravity: projectiles and decals query a still scene.
inline TDynamicsSettings StillSettings()
{
    TDynamicsSettings settings{};
    settings.fRate = 60.0f;
    settings.nMaxSubSteps = 1;
    return settings;
}

// 60 steps a second with up to four sub-steps, gravity and the ground's friction: vehicles drive.
inline TDynamicsSettings DrivingSettings()
{
    TDynamicsSettings settings{};
    settings.fStaticFriction = settings.fDynamicFriction = 0.5f;
    settings.fRate = 60.0f;
    settings.nMaxSubSteps = 4;
    settings.aGravity[1] = -9.8f;
    return settings;
}

// The physics managers begun, the cluster emptied, a scene of these settings made.
inline void StartPhysics(const TDynamicsSettings& settings)
{
    g_ManagerManager.Initialize();
    g_pCluster->LinkTypes();
    g_pNxDynamicsManager->InitializeManager();
    g_pNxDynamicsManager->BeginManager();
    g_pNxCollisionManager->BeginManager();
    g_pCluster->Clear();
    g_pNxDynamicsManager->SetData(0, &settings, sizeof settings);
    g_pNxDynamicsManager->OnClusterLoad();
}

inline TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

// A body of one box on a node of the name, not yet made.
inline TDynamicsBody* BoxBody(const char* name, const TVector& at, const TVector& size, f32 mass, u32 groups = 1)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    node->SetLocalMatrix(Translation(at.x, at.y, at.z), TNode::OrdinaryCause());
    TDynamicsBody* body = g_pNxDynamicsManager->CreateBody(node);
    TDynamicsGeometry* box = body->__CreateGeometry(node, GEOMETRY_BOX);
    box->SetSize(size);
    box->SetGroupsMask(groups);
    body->SetMass(mass);
    return body;
}

// A static box of the size at the place, made.
inline TDynamicsBody* StaticBox(const char* name, const TVector& at, const TVector& size)
{
    TDynamicsBody* body = BoxBody(name, at, size, 1.0f);
    body->SetDynamic(0);
    body->__Create();
    return body;
}

// The level's cart at the place, made and driven by the vehicle: a 400 kg box on four wheels,
// the front ones steered, the rear ones driven, all braked.
inline TDynamicsBody* MakeCart(TVehicle& vehicle, const char* name, const TVector& at)
{
    TDynamicsBody* body = BoxBody(name, at, TVector(0.8f, 0.2f, 1.5f, 1.0f), 400.0f);
    vehicle.pBody = body;
    const f32 corners[4][2] = {{-0.8f, 1.2f}, {0.8f, 1.2f}, {-0.8f, -1.2f}, {0.8f, -1.2f}};
    char wheelName[48];
    for (u32 w = 0; w < 4; ++w)
    {
        std::snprintf(wheelName, sizeof wheelName, "%s_wheel_%u", name, w);
        TNode* hub = g_pNodeManager->CreateNode(wheelName);
        body->pNode->AddChild(hub);
        hub->SetLocalMatrix(Translation(corners[w][0], 0.0f, corners[w][1]), TNode::OrdinaryCause());
        TDynamicsGeometry* wheel = body->__CreateGeometry(hub, GEOMETRY_WHEEL);
        wheel->SetSize(TVector(0.35f, 0.3f, 0.0f, 1.0f));
        wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, 20000.0f, 2000.0f, 0.0f, 0.0f, 0.0f);
        wheel->SetGroupsMask(1);
        const u32 role = w < 2 ? VEHICLE_WHEEL_STEERED : VEHICLE_WHEEL_DRIVEN;
        vehicle.aWheelGeometry.Add(wheel);
        vehicle.aWheel[vehicle.wheelCount++] = {role | VEHICLE_WHEEL_BRAKED, 1.0f, 4.0f, 4.0f};
    }
    body->__Create();
    return body;
}

// A ground of cells x cells one-metre cells about the origin at the heights given (two
// triangles a cell), cooked into the streamed repository, made, colliding with the groups.
inline TNxCollisionMesh* MakeGround(TRepository* cooked, i32 cells, f32 (*height)(i32 x, i32 z), u32 groups)
{
    std::vector<f32> vertices;
    std::vector<u16> indices;
    for (i32 z = 0; z <= cells; ++z)
        for (i32 x = 0; x <= cells; ++x)
            vertices.insert(vertices.end(), {static_cast<f32>(x - cells / 2), height(x, z),
                                             static_cast<f32>(z - cells / 2), 0.0f, 1.0f, 0.0f});
    for (i32 z = 0; z < cells; ++z)
        for (i32 x = 0; x < cells; ++x)
        {
            const u16 a = static_cast<u16>(z * (cells + 1) + x), b = static_cast<u16>(a + 1),
                      c = static_cast<u16>(a + cells + 1), d = static_cast<u16>(c + 1);
            indices.insert(indices.end(), {a, c, b, b, c, d});
        }
    TMeshData mesh;
    mesh.m_Name.Set("ground", true);
    mesh.m_Description.nStride = 24;
    mesh.m_Description.nVertexCount = static_cast<u32>(vertices.size() / 6);
    mesh.m_Description.nIndexCount = static_cast<u32>(indices.size());
    TNxCollisionMeshData* data = g_pNxCollisionManager->CreateCollisionMeshData(
        0, &mesh, vertices.data(), indices.data(), cooked, COLLISION_DATA_TRIANGLES, 0);
    data->SetData(cooked, data->m_nDataOffset, data->m_nDataSize);
    TNxCollisionMesh* shape = g_pNxCollisionManager->CreateCollisionMesh(g_pNodeManager->CreateNode("ground"), data, 0);
    shape->SetGroupsMask(groups);
    shape->__Create();
    return shape;
}

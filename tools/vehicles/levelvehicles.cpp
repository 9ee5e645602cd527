#include "levelvehicles.h"

#include "ageia/dynamicsbody.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/nxdynamics.h"
#include "ageia/nxjoint.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "igame/vehicles/vehicle.h"
#include "igame/vehicles/vehiclemanager.h"
#include "levelsounds.h"
#include "repositorywriter.h"
#include "soundrecords.h"

#include <memory>

namespace
{
TMatrix Translation(f32 x, f32 y, f32 z)
{
    TMatrix m(1.0f);
    m.aRow[3] = TVector(x, y, z, 1.0f);
    return m;
}

// A body of one box (half extents) on a new node under the level.
TDynamicsBody* BoxBody(TNode* level, const char* name, const TVector& at, const TVector& size, f32 mass)
{
    TNode* node = g_pNodeManager->CreateNode(name);
    level->AddChild(node);
    node->SetLocalMatrix(Translation(at.x, at.y, at.z), TNode::OrdinaryCause());
    TDynamicsBody* body = g_pNxDynamicsManager->CreateBody(node);
    TDynamicsGeometry* box = body->__CreateGeometry(node, GEOMETRY_BOX);
    box->SetSize(size);
    box->SetGroupsMask(1);
    body->SetMass(mass);
    return body;
}

// A wheel of the body on a hub node at x, y, z of the body's node.
TDynamicsGeometry* AddWheel(TDynamicsBody* body, const char* name, f32 x, f32 y, f32 z, f32 radius)
{
    TNode* hub = g_pNodeManager->CreateNode(name);
    body->pNode->AddChild(hub);
    hub->SetLocalMatrix(Translation(x, y, z), TNode::OrdinaryCause());
    TDynamicsGeometry* wheel = body->__CreateGeometry(hub, GEOMETRY_WHEEL);
    wheel->SetSize(TVector(radius, 0.3f, 0.0f, 1.0f));
    wheel->SetWheelParameter(WHEEL_SUSPENSION_TRAVEL, 0.3f, 0.0f, 0.0f, 0.0f, 0.0f);
    wheel->SetWheelParameter(WHEEL_SUSPENSION_SPRING, 20000.0f, 2000.0f, 0.0f, 0.0f, 0.0f);
    wheel->SetGroupsMask(1);
    return wheel;
}

struct TLevelVehicles
{
    // The level's nodes are gone when the records are replaced (the writer clears the cluster
    // after saving): the vehicles must not go back to them.
    ~TLevelVehicles()
    {
        for (TVehicle& vehicle : aVehicle)
            vehicle.pNode = nullptr;
    }

    TVehicle aVehicle[3];

    void Wheel(TVehicle& vehicle, TDynamicsGeometry* geometry, u32 flags, f32 drive, f32 brake)
    {
        vehicle.aWheelGeometry.Add(geometry);
        vehicle.aWheel[vehicle.wheelCount++] = {flags, 1.0f, drive, brake};
    }

    void Prepare(TVehicle& vehicle, TDynamicsBody* body, i32 type, TGameSound* const sounds[8])
    {
        body->pNode->AddObject(&vehicle);
        vehicle.pBody = body;
        vehicle.type = type;
        vehicle.nameId = body->pNode->m_Name.GetId();
        for (u32 slot = 0; slot < VEHICLE_SOUND_SLOTS; ++slot)
            vehicle.Sound.aSound.Add(sounds[slot]);
        vehicle.Sound.nEnabled = 1;
        g_pVehicleManager->Vehicles().Add(&vehicle);
    }
};

std::unique_ptr<TLevelVehicles> s_pVehicles;
} // namespace

i32 AddLevelVehicles(TRepositoryWriter& writer, TNode* level, TClusterManager** managers, i32 count)
{
    s_pVehicles = std::make_unique<TLevelVehicles>();
    TLevelVehicles& made = *s_pVehicles;
    TGameSound* sounds[VEHICLE_SOUND_SLOTS];
    MakeLevelEngineSounds(writer, sounds);

    // The cart: its box is geometry 0, its four wheels follow, front pair first.
    TNode* cartNode = g_pNodeManager->FindNode(TName(LEVEL_CART).GetId());
    TDynamicsBody* cart = nullptr;
    for (u32 i = 0; cartNode && i < cartNode->GetObjectCount() && !cart; ++i)
        if (cartNode->GetObject(i)->GetType() == g_NameTDynamicsBody.GetId())
            cart = static_cast<TDynamicsBody*>(cartNode->GetObject(i));
    if (cart)
    {
        TVehicle& vehicle = made.aVehicle[0];
        made.Prepare(vehicle, cart, VEHICLE_WHEELED, sounds);
        for (i32 g = 1; g < cart->GetGeometryCount(); ++g)
        {
            const u32 front = g <= 2 ? VEHICLE_WHEEL_STEERED : VEHICLE_WHEEL_DRIVEN;
            made.Wheel(vehicle, cart->GetGeometry(g), front | VEHICLE_WHEEL_BRAKED, 4.0f, 4.0f);
        }
    }

    // The crawler: two powered wheels a side, the left side at +x (the side a left turn goes).
    TDynamicsBody* crawler = BoxBody(level, LEVEL_CRAWLER, TVector(-15.0f, 1.0f, 10.0f, 1.0f),
                                     TVector(1.0f, 0.3f, 1.2f, 1.0f), 600.0f);
    {
        TVehicle& vehicle = made.aVehicle[1];
        made.Prepare(vehicle, crawler, VEHICLE_TRACKED, sounds);
        const f32 corners[4][2] = {{1.0f, 0.5f}, {1.0f, -0.5f}, {-1.0f, 0.5f}, {-1.0f, -0.5f}};
        for (u32 i = 0; i < 4; ++i)
        {
            char name[32];
            FormatStringN(name, sizeof name, "crawler_wheel_%u", i);
            const u32 side = corners[i][0] > 0.0f ? VEHICLE_WHEEL_LEFT : VEHICLE_WHEEL_RIGHT;
            made.Wheel(vehicle, AddWheel(crawler, name, corners[i][0], 0.0f, corners[i][1], 0.4f),
                       VEHICLE_WHEEL_STEERED | side, 6.0f, 6.0f);
        }
    }

    // The loader: the rear body drives, the front body turns about a vertical hinge between
    // them, limited to half a radian either way.
    TDynamicsBody* rear = BoxBody(level, LEVEL_LOADER, TVector(-15.0f, 1.0f, -10.0f, 1.0f),
                                  TVector(0.9f, 0.3f, 0.8f, 1.0f), 400.0f);
    TDynamicsBody* front = BoxBody(level, "loader_front", TVector(-15.0f, 1.0f, -8.0f, 1.0f),
                                   TVector(0.9f, 0.3f, 0.7f, 1.0f), 300.0f);
    {
        TVehicle& vehicle = made.aVehicle[2];
        made.Prepare(vehicle, rear, VEHICLE_JOINT_STEERED, sounds);
        vehicle.pSecondaryBody = front;
        made.Wheel(vehicle, AddWheel(rear, "loader_wheel_0", 0.9f, 0.0f, -0.3f, 0.35f),
                   VEHICLE_WHEEL_DRIVEN | VEHICLE_WHEEL_BRAKED, 4.0f, 4.0f);
        made.Wheel(vehicle, AddWheel(rear, "loader_wheel_1", -0.9f, 0.0f, -0.3f, 0.35f),
                   VEHICLE_WHEEL_DRIVEN | VEHICLE_WHEEL_BRAKED, 4.0f, 4.0f);
        made.Wheel(vehicle, AddWheel(front, "loader_wheel_2", 0.9f, 0.0f, 0.3f, 0.35f), VEHICLE_WHEEL_BRAKED,
                   0.0f, 4.0f);
        made.Wheel(vehicle, AddWheel(front, "loader_wheel_3", -0.9f, 0.0f, 0.3f, 0.35f), VEHICLE_WHEEL_BRAKED,
                   0.0f, 4.0f);
        // The hinge's axis is its node's Z: turned up.
        TNode* hinge = g_pNodeManager->CreateNode("loader_hinge");
        level->AddChild(hinge);
        TMatrix place = TMatrix::RotationX(-90.0f);
        place.aRow[3] = TVector(-15.0f, 1.0f, -9.0f, 1.0f);
        hinge->SetLocalMatrix(place, TNode::OrdinaryCause());
        auto* joint =
            static_cast<TNxDynamicsJoint*>(g_pNxDynamicsManager->CreateJoint(hinge, JOINT_REVOLUTE));
        joint->SetBodyA(rear);
        joint->SetBodyB(front);
        auto& hingeDesc = static_cast<NxRevoluteJointDesc&>(joint->GetDescriptor());
        hingeDesc.flags |= NX_RJF_LIMIT_ENABLED | NX_RJF_MOTOR_ENABLED;
        hingeDesc.limit.low.value = -0.5f;
        hingeDesc.limit.high.value = 0.5f;
        hingeDesc.motor.velTarget = 0.0f;
        hingeDesc.motor.maxForce = 3000.0f;
        vehicle.pDriveJoint = joint;
    }

    managers[count++] = g_pVehicleManager;
    return TSoundRecords::ListManagers(managers, count);
}

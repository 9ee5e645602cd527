#pragma once
// TVehicleManager ("Vehicle"): owns the list of the loaded cluster's vehicles and updates each
// of them every frame, keeps the vehicle the player drives (the active one), binds the
// player's eleven driving actions at every cluster load, hands the player's input to the
// active vehicle and draws a debug text overlay about it.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TInputAction;
class TVehicle;

// The driving actions, in the order of the action table.
enum EVehicleAction : u32
{
    VEHICLE_ACTION_MOVE_LEFT,
    VEHICLE_ACTION_MOVE_RIGHT,
    VEHICLE_ACTION_MOVE_UP,
    VEHICLE_ACTION_MOVE_DOWN,
    VEHICLE_ACTION_HANDBRAKE,
    VEHICLE_ACTION_TOGGLE_HANDBRAKE,
    VEHICLE_ACTION_TOGGLE_LIGHTS,
    VEHICLE_ACTION_JOY_MOVE_LEFT,
    VEHICLE_ACTION_JOY_MOVE_RIGHT,
    VEHICLE_ACTION_JOY_MOVE_FORWARD,
    VEHICLE_ACTION_JOY_MOVE_BACKWARD,
    VEHICLE_ACTION_COUNT
};

// The action names, in table order.
extern const char* const g_aVehicleActionName[VEHICLE_ACTION_COUNT];

class TVehicleManager : public TManager, public TClusterMethods, public TResourceMethods
{
public:
    TVehicleManager();

    // Registers the manager with the resource manager and the cluster.
    void BeginManager() override;
    // The debug overlay of the active vehicle.
    void RenderManager() override;
    // Every vehicle's update, in list order.
    void UpdateManager(f32 step) override;
    // Binds the actions, marks every vehicle's last sent wheel values stale and checks the
    // stored data of the loaded vehicles.
    void OnClusterLoad() override;

    // Each setter first stops the engine sound of the vehicle active until then.
    void SetActiveVehicleIndex(i32 index);
    // -1 when the vehicle is not in the list.
    void SetActiveVehicle(TVehicle* vehicle);
    // The first vehicle of the name id; -1 when none.
    void SetActiveVehicleByName(u32 nameId);
    TVehicle* GetActiveVehicle() const;
    i32 GetActiveIndex() const { return m_nActiveIndex; }
    // The active vehicle reads the player's input.
    void HandleInput();

    // The action of the table, null until a cluster load binds them.
    TInputAction* GetAction(EVehicleAction action) const { return m_apAction[action]; }
    // The list the cluster fills; programs may add vehicles of their own.
    DArray<TVehicle*>& Vehicles() { return m_aVehicle; }

private:
    DArray<TVehicle*> m_aVehicle;
    i32 m_nActiveIndex;
    i32 m_nSecondIndex;
    TInputAction* m_apAction[VEHICLE_ACTION_COUNT];
};

extern TVehicleManager* g_pVehicleManager;

#pragma once
// The game's three enumerations: the states of a gate, the types of a gate task and the
// service kinds (the management grid's columns), with the names the screens and the log show.
#include "core/system/templates/sarray.h"

enum TGateState : i32
{
    gsIdle,
    gsParkAirplane,
    gsBeforeUnloading,
    gsUnloading,
    gsPlaneIdle,
    gsLoading,
    gsWaitForTakeoff,
    gsProceedingToTakeoff,
    gsTakeOff,
    GATE_STATE_COUNT
};

enum TTaskType : i32
{
    gtDeployMaintenance,
    gtMaintenanceToGarage,
    gtDeployStairs,
    gtStairsToGarage,
    gtDeployTunnel,
    gtRetreiveTunnel,
    gtDeployLuggage,
    gtLuggageToTerminal,
    gtLuggageToGate,
    gtLuggageToGarage,
    gtDeployExtCleaning,
    gtExtCleaningToGarage,
    gtDeployBus,
    gtBusToTerminal,
    gtBusToGate,
    gtBusToGarage,
    gtDeployIntCleaning,
    gtIntCleaningToGarage,
    gtDeployFuel,
    gtFuelToGarage,
    gtDeployCatering,
    gtCateringToGarage,
    gtDeployTaxi,
    gtTaxi,
    gtDeployRepairs,
    gtRepairsToGarage,
    gtTaxiToGarage,
    gtCargoGarageToStorage,
    gtCargoStorageToPlane,
    gtCargoPlaneToGarage,
    gtCargoGarageToPlane,
    gtCargoPlaneToStorage,
    gtCargoStorageToGarage,
    TASK_TYPE_COUNT
};

enum TServiceKind : i32
{
    skMaintenance,
    skRepairs,
    skStairs,
    skBus,
    skTunnel,
    skExtCleaning,
    skLuggage,
    skIntCleaning,
    skFuel,
    skCatering,
    skTaxi,
    SERVICE_KIND_COUNT
};

typedef SString<64> TGameName;

// The name of a value; "???" outside the table.
void GetGateStateName(i32 state, TGameName& name);
void GetTaskTypeName(i32 type, TGameName& name);
// The deploy task that stands for a service kind; -1 outside 0..10.
i32 GetServiceTaskType(i32 kind);

#include "morvane/game/gameenums.h"

namespace
{
const char* const kGateStateName[GATE_STATE_COUNT] = {
    "gsIdle",    "gsParkAirplane",   "gsBeforeUnloading",     "gsUnloading", "gsPlaneIdle",
    "gsLoading", "gsWaitForTakeoff", "gsProceedingToTakeoff", "gsTakeOff"};

const char* const kTaskTypeName[TASK_TYPE_COUNT] = {
    "gtDeployMaintenance",   "gtMaintenanceToGarage",  "gtDeployStairs",      "gtStairsToGarage",
    "gtDeployTunnel",        "gtRetreiveTunnel",       "gtDeployLuggage",     "gtLuggageToTerminal",
    "gtLuggageToGate",       "gtLuggageToGarage",      "gtDeployExtCleaning", "gtExtCleaningToGarage",
    "gtDeployBus",           "gtBusToTerminal",        "gtBusToGate",         "gtBusToGarage",
    "gtDeployIntCleaning",   "gtIntCleaningToGarage",  "gtDeployFuel",        "gtFuelToGarage",
    "gtDeployCatering",      "gtCateringToGarage",     "gtDeployTaxi",        "gtTaxi",
    "gtDeployRepairs",       "gtRepairsToGarage",      "gtTaxiToGarage",      "gtCargoGarageToStorage",
    "gtCargoStorageToPlane", "gtCargoPlaneToGarage",   "gtCargoGarageToPlane", "gtCargoPlaneToStorage",
    "gtCargoStorageToGarage"};

const i32 kServiceTask[SERVICE_KIND_COUNT] = {gtDeployMaintenance, gtDeployRepairs,     gtDeployStairs,
                                              gtDeployBus,         gtDeployTunnel,      gtDeployExtCleaning,
                                              gtDeployLuggage,     gtDeployIntCleaning, gtDeployFuel,
                                              gtDeployCatering,    gtDeployTaxi};

const char* NameOf(i32 value, const char* const* table, i32 count)
{
    return value >= 0 && value < count ? table[value] : "???";
}
} // namespace

void GetGateStateName(i32 state, TGameName& name)
{
    name = NameOf(state, kGateStateName, GATE_STATE_COUNT);
}

void GetTaskTypeName(i32 type, TGameName& name)
{
    name = NameOf(type, kTaskTypeName, TASK_TYPE_COUNT);
}

i32 GetServiceTaskType(i32 kind)
{
    return kind >= 0 && kind < SERVICE_KIND_COUNT ? kServiceTask[kind] : -1;
}

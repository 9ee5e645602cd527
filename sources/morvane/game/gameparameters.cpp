#include "morvane/game/gameparameters.h"

#include "core/system/log.h"

#include <cstring>

namespace
{
const char* const kCheckError = "TGameParameters::CheckStoredData(): error: ";

// A queue holds five zones: a stored count below is completed with empty zones of the
// standard radius, one above cut.
template <class TZones> void CompleteZones(TZones& zones, const char* queue)
{
    const u32 count = zones.GetCount();
    if (count == GAME_WAIT_ZONE_COUNT)
        return;
    if (count > GAME_WAIT_ZONE_COUNT)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "%u %s zones cut to %u", count, queue,
                    GAME_WAIT_ZONE_COUNT);
        zones.SetCount(GAME_WAIT_ZONE_COUNT);
        return;
    }
    TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "%u %s zones completed to %u", count, queue,
                GAME_WAIT_ZONE_COUNT);
    zones.SetCount(GAME_WAIT_ZONE_COUNT);
    for (u32 i = count; i < GAME_WAIT_ZONE_COUNT; ++i)
        zones[i] = {};
}

template <class TArray> void CutCount(TArray& array, const char* what)
{
    if (array.GetCount() <= TArray::GetCapacity())
        return;
    TLog::Print(g_pSystemLog, LOG_ERROR, kCheckError, "%u %s cut to %u", array.GetCount(), what,
                TArray::GetCapacity());
    array.SetCount(TArray::GetCapacity());
}
} // namespace

TGameParameters::TGameParameters()
{
    std::memset(static_cast<void*>(this), 0, sizeof *this);
    aLandingZone.SetCount(GAME_WAIT_ZONE_COUNT);
    aTakeOffZone.SetCount(GAME_WAIT_ZONE_COUNT);
    for (u32 i = 0; i < GAME_WAIT_ZONE_COUNT; ++i)
    {
        aLandingZone[i] = {};
        aTakeOffZone[i] = {};
    }
    nFlags = GAME_FLAGS_AT_START;
    nMoney = GAME_MONEY_AT_START;
    fArrivalInterval = GAME_ARRIVAL_INTERVAL;
    nSkipLandingAnimation = 1;
    nLandAtOnce = 1;
    nWaitReset = 1;
    nRainScheduled = 1;
    fNextRainTimer = GAME_FIRST_RAIN;
    fRainDurationTimer = GAME_FIRST_RAIN_DURATION;
}

void TGameParameters::CheckStoredData()
{
    CutCount(aPlane, "aircraft");
    CompleteZones(aLandingZone, "landing");
    CompleteZones(aTakeOffZone, "take-off");
    CutCount(aCarMesh, "car meshes");
}

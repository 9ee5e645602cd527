#pragma once
// TManager: base of every engine and game service. Each manager is a static singleton
// registered under a short name (TManagerManager::RegisterManager) and run by the manager
// systems' phase lists: initialize, begin, end, finalize, render, and two kinds of update, the
// fixed-rate ThreadUpdateManager (on an update worker or inline) and UpdateManager (main thread).
#include "core/cluster/clustermanager.h"
#include "engine/system/renderstats.h"

// Update channels: 0 once per frame with the frame's delta, 1 to 4 fixed-rate clocks.
constexpr u32 MANAGER_CHANNEL_COUNT = 5;

// Update flags.
constexpr u32 MANAGER_UPDATE_SKIP_ZERO = 0x1; // no update while the step is 0.0
constexpr u32 MANAGER_UPDATE_COLLAPSE = 0x2;  // the frame's steps in one call
constexpr u32 MANAGER_UPDATE_SUM = 0x4;       // with 0x2: that call gets the sum of the steps
constexpr u32 MANAGER_UPDATE_OWN_CLOCK = 0x8; // the manager keeps its own clock remainder

// How many statistics records managers can take.
constexpr u32 MANAGER_STATISTICS_COUNT = 128;

class TManager : public TClusterManager
{
public:
    TManager();
    ~TManager() override;

    const TName* GetName() override;
    // The text of the name; empty when it is not in the name table.
    const char* GetNameText() const { return m_Name.GetText(); }

    // 0 for success, an error code otherwise.
    virtual i32 InitializeManager();
    virtual void FinalizeManager();
    virtual void BeginManager();
    virtual void EndManager();
    // Default: a warning, and the manager leaves the render list.
    virtual void RenderManager();
    virtual void ThreadUpdateManager(f32 step);
    // Default: a warning, and the manager leaves the update list.
    virtual void UpdateManager(f32 step);

    // Takes a zeroed record from the static pool (given back by the destructor); null when
    // the pool is used up.
    static TRenderStats* _AllocStatistics();

    TName m_Name;
    TName m_TypeName;
    f32 m_fClockRemainder;
    u32 m_nChannel;
    // 0: none; k >= 1: worker list (k - 1) modulo the worker count.
    u32 m_nWorker;
    u32 m_nWorkerIndex;
    u32 m_nUpdateFlags;
    u32 m_nRenderCalls;
    u32 m_nUpdateCalls;
    // Milliseconds.
    f32 m_fInitializeTime;
    f32 m_fRenderTime;
    f32 m_fUpdateTime;
    f32 m_fThreadUpdateTime;
    f32 m_fTotalRenderTime;
    f32 m_fTotalUpdateTime;
    f32 m_fTotalThreadUpdateTime;
    // The fixed-rate call in progress.
    u32 m_nStepIndex;
    u32 m_nStepCount;
    // The word of the list entry being run.
    u32 m_nStepWord;
    TRenderStats* m_pStatistics;
};

static_assert(sizeof(TManager) == 84);

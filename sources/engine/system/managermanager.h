#pragma once
// TManagerManager: the one registry of managers by name, up to four manager systems, and the
// update workers. The start-up script builds and runs the systems through the manager
// commands; the main loop calls Update and Render once per frame.
#include "core/system/templates/sset.h"
#include "engine/system/manager.h"
#include "engine/system/managersystem.h"
#include "engine/system/managerupdatethread.h"

constexpr u32 MANAGER_REGISTRY_CAPACITY = 128;
constexpr u32 MANAGER_SYSTEM_CAPACITY = 4;
constexpr u32 MANAGER_WORKER_CAPACITY = 8;

// Lock states.
constexpr u32 MANAGER_LOCK_INITIALIZING = 0;
constexpr u32 MANAGER_LOCK_OPEN = 1;
constexpr u32 MANAGER_LOCK_LOCKED = 2;

// Crash-track activities (the step is the list index).
constexpr u32 MANAGER_TRACK_INITIALIZE = 1;
constexpr u32 MANAGER_TRACK_BEGIN = 2;
constexpr u32 MANAGER_TRACK_FINALIZE = 3;
constexpr u32 MANAGER_TRACK_UPDATE = 4;
constexpr u32 MANAGER_TRACK_WORKERS = 5;
constexpr u32 MANAGER_TRACK_RENDER = 6;

// The main loop's timing record: pass counter, then milliseconds of the last pass and running
// totals for message pumping, manager update, present flush, manager render and present.
struct TManagerTiming
{
    u32 nPass;
    f32 aLast[5];
    f32 aTotal[5];
};

static_assert(sizeof(TManagerTiming) == 44);

class TManagerManager
{
public:
    TManagerManager();
    ~TManagerManager();

    // Stores the instance into the cell and registers it under the name; a name already
    // registered keeps its first manager. Returns 0.
    template <class T>
    static i32 RegisterManager(const char* name, const char* typeName, T** cell, T* instance)
    {
        *cell = instance;
        return Register(name, typeName, instance);
    }
    static i32 Register(const char* name, const char* typeName, TManager* instance);
    TManager* FindManager(const TName& name) const;

    // Appends a system with empty lists and makes it active; null when all four exist.
    TManagerSystem* CreateSystem(const TName& name);
    TManagerSystem* FindSystem(const TName& name);
    void __ActivateSystem(const TName& name);
    // Activated at the end of the next Update.
    void RequestSystem(const TName& name) { m_RequestedSystem = name; }

    void AddInitializeManager(TManager* manager, u32 word);
    void AddFinalizeManager(TManager* manager, u32 word);
    void AddUpdateManager(TManager* manager, u32 word);
    void AddRenderManager(TManager* manager, u32 word);
    // Appends the render entries of another system (or of the active one itself, once).
    void AddRenderManager(const TManagerSystem* system);
    // Removes every entry of the manager from a list of the active system.
    void _RemoveManager(TManagerListIndex list, TManager* manager);

    void Initialize();
    void Begin();
    void End();
    void Finalize();
    void Update(f32 dt);
    void Render();

    // The number of update workers (system_cpu); below 2 the fixed-rate lists run inline.
    void __SetProcessorCount(i32 count);

    u32 GetLockState() const { return m_nLockState; }
    // Inside Update: what runs now (a console line, a key bind) runs inside a frame.
    bool IsUpdating() const { return m_nUpdating != 0; }
    TManagerSystem* GetActiveSystem() const { return m_pActiveSystem; }
    u32 GetManagerCount() const { return m_aManager.GetCount(); }
    TManager* GetManager(u32 index) const { return m_aManager[index].value; }
    i32 GetWorkerCount() const { return m_nWorkerCount; }
    const TManagerUpdateThread& GetUpdateThread(u32 index) const { return m_aThread[index]; }
    // The crash breadcrumbs, printed by the crash report as "track %d.%d".
    void SetTrack(u32 activity, u32 step);
    u32 GetTrackActivity() const { return m_nTrackActivity; }
    u32 GetTrackStep() const { return m_nTrackStep; }
    f32 GetStepTime(u32 channel) const { return m_aStepTime[channel]; }
    i32 GetStepCount(u32 channel) const { return m_aStepCount[channel]; }
    f32 GetAccumulatedTime(u32 channel) const { return m_aAccumulatedTime[channel]; }
    TManagerTiming& GetTiming() { return m_Timing; }
    // Milliseconds of the last frame's main-thread updates and of its fixed-rate lists.
    f32 GetUpdateTime() const { return m_fUpdateTime; }
    f32 GetThreadUpdateTime() const { return m_fThreadUpdateTime; }

private:
    bool _CheckActive(const char* function);
    // The system Initialize ran (until Finalize), else the active one: what Begin, End and
    // Finalize walk.
    TManagerSystem* _PhaseSystem(const char* function);
    void _AddManager(TManagerListIndex list, TManager* manager, u32 word);
    // Worker threads exist and run (count 2 or more, all created).
    bool _HasWorkers() const;
    void _CopyFrameSteps(f32 dt);
    void _ReleaseWorkers(f32 dt);
    void _CollectWorkers();
    void _StopWorkers();
    // Rebuilds every worker list from the active system's update list.
    void _BuildWorkerLists();

    SSet<TMapKey<TName, TManager*>, MANAGER_REGISTRY_CAPACITY, TName, 0> m_aManager;
    SArray<TManagerSystem, MANAGER_SYSTEM_CAPACITY, 1> m_aSystem;
    TName m_RequestedSystem;
    TManagerSystem* m_pActiveSystem;
    TManagerSystem* m_pStartedSystem;
    u32 m_nLockState;
    u32 m_nReleased;
    u32 m_nTrackActivity;
    u32 m_nTrackStep;
    i32 m_nWorkerCount;
    f32 m_aRate[MANAGER_CHANNEL_COUNT];
    f32 m_aStepTime[MANAGER_CHANNEL_COUNT];
    f32 m_aAccumulatedTime[MANAGER_CHANNEL_COUNT];
    i32 m_aStepCount[MANAGER_CHANNEL_COUNT];
    SArray<TManagerUpdateThread, MANAGER_WORKER_CAPACITY, 1> m_aThread;
    // Moves on once per release; the workers sleep on it.
    TWaitWord m_Release;
    // The workers that have not finished the current release; the last wakes the main thread.
    TWaitWord m_Remaining;
    f32 m_fThreadUpdateTime;
    f32 m_fUpdateTime;
    TManagerTiming m_Timing;
    // The workers' copy of the frame, written only while every worker waits.
    TManagerFrameSteps m_WorkerSteps;
    // 1 while the worker threads of the current count run.
    u32 m_nThreadsRunning;
    u32 m_nUpdating;
};

// The one manager manager, built ahead of every default-priority static initialiser.
extern TManagerManager g_ManagerManager;

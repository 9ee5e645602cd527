#pragma once
// TLoadingManager ("Loading", g_pLoadingManager): starts the loading display when a repository
// load begins while the main loop runs, preloads every shader and the textures marked for it
// after a cluster load (so that the first frames do not stall), then stops the display; owns the
// loaded intro records and the loading state the intro's threaded load goes through.
#include "core/cluster/clustermethods.h"
#include "core/system/criticalsection.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

struct TUIIntro;

// Loading states.
constexpr u32 LOADING_STATE_INITIAL = 0;
constexpr u32 LOADING_STATE_THREAD = 1;       // the game's data load on the intro thread
constexpr u32 LOADING_STATE_FIRST_UPDATE = 2; // the main thread runs the first update
constexpr u32 LOADING_STATE_DONE = 3;

class TLoadingManager : public TManager, public TClusterMethods, public TResourceMethods
{
public:
    TLoadingManager();
    ~TLoadingManager() override;

    void BeginManager() override;
    // The cluster's array of intro records is this manager's; 1 for other ids.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;

    // A repository load begins: the loading display starts while the main loop runs.
    void OnRepositoryLoad(const char* name) override;
    // Preloading, then the display stops and the state is done.
    void OnClusterLoad() override;

    // The records of the loaded intro repository (the data writer lists its own here).
    DArray<TUIIntro*>& Intros() { return m_aIntro; }
    u32 GetIntroCount() const { return static_cast<u32>(m_aIntro.GetCount()); }
    TUIIntro* GetIntro(u32 index) const { return m_aIntro[static_cast<i32>(index)]; }

    // Under the intro critical section.
    u32 GetState();
    void SetState(u32 state);
    // Starts the loading display when the state is `state`, under the intro critical section,
    // so that it never starts after the preloading has stopped it.
    void StartDisplayIn(u32 state);

private:
    DArray<TUIIntro*> m_aIntro;
    u32 m_nState;
};

extern TLoadingManager* g_pLoadingManager;

// Guards the loading state; made by a static initialiser.
TCriticalSection& IntroCriticalSection();

#pragma once
// TAutomatManager ("Automat"): holds the automats and automat states of the loaded levels and,
// every frame, runs the update script of each enabled automat's active state. Changing the
// active state belongs to the script side; this manager only runs it. Main thread only.
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

struct TAutomat;
struct TAutomatState;

class TAutomatManager : public TManager
{
public:
    TAutomatManager();

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TAutomatState*>& States() { return m_aState; }
    DArray<TAutomat*>& Automats() { return m_aAutomat; }

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void UpdateManager(f32 step) override;

private:
    DArray<TAutomatState*> m_aState;
    DArray<TAutomat*> m_aAutomat;
};

extern TAutomatManager* g_pAutomatManager;

#pragma once
// TAtmosphereManager ("Atmosphere") at its least: the level's atmospheres (the object list the
// orbit cameras move with a camera switch) and atmosphere changes, which the cluster fills;
// each frame it steps the changes' running transitions, and a cluster load applies every
// change. The sky's drawing, time of day and plug-ins come with the atmosphere and sky.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TAtmosphere;
struct TAtmosphereChange;

class TAtmosphereManager : public TManager, public TClusterMethods
{
public:
    TAtmosphereManager();

    void BeginManager() override;
    void UpdateManager(f32 step) override;
    void OnClusterLoad() override;

    DArray<TAtmosphere*>& Atmospheres() { return m_aAtmosphere; }
    DArray<TAtmosphereChange*>& Changes() { return m_aChange; }
    // The first change (the game's rain blend), or null.
    TAtmosphereChange* GetFirstChange() const;

private:
    DArray<TAtmosphere*> m_aAtmosphere;
    DArray<TAtmosphereChange*> m_aChange;
};

extern TAtmosphereManager* g_pAtmosphereManager;

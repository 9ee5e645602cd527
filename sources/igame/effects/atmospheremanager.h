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
    // Cloud density and rain as the effect settings set them each frame (the sky reads them).
    void SetCloudsAndRain(f32 cloudDensity, f32 rain)
    {
        m_fCloudDensity = cloudDensity;
        m_fRain = rain;
    }
    f32 GetCloudDensity() const { return m_fCloudDensity; }
    f32 GetRain() const { return m_fRain; }

private:
    DArray<TAtmosphere*> m_aAtmosphere;
    DArray<TAtmosphereChange*> m_aChange;
    f32 m_fCloudDensity = 0.0f;
    f32 m_fRain = 0.0f;
};

extern TAtmosphereManager* g_pAtmosphereManager;

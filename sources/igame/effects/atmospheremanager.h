#pragma once
// TAtmosphereManager ("Atmosphere", g_pAtmosphereManager): the level's atmospheres (also the
// object list the orbit cameras move with a camera switch), their changes, sky elements and
// templates, and the first vertex pool. Each frame it publishes the time of day, steps the
// changes' running transitions and updates every dynamic sky: the sun and the light that
// follows it, the colour keys, night factor and cloud shadow, and the clouds, elements and stars
// (atmosphereupdate.cpp). Cloud density and rain are rewritten every frame by the effect settings;
// a lasting density goes through the override. The sky parameters are published in
// g_SkyParameters for the shader-parameter plug-ins.
#include "core/cluster/clustermethods.h"
#include "core/math/matrix.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TAtmosphere;
class TAtmosphereVertexPool;
class TCamera;
class TViewport;
struct TAtmosphereChange;
struct TSkyElement;
struct TSkyElementTemplate;

constexpr u32 SKY_COLOR_PARAMETERS = 5;
constexpr f32 ATMOSPHERE_NO_OVERRIDE = -1.0f;
// The render manager's frame clear flags with the sky drawn (depth and stencil) and without it.
constexpr u32 ATMOSPHERE_CLEAR_WITH_SKY = 6;
constexpr u32 ATMOSPHERE_CLEAR_WITHOUT_SKY = 7;

// What the sky hands the shaders, published each frame.
struct TSkyParameters
{
    f32 fTimeOfDay;
    // Sun direction (x, y, z) and the night factor (w).
    TVector SunDirection;
    TVector LightColor;
    // Cloud shadow colour (x, y, z) and factor (w).
    TVector CloudShadow;
    TVector SunOffset;
    // 0 the light colour, 1 the sun direction, 2 the sky colour, 3 the light's second colour,
    // 4 the sky's base colour; without a sky 1-4 are the scene light's.
    TVector aSkyColor[SKY_COLOR_PARAMETERS];
};

extern TSkyParameters g_SkyParameters;

class TAtmosphereManager : public TManager, public TClusterMethods
{
public:
    TAtmosphereManager();

    void BeginManager() override;
    void UpdateManager(f32 step) override;
    // Draws the skies before the scene (atmosphererender.cpp): the first frame drawn stops the
    // render manager's colour clear.
    void RenderManager() override;
    // Cuts stored counts above their capacities (one line each), applies every change,
    // requires the vertex pool, makes the sky stream; the next frame drawn is a first frame.
    void OnClusterLoad() override;

    DArray<TAtmosphere*>& Atmospheres() { return m_aAtmosphere; }
    DArray<TAtmosphereChange*>& Changes() { return m_aChange; }
    DArray<TSkyElement*>& Elements() { return m_aElement; }
    DArray<TSkyElementTemplate*>& Templates() { return m_aTemplate; }
    DArray<TAtmosphereVertexPool*>& VertexPools() { return m_aPool; }
    // The first change (the game's rain blend), or null.
    TAtmosphereChange* GetFirstChange() const;
    TAtmosphereVertexPool* GetVertexPool() const { return m_aPool.GetCount() ? m_aPool[0] : nullptr; }
    // Cloud density and rain as the effect settings set them each frame (the sky reads them).
    void SetCloudsAndRain(f32 cloudDensity, f32 rain)
    {
        m_fCloudDensity = cloudDensity;
        m_fRain = rain;
    }
    f32 GetCloudDensity() const { return m_fCloudDensity; }
    f32 GetRain() const { return m_fRain; }
    void SetCloudDensity(f32 density) { m_fCloudDensity = density; }
    // -1 for none; any other value replaces the density every frame.
    void SetCloudOverride(f32 density) { m_fCloudOverride = density; }
    // Fraction of a day, clamped to [0, 1].
    void SetTimeOfDay(f32 time);
    f32 GetTimeOfDay() const { return m_fTimeOfDay; }
    u32 IsEnabled() const { return m_nEnabled; }
    // The enabled flag; a change sets the frame's clear flags for drawing with or without the sky.
    void SetEnabled(u32 enabled);
    u32 IsFirstFrame() const { return m_nFirstFrame; }

    // The per-frame update of one dynamic sky seen from the camera at eye (atmosphereupdate.cpp).
    void UpdateSky(TAtmosphere& sky, f32 dt, const TMatrix& eye);

private:
    void DrawDynamicSky(TAtmosphere& sky, const TVector& eye);
    // A textured dome or box; a later sky in the list fades in by its weight.
    void DrawPlainSky(TAtmosphere& sky, const TVector& eye, u32 later);
    // The elements instanced into the sky stream with the pool's current shader, one draw
    // unless the stream fills; visibleOnly skips elements whose visible flag is clear.
    void DrawElements(TSkyElement* const* elements, u32 count, const TVector& eye, u32 visibleOnly);

    DArray<TAtmosphere*> m_aAtmosphere;
    DArray<TAtmosphereChange*> m_aChange;
    DArray<TSkyElementTemplate*> m_aTemplate;
    DArray<TSkyElement*> m_aElement;
    DArray<TAtmosphereVertexPool*> m_aPool;
    f32 m_fTimeOfDay = 0.0f;
    u32 m_nFirstFrame = 1;
    u32 m_nEnabled = 1;
    f32 m_fCloudDensity = 0.0f;
    f32 m_fRain = 0.0f;
    f32 m_fCloudOverride = ATMOSPHERE_NO_OVERRIDE;
    // The sun's turn times the sky's rotation, which the stars follow.
    TMatrix m_StarRotation = TMatrix(1.0f);
};

extern TAtmosphereManager* g_pAtmosphereManager;

// The viewport the frame draws first, or null (a level's viewports go with it, so the render
// manager's last current one is not kept).
TViewport* FrameViewport();
// The camera the sky follows: the one the frame's first viewport shows (what the player
// sees), else the main camera.
TCamera* SkyCamera();

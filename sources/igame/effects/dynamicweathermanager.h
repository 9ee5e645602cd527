#pragma once
// TDynamicWeatherManager ("DynamicWeather", g_pDynamicWeatherManager): precipitation around the
// camera as up to 20 layers of one tiling volume of particles, 60 units a side. Each layer
// scrolls by its own offset: it falls at its own speed and drifts with a noise-driven wind. The
// look is a state of eight parameters and a texture; the 128-byte data block holds the running
// transition, its start and target states and the current one. The nearest weather occlusion
// box (the level's, type 118) tells the shader where nothing falls.
#include "core/cluster/clusterhandlelink.h"
#include "core/cluster/clustermethods.h"
#include "core/math/matrix.h"
#include "core/math/random.h"
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

#include <cstddef>

class TDynamicMesh;
class TWeatherOcclusionBox;

constexpr u32 WEATHER_PARAMETERS = 8;
constexpr u32 WEATHER_LAYERS = 20;
constexpr u32 WEATHER_BLOCK_SIZE = 128;
constexpr u32 WEATHER_STATE_SIZE = 40;
constexpr u32 WEATHER_CONSTANT_VECTORS = 20;
// The wrap size of the particle volume.
constexpr f32 WEATHER_CELL = 60.0f;
// Particles of the mesh by device_detaillevel 0 to 5.
constexpr u32 WEATHER_PARTICLES[6] = {2000, 3500, 5000, 7500, 8500, 10000};

// The parameters of a state.
constexpr u32 WEATHER_FALL_SPEED = 0;
// Layers: the next whole number at or above it; the last layer fades with the fraction.
constexpr u32 WEATHER_LAYER_COUNT = 1;
constexpr u32 WEATHER_PARTICLE_SIZE = 2;
constexpr u32 WEATHER_STREAK_LENGTH = 3;
constexpr u32 WEATHER_OPACITY = 4;
constexpr u32 WEATHER_WIND = 5;
// Camera speeds (units per second) where the motion fade starts, and over which it grows.
constexpr u32 WEATHER_FADE_START = 6;
constexpr u32 WEATHER_FADE_RANGE = 7;

// The shader's 20 vectors: 0-3 view x projection, 4-7 the previous one, 8-11 world to
// occlusion box, 12 the layer's offset, 13 its velocity x dt, 14 its opacity, 15 the camera
// position, 16 {size scale, streak scale}, 17 the light colour, 18 the camera's Z axis x 18.
constexpr u32 WEATHER_VECTOR_LAYER_OFFSET = 12;
constexpr u32 WEATHER_VECTOR_LAYER_VELOCITY = 13;
constexpr u32 WEATHER_VECTOR_LAYER_OPACITY = 14;
constexpr u32 WEATHER_VECTOR_CAMERA = 15;
constexpr u32 WEATHER_VECTOR_SCALES = 16;
constexpr u32 WEATHER_VECTOR_LIGHT = 17;
constexpr u32 WEATHER_VECTOR_AHEAD = 18;

// A look: the eight parameters and the texture (a cluster handle, then the object it resolves to).
struct TWeatherState
{
    f32 aParameter[WEATHER_PARAMETERS];
    TClusterHandleLink Texture;
};

static_assert(sizeof(TWeatherState) == WEATHER_STATE_SIZE);

// The manager's data block.
struct TWeatherBlock
{
    // Seconds; 0: no transition running.
    f32 fDuration;
    f32 fElapsed;
    TWeatherState Start;
    TWeatherState Target;
    TWeatherState Current;
};

static_assert(sizeof(TWeatherBlock) == WEATHER_BLOCK_SIZE);
static_assert(offsetof(TWeatherBlock, Start) == 8 && offsetof(TWeatherBlock, Target) == 48);
static_assert(offsetof(TWeatherBlock, Current) == 88);

struct TWeatherLayer
{
    // Drawn at start-up from [0.75, 1.25).
    f32 fSpeedFactor;
    TVector Velocity;
    TVector Offset;
    // Drawn at start-up from [0, 60) per component.
    TVector BaseOffset;
};

class TDynamicWeatherManager : public TManager, public TClusterMethods
{
public:
    TDynamicWeatherManager();

    void BeginManager() override;
    void UpdateManager(f32 dt) override;
    // Each layer draws the one particle mesh (built on first use, after a device reset or a
    // cluster unload) with its offset, velocity and opacity, while the current state names a
    // texture.
    void RenderManager() override;
    void OnClusterUnload() override;

    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return WEATHER_BLOCK_SIZE; }
    i32 GetData(i32 index, void*& data, i32& size) override;
    // Copies at most 128 bytes (a longer block is cut with a line); writing a duration, a start
    // and a target state starts a transition.
    i32 SetData(i32 index, const void* data, i32 size) override;
    // The effect settings' 40 weather bytes, as the current state (each frame).
    void SetCurrentState(const void* state);

    // One dimension of the wind's noise at a 16.16 fixed-point argument, in [-1, 1).
    static f32 Noise(i32 argument);
    // The layers the current state asks for: trunc(parameter 1 + 0.999), 0 to 20.
    u32 GetLayerCount() const;
    const TWeatherLayer& GetLayer(u32 i) const { return m_aLayer[i]; }
    TWeatherLayer& Layer(u32 i) { return m_aLayer[i]; }
    TWeatherBlock& Block() { return m_Block; }
    const TMatrix& GetOcclusionMatrix() const { return m_Occlusion; }
    const i32* GetWindPhases() const { return m_aPhase; }
    DArray<TWeatherOcclusionBox*>& OcclusionBoxes() { return m_aBox; }

    // The transition's step: the current parameters between start and target; at its end the
    // target's parameters and texture.
    void StepTransition(f32 dt);
    // The nearest box to the eye into the world-to-box matrix; none: a box far away.
    void ChooseOcclusionBox(const TVector& eye);

    // The shader's vectors for a frame seen through the camera (its placement and view x
    // projection, the viewport's projection scale), dt the frame time, light the tint: the
    // motion fade from the camera's speed (0 without dt), the streak scale (0 without dt or
    // fall speed).
    void FillFrameConstants(const TMatrix& placement, const TMatrix& viewProjection, f32 viewportScale, f32 dt,
                            const TVector& light);
    // Layer i's offset about the eye, velocity and opacity into vectors 12-14.
    void FillLayerConstants(u32 i, const TVector& eye, const TVector& ahead, f32 dt);
    const TVector* GetConstants() const { return m_aConstant; }
    // The particles of the mesh for a detail level (cut to 0-5).
    static u32 ParticleCount(i32 detailLevel);
    u32 GetParticleCount() const { return m_nParticles; }
    u32 GetLayersDrawn() const { return m_nLayersDrawn; }
    f32 GetFade() const { return m_fFade; }
    // Forgets the previous camera (the next frame takes the camera's own as the previous).
    void ResetCamera() { m_fPreviousMark = -1.0f; }

private:
    TWeatherBlock m_Block;
    TMatrix m_Occlusion;
    f32 m_fLastStep = 0.0f;
    i32 m_aPhase[3];
    u32 m_nLayers = 0;
    TWeatherLayer m_aLayer[WEATHER_LAYERS];
    f32 m_fFade = 1.0f;
    TVector m_PreviousEye;
    TMatrix m_PreviousViewProjection;
    // -1 until a frame has set the previous camera.
    f32 m_fPreviousMark = -1.0f;
    u32 m_nEnabled = 1;
    DArray<TWeatherOcclusionBox*> m_aBox;
    TVector m_aConstant[WEATHER_CONSTANT_VECTORS];
    TDynamicMesh* m_pMesh = nullptr;
    u32 m_nParticles = 0;
    // Layers drawn since the program started (for the tests).
    u32 m_nLayersDrawn = 0;

    void BuildMesh();
};

extern TDynamicWeatherManager* g_pDynamicWeatherManager;

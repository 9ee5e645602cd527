#pragma once
// TParticleSystem (stored type 89, 252 bytes): the particles of one emitter, advanced each
// frame, with their bounds, drawn as textured quads through the manager's shared vertex stream.
// Sub-systems are the effects of the data's sub-emitters spawned with it. TIParticleSystem
// implements it.
#include "core/math/boundbox.h"
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "ifx/particle.h"
#include "ifx/particleemitterdata.h"

class TParticleEmitter;
class TRenderContext;
class TShader;
class TTexture;

// States (of the spawn pool's records).
constexpr u32 PARTICLE_SYSTEM_RUNNING = 0;
constexpr u32 PARTICLE_SYSTEM_FINISHED = 1;
constexpr u32 PARTICLE_SYSTEM_RELEASED = 2;

class TParticleSystem
{
public:
    virtual ~TParticleSystem() = default;
    // Copies the data's three textures, and makes this the emitter's system.
    virtual void Bind(TParticleEmitter* emitter) = 0;
    virtual TParticleEmitter* GetEmitter() = 0;
    virtual void SetTexture(TTexture* texture, u32 index) = 0;
    virtual void Reserved1() {}
    virtual void Reserved2() {}
    // The emitter's running flag.
    virtual u32 IsRunning() = 0;
    virtual void Restart() = 0;
    virtual void Start() = 0;
    virtual void Stop(u32 flag) = 0;
    // 1 when the effect is over.
    virtual u32 Update(f32 dt) = 0;
    virtual TShader* GetShader() = 0;
    virtual void Render(TRenderContext* context) = 0;

    TName m_Name;
    // Sub-systems with a flag word of 0 are left out of starts and stops.
    u32 m_nFlags;
    TParticleEmitter* pEmitter;
    DArray<TParticle> aParticle;
    i32 m_nLive;
    i32 m_nFreeHead;
    TBoundBox LocalBounds;
    TBoundBox WorldBounds;
    // Squared, to the camera; written by the manager's frame update (-1 until then).
    f32 m_fCameraDistance;
    TTexture* aTexture[PARTICLE_TEXTURE_COUNT];
    u32 m_nState;
    i32 m_nSubSystemCount;
    TParticleSystem* aSubSystem[PARTICLE_SUB_EMITTER_CAPACITY];

protected:
    TParticleSystem();
};

static_assert(sizeof(TParticleSystem) == 252);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TParticleSystem, pEmitter) == 12);
static_assert(offsetof(TParticleSystem, aParticle) == 16);
static_assert(offsetof(TParticleSystem, m_nLive) == 28);
static_assert(offsetof(TParticleSystem, LocalBounds) == 36);
static_assert(offsetof(TParticleSystem, WorldBounds) == 100);
static_assert(offsetof(TParticleSystem, m_fCameraDistance) == 164);
static_assert(offsetof(TParticleSystem, aTexture) == 168);
static_assert(offsetof(TParticleSystem, m_nState) == 180);
static_assert(offsetof(TParticleSystem, aSubSystem) == 188);
#pragma GCC diagnostic pop

#pragma once
// TBallisticsManager ("Ballistics"): up to 512 projectiles stepped in the fixed-rate update
// (an update worker): each flies its arc, casts a ray over the step under the dynamics scene
// lock, and on a hit ricochets or stops by the game material; a stop posts damage. Effects spawn
// on the worker (the particle lock); sounds and the ring of 128 impact nodes they play at wait for
// the main thread's update, since the sound service and the scene are main-thread only. Trails
// draw through one 1,536-vertex batch. Projectiles go through state images (pass 3); nothing in
// the game launches one.
#include "core/cluster/clustermethods.h"
#include "core/math/random.h"
#include "core/system/criticalsection.h"
#include "core/system/templates/sarray.h"
#include "engine/system/manager.h"
#include "engine/system/node.h"
#include "engine/system/statemethods.h"
#include "igame/ballistics/projectile.h"
#include "igame/ballistics/trailbatch.h"

class TParticleEmitterData;
struct TGameMaterial;
struct TCollisionHit;
class TSoundData;

constexpr u32 BALLISTICS_PROJECTILE_CAPACITY = 512;
constexpr u32 BALLISTICS_IMPACT_NODES = 128;
// Sounds a frame's steps may leave for the main thread; more are not played.
constexpr u32 BALLISTICS_SOUND_CAPACITY = 64;
constexpr u32 BALLISTICS_STATE_PASS = 3;
// Projectiles hit shapes of every collision group.
constexpr u32 BALLISTICS_RAY_GROUPS = 0xffffffffu;
// How far off the surface a ricochet starts again.
constexpr f32 BALLISTICS_SURFACE_OFFSET = 0.01f;
// A projectile that hits nothing ends after this many lifetimes.
constexpr f32 BALLISTICS_LIFETIME_LIMIT = 1.5f;

class TBallisticsManager : public TManager, public TClusterMethods, public TStateMethods
{
public:
    using TProjectiles = SArray<TProjectile, BALLISTICS_PROJECTILE_CAPACITY, 1>;

    TBallisticsManager();

    void BeginManager() override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 step) override;
    void RenderManager() override;
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;

    // One step of one projectile: 1 when it is finished.
    u32 Step(TProjectile& projectile, f32 dt);
    // Draws every projectile's trail facing the camera at that position.
    void DrawTrails(const TVector& camera);

    TProjectiles& Projectiles() { return m_aProjectile; }
    TTrailBatch& Trails() { return m_Trails; }
    // The impact node the next sound plays at (then the ring moves on).
    TNode* TakeImpactNode(const TVector& point);
    u32 GetImpactNodeIndex() const { return m_nImpactNode; }
    TNode& GetImpactNode(u32 index) { return m_aImpactNode[index]; }
    // Sounds waiting for the main thread; dropped ones.
    u32 GetPendingSoundCount();
    u32 GetDroppedSoundCount() const { return m_nDroppedSounds; }
    TRandom& Random() { return m_Random; }

private:
    // Bounces off the surface: a new frame along the reflection, the range cut by the material.
    void Ricochet(TProjectile& p, const TGameMaterial& material, const TCollisionHit& hit, f32 cosine);
    void Impact(TProjectile& p, const TGameMaterial& material, const TCollisionHit& hit);
    void SpawnEffect(TParticleEmitterData* effect, f32 probability, const TCollisionHit& hit);
    void QueueSound(TSoundData* sound, const TVector& point);
    f32 Draw() { return static_cast<f32>(m_Random.Next()) * 2.3283064e-10f; }

    TProjectiles m_aProjectile;
    TNode m_aImpactNode[BALLISTICS_IMPACT_NODES];
    u32 m_nImpactNode = 0;
    // The worker draws from its own generator: the shared one has no lock.
    TRandom m_Random;
    TTrailBatch m_Trails;
    struct TPendingSound
    {
        TSoundData* pSound;
        TVector Point;
    };
    TCriticalSection m_SoundLock;
    SArray<TPendingSound, BALLISTICS_SOUND_CAPACITY, 0> m_aSound;
    u32 m_nDroppedSounds = 0;
};

extern TBallisticsManager* g_pBallisticsManager;

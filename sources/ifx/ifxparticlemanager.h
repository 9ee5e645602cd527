#pragma once
// TIFXParticleManager ("Particle", type "IFX"): owns every particle object of the module (six
// lists: loaded ones from the cluster, made ones growing by 1,024), the spawn pool of 512
// one-shot effects, and the frame update. Its critical section guards the pool's releases and
// Flush, and, since the update may run on an update worker, the whole update, SpawnEffect and
// drawing too.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "core/system/templates/sarray.h"
#include "engine/render/devicemethods.h"
#include "engine/system/node.h"
#include "engine/system/resourcemethods.h"
#include "ifx/iparticleemitter.h"
#include "ifx/iparticleemitteranimation.h"
#include "ifx/iparticleemitterdata.h"
#include "ifx/iparticlenodesystem.h"
#include "ifx/iparticlesystem.h"
#include "ifx/particleglobalarea.h"
#include "ifx/particlemanager.h"

class TClusterTypeDecl;

constexpr u32 PARTICLE_POOL_SIZE = 512;
constexpr i32 PARTICLE_LIST_GROWTH = 1024;
constexpr u16 PARTICLE_POOL_RELEASED = 0xFFFF;

// The module-wide shadow switch ("ifx_shadow_enable"): node systems cast shadows only while it
// is on.
u32 ParticleShadowsEnabled();
void SetParticleShadowsEnabled(u32 enabled);

// Holds the particle critical section for its scope.
class TParticleLock
{
public:
    TParticleLock();
    ~TParticleLock();
    TParticleLock(const TParticleLock&) = delete;
    TParticleLock& operator=(const TParticleLock&) = delete;
};

// One of the manager's lists: the loaded objects of the last cluster load, then those made here.
template <class T> struct TParticleList
{
    MArray<T, 1, PARTICLE_LIST_GROWTH> aItem;
    // The pointer table the cluster fills, and the array's own copy of it.
    DArray<T*> aLoaded;
    DArray<T*> aForeign;

    i32 GetCount() const { return aItem.GetCount(); }
    T* Get(i32 index) const { return aItem[index]; }
    // Objects of the last load come first; made ones from here.
    i32 GetLoadedCount() const { return aItem.GetForeignCount(); }
};

// One record of the spawn pool: an effect's system, its emitter and the node that carries it.
struct TParticlePoolRecord
{
    TNode Node;
    TIParticleEmitter Emitter;
    TIParticleSystem System;
};

class TIFXParticleManager : public TParticleManager,
                            public TResourceMethods,
                            public TClusterMethods,
                            public TDeviceMethods
{
public:
    TIFXParticleManager();
    ~TIFXParticleManager() override;

    // TParticleManager.
    void SetLODFactor(f32 factor) override { m_fLODFactor = factor; }
    f32 GetLODFactor() override { return m_fLODFactor; }
    void SetEnabled(i32 enabled) override { m_nEnabled = enabled; }
    u32 IsSuspended() override { return m_nSuspend > 0 ? 1 : 0; }
    void Suspend(i32 value, i32 absolute) override;
    i32 GetEmitterDataCount() override { return m_EmitterData.GetCount(); }
    TParticleEmitterData* GetEmitterData(i32 index) override { return m_EmitterData.Get(index); }
    TParticleEmitterData* CreateEmitterData(const u32* nameId) override;
    i32 GetEmitterAnimationCount() override { return m_Animation.GetCount(); }
    TParticleEmitterAnimation* GetEmitterAnimation(i32 index) override { return m_Animation.Get(index); }
    TParticleEmitterAnimation* CreateEmitterAnimation(const u32* nameId) override;
    i32 GetEmitterCount() override { return m_Emitter.GetCount(); }
    TParticleEmitter* GetEmitter(i32 index) override { return m_Emitter.Get(index); }
    TParticleEmitter* CreateEmitter(TNode* node, TParticleEmitterData* data) override;
    i32 GetGlobalAreaCount() override { return m_GlobalArea.GetCount(); }
    TParticleGlobalArea* GetGlobalArea(i32 index) override { return m_GlobalArea.Get(index); }
    TParticleGlobalArea* CreateGlobalArea(TNode* node) override;
    i32 GetSystemCount() override { return m_System.GetCount(); }
    TParticleSystem* GetSystem(i32 index) override { return m_System.Get(index); }
    TParticleSystem* SpawnEffect(TParticleEmitterData* data, TTexture* colour, TTexture* normal,
                                 TTexture* mask, const TMatrix* matrix, TNode* parent) override;
    TParticleSystem* CreateSystem(TParticleEmitter* emitter) override;
    void Flush() override;
    i32 GetNodeSystemCount() override { return m_NodeSystem.GetCount(); }
    TParticleNodeSystem* GetNodeSystem(i32 index) override { return m_NodeSystem.Get(index); }
    TParticleNodeSystem* CreateNodeSystem(TNode* node, TParticleEmitterData* data, TTexture* colour) override;

    // TManager.
    void BeginManager() override;
    // Effects under loaded nodes leave them while the level is still in place.
    void FinalizeManager() override { Flush(); }
    void RenderManager() override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 step) override;
    // TClusterManager: the cluster sees every object of the lists; a load hands its own over.
    i32 GetArray(u32 typeId, void*& data, i32& count) override;
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // TStateMethods: nothing is stored; the first pass flushes the pool.
    i32 SaveState(u32 pass, TStream& stream) override;
    i32 LoadState(u32 pass, TStream& stream) override;
    // TClusterMethods.
    void OnClusterUnload() override;
    void OnClusterLoad() override;
    // TDeviceMethods.
    void OnDeviceDestroy() override { Flush(); }
    void OnDeviceLost() override;
    void OnDeviceReset() override;

    // The frame update: node systems switched by their drivers, every system advanced, spawned
    // effects that are over released, the data's change marks cleared, camera distances.
    void Update(f32 dt);
    i32 GetSuspendCount() const { return m_nSuspend; }
    u32 IsEnabled() const { return m_nEnabled ? 1 : 0; }
    u32 IsClusterLoaded() const { return m_nClusterLoaded; }
    // Frame updates since the program started: what a node system drew in last.
    // The systems of this frame's update.
    const DArray<TParticleSystem*>& GetFrameList() const { return m_aFrame; }
    // The pool: records ever handed out, active records in spawn order, the free stack.
    u32 GetPoolHighWater() const { return m_nHighWater; }
    u32 GetActiveCount() const { return m_aActive.GetCount(); }
    TParticleSystem* GetActiveSystem(u32 position) const { return &m_apRecord[m_aActive[position]]->System; }
    u32 GetFreeCount() const { return m_aFree.GetCount(); }
    // The record of a pool system, or -1.
    i32 FindRecord(const TParticleSystem* system) const;

private:
    TParticleSystem* Spawn(TParticleEmitterData* data, TTexture* colour, TTexture* normal, TTexture* mask,
                           const TMatrix* matrix, TNode* parent, u32 depth, TParticleEmitterData** path);
    // Releases the active record at that position (order of the others kept).
    void Release(u32 position);
    // A record back to the state of a new one (its particle storage kept, unless freed).
    void ResetRecord(TParticlePoolRecord& record, bool freeParticles);
    void MeasureCameraDistances();
    // Made objects leave the loaded nodes and queues that an unload takes away.
    void DetachMadeObjects();

    f32 m_fLODFactor;
    i32 m_nEnabled;
    i32 m_nSuspend;
    u32 m_nClusterLoaded;
    // Destroyed in the reverse order: node systems first, emitter data last.
    TParticleList<TIParticleEmitterData> m_EmitterData;
    TParticleList<TIParticleEmitterAnimation> m_Animation;
    TParticleList<TIParticleEmitter> m_Emitter;
    TParticleList<TIParticleGlobalArea> m_GlobalArea;
    TParticleList<TIParticleSystem> m_System;
    TParticleList<TIParticleNodeSystem> m_NodeSystem;

    TParticlePoolRecord* m_apRecord[PARTICLE_POOL_SIZE];
    u32 m_nHighWater;
    SArray<u16, PARTICLE_POOL_SIZE, 0> m_aFree;
    SArray<u16, PARTICLE_POOL_SIZE, 0> m_aActive;
    u16 m_aPosition[PARTICLE_POOL_SIZE];
    DArray<TParticleSystem*> m_aFrame;
};

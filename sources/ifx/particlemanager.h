#pragma once
// TParticleManager: the particle module's manager interface, which other subsystems reach
// through g_pParticleManager: the LOD factor and the enable switch, the suspension counter,
// the module's object lists and their creation, one-shot effects (SpawnEffect) and their
// release (Flush). TIFXParticleManager ("Particle") implements it.
#include "core/math/matrix.h"
#include "engine/system/manager.h"
#include "engine/system/statemethods.h"

class TNode;
class TParticleEmitter;
class TParticleEmitterAnimation;
class TParticleEmitterData;
class TParticleGlobalArea;
class TParticleNodeSystem;
class TParticleSystem;
class TTexture;

class TParticleManager : public TManager, public TStateMethods
{
public:
    virtual void SetLODFactor(f32 factor) = 0;
    virtual f32 GetLODFactor() = 0;
    virtual void SetEnabled(i32 enabled) = 0;
    // The counter is above 0.
    virtual u32 IsSuspended() = 0;
    // absolute: the counter becomes 1 for value 1, else 0; otherwise value 0 decrements it and
    // any other value increments it.
    virtual void Suspend(i32 value, i32 absolute) = 0;
    virtual i32 GetEmitterDataCount() = 0;
    virtual TParticleEmitterData* GetEmitterData(i32 index) = 0;
    virtual TParticleEmitterData* CreateEmitterData(const u32* nameId) = 0;
    virtual i32 GetEmitterAnimationCount() = 0;
    virtual TParticleEmitterAnimation* GetEmitterAnimation(i32 index) = 0;
    virtual TParticleEmitterAnimation* CreateEmitterAnimation(const u32* nameId) = 0;
    virtual i32 GetEmitterCount() = 0;
    virtual TParticleEmitter* GetEmitter(i32 index) = 0;
    virtual TParticleEmitter* CreateEmitter(TNode* node, TParticleEmitterData* data) = 0;
    virtual i32 GetGlobalAreaCount() = 0;
    virtual TParticleGlobalArea* GetGlobalArea(i32 index) = 0;
    virtual TParticleGlobalArea* CreateGlobalArea(TNode* node) = 0;
    virtual i32 GetSystemCount() = 0;
    virtual TParticleSystem* GetSystem(i32 index) = 0;
    // A one-shot effect from the spawn pool at the matrix (under the parent node when one is
    // given); null when the pool is full.
    virtual TParticleSystem* SpawnEffect(TParticleEmitterData* data, TTexture* colour, TTexture* normal,
                                         TTexture* mask, const TMatrix* matrix, TNode* parent) = 0;
    virtual TParticleSystem* CreateSystem(TParticleEmitter* emitter) = 0;
    // Releases every running one-shot effect.
    virtual void Flush() = 0;
    virtual i32 GetNodeSystemCount() = 0;
    virtual TParticleNodeSystem* GetNodeSystem(i32 index) = 0;
    virtual TParticleNodeSystem* CreateNodeSystem(TNode* node, TParticleEmitterData* data,
                                                  TTexture* colour) = 0;
};

extern TParticleManager* g_pParticleManager;

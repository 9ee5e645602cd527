#pragma once
// TIParticleEmitterData: the emitter data's operations. Walks through sub-emitters (texture
// changes, propagated parameters) stop at a depth of 8 and never visit a data twice, since
// stored links may form a cycle.
#include "core/system/templates/sarray.h"
#include "ifx/particleemitterdata.h"

// How deep walks through sub-emitters go.
constexpr u32 PARTICLE_SUB_EMITTER_DEPTH = 8;

class TIParticleEmitterData : public TParticleEmitterData
{
public:
    // The defaults: multiplier, scales and velocity w 1.0, LOD 40 and 10, the rest 0.
    TIParticleEmitterData();

    u32* GetParameterBlock() override { return &m_nFlags; }
    TParticleEmitterData* GetEmitEmitter() override { return pEmitEmitter; }
    f32 GetParameter(i32 id) override;
    i32 SetParameter(i32 id, const void* a, f32 b, i32 propagate) override;
    i32 SetSubParameter(i32 id, i32 sub, const void* a, f32 b) override;
    void SetTexture(TTexture* texture, u32 index) override;
    TTexture* GetTexture(u32 index) override;
    i32 GetAreaCount() override { return m_nAreaCount; }
    TParticleAreaRecord* GetArea(i32 index) override { return &aArea[index]; }
    TParticleAreaRecord* AddArea(const u32* id, u32 mode, const f32* offset, f32 radius,
                                 f32 strength) override;
    i32 GetSubEmitterCount() override { return m_nSubEmitterCount; }
    TParticleEmitterData* GetSubEmitter(i32 index) override { return aSubEmitter[index]; }

    // Loaded data come from files: counts beyond their arrays and maximum particle counts beyond
    // PARTICLE_MAX_PARTICLES are cut with a log line each.
    void CheckLoaded();
    // The absolute maximum particle count, at most PARTICLE_MAX_PARTICLES.
    i32 GetParticleCapacity() const;
    // The sub-emitter and area counts, kept within their arrays.
    u32 SubEmitterCount() const;
    u32 AreaCount() const;
    // This data, then its sub-emitters depth first: each data once, at most
    // PARTICLE_SUB_EMITTER_DEPTH levels below this one.
    template <class F> void ForEachBelow(F visit);

private:
    // The parameter change itself, on this data only.
    void ApplyParameter(i32 id, const void* a, f32 b);
};

template <class F> void TIParticleEmitterData::ForEachBelow(F visit)
{
    // Loaded links may form a cycle, and shared sub-emitters make a walk grow with each level.
    SArray<TIParticleEmitterData*, 256, 0> seen;
    const auto walk = [&](auto& self, TIParticleEmitterData* data, u32 depth) -> void {
        for (u32 i = 0; i < seen.GetCount(); ++i)
            if (seen[i] == data)
                return;
        if (seen.GetCount() == seen.GetCapacity())
            return;
        seen.Add(data);
        visit(data);
        if (depth == PARTICLE_SUB_EMITTER_DEPTH)
            return;
        for (u32 i = 0; i < data->SubEmitterCount(); ++i)
            if (data->aSubEmitter[i])
                self(self, static_cast<TIParticleEmitterData*>(data->aSubEmitter[i]), depth + 1);
    };
    walk(walk, this, 0);
}

#pragma once
// TIParticleNodeSystem: the node system's activation and drawing. It draws its effect whenever
// its queue is drawn: the forward renderer draws the "Alpha blend" queue after its directional
// pass and again after each spot pass that reaches it, so the smoke lies over the light those
// passes add; into every shadow map pass with its shadow flag; while the manager is switched off
// it draws nothing.
#include "ifx/particlenodesystem.h"

class TIParticleNodeSystem : public TParticleNodeSystem
{
public:
    TIParticleNodeSystem() = default;

    void OnEnable(u32 enabled) override;
    void Draw(TRenderContext* context) override;
    const TBoundBox* GetBoundBox() override;
    u32 IsTransparent() override { return 1; }
    u32 CastsShadow() override;
    void Activate() override;
    void Deactivate() override;

    // Loaded node systems: at most four drivers; a spawned system of the writer is not kept.
    void CheckLoaded();

private:
    // The drivers' values into the effect, then the node's motion as its base velocity.
    void ApplyDrivers();
    f32 ReadSource(i32 source) const;
    void WriteTarget(i32 target, f32 value);
};

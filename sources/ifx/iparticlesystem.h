#pragma once
// TIParticleSystem: starting and stopping an effect with its sub-systems, the frame update (the
// emitter's emission, every particle's step, depth sorting, bounds) and drawing the particles as
// quads into the shared particle vertex stream.
#include "ifx/particlesystem.h"

class TCamera;
class TIParticleEmitter;
class TIParticleEmitterData;

// The growth of the bounds per unit of the largest particle size, and beyond it.
constexpr f32 PARTICLE_BOUNDS_SIZE_FACTOR = 0.5f;
constexpr f32 PARTICLE_BOUNDS_MARGIN = 1.0f;
// The particles all systems together hold storage for (two systems of the largest count).
constexpr i32 PARTICLE_BUDGET = 2 * PARTICLE_MAX_PARTICLES;
// The step of a system start's pre-advance (seconds).
constexpr f32 PARTICLE_PRE_ADVANCE_STEP = 0.2f;

// The eight corners of a box through a matrix, as a box.
void TransformParticleBox(const TBoundBox& box, const TMatrix& matrix, TBoundBox& out);
// The LOD level at a distance from the camera: particles of a lower rank are not drawn.
u32 ParticleLodLevel(f32 distance);

class TIParticleSystem : public TParticleSystem
{
public:
    TIParticleSystem();
    ~TIParticleSystem() override;

    void Bind(TParticleEmitter* emitter) override;
    TParticleEmitter* GetEmitter() override { return pEmitter; }
    void SetTexture(TTexture* texture, u32 index) override;
    u32 IsRunning() override;
    void Restart() override;
    void Start() override;
    void Stop(u32 flag) override;
    u32 Update(f32 dt) override;
    TShader* GetShader() override;
    void Render(TRenderContext* context) override;

    // Sizes the particle array to the data's maximum (growing it when needed) and frees every
    // particle: each links to the one below, the highest index heads the list.
    void ResetParticles();
    // Gives back the particle array (a pool record's reset).
    void FreeParticles();
    // Loaded systems hold the writer's words where the particle array lives: none is kept.
    void ForgetLoadedParticles();
    // The particles all systems hold storage for.
    static i32 GetReservedParticles();
    // Back to the state of a new system (a pool record), its particle storage kept or freed.
    void Reinitialise(bool keepParticles);

private:
    TIParticleEmitter* Emitter() const { return reinterpret_cast<TIParticleEmitter*>(pEmitter); }
    TIParticleEmitterData* Data() const;
    // One pass of neighbour swaps that moves far particles to the front.
    void SortByDepth(const TCamera* camera);
    void UpdateBounds(i32 live, const f32* minimum, const f32* maximum);
    // The particles of one system, with the shader given, into the stream.
    static void DrawParticles(TIParticleSystem* system, TShader* shader);
};

#pragma once
// TParticleQuadWriter: a particle as the six vertices of its quad: the quad's frame by the
// data's orientation mode, turned by the particle's first angle, its size and colour by age,
// and its texture-sheet frame.
#include "core/math/matrix.h"

class TCamera;
class TIParticleEmitterData;
class TTexture;
struct TParticle;
struct TParticleVertex;

class TParticleQuadWriter
{
public:
    // node: the emitter node's world matrix; colour: the texture whose width sets the half-texel
    // offset (none: no offset).
    TParticleQuadWriter(const TIParticleEmitterData& data, const TMatrix& node, const TCamera& camera,
                        const TTexture* colour);

    void Write(const TParticle& particle, TParticleVertex* quad) const;

    struct TFrame
    {
        TVector aAxis[3];
    };
    // The quad's frame (rows: first, second, third axis) for a particle at that world position.
    TFrame MakeFrame(const TParticle& particle, const TVector& position) const;
    // The size and the colour (ARGB) at the particle's age.
    static f32 SizeAt(const TParticle& particle);
    u32 ColourAt(f32 age) const;
    // The texture rectangle of a sheet frame: left u, top v, right u, bottom v.
    void FrameRectangle(f32 frame, f32* rectangle) const;

private:
    const TIParticleEmitterData& m_Data;
    const TMatrix& m_Node;
    const TMatrix& m_Camera;
    TVector m_Centre;
    // The frame shared by every particle (modes that do not follow the particle).
    TFrame m_Shared;
    u32 m_bPerParticle;
    f32 m_aRectangle[4];
};

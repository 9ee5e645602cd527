#pragma once
// TParticleVertexStream: the one vertex stream every particle quad goes through (a module-wide
// singleton): a dynamic mesh of 8,000 vertices, six a quad, drawn in batches that break only
// when it is full, or when the shader or the colour texture changes.
#include "core/system/types.h"
#include "engine/render/vertexstream.h"

class TShader;
class TTexture;
struct TMeshDescription;

constexpr u32 PARTICLE_STREAM_VERTICES = 8000;
constexpr u32 PARTICLE_QUAD_VERTICES = 6;
// The shader slots of the three textures.
constexpr u32 PARTICLE_COLOUR_SLOT = 0;
constexpr u32 PARTICLE_NORMAL_SLOT = 2;
constexpr u32 PARTICLE_MASK_SLOT = 3;

// One vertex of a quad (72 bytes): its corner, the emitter's world centre, the quad's frame,
// texture coordinates and colour (ARGB).
struct TParticleVertex
{
    f32 aPosition[3];
    f32 aCentre[3];
    f32 aNormal[3];
    f32 aTangent[3];
    f32 aBinormal[3];
    f32 aTexCoord[2];
    u32 nColour;
};

static_assert(sizeof(TParticleVertex) == 72);

// The stream's vertex layout ("particle"): seven elements in the order of TParticleVertex.
const TMeshDescription& ParticleVertexFormat();

class TParticleVertexStream : public TVertexStream
{
public:
    static TParticleVertexStream& Get();

    // The batch of that shader and colour texture: a batch of another one is drawn first (so
    // set the shader's textures after this).
    void Switch(TShader* shader, TTexture* colour);
    // Room for one quad's six vertices in the batch; a full stream is drawn first. Null when
    // there is no buffer.
    TParticleVertex* Reserve();

private:
    TParticleVertexStream();

    TTexture* m_pColour = nullptr;
};

#include "ifx/particlevertexstream.h"

#include "engine/render/meshdata.h"

namespace
{
TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TParticleVertex);
    format.nElementCount = 7;
    format.aElement[0] = {offsetof(TParticleVertex, aPosition), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TParticleVertex, aCentre), MESH_USAGE_POSITION, MESH_TYPE_FLOAT3, 1};
    format.aElement[2] = {offsetof(TParticleVertex, aNormal), MESH_USAGE_NORMAL, MESH_TYPE_FLOAT3, 0};
    format.aElement[3] = {offsetof(TParticleVertex, aTangent), MESH_USAGE_TANGENT, MESH_TYPE_FLOAT3, 0};
    format.aElement[4] = {offsetof(TParticleVertex, aBinormal), MESH_USAGE_BINORMAL, MESH_TYPE_FLOAT3, 0};
    format.aElement[5] = {offsetof(TParticleVertex, aTexCoord), MESH_USAGE_TEXCOORD, MESH_TYPE_FLOAT2, 0};
    format.aElement[6] = {offsetof(TParticleVertex, nColour), MESH_USAGE_COLOUR, MESH_TYPE_COLOUR, 0};
    format.VertexLayout = TName("particle", true);
    return format;
}
} // namespace

const TMeshDescription& ParticleVertexFormat()
{
    static const TMeshDescription s_Format = MakeFormat();
    return s_Format;
}

TParticleVertexStream& TParticleVertexStream::Get()
{
    static TParticleVertexStream s_Stream;
    return s_Stream;
}

TParticleVertexStream::TParticleVertexStream()
    : TVertexStream(PARTICLE_STREAM_VERTICES, sizeof(TParticleVertex), ParticleVertexFormat())
{
}

void TParticleVertexStream::Switch(TShader* shader, TTexture* colour)
{
    if (GetWritten() && colour != m_pColour)
        Flush();
    TVertexStream::Switch(shader);
    m_pColour = colour;
}

TParticleVertex* TParticleVertexStream::Reserve()
{
    return static_cast<TParticleVertex*>(TVertexStream::Reserve(PARTICLE_QUAD_VERTICES));
}

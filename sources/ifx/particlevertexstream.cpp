#include "ifx/particlevertexstream.h"

#include "engine/render/dynamicmesh.h"
#include "engine/render/meshdata.h"

namespace
{
// Element usages and types of the device layer.
constexpr u32 USAGE_POSITION = 1;
constexpr u32 USAGE_NORMAL = 4;
constexpr u32 USAGE_TEXCOORD = 6;
constexpr u32 USAGE_TANGENT = 7;
constexpr u32 USAGE_BINORMAL = 8;
constexpr u32 USAGE_COLOUR = 11;
constexpr u32 TYPE_FLOAT2 = 2;
constexpr u32 TYPE_FLOAT3 = 3;
constexpr u32 TYPE_COLOUR = 5;

TMeshDescription MakeFormat()
{
    TMeshDescription format = {};
    format.nStride = sizeof(TParticleVertex);
    format.nElementCount = 7;
    format.aElement[0] = {offsetof(TParticleVertex, aPosition), USAGE_POSITION, TYPE_FLOAT3, 0};
    format.aElement[1] = {offsetof(TParticleVertex, aCentre), USAGE_POSITION, TYPE_FLOAT3, 1};
    format.aElement[2] = {offsetof(TParticleVertex, aNormal), USAGE_NORMAL, TYPE_FLOAT3, 0};
    format.aElement[3] = {offsetof(TParticleVertex, aTangent), USAGE_TANGENT, TYPE_FLOAT3, 0};
    format.aElement[4] = {offsetof(TParticleVertex, aBinormal), USAGE_BINORMAL, TYPE_FLOAT3, 0};
    format.aElement[5] = {offsetof(TParticleVertex, aTexCoord), USAGE_TEXCOORD, TYPE_FLOAT2, 0};
    format.aElement[6] = {offsetof(TParticleVertex, nColour), USAGE_COLOUR, TYPE_COLOUR, 0};
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

void TParticleVertexStream::Create()
{
    if (!m_pMesh && g_pCreateDynamicMesh)
        m_pMesh = g_pCreateDynamicMesh(PARTICLE_STREAM_VERTICES, ParticleVertexFormat());
}

void TParticleVertexStream::Switch(TShader* shader, TTexture* colour)
{
    if (m_nWritten && (shader != m_pShader || colour != m_pColour))
        Flush();
    m_pShader = shader;
    m_pColour = colour;
}

TParticleVertex* TParticleVertexStream::Reserve()
{
    if (m_nRoom < PARTICLE_QUAD_VERTICES)
    {
        Flush();
        Create();
        if (!m_pMesh)
            return nullptr;
        m_pWrite = static_cast<TParticleVertex*>(m_pMesh->LockVertices(PARTICLE_STREAM_VERTICES));
        if (!m_pWrite)
            return nullptr;
        m_nRoom = PARTICLE_STREAM_VERTICES;
    }
    TParticleVertex* quad = m_pWrite;
    m_pWrite += PARTICLE_QUAD_VERTICES;
    m_nRoom -= PARTICLE_QUAD_VERTICES;
    m_nWritten += PARTICLE_QUAD_VERTICES;
    return quad;
}

void TParticleVertexStream::Flush()
{
    if (m_pMesh && m_nWritten)
    {
        m_pMesh->Draw(m_nWritten, m_pShader);
        m_nDrawnVertices += m_nWritten;
        ++m_nBatches;
    }
    else if (m_pMesh && m_nRoom)
        m_pMesh->Reset();
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}

void TParticleVertexStream::Reset()
{
    if (m_pMesh)
        m_pMesh->Reset();
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}

void TParticleVertexStream::Release()
{
    if (m_pMesh)
        m_pMesh->Release();
    m_nWritten = 0;
    m_pWrite = nullptr;
    m_nRoom = 0;
}

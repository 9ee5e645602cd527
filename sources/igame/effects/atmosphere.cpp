#include "igame/effects/atmosphere.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/render/meshdata.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"
#include "engine/system/scenetypes.h"

#include <cstring>

namespace
{
const TName g_NameTAtmosphere("TAtmosphere", true);

const TAtmosphere* Prototype()
{
    static const TAtmosphere s_Prototype;
    return &s_Prototype;
}

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

// The elements of an array field follow its count.
#define ARRAY_FIELD(member, name)                                                                            \
    Link(offsetof(TAtmosphere, member) + 4, SKY_ELEMENT_TYPE_ID, name, decltype(TAtmosphere::member)::GetCapacity())

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &AtmosphereDecl();
} // namespace

TAtmosphere::TAtmosphere()
{
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TNodeObject), 0, sizeof(*this) - sizeof(TNodeObject));
    m_nClassName = g_NameTAtmosphere.GetId();
    m_fWeight = 1.0f;
    SkyRotation = TMatrix(1.0f);
    m_fRainWrap = 3000.0f;
    m_fReserved9112 = 600.0f;
    m_fRainDomeHeight = 300.0f;
    m_fRainDomeRadius = 2500.0f;
    m_fRainSpeed = 2.2f;
    m_fAmbientWrap = 3000.0f;
    m_fReserved9132 = 800.0f;
    m_fAmbientDomeHeight = 300.0f;
    m_fAmbientDomeRadius = 3000.0f;
    m_fAmbientSpeed = 1.5f;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const TClusterTypeDecl& AtmosphereDecl()
{
    static TClusterTypeDecl s_Decl(
        "TAtmosphere", ATMOSPHERE_TYPE_ID, sizeof(TAtmosphere), Prototype(), 1,
        {Link(4, NODE_TYPE_ID, "TNodeObject::pNode"),
         Link(offsetof(TAtmosphere, pMeshData), MESH_DATA_TYPE_ID, "pMeshData"),
         Link(offsetof(TAtmosphere, pShader), SHADER_TYPE_ID, "pShader"),
         Link(offsetof(TAtmosphere, pTexture), TEXTURE_TYPE_ID, "pTexture"),
         Link(offsetof(TAtmosphere, pMainBackgroundTexture), TEXTURE_TYPE_ID, "pMainBackgroundTexture"),
         Link(offsetof(TAtmosphere, pSunGlowTexture), TEXTURE_TYPE_ID, "pSunGlowTexture"),
         Link(offsetof(TAtmosphere, pLightColorTexture), TEXTURE_TYPE_ID, "pLightColorTexture"),
         Link(offsetof(TAtmosphere, pSkyElementsTexture), TEXTURE_TYPE_ID, "pSkyElementsTexture"),
         Link(offsetof(TAtmosphere, pSkyElementsShader), SHADER_TYPE_ID, "pSkyElementsShader"),
         Link(offsetof(TAtmosphere, pSkySunShader), SHADER_TYPE_ID, "pSkySunShader"),
         Link(offsetof(TAtmosphere, pLight), NODE_TYPE_ID, "pLight"),
         Link(offsetof(TAtmosphere, pSun), SKY_ELEMENT_TYPE_ID, "pSun"), ARRAY_FIELD(aSkyElement, "aSkyElement"),
         ARRAY_FIELD(aAmbientCloud, "aAmbientCloud"), ARRAY_FIELD(aRainCloud, "aRainCloud"),
         ARRAY_FIELD(aStars, "aStars")});
    return s_Decl;
}
#pragma GCC diagnostic pop

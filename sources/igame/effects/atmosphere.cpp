#include "igame/effects/atmosphere.h"

#include "core/cluster/clustertypedecl.h"
#include "core/system/log.h"
#include "engine/render/meshdata.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/skyelement.h"

#include <algorithm>
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

u32 TAtmosphere::LookUpColors(f32 timeOfDay, TVector& light, TVector& a, TVector& b) const
{
    const u32 n = std::min<u32>(m_nColorKeyCount, ATMOSPHERE_COLOR_KEYS);
    if (n == 0)
        return 0;
    const f32 f = std::clamp(static_cast<f32>(n - 1) * timeOfDay, 0.0f, static_cast<f32>(n - 1));
    const u32 i = static_cast<u32>(f);
    const u32 j = i + 1 < n ? i + 1 : i;
    const f32 s = f - static_cast<f32>(i);
    auto lerp = [&](const TVector* keys) {
        const TVector& p = keys[i];
        const TVector& q = keys[j];
        return TVector(p.x + (q.x - p.x) * s, p.y + (q.y - p.y) * s, p.z + (q.z - p.z) * s, p.w + (q.w - p.w) * s);
    };
    light = lerp(aLightColorKey);
    light.w = 1.0f;
    a = lerp(aColorKeyA);
    b = lerp(aColorKeyB);
    return 1;
}

u32 TAtmosphere::CutCounts()
{
    u32 cut = 0;
    auto check = [&](auto& array, const char* name) {
        if (array.GetCount() <= array.GetCapacity())
            return;
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphere::CutCounts(): error: ", "'%s': %s holds %u of %u: cut",
                    pNode ? GetNode()->GetPath() : "", name, array.GetCount(), array.GetCapacity());
        array.SetCount(array.GetCapacity());
        cut = 1;
    };
    check(aSkyElement, "aSkyElement");
    check(aAmbientCloud, "aAmbientCloud");
    check(aRainCloud, "aRainCloud");
    check(aStars, "aStars");
    return cut;
}

f32 TAtmosphere::NightFactor(f32 t)
{
    if (t < 0.21f || t > 0.81f)
        return 1.0f;
    if (t < 0.25f)
        return (0.25f - t) * 25.0f;
    if (t <= 0.75f)
        return 0.0f;
    return (t - 0.75f) * 16.666668f;
}

f32 TAtmosphere::CloudInfluence(f32 density)
{
    if (density <= 0.5f)
        return 0.0f;
    if (density <= 0.6f)
        return std::clamp((density - 0.5f) * 9.999998f, 0.0f, 1.0f);
    return 1.0f;
}

u32 TAtmosphere::RainCloudVisible(u32 k, f32 rain, f32 s)
{
    if (rain == 0.0f)
        return s >= 0.5f ? 1 : 0;
    if (!(s > 0.5f))
        return 0;
    if (s < 0.6f)
        return k % 4 == 0;
    if (s < 0.7f)
        return k % 3 == 0;
    if (s < 0.8f)
        return k % 2 == 0;
    if (s < 0.9f)
        return k % 3 != 0;
    return 1;
}

#include "igame/effects/lensflare.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/scenetypes.h"

namespace
{
const TName g_NameTLensFlare("TLensFlare", true);
constexpr u16 TEXTURE_TYPE_ID = 36;

const TLensFlare* Prototype()
{
    static const TLensFlare s_Prototype;
    return &s_Prototype;
}

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &LensFlareDecl();
} // namespace

TLensFlare::TLensFlare()
    : m_nOrientationMode(0), m_nBlendMode(1), pTexture(nullptr), pOcclusionQuery(nullptr),
      m_fVisibility(0.0f), m_Color{1.0f, 1.0f, 1.0f, 1.0f}, m_fWidth(1.0f), m_fHeight(1.0f),
      m_fOcclusionSize(1.0f), m_fReserved60(1.0f), m_OcclusionOffset(0.0f, 0.0f, 0.0f, 1.0f),
      m_fFadeInTime(0.0f), m_fFadeOutTime(0.0f), m_fConeFull(-1.0f), m_fConeZero(-1.0f), pPrevious(nullptr),
      pNext(nullptr)
{
    m_nClassName = g_NameTLensFlare.GetId();
}

const TClusterTypeDecl& LensFlareDecl()
{
    static TClusterTypeDecl s_Decl(
        "TLensFlare", LENS_FLARE_TYPE_ID, sizeof(TLensFlare), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TNodeObject::pNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 20, TEXTURE_TYPE_ID, 1, "pTexture")});
    return s_Decl;
}

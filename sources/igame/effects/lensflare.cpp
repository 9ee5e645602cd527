#include "igame/effects/lensflare.h"

#include "core/cluster/clustertypedecl.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/lensflaremanager.h"

#include <algorithm>

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

void TLensFlare::OnEnable(u32 enabled)
{
    m_fVisibility = 0.0f;
    if (!g_pLensFlareManager)
        return;
    if (enabled)
        g_pLensFlareManager->Activate(this);
    else
        g_pLensFlareManager->Deactivate(this);
}

void TLensFlare::FadeTowards(f32 target, f32 dt)
{
    f32 v = m_fVisibility;
    if (v > target)
        v = m_fFadeOutTime > 0.0f ? std::clamp(v - dt / m_fFadeOutTime, target, 1.0f) : target;
    else if (v < target)
        v = m_fFadeInTime > 0.0f ? std::clamp(v + dt / m_fFadeInTime, 0.0f, target) : target;
    m_fVisibility = std::clamp(v, 0.0f, 1.0f);
}

f32 TLensFlare::ConeFactor(f32 cosine) const
{
    if (cosine >= m_fConeFull)
        return 1.0f;
    if (cosine >= m_fConeZero)
        return (cosine - m_fConeZero) / (m_fConeFull - m_fConeZero);
    return 0.0f;
}

void TLensFlare::Axes(const TVector& cameraUp, const TVector& toCamera, const TMatrix& node, TVector& right,
                      TVector& up) const
{
    switch (m_nOrientationMode)
    {
    case 1:
        right = node.aRow[0].Normalized();
        up = node.aRow[2].Normalized();
        break;
    case 2:
        right = TVector::Cross(cameraUp, toCamera);
        up = node.aRow[2].Normalized();
        break;
    default:
        right = TVector::Cross(cameraUp, toCamera);
        up = TVector::Cross(right, toCamera);
        break;
    }
}

f32 TLensFlare::OcclusionTarget(f32 pixels, f32 area)
{
    if (!(area > 0.0f))
        return 0.0f;
    return std::min(1.05f * pixels / area, 1.0f);
}

void TLensFlare::WriteQuad(TCanvasVertex* out, const TVector& p, const TVector& r, const TVector& u, f32 w, f32 h,
                           u32 colour)
{
    const auto at = [&](f32 a, f32 b, f32 tu, f32 tv) {
        return TCanvasVertex{p.x + r.x * a * w + u.x * b * h, p.y + r.y * a * w + u.y * b * h,
                             p.z + r.z * a * w + u.z * b * h, 1.0f, tu, tv, colour};
    };
    out[0] = at(-1.0f, 1.0f, 0.0f, 1.0f);
    out[1] = at(1.0f, 1.0f, 1.0f, 1.0f);
    out[2] = at(1.0f, -1.0f, 1.0f, 0.0f);
    out[3] = at(-1.0f, 1.0f, 0.0f, 1.0f);
    out[4] = at(1.0f, -1.0f, 1.0f, 0.0f);
    out[5] = at(-1.0f, -1.0f, 0.0f, 0.0f);
}

const TClusterTypeDecl& LensFlareDecl()
{
    static TClusterTypeDecl s_Decl(
        "TLensFlare", LENS_FLARE_TYPE_ID, sizeof(TLensFlare), Prototype(), 1,
        {TClusterField(CLUSTER_MEMBER_REFERENCE, 4, NODE_TYPE_ID, 1, "TNodeObject::pNode"),
         TClusterField(CLUSTER_MEMBER_REFERENCE, 20, TEXTURE_TYPE_ID, 1, "pTexture")});
    return s_Decl;
}

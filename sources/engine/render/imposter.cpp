#include "engine/render/imposter.h"

#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/mesh.h"
#include "engine/render/shadowmanager.h"
#include "engine/system/node.h"

#include <algorithm>

namespace
{
// The material vectors the fade writes.
constexpr u32 FADE_VECTOR = 4;
constexpr u32 SPECULAR_VECTOR = 3;
constexpr u32 DETAIL_VECTOR = 5;
constexpr f32 FADE_DETAIL = 0.01f;
} // namespace

void TImposter::Draw(TRenderContext*)
{
    Render();
}

void TImposter::Render()
{
    g_pImposterManager->QueueDraw(pImposterData, *GetMatrix(), m_aColour, m_fAlpha);
}

const TBoundBox* TImposter::GetBoundBox()
{
    return pImposterData ? &pImposterData->m_BoundBox : TRenderObject::GetBoundBox();
}

void TImposter::SetupShader(TImposterManager* manager, TShader* shader, u32 pass)
{
    if (manager->IsEnabled())
        manager->DrawWith(shader, pass);
}

void TImposter::SetFade(f32 fade, f32 alpha)
{
    if (alpha > 0.0f)
    {
        m_fAlpha = std::clamp(alpha * IMPOSTER_ALPHA_GAIN, 0.0f, 1.0f);
        m_fFade = std::clamp(fade, 0.0f, 1.0f);
        if (!m_nVisible)
        {
            JoinQueue(g_pImposterManager->GetQueue());
            m_nVisible = 1;
            if (g_pShadowManager)
                TShadowManager::__ResetCasterLists();
        }
    }
    else if (m_nVisible)
    {
        RemoveFromQueue();
        pRenderQueue = nullptr;
        m_nVisible = 0;
        if (g_pShadowManager)
            TShadowManager::__ResetCasterLists();
    }
}

void TImposter::FadeMeshes(f32 value)
{
    if (value == m_fMeshFade)
        return;
    m_fMeshFade = value;
    for (u32 i = 0; i < std::min(m_nMeshCount, IMPOSTER_PART_CAPACITY); ++i)
    {
        if (!aMesh[i])
            continue;
        TVector* vectors = aMesh[i]->m_Material.aVector;
        vectors[FADE_VECTOR].w = value;
        vectors[SPECULAR_VECTOR].w = 0.0f;
        vectors[DETAIL_VECTOR].y = FADE_DETAIL;
    }
}

void TImposter::CollectMeshes(TNode* nodeBase)
{
    m_fMeshFade = -1.0f;
    for (u32 i = 0; i < std::min(m_nMeshCount, IMPOSTER_PART_CAPACITY); ++i)
        aMesh[i] = m_aPart[i] < 0 ? nullptr
                                  : static_cast<TMesh*>(nodeBase[m_aPart[i]].FindObject(g_NameTMesh.GetId()));
}

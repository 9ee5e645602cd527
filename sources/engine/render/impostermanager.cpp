#include "engine/render/impostermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/render/imposter.h"
#include "engine/render/imposterdata.h"
#include "engine/render/renderer.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shader.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"

#include <algorithm>

TImposterManager* g_pImposterManager = nullptr;
void (*TImposterManager::s_pDrawVertices)(const TImposterVertex* vertices, u32 count) = nullptr;

namespace
{
TImposterManager s_ImposterManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Imposter", "Imposter", &g_pImposterManager, &s_ImposterManager);

const TName s_NameNormal("Normal", true);

constexpr u32 COLOUR_SLOT = 0;
constexpr u32 NORMAL_SLOT = 2;

class Timposter_showVariable : public TVariable
{
public:
    Timposter_showVariable() : TVariable("imposter_show", "show imposters", 0) { m_Value.SetInt(1); }
    void OnChange() override {}
};

class Timposter_distanceVariable : public TVariable
{
public:
    Timposter_distanceVariable() : TVariable("imposter_distance", "Imposter distance", 0)
    {
        m_Value.SetVector(50.0f, 50.0f, 100.0f, 1.0f);
    }
    // The far distance follows the near distance and the fade length.
    void OnChange() override
    {
        f32* v = m_Value.aVector;
        v[2] = v[1] != 0.0f ? v[0] + v[1] : 2.0f * v[0];
    }
};

Timposter_showVariable s_imposter_show;
Timposter_distanceVariable s_imposter_distance;

// Hands the records' vertices over in runs of at most the copy size.
void DrawRecords(const TImposterRecord* records, u32 count)
{
    for (u32 first = 0; first < count; first += IMPOSTER_COPY_RECORDS)
    {
        const u32 run = std::min(count - first, IMPOSTER_COPY_RECORDS);
        TImposterManager::s_pDrawVertices(records[first].aVertex, run * IMPOSTER_VERTICES);
    }
}
} // namespace

u32 ImposterShow()
{
    return s_imposter_show.GetValue().nInt != 0 ? 1 : 0;
}

const f32* ImposterDistance()
{
    return s_imposter_distance.GetValue().aVector;
}

TImposterManager::TImposterManager()
    : m_pQueue(nullptr), m_pShader(nullptr), m_nEnabled(1),
      m_Settings{{0.1f, 0.1f, 0.1f, 1.0f}, 3000.0f, 4000.0f, {0.0f, 0.0f}}, m_nPass(0)
{
    if (!g_pCluster)
        return;
    RegisterArray(&ImposterDataDecl(), &m_aImposterData);
    RegisterArray(&ImposterDecl(), &m_aImposter);
}

u32 TImposterManager::QueueDraw(const TImposterData* data, const TMatrix& world, const f32 colour[4], f32 alpha)
{
    if (!m_nEnabled || m_aDraw.GetCount() == m_aDraw.GetCapacity())
        return 0;
    i32 index = 0;
    while (index < m_aImposterData.GetCount() && m_aImposterData[index] != data)
        ++index;
    if (index == m_aImposterData.GetCount())
        index = 0;
    TImposterRecord& record = m_aDraw.Add(TImposterRecord{});
    PackImposter(record, static_cast<u8>(std::min(index, 255)), world, colour, alpha, m_Settings.aCellSize[0]);
    return 1;
}

u32 TImposterManager::QueueUpdate(TImposterBatch* batch)
{
    if (!m_nEnabled || m_aBatch.GetCount() == m_aBatch.GetCapacity())
        return 0;
    m_aBatch.Add(batch);
    return 1;
}

void TImposterManager::DrawImposters()
{
    if (m_pShader && m_aImposterData.GetCount() > 0)
    {
        const TImposterData* first = m_aImposterData[0];
        m_pShader->SetTexture(COLOUR_SLOT, first->pTextureColor)->SetTexture(NORMAL_SLOT, first->pTextureNormal);
    }
    m_nPass = 0;
    if (g_pImposterDrawCallback)
        g_pImposterDrawCallback(m_pShader, m_nPass);
    if (ImposterShow() && s_pDrawVertices)
    {
        DrawRecords(m_aDraw.GetData(), m_aDraw.GetCount());
        for (u32 i = 0; i < m_aBatch.GetCount(); ++i)
        {
            const u32 count = m_aBatch[i]->GetVertexCount();
            if (count)
                s_pDrawVertices(m_aBatch[i]->GetVertices(), count);
        }
    }
    m_aDraw.SetCount(0);
    m_aBatch.SetCount(0);
}

void TImposterManager::BeginManager()
{
    g_pRenderSceneManager->AddListener(this);
    g_pCluster->AddListener(this);
}

void TImposterManager::FinalizeManager()
{
    m_pQueue = nullptr;
    m_aDraw.SetCount(0);
    m_aBatch.SetCount(0);
    TManager::FinalizeManager();
}

void TImposterManager::OnClusterLoad()
{
    // Only a cluster that brings imposters needs their queue.
    if (m_aImposter.GetCount() == 0 && m_aImposterData.GetCount() == 0)
        return;
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    m_pQueue = scenes.GetCount() > 0 ? scenes[0]->FindQueue(s_NameNormal) : nullptr;
    if (!m_pQueue)
        __Abort("TImposterManager::OnClusterLoad", "sources/engine/render/imposter", __LINE__,
                "'Imposter': undeclared render queue.");
}

void TImposterManager::OnClusterUnload()
{
    m_pQueue = nullptr;
    m_aDraw.SetCount(0);
    m_aBatch.SetCount(0);
}

void TImposterManager::AfterQueue(TRenderQueue* queue)
{
    if (queue == m_pQueue && m_nEnabled && (m_aDraw.GetCount() > 0 || m_aBatch.GetCount() > 0))
        DrawImposters();
}

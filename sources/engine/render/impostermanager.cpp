#include "engine/render/impostermanager.h"

#include "core/cluster/cluster.h"
#include "core/system/abort.h"
#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/render/dynamicmesh.h"
#include "engine/render/imposter.h"
#include "engine/render/imposterdata.h"
#include "engine/render/meshdata.h"
#include "engine/render/renderer.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/render/shader.h"
#include "engine/render/texture.h"
#include "engine/system/command/variable.h"
#include "engine/system/managermanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"

#include <algorithm>
#include <cstring>

TImposterManager* g_pImposterManager = nullptr;
TDynamicMesh* (*g_pCreateDynamicMesh)(u32 vertexCount, const TMeshDescription& format) = nullptr;
TDynamicMesh* (*g_pCreateDynamicLineMesh)(u32 vertexCount, const TMeshDescription& format) = nullptr;
TDynamicMesh* (*g_pCreateIndexedMesh)(u32 vertexCount, u32 indexCount, const TMeshDescription& format) = nullptr;

namespace
{
TImposterManager s_ImposterManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Imposter", "Imposter", &g_pImposterManager, &s_ImposterManager);

const TName s_NameNormal("Normal", true);

constexpr u32 COLOUR_SLOT = 0;
constexpr u32 NORMAL_SLOT = 2;
constexpr u32 COPY_VERTICES = IMPOSTER_COPY_RECORDS * IMPOSTER_VERTICES;

// The vertex format: position and corner as four 16-bit integers, the four angle, size and
// data bytes, the colour bytes.
TMeshDescription ImposterVertexFormat()
{
    constexpr u32 kShort4 = 8, kUbyte4 = 6, kUbyte4N = 9;
    constexpr u32 kPosition = 1, kTexCoord = 6, kColour = 11;
    TMeshDescription format = {};
    format.nStride = sizeof(TImposterVertex);
    format.nElementCount = 3;
    format.aElement[0] = {0, kPosition, kShort4, 0};
    format.aElement[1] = {8, kTexCoord, kUbyte4, 0};
    format.aElement[2] = {12, kColour, kUbyte4N, 0};
    format.VertexLayout = TName("imposter", true);
    return format;
}

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
      m_Settings{{0.1f, 0.1f, 0.1f, 1.0f}, 3000.0f, 4000.0f, {0.0f, 0.0f}}, m_nPass(0), m_pShadowShader(nullptr),
      m_nShadowFlag(0), m_pMesh(nullptr), m_nWritten(0)
{
    if (!g_pCluster)
        return;
    RegisterArray(&ImposterDataDecl(), &m_aImposterData);
    RegisterArray(&ImposterDecl(), &m_aImposter);
    RegisterId(IMPOSTER_MANAGER_ID);
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

void TImposterManager::ForgetBatch(TImposterBatch* batch)
{
    u32 kept = 0;
    for (u32 i = 0; i < m_aBatch.GetCount(); ++i)
        if (m_aBatch[i] != batch)
            m_aBatch[kept++] = m_aBatch[i];
    m_aBatch.SetCount(kept);
}

void TImposterManager::DrawImposters()
{
    DrawWith(m_pShader, 0);
    m_aDraw.SetCount(0);
    m_aBatch.SetCount(0);
}

void TImposterManager::DrawWith(TShader* shader, u32 pass)
{
    if (shader && m_aImposterData.GetCount() > 0)
    {
        const TImposterData* first = m_aImposterData[0];
        shader->SetTexture(COLOUR_SLOT, first->pTextureColor)->SetTexture(NORMAL_SLOT, first->pTextureNormal);
        for (TTexture* texture : {first->pTextureColor, first->pTextureNormal})
            if (texture)
                texture->Require();
    }
    m_nPass = pass;
    if (g_pImposterDrawCallback)
        g_pImposterDrawCallback(shader, m_nPass);
    if (!ImposterShow())
        return;
    // The runs a full mesh draws on the way go out with this draw's shader too.
    TShader* own = m_pShader;
    m_pShader = shader;
    _CopyVertices(m_aDraw.GetData()->aVertex, m_aDraw.GetCount() * IMPOSTER_VERTICES);
    for (u32 i = 0; i < m_aBatch.GetCount(); ++i)
    {
        const u32 count = m_aBatch[i]->GetVertexCount();
        if (count)
            _CopyVertices(m_aBatch[i]->GetVertices(), count);
    }
    FlushVertices();
    m_pShader = own;
}

void TImposterManager::_CopyVertices(const TImposterVertex* vertices, u32 count)
{
    for (u32 first = 0; first < count; first += COPY_VERTICES)
    {
        const u32 run = std::min(count - first, COPY_VERTICES);
        TImposterVertex* target = LockVertices(run);
        if (!target)
            return;
        std::memcpy(target, vertices + first, run * sizeof(TImposterVertex));
    }
}

void TImposterManager::_CreateMesh()
{
    if (!m_pMesh && g_pCreateDynamicMesh)
        m_pMesh = g_pCreateDynamicMesh(IMPOSTER_MESH_VERTICES, ImposterVertexFormat());
}

TImposterVertex* TImposterManager::LockVertices(u32 count)
{
    _CreateMesh();
    if (!m_pMesh || count > IMPOSTER_MESH_VERTICES)
        return nullptr;
    if (m_nWritten + count > IMPOSTER_MESH_VERTICES)
        FlushVertices();
    void* vertices = m_pMesh->LockVertices(count);
    if (!vertices)
        return nullptr;
    m_nWritten += count;
    return static_cast<TImposterVertex*>(vertices);
}

void TImposterManager::FlushVertices()
{
    if (m_pMesh && m_nWritten)
        m_pMesh->Draw(m_nWritten, m_pShader);
    m_nWritten = 0;
}

i32 TImposterManager::GetData(i32 index, void*& data, i32& size)
{
    data = &m_Settings;
    size = sizeof(m_Settings);
    return index == 0 ? 0 : 1;
}

i32 TImposterManager::SetData(i32 index, const void* data, i32 size)
{
    if (index != 0 || size != static_cast<i32>(sizeof(m_Settings)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TImposterManager::SetData(): error: ",
                    "block %d of %d bytes is not the %u-byte settings block", index, size,
                    static_cast<u32>(sizeof(m_Settings)));
        return 1;
    }
    std::memcpy(&m_Settings, data, sizeof(m_Settings));
    return 0;
}

void TImposterManager::BeginManager()
{
    g_pResourceManager->AddMethod(this);
    g_pDeviceManager->AddMethod(this);
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
    _CreateMesh();
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

void TImposterManager::OnDeviceLost()
{
    if (m_pMesh)
        m_pMesh->Release();
    m_nWritten = 0;
}

void TImposterManager::AfterQueue(TRenderQueue* queue)
{
    if (queue == m_pQueue && m_nEnabled && (m_aDraw.GetCount() > 0 || m_aBatch.GetCount() > 0))
        DrawImposters();
}

#include "igame/effects/decalmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/render/decal.h"
#include "engine/render/decaldata.h"
#include "engine/render/device.h"
#include "engine/render/forwardrendering.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"
#include "engine/render/staticdecalpool.h"
#include "engine/render/texture.h"
#include "igame/effects/trackdecal.h"
#include "engine/system/command/deferredvariable.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"
#include "igame/effects/decalstream.h"

#include <cstring>

TDecalManager* g_pDecalManager = nullptr;

namespace
{
TDecalManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Decal", "Decal", &g_pDecalManager, &s_Manager);

TShaderLink s_DecalShader("Decals_normal");
TDeferredVariable s_TrackDecals("effect_trackdecals");

// The shader's slots of the decal data's three textures.
constexpr u32 DECAL_COLOUR_SLOT = 0;
constexpr u32 DECAL_NORMAL_SLOT = 2;
constexpr u32 DECAL_MASK_SLOT = 3;

bool Less(const TDecalManager::TNodeDecalKey& a, const TDecalManager::TNodeDecalKey& b)
{
    return std::memcmp(a.aByte, b.aByte, sizeof a.aByte) < 0;
}
} // namespace

TDecalManager::TNodeDecalKey::TNodeDecalKey(const void* object, const TDecalData* data)
{
    std::memcpy(aByte, &object, 4);
    std::memcpy(aByte + 4, &data, 4);
}

TDecalManager::TDecalManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&DecalDataDecl(), &m_aDecalData);
    RegisterArray(&DecalDecl(), &m_aDecal);
    RegisterArray(&TrackDecalDecl(), &m_aTrackDecal);
    RegisterArray(&StaticDecalPoolDecl(), &m_aStaticPool);
}

void TDecalManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

u32 TDecalManager::LowerBound(const TNodeDecalKey& key) const
{
    u32 first = 0, count = m_aKey.GetCount();
    while (count > 0)
    {
        const u32 half = count / 2;
        if (Less(m_aKey[first + half].Key, key))
        {
            first += half + 1;
            count -= half + 1;
        }
        else
            count = half;
    }
    return first;
}

TDecalPool* TDecalManager::FindPool(const void* object, const TDecalData* data) const
{
    const TNodeDecalKey key(object, data);
    const u32 at = LowerBound(key);
    if (at < m_aKey.GetCount() && !Less(key, m_aKey[at].Key))
        return m_aKey[at].pPool;
    return nullptr;
}

TDecalPool* TDecalManager::GetPool(const void* object, const TDecal* decal)
{
    if (!decal || !decal->pDecalData)
        return nullptr;
    const TNodeDecalKey key(object, decal->pDecalData);
    const u32 at = LowerBound(key);
    if (at < m_aKey.GetCount() && !Less(key, m_aKey[at].Key))
        return m_aKey[at].pPool;
    if (m_nPoolCount == DECAL_POOL_CAPACITY)
    {
        if (m_nPoolsRefused++ == 0)
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDecalManager::GetPool(): error: ",
                        "all %u decal pools in use: no more decals on new objects", DECAL_POOL_CAPACITY);
        return nullptr;
    }
    TDecalPool* pool = new TDecalPool(object, decal->pDecalData);
    m_apPool[m_nPoolCount++].reset(pool);
    const u32 count = m_aKey.GetCount();
    m_aKey.SetCount(count + 1);
    for (u32 i = count; i > at; --i)
        m_aKey[i] = m_aKey[i - 1];
    m_aKey[at] = {key, pool};
    return pool;
}

void TDecalManager::Clear()
{
    for (u32 i = 0; i < m_nPoolCount; ++i)
        m_apPool[i]->Clear();
}

void TDecalManager::OnClusterLoad()
{
    if (g_pDeviceManager)
        g_pDeviceManager->Lock();
    TDecalStream& stream = TDecalStream::Get();
    // Programs without a device (tools) load levels too; the first draw makes it then.
    if (g_pDeviceManager && g_pDeviceManager->GetDevice())
        stream.Create();
    stream.Reset();
    m_aDynamic.SetCount(0);
    for (u32 i = 0; i < m_nPoolCount; ++i)
        m_apPool[i].reset();
    m_nPoolCount = 0;
    m_aKey.SetCount(0);
    m_nPoolsRefused = 0;
    for (i32 i = 0; i < m_aTrackDecal.GetCount(); ++i)
        m_aTrackDecal[i]->Restart();
    if (g_pDeviceManager)
        g_pDeviceManager->Unlock();
}

void TDecalManager::Draw(TDecalData* data, const TDecalVertex* vertices, u32 count)
{
    TShader* shader = s_DecalShader.Get();
    if (!shader || !vertices || count == 0)
        return;
    TDecalStream& stream = TDecalStream::Get();
    stream.Switch(shader);
    TTexture* textures[3] = {data->pTextureColor, data->pTextureNormal, data->pTextureMask};
    for (TTexture* texture : textures)
        if (texture)
            texture->Require();
    // A batch of other textures is drawn first.
    const u32 slots[3] = {DECAL_COLOUR_SLOT, DECAL_NORMAL_SLOT, DECAL_MASK_SLOT};
    for (u32 i = 0; i < 3; ++i)
        if (shader->aTexture[slots[i]] != textures[i])
        {
            stream.Flush();
            break;
        }
    for (u32 i = 0; i < 3; ++i)
        shader->SetTexture(slots[i], textures[i]);
    stream.Write(vertices, count);
}

void TDecalManager::RenderManager()
{
    if (!g_pRenderManager || m_nStepWord != 0 || s_TrackDecals.GetValue().ToInt() == 0)
        return;
    // The deferred renderer leaves its G-buffer bound as the current target; the forward
    // renderer's pass forgets its target, though the back buffer it drew the scene into is still
    // the device's.
    if (!g_pRenderManager->GetCurrentTarget() && g_pRenderManager->GetActiveRenderer() != g_pForwardRendering)
        return;
    for (i32 i = 0; i < m_aStaticPool.GetCount(); ++i)
    {
        TStaticDecalPool* pool = m_aStaticPool[i];
        if (!pool->pDecalData || !pool->pNode || !pool->pNode->IsEnabled() || pool->Require())
            continue;
        Draw(pool->pDecalData, pool->GetVertices(), pool->GetVertexCount());
    }
    for (u32 i = 0; i < m_nPoolCount; ++i)
    {
        const TDecalPool& pool = *m_apPool[i];
        Draw(pool.GetData(), pool.GetVertices(), pool.GetDrawnCount());
    }
    TDecalStream::Get().Flush();
}

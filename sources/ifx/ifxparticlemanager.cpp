#include "ifx/ifxparticlemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/criticalsection.h"
#include "directx/render/dxloadedarray.h"
#include "engine/render/camera.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/renderqueue.h"
#include "engine/render/renderscene.h"
#include "engine/render/renderscenemanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/statemanager.h"
#include "ifx/particletypes.h"
#include "ifx/particlevertexstream.h"

#include <cstring>
#include <new>

TParticleManager* g_pParticleManager = nullptr;

namespace
{
// Made with the other start-up registrations, before the program proper starts.
TCriticalSection& ParticleSection()
{
    static TCriticalSection s_Section;
    return s_Section;
}
[[maybe_unused]] TCriticalSection& s_SectionAtStart = ParticleSection();

TIFXParticleManager s_Manager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Particle", "IFX", &g_pParticleManager,
                                                           static_cast<TParticleManager*>(&s_Manager));

u32 s_nShadowsEnabled = 1;

const TName s_NameAlphaBlend("Alpha blend", true);

// The values after a global area's force area.
constexpr f32 GLOBAL_AREA_VALUES[3] = {0.0f, 1.0f, 0.5f};

template <class T> void Take(TParticleList<T>& list, i32 count)
{
    TakeLoadedArray(list.aItem, list.aForeign, list.aLoaded, count);
}
} // namespace

u32 ParticleShadowsEnabled()
{
    return s_nShadowsEnabled;
}

void SetParticleShadowsEnabled(u32 enabled)
{
    s_nShadowsEnabled = enabled;
}

TParticleLock::TParticleLock()
{
    ParticleSection().Enter();
}

TParticleLock::~TParticleLock()
{
    ParticleSection().Leave();
}

TIFXParticleManager::TIFXParticleManager()
    : m_fLODFactor(1.0f), m_nEnabled(1), m_nSuspend(0), m_nClusterLoaded(0), m_apRecord{},
      m_nHighWater(0), m_aPosition{}
{
    if (!g_pCluster)
        return;
    RegisterArray(&ParticleEmitterDataDecl(), &m_EmitterData.aLoaded);
    RegisterArray(&ParticleEmitterAnimationDecl(), &m_Animation.aLoaded);
    RegisterArray(&ParticleEmitterDecl(), &m_Emitter.aLoaded);
    RegisterArray(&ParticleGlobalAreaDecl(), &m_GlobalArea.aLoaded);
    RegisterArray(&ParticleSystemDecl(), &m_System.aLoaded);
    RegisterArray(&ParticleNodeSystemDecl(), &m_NodeSystem.aLoaded);
}

TIFXParticleManager::~TIFXParticleManager()
{
    // At exit the nodes and queues may be gone, and the manager system locked: the objects let
    // go of them without telling them.
    const auto forget = [](auto& list) {
        for (i32 i = list.GetLoadedCount(); i < list.GetCount(); ++i)
            list.Get(i)->pNode = nullptr;
    };
    forget(m_Emitter);
    forget(m_GlobalArea);
    forget(m_NodeSystem);
    for (i32 i = m_NodeSystem.GetLoadedCount(); i < m_NodeSystem.GetCount(); ++i)
    {
        TIParticleNodeSystem* nodeSystem = m_NodeSystem.Get(i);
        nodeSystem->pRenderQueue = nullptr;
        nodeSystem->pPrev = nodeSystem->pNext = nullptr;
    }
    for (TParticlePoolRecord*& record : m_apRecord)
    {
        if (!record)
            continue;
        record->Emitter.pNode = nullptr;
        delete record;
        record = nullptr;
    }
}

// ---------------------------------------------------------------------------------------------
// Lists

TParticleEmitterData* TIFXParticleManager::CreateEmitterData(const u32* nameId)
{
    TIParticleEmitterData* data = m_EmitterData.aItem.Add();
    data->m_Name.SetId(*nameId);
    return data;
}

TParticleEmitterAnimation* TIFXParticleManager::CreateEmitterAnimation(const u32* nameId)
{
    TIParticleEmitterAnimation* animation = m_Animation.aItem.Add();
    animation->m_Name.SetId(*nameId);
    return animation;
}

TParticleEmitter* TIFXParticleManager::CreateEmitter(TNode* node, TParticleEmitterData* data)
{
    TIParticleEmitter* emitter = m_Emitter.aItem.Add();
    if (node)
        node->AddObject(emitter);
    emitter->SetEmitterData(data);
    return emitter;
}

TParticleGlobalArea* TIFXParticleManager::CreateGlobalArea(TNode* node)
{
    TIParticleGlobalArea* area = m_GlobalArea.aItem.Add();
    if (node)
        node->AddObject(area);
    std::memcpy(area->aValue, GLOBAL_AREA_VALUES, sizeof area->aValue);
    return area;
}

TParticleSystem* TIFXParticleManager::CreateSystem(TParticleEmitter* emitter)
{
    TIParticleSystem* system = m_System.aItem.Add();
    system->Bind(emitter);
    return system;
}

TParticleNodeSystem* TIFXParticleManager::CreateNodeSystem(TNode* node, TParticleEmitterData* data,
                                                           TTexture* colour)
{
    TIParticleNodeSystem* nodeSystem = m_NodeSystem.aItem.Add();
    nodeSystem->pEmitterData = data;
    DArray<TRenderScene*>& scenes = g_pRenderSceneManager->Scenes();
    if (scenes.GetCount() > 0)
        nodeSystem->SetQueue(scenes[0]->FindQueue(s_NameAlphaBlend));
    if (node)
        node->AddObject(nodeSystem);
    if (colour)
    {
        nodeSystem->pColor = colour;
        nodeSystem->pNormal = nullptr;
        nodeSystem->pMask = nullptr;
    }
    return nodeSystem;
}

i32 TIFXParticleManager::GetArray(u32 typeId, void*& data, i32& count)
{
    switch (typeId)
    {
    case PARTICLE_EMITTER_DATA_TYPE_ID:
        ShowArray(m_EmitterData.aItem, data, count);
        break;
    case PARTICLE_EMITTER_ANIMATION_TYPE_ID:
        ShowArray(m_Animation.aItem, data, count);
        break;
    case PARTICLE_EMITTER_TYPE_ID:
        ShowArray(m_Emitter.aItem, data, count);
        break;
    case PARTICLE_GLOBAL_AREA_TYPE_ID:
        ShowArray(m_GlobalArea.aItem, data, count);
        break;
    case PARTICLE_SYSTEM_TYPE_ID:
        ShowArray(m_System.aItem, data, count);
        break;
    case PARTICLE_NODE_SYSTEM_TYPE_ID:
        ShowArray(m_NodeSystem.aItem, data, count);
        break;
    default:
        return 1;
    }
    return 0;
}

i32 TIFXParticleManager::SetArray(u32 typeId, void*, i32 count)
{
    switch (typeId)
    {
    case PARTICLE_EMITTER_DATA_TYPE_ID:
        Take(m_EmitterData, count);
        break;
    case PARTICLE_EMITTER_ANIMATION_TYPE_ID:
        Take(m_Animation, count);
        break;
    case PARTICLE_EMITTER_TYPE_ID:
        Take(m_Emitter, count);
        break;
    case PARTICLE_GLOBAL_AREA_TYPE_ID:
        Take(m_GlobalArea, count);
        break;
    case PARTICLE_SYSTEM_TYPE_ID:
        Take(m_System, count);
        // The writer's words where a loaded system's particle array lives mean nothing here.
        for (i32 i = 0; i < count; ++i)
            m_System.Get(i)->ForgetLoadedParticles();
        break;
    case PARTICLE_NODE_SYSTEM_TYPE_ID:
        Take(m_NodeSystem, count);
        break;
    default:
        return 1;
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Suspension

void TIFXParticleManager::Suspend(i32 value, i32 absolute)
{
    if (absolute)
        m_nSuspend = value == 1 ? 1 : 0;
    else if (value == 0)
        --m_nSuspend;
    else
        ++m_nSuspend;
}

// ---------------------------------------------------------------------------------------------
// The spawn pool

i32 TIFXParticleManager::FindRecord(const TParticleSystem* system) const
{
    for (u32 i = 0; i < m_nHighWater; ++i)
        if (&m_apRecord[i]->System == system)
            return static_cast<i32>(i);
    return -1;
}

void TIFXParticleManager::ResetRecord(TParticlePoolRecord& record, bool freeParticles)
{
    record.System.Reinitialise(!freeParticles);
    record.System.m_nState = PARTICLE_SYSTEM_RELEASED;
    record.Emitter.ResetState();
}

TParticleSystem* TIFXParticleManager::SpawnEffect(TParticleEmitterData* data, TTexture* colour,
                                                  TTexture* normal, TTexture* mask, const TMatrix* matrix,
                                                  TNode* parent)
{
    TParticleLock lock;
    TParticleEmitterData* path[PARTICLE_SUB_EMITTER_DEPTH + 1];
    return Spawn(data, colour, normal, mask, matrix, parent, 0, path);
}

TParticleSystem* TIFXParticleManager::Spawn(TParticleEmitterData* data, TTexture* colour, TTexture* normal,
                                            TTexture* mask, const TMatrix* matrix, TNode* parent, u32 depth,
                                            TParticleEmitterData** path)
{
    if (!data || m_aActive.GetCount() == PARTICLE_POOL_SIZE)
        return nullptr;
    u16 index;
    if (m_aFree.GetCount() > 0)
    {
        index = m_aFree[m_aFree.GetCount() - 1];
        m_aFree.SetCount(m_aFree.GetCount() - 1);
    }
    else
    {
        index = static_cast<u16>(m_nHighWater++);
        m_apRecord[index] = new TParticlePoolRecord();
        m_apRecord[index]->Node.m_Name = TName("particle_effect", true);
    }
    TParticlePoolRecord& record = *m_apRecord[index];
    ResetRecord(record, false);
    TNode& node = record.Node;
    node.m_Vector = TVector(0.0f, 0.0f, 0.0f, 0.0f);
    node.m_nFlags &= ~NODE_DEFERRED;
    m_aPosition[index] = static_cast<u16>(m_aActive.GetCount());
    m_aActive.Add(index);

    if (parent)
        parent->AddChild(&node);
    else
        node.SetWorldMatrix(*matrix, TNode::OrdinaryCause());
    node.Enable(1, 0);
    if (record.Emitter.pNode != &node)
        node.AddObject(&record.Emitter);
    record.Emitter.SetEmitterData(data);
    record.System.Bind(&record.Emitter);
    record.System.SetTexture(colour, 0);
    record.System.SetTexture(normal, 1);
    record.System.SetTexture(mask, 2);
    record.System.m_nState = PARTICLE_SYSTEM_RUNNING;
    record.System.Start();

    // The sub-effects hang on this effect's node. A data met again on the way down (a cycle of
    // stored links), or one more than 8 levels down, is not spawned.
    path[depth] = data;
    auto* walk = static_cast<TIParticleEmitterData*>(data);
    for (u32 i = 0; i < walk->SubEmitterCount(); ++i)
    {
        TParticleEmitterData* sub = data->aSubEmitter[i];
        bool cycle = depth + 1 > PARTICLE_SUB_EMITTER_DEPTH;
        for (u32 d = 0; d <= depth && !cycle; ++d)
            cycle = path[d] == sub;
        if (!sub || cycle)
            continue;
        TParticleSystem* spawned = Spawn(sub, colour, normal, mask, matrix, &node, depth + 1, path);
        record.System.aSubSystem[record.System.m_nSubSystemCount++] = spawned;
    }
    return &record.System;
}

void TIFXParticleManager::Release(u32 position)
{
    TParticleLock lock;
    const u16 index = m_aActive[position];
    TParticlePoolRecord& record = *m_apRecord[index];
    if (record.Node.pParent)
        record.Node.DetachFromParent();
    record.Node.Enable(0, 0);
    record.System.m_nState = PARTICLE_SYSTEM_RELEASED;
    TParticleSystem* released = &record.System;
    for (i32 i = 0; i < m_NodeSystem.GetCount(); ++i)
        if (m_NodeSystem.Get(i)->pParticleSystem == released)
            m_NodeSystem.Get(i)->pParticleSystem = nullptr;
    // An effect whose sub-effect ends first must not take the record over when it is reused.
    for (u32 a = 0; a < m_aActive.GetCount(); ++a)
    {
        TParticleSystem& other = m_apRecord[m_aActive[a]]->System;
        for (i32 s = 0; s < other.m_nSubSystemCount; ++s)
            if (other.aSubSystem[s] == released)
                other.aSubSystem[s] = nullptr;
    }
    m_aFree.Add(index);
    ResetRecord(record, false);
    for (u32 a = position; a + 1 < m_aActive.GetCount(); ++a)
    {
        m_aActive[a] = m_aActive[a + 1];
        m_aPosition[m_aActive[a]] = static_cast<u16>(a);
    }
    m_aActive.SetCount(m_aActive.GetCount() - 1);
    m_aPosition[index] = PARTICLE_POOL_RELEASED;
}

void TIFXParticleManager::Flush()
{
    TParticleLock lock;
    while (m_aActive.GetCount() > 0)
        Release(0);
    m_aFrame.SetCount(0);
}

// ---------------------------------------------------------------------------------------------
// The frame

void TIFXParticleManager::Update(f32 dt)
{
    TParticleLock lock;
    m_aFrame.SetCount(0);
    if (!m_nEnabled)
        return;
    for (i32 i = 0; i < m_NodeSystem.GetCount(); ++i)
    {
        TIParticleNodeSystem* nodeSystem = m_NodeSystem.Get(i);
        TNode* driver = nodeSystem->pVisibilityDriver;
        if (!nodeSystem->GetNode()->IsEnabled() || !driver)
            continue;
        if (driver->IsEnabled())
            nodeSystem->Activate();
        else
            nodeSystem->Deactivate();
    }
    for (i32 i = 0; i < m_System.GetCount(); ++i)
    {
        m_System.Get(i)->Update(dt);
        m_aFrame.Add(m_System.Get(i));
    }
    for (u32 position = 0; position < m_aActive.GetCount();)
    {
        TParticleSystem& system = m_apRecord[m_aActive[position]]->System;
        if (system.m_nState == PARTICLE_SYSTEM_FINISHED || system.Update(dt))
        {
            Release(position);
            continue;
        }
        m_aFrame.Add(&system);
        ++position;
    }
    for (i32 i = 0; i < m_EmitterData.GetCount(); ++i)
        m_EmitterData.Get(i)->m_nFlags &= ~(PARTICLE_PARAMETER_CHANGED | PARTICLE_RATE_CHANGED);
    MeasureCameraDistances();
}

void TIFXParticleManager::MeasureCameraDistances()
{
    TCamera* camera = ParticleCamera();
    if (!camera || m_aFrame.GetCount() == 0)
        return;
    const TVector& eye = camera->m_Placement.Translation();
    for (i32 i = 0; i < m_aFrame.GetCount(); ++i)
    {
        TParticleSystem* system = m_aFrame[i];
        if (!system->pEmitter)
            continue;
        const TVector& at = system->pEmitter->GetNode()->GetWorldMatrix()->Translation();
        const f32 dx = at.x - eye.x, dy = at.y - eye.y, dz = at.z - eye.z;
        system->m_fCameraDistance = dx * dx + dy * dy + dz * dz;
    }
}

void TIFXParticleManager::ThreadUpdateManager(f32 step)
{
    Update(step);
}

void TIFXParticleManager::UpdateManager(f32 step)
{
    Update(step);
}

void TIFXParticleManager::RenderManager()
{
    if (m_nEnabled && g_pCanvasManager)
        g_pCanvasManager->Flush();
}

void TIFXParticleManager::BeginManager()
{
    g_pResourceManager->AddMethod(static_cast<TResourceMethods*>(this));
    g_pCluster->AddListener(static_cast<TClusterMethods*>(this));
    if (g_pDeviceManager)
        g_pDeviceManager->AddMethod(static_cast<TDeviceMethods*>(this));
    g_pStateManager->RegisterStateObject(static_cast<TStateMethods*>(this));
}

i32 TIFXParticleManager::SaveState(u32 pass, TStream&)
{
    if (pass == 0)
        Flush();
    return 0;
}

i32 TIFXParticleManager::LoadState(u32 pass, TStream&)
{
    if (pass == 0)
        Flush();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Cluster and device

void TIFXParticleManager::DetachMadeObjects()
{
    const auto detach = [](auto& list) {
        for (i32 i = list.GetLoadedCount(); i < list.GetCount(); ++i)
            if (list.Get(i)->pNode)
                list.Get(i)->pNode->DeleteObject(list.Get(i));
    };
    detach(m_Emitter);
    detach(m_GlobalArea);
    for (i32 i = m_NodeSystem.GetLoadedCount(); i < m_NodeSystem.GetCount(); ++i)
    {
        TIParticleNodeSystem* nodeSystem = m_NodeSystem.Get(i);
        nodeSystem->RemoveFromQueue();
        nodeSystem->pRenderQueue = nullptr;
        nodeSystem->pParticleSystem = nullptr;
    }
    detach(m_NodeSystem);
}

void TIFXParticleManager::OnClusterUnload()
{
    m_nClusterLoaded = 0;
    // The images are still in place: effects hanging under loaded nodes leave them now.
    Flush();
    DetachMadeObjects();
}

void TIFXParticleManager::OnClusterLoad()
{
    TParticleLock lock;
    // Records are reset below: none may still run (heard twice, the first hearing spawned).
    Flush();
    m_nClusterLoaded = 1;
    m_aFrame.SetCount(0);
    m_nSuspend = 1;
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    // Programs without a device (tools) load levels too; the first draw makes it then.
    if (g_pDeviceManager && g_pDeviceManager->GetDevice())
        stream.Create();
    for (u32 i = 0; i < m_nHighWater; ++i)
        ResetRecord(*m_apRecord[i], true);
    stream.Reset();
    for (i32 i = 0; i < m_EmitterData.GetLoadedCount(); ++i)
        m_EmitterData.Get(i)->CheckLoaded();
    for (i32 i = 0; i < m_System.GetCount(); ++i)
    {
        TIParticleSystem* system = m_System.Get(i);
        if (system->pEmitter && system->pEmitter->IsRunning())
            system->ResetParticles();
    }
    for (i32 i = 0; i < m_NodeSystem.GetCount(); ++i)
    {
        TIParticleNodeSystem* nodeSystem = m_NodeSystem.Get(i);
        if (i < m_NodeSystem.GetLoadedCount())
            nodeSystem->CheckLoaded();
        nodeSystem->pParticleSystem = nullptr;
        if (nodeSystem->GetNode()->IsEnabled())
            nodeSystem->Activate();
    }
}

void TIFXParticleManager::OnDeviceLost()
{
    TParticleVertexStream::Get().Reset();
}

void TIFXParticleManager::OnDeviceReset()
{
    TParticleVertexStream::Get().Reset();
}

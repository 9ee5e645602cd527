#include "igame/ballistics/ballisticsmanager.h"

#include "ageia/collisionmanager.h"
#include "ageia/dynamicsgeometry.h"
#include "ageia/dynamicsmanager.h"
#include "core/cluster/cluster.h"
#include "core/cluster/useridlink.h"
#include "core/stream/stream.h"
#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/device.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shaderlink.h"
#include "engine/render/texture.h"
#include "engine/sound/soundmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/statemanager.h"
#include "ifx/particlemanager.h"
#include "igame/damage/particlelink.h"
#include "igame/ballistics/trailvertex.h"
#include "igame/damage/damagemanager.h"
#include "igame/gamematerial/gamematerialmanager.h"

#include <algorithm>
#include <cmath>

TBallisticsManager* g_pBallisticsManager = nullptr;

namespace
{
TBallisticsManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Ballistics", "Ballistics", &g_pBallisticsManager, &s_Manager);

TShaderLink s_TrailShader("TrailShader");
TUserIdLink s_TrailTexture(TName("TrailTexture", true).GetId());

struct TSectionLock
{
    explicit TSectionLock(TCriticalSection& section) : m_Section(section) { m_Section.Enter(); }
    ~TSectionLock() { m_Section.Leave(); }
    TCriticalSection& m_Section;
};

TVector Point(f32 x, f32 y, f32 z)
{
    return TVector(x, y, z, 1.0f);
}

f32 Distance(const TVector& a, const TVector& b)
{
    return TVector::Subtract(a, b).Length();
}

// The name id of the node whose shape the ray hit; 0 for none.
u32 HitNodeName(const TCollisionHit& hit)
{
    const TNodeObject* object =
        hit.pGeometry ? static_cast<const TNodeObject*>(hit.pGeometry) : static_cast<const TNodeObject*>(hit.pOwner);
    return object && object->pNode ? object->pNode->m_Name.GetId() : 0;
}
} // namespace

TBallisticsManager::TBallisticsManager()
{
    // Projectiles are fixed-rate work: update worker list 1 (inline without workers).
    m_nWorker = 1;
}

void TBallisticsManager::BeginManager()
{
    g_pCluster->AddListener(this);
    if (g_pStateManager)
        g_pStateManager->RegisterStateObject(this);
    if (g_pDeviceManager && g_pDeviceManager->GetDevice())
        m_Trails.Create();
}

void TBallisticsManager::OnClusterLoad()
{
    m_nImpactNode = 0;
}

void TBallisticsManager::OnClusterUnload()
{
    m_aProjectile.SetCount(0);
    TSectionLock lock(m_SoundLock);
    m_aSound.SetCount(0);
}

void TBallisticsManager::ThreadUpdateManager(f32 step)
{
    for (u32 i = 0; i < m_aProjectile.GetCount();)
    {
        if (!Step(m_aProjectile[i], step))
        {
            ++i;
            continue;
        }
        // The last record takes the finished one's place and is stepped next.
        const u32 last = m_aProjectile.GetCount() - 1;
        if (i != last)
            m_aProjectile[i] = m_aProjectile[last];
        m_aProjectile.SetCount(last);
    }
}

u32 TBallisticsManager::Step(TProjectile& p, f32 dt)
{
    // A record without a lifetime has no curve to fly (a damaged image).
    if (!(p.lifetime > 0.0f))
    {
        p.time = p.lifetime = 0.0f;
        return 1;
    }
    p.time += dt;
    const f32 t = p.time / p.lifetime;
    TVector local, heading;
    p.Curve(t, local, heading);
    p.fade = 1.0f - p.fadeRate * (t + 0.01f);
    p.position = p.frame.TransformPoint(local);
    p.direction = TVector(heading.x * p.frame.aRow[0].x + heading.y * p.frame.aRow[1].x + heading.z * p.frame.aRow[2].x,
                          heading.x * p.frame.aRow[0].y + heading.y * p.frame.aRow[1].y + heading.z * p.frame.aRow[2].y,
                          heading.x * p.frame.aRow[0].z + heading.y * p.frame.aRow[1].z + heading.z * p.frame.aRow[2].z,
                          1.0f);

    const TVector span = TVector::Subtract(p.position, p.prevPosition);
    const f32 moved = span.Length();
    if (!p.HasBouncePoint())
        p.trailProgress += moved;
    else
    {
        p.trailProgress += moved / p.trailLength;
        if (p.trailProgress >= 1.0f)
        {
            p.bouncePoint = TVector(0.0f, 0.0f, 0.0f, 0.0f);
            p.trailProgress = p.trailLength;
        }
    }

    TCollisionHit hit = {};
    hit.nFilter = BALLISTICS_RAY_GROUPS;
    u32 hitSomething = 0;
    if (moved > 0.0f && g_pCollisionManager)
    {
        // The ray over the step, from the length already measured.
        TRay ray;
        ray.origin = p.prevPosition;
        ray.direction[0] = span.x / moved;
        ray.direction[1] = span.y / moved;
        ray.direction[2] = span.z / moved;
        ray.length = moved;
        // The physics step may run on another worker: a query must not meet it half done.
        if (g_pDynamicsManager)
            g_pDynamicsManager->Lock();
        hitSomething = g_pCollisionManager->RayCast(ray, hit, 0);
        if (g_pDynamicsManager)
            g_pDynamicsManager->Unlock();
    }
    if (hitSomething)
    {
        const f32 cosine = p.direction.Dot(hit.Normal);
        // Hits carry no material of their own: every surface answers as "Default".
        const TGameMaterial& material =
            g_pGameMaterialManager ? *g_pGameMaterialManager->GetMaterial(g_NameDefault.GetId(), p.kindId)
                                   : TGameMaterialManager::Neutral();
        if (std::fabs(cosine) < material.ricochetMaxCos && Draw() < material.ricochetProbability)
            Ricochet(p, material, hit, cosine);
        else
        {
            Impact(p, material, hit);
            return 1;
        }
    }
    p.prevPosition = p.position;
    if (p.time > p.lifetime * BALLISTICS_LIFETIME_LIMIT)
    {
        p.time = p.lifetime = 0.0f;
        return 1;
    }
    return 0;
}

void TBallisticsManager::Ricochet(TProjectile& p, const TGameMaterial& material, const TCollisionHit& hit,
                                  f32 cosine)
{
    const TVector& n = hit.Normal;
    const f32 along = p.direction.Dot(n);
    TVector reflected = Point(p.direction.x - 2.0f * along * n.x, p.direction.y - 2.0f * along * n.y,
                              p.direction.z - 2.0f * along * n.z)
                            .Normalized();
    const TVector scatter = m_Random.NextVector(material.ricochetScatter, 7);
    reflected = Point(reflected.x + scatter.x, reflected.y + scatter.y, reflected.z + scatter.z);

    const TVector up = p.frame.AxisY();
    p.frame.SetOrientation(reflected, up);
    p.time = 0.0f;
    // A grazing bounce loses at most the material's share of the range; a steep one less.
    p.range *= 1.0f - material.ricochetEnergyLoss * (1.0f - std::fabs(cosine));

    p.bounceDirection[0] = p.direction.x;
    p.bounceDirection[1] = p.direction.y;
    p.bounceDirection[2] = p.direction.z;
    p.trailProgress = std::clamp(Distance(hit.Point, p.position) / p.trailLength, 0.0f, 1.0f);
    p.bouncePoint = Point(hit.Point.x, hit.Point.y, hit.Point.z);

    p.position = Point(hit.Point.x + n.x * BALLISTICS_SURFACE_OFFSET, hit.Point.y + n.y * BALLISTICS_SURFACE_OFFSET,
                       hit.Point.z + n.z * BALLISTICS_SURFACE_OFFSET);
    p.frame.Translation() = p.position;
    p.direction = p.frame.AxisZ();
    p.direction.w = 1.0f;

    SpawnEffect(material.pRicocheEffect, material.ricochetEffectProbability, hit);
    QueueSound(material.pRicocheSoundData, hit.Point);
}

void TBallisticsManager::Impact(TProjectile& p, const TGameMaterial& material, const TCollisionHit& hit)
{
    if (g_pDamageManager)
        g_pDamageManager->AddDamage(p.damage, hit.Point, HitNodeName(hit));
    SpawnEffect(material.pImpactEffect, material.impactEffectProbability, hit);
    QueueSound(material.pImpactSoundData, hit.Point);
}

void TBallisticsManager::SpawnEffect(TParticleEmitterData* effect, f32 probability, const TCollisionHit& hit)
{
    TParticleManager* particles = FindParticleManager();
    if (!effect || !(Draw() < probability) || !particles)
        return;
    TMatrix frame;
    frame.SetFromDirection(hit.Normal, 1);
    frame.Translation() = Point(hit.Point.x, hit.Point.y, hit.Point.z);
    particles->SpawnEffect(effect, nullptr, nullptr, nullptr, &frame, nullptr);
}

void TBallisticsManager::QueueSound(TSoundData* sound, const TVector& point)
{
    if (!sound)
        return;
    TSectionLock lock(m_SoundLock);
    if (m_aSound.GetCount() < BALLISTICS_SOUND_CAPACITY)
        m_aSound.Add({sound, point});
    else
        ++m_nDroppedSounds;
}

u32 TBallisticsManager::GetPendingSoundCount()
{
    TSectionLock lock(m_SoundLock);
    return m_aSound.GetCount();
}

TNode* TBallisticsManager::TakeImpactNode(const TVector& point)
{
    TNode* node = &m_aImpactNode[m_nImpactNode];
    m_nImpactNode = (m_nImpactNode + 1) % BALLISTICS_IMPACT_NODES;
    TMatrix matrix(1.0f);
    matrix.Translation() = Point(point.x, point.y, point.z);
    if (node->GetParent())
        matrix = TMatrix::MultiplyInverse(matrix, *node->GetParent()->GetWorldMatrix());
    node->SetLocalMatrix(matrix, TNode::OrdinaryCause());
    node->UpdateWorldMatrix(TNode::OrdinaryCause());
    return node;
}

void TBallisticsManager::UpdateManager(f32 step)
{
    SArray<TPendingSound, BALLISTICS_SOUND_CAPACITY, 0> sounds;
    {
        TSectionLock lock(m_SoundLock);
        sounds = m_aSound;
        m_aSound.SetCount(0);
    }
    for (u32 i = 0; i < sounds.GetCount(); ++i)
    {
        TNode* node = TakeImpactNode(sounds[i].Point);
        if (g_pSoundManager)
        {
            TSound* instance = nullptr;
            g_pSoundManager->PlaySound(instance, sounds[i].pSound, node, 0, 1);
        }
    }
}

void TBallisticsManager::DrawTrails(const TVector& camera)
{
    TShader* shader = s_TrailShader.Get();
    if (!shader)
        return;
    TTexture* texture = static_cast<TTexture*>(s_TrailTexture.FindObject());
    if (texture)
        texture->Require();
    m_Trails.SetMaterial(shader, texture);
    for (u32 i = 0; i < m_aProjectile.GetCount(); ++i)
        WriteTrail(m_aProjectile[i], camera, m_Trails);
    m_Trails.Flush();
}

void TBallisticsManager::RenderManager()
{
    if (m_aProjectile.GetCount() == 0 || !g_pRenderManager)
        return;
    TCamera* camera = g_pRenderManager->GetCurrentCamera();
    if (!camera)
        return;
    m_Trails.Create();
    DrawTrails(camera->m_Placement.Translation());
}

i32 TBallisticsManager::SaveState(u32 pass, TStream& stream)
{
    if (pass != BALLISTICS_STATE_PASS)
        return 0;
    const u32 count = m_aProjectile.GetCount();
    if (stream.Write(&count, sizeof count) != sizeof count)
        return 1;
    const i32 bytes = static_cast<i32>(count * sizeof(TProjectile));
    if (bytes > 0 && stream.Write(m_aProjectile.GetData(), bytes) != bytes)
        return 1;
    return 0;
}

i32 TBallisticsManager::LoadState(u32 pass, TStream& stream)
{
    if (pass != BALLISTICS_STATE_PASS)
        return 0;
    u32 count = 0;
    if (stream.Read(&count, sizeof count) != sizeof count)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TBallisticsManager::LoadState(): error: ",
                    "the state image ends before its projectile count");
        return 1;
    }
    if (count > BALLISTICS_PROJECTILE_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TBallisticsManager::LoadState(): error: ",
                    "%u projectiles in the state image: at most %u fly", count, BALLISTICS_PROJECTILE_CAPACITY);
        return 1;
    }
    TProjectiles loaded;
    loaded.SetCount(count);
    const i32 bytes = static_cast<i32>(count * sizeof(TProjectile));
    if (bytes > 0 && stream.Read(loaded.GetData(), bytes) != bytes)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TBallisticsManager::LoadState(): error: ",
                    "the state image ends before its %u projectiles", count);
        return 1;
    }
    m_aProjectile = loaded;
    return 0;
}

#include "ifx/iparticlesystem.h"

#include "core/system/log.h"
#include "engine/render/camera.h"
#include "engine/render/rendercontext.h"
#include "engine/render/rendermanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderlink.h"
#include "engine/render/texture.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/iparticleemitter.h"
#include "ifx/iparticleemitterdata.h"
#include "ifx/particlequad.h"
#include "ifx/particlevertexstream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace
{
TShaderLink s_aBlendShader[] = {TShaderLink("Shader_particle_alphablend"), TShaderLink("Shader_particle_add"),
                                TShaderLink("Shader_particle_subtract"),
                                TShaderLink("Shader_particle_multiply")};
TShaderLink s_ShadowShader("Shader_particle_shadow");
const TName s_NameShadowBuffer("shadow_buffer", true);
const TName s_NameDAlphaBlend("DAlphaBlend", true);

// The distances beyond which particles of lower ranks are left out.
constexpr f32 LOD_DISTANCE[] = {800.0f, 400.0f, 200.0f, 100.0f};
constexpr u32 LOD_LEVEL[] = {12, 10, 6, 3};

void SetBox(TBoundBox& box, const TVector& low, const TVector& high)
{
    box.minimum = TVector(low.x, low.y, low.z, 1.0f);
    box.maximum = TVector(high.x, high.y, high.z, 1.0f);
    box.Update();
}

void MergeBox(TBoundBox& box, const TBoundBox& other)
{
    SetBox(box,
           TVector(std::min(box.minimum.x, other.minimum.x), std::min(box.minimum.y, other.minimum.y),
                   std::min(box.minimum.z, other.minimum.z), 1.0f),
           TVector(std::max(box.maximum.x, other.maximum.x), std::max(box.maximum.y, other.maximum.y),
                   std::max(box.maximum.z, other.maximum.z), 1.0f));
}
} // namespace

void TransformParticleBox(const TBoundBox& box, const TMatrix& matrix, TBoundBox& out)
{
    const TVector& low = box.minimum;
    const TVector& high = box.maximum;
    for (u32 c = 0; c < 8; ++c)
    {
        const TVector corner = matrix.TransformPoint(
            TVector(c & 1 ? high.x : low.x, c & 2 ? high.y : low.y, c & 4 ? high.z : low.z, 1.0f));
        if (c == 0)
            out.minimum = out.maximum = corner;
        out.minimum = TVector(std::min(out.minimum.x, corner.x), std::min(out.minimum.y, corner.y),
                              std::min(out.minimum.z, corner.z), 1.0f);
        out.maximum = TVector(std::max(out.maximum.x, corner.x), std::max(out.maximum.y, corner.y),
                              std::max(out.maximum.z, corner.z), 1.0f);
    }
    out.Update();
}

u32 ParticleLodLevel(f32 distance)
{
    for (u32 i = 0; i < std::size(LOD_DISTANCE); ++i)
        if (distance > LOD_DISTANCE[i])
            return LOD_LEVEL[i];
    return 0;
}

TParticleSystem::TParticleSystem()
    : m_nFlags(1), pEmitter(nullptr), m_nLive(0), m_nFreeHead(PARTICLE_LIST_END),
      m_fCameraDistance(-1.0f), aTexture{}, m_nState(PARTICLE_SYSTEM_RUNNING),
      m_nSubSystemCount(0), aSubSystem{}
{
    SetBox(LocalBounds, TVector(-1.0f, -1.0f, -1.0f, 1.0f), TVector(1.0f, 1.0f, 1.0f, 1.0f));
    WorldBounds.Copy(LocalBounds);
}

TIParticleSystem::TIParticleSystem() = default;

namespace
{
// The particles every system holds storage for, against PARTICLE_BUDGET.
i32 s_nReserved = 0;

i32 OwnedCapacity(const DArray<TParticle>& particles)
{
    return particles.IsOwned() ? particles.GetCapacity() : 0;
}

void FreeStorage(DArray<TParticle>& particles)
{
    s_nReserved -= OwnedCapacity(particles);
    particles.Free();
}
} // namespace

TIParticleSystem::~TIParticleSystem()
{
    FreeStorage(aParticle);
}

i32 TIParticleSystem::GetReservedParticles()
{
    return s_nReserved;
}

TIParticleEmitterData* TIParticleSystem::Data() const
{
    return pEmitter ? static_cast<TIParticleEmitterData*>(pEmitter->pEmitterData) : nullptr;
}

void TIParticleSystem::Bind(TParticleEmitter* emitter)
{
    pEmitter = emitter;
    if (!emitter)
        return;
    emitter->pSystem = this;
    if (TIParticleEmitterData* data = Data())
        for (u32 i = 0; i < PARTICLE_TEXTURE_COUNT; ++i)
            aTexture[i] = data->aTexture[i];
}

void TIParticleSystem::SetTexture(TTexture* texture, u32 index)
{
    if (index < PARTICLE_TEXTURE_COUNT)
        aTexture[index] = texture;
}

u32 TIParticleSystem::IsRunning()
{
    return pEmitter ? pEmitter->IsRunning() : 0;
}

void TIParticleSystem::ResetParticles()
{
    TIParticleEmitterData* data = Data();
    i32 count = data ? data->GetParticleCapacity() : 0;
    const char* const prefix = "TIParticleSystem::ResetParticles(): error: ";
    const i32 held = OwnedCapacity(aParticle);
    if (count > held)
    {
        // Spawned effects and their sub-effects each take an array: data asking for the most of
        // every one would hold gigabytes.
        const i32 room = PARTICLE_BUDGET - (s_nReserved - held);
        if (count > room)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "'%s': %d particles cut to %d: all effects hold %d",
                        data->GetNameText(), count, room > held ? room : held, PARTICLE_BUDGET);
            count = room > held ? room : held;
        }
        if (count > held && aParticle.TrySetCapacity(count))
            s_nReserved += count - held;
        else if (count > held)
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "no memory for %d particles", count);
            count = held;
        }
    }
    aParticle.SetCount(count);
    const i32 size = aParticle.GetCount();
    if (size)
        std::memset(aParticle.GetData(), 0, size * sizeof(TParticle));
    for (i32 i = 0; i < size; ++i)
    {
        aParticle[i].fAge = PARTICLE_FREE;
        aParticle[i].nLink = i - 1;
    }
    m_nFreeHead = size - 1;
    m_nLive = 0;
}

void TIParticleSystem::FreeParticles()
{
    FreeStorage(aParticle);
    m_nFreeHead = PARTICLE_LIST_END;
    m_nLive = 0;
}

void TIParticleSystem::ForgetLoadedParticles()
{
    aParticle.MarkForeign();
    aParticle.Attach(nullptr, 0);
    m_nFreeHead = PARTICLE_LIST_END;
    m_nLive = 0;
}

void TIParticleSystem::Reinitialise(bool keepParticles)
{
    // Kept, the particle storage serves the next effect: spawning allocates nothing then.
    DArray<TParticle> particles;
    particles.Swap(aParticle);
    if (keepParticles)
        particles.SetCount(0);
    else
        FreeStorage(particles);
    this->~TIParticleSystem();
    new (this) TIParticleSystem();
    aParticle.Swap(particles);
}

void TIParticleSystem::Start()
{
    if (IsRunning() || !pEmitter)
        return;
    if (aParticle.GetCount() == 0)
        ResetParticles();
    pEmitter->Start();
    if (TIParticleEmitterData* data = Data())
        if (data->PreAdvance.fBase != 0.0f || data->PreAdvance.fSpread != 0.0f)
            Emitter()->PreSimulate(data->PreAdvance.Draw(), PARTICLE_PRE_ADVANCE_STEP);
    for (i32 i = 0; i < std::clamp<i32>(m_nSubSystemCount, 0, PARTICLE_SUB_EMITTER_CAPACITY); ++i)
        if (aSubSystem[i] && aSubSystem[i]->m_nFlags)
            aSubSystem[i]->Start();
}

void TIParticleSystem::Stop(u32 flag)
{
    if (!IsRunning())
        return;
    pEmitter->Stop();
    for (i32 i = 0; i < std::clamp<i32>(m_nSubSystemCount, 0, PARTICLE_SUB_EMITTER_CAPACITY); ++i)
        if (aSubSystem[i] && aSubSystem[i]->m_nFlags)
            aSubSystem[i]->Stop(flag);
}

void TIParticleSystem::Restart()
{
    Stop(1);
    ResetParticles();
    Start();
}

void TIParticleSystem::SortByDepth(const TCamera* camera)
{
    const TVector& eye = camera->m_Placement.Translation();
    // Only live neighbours trade places: a free slot stays where the free list expects it.
    i32 previous = -1;
    for (i32 i = 0; i < aParticle.GetCount(); ++i)
    {
        TParticle& p = aParticle[i];
        if (p.IsFree())
            continue;
        const f32 dx = p.aPosition[0] - eye.x, dy = p.aPosition[1] - eye.y, dz = p.aPosition[2] - eye.z;
        p.fCameraDistance = dx * dx + dy * dy + dz * dz;
        if (previous >= 0 && aParticle[previous].fCameraDistance < p.fCameraDistance)
            std::swap(aParticle[previous], p);
        previous = i;
    }
}

void TIParticleSystem::UpdateBounds(i32 live, const f32* minimum, const f32* maximum)
{
    TIParticleEmitterData* data = Data();
    const TMatrix& node = *pEmitter->GetNode()->GetWorldMatrix();
    if (live == 0)
    {
        const TVector& centre = data->m_LocalMatrix.Translation();
        SetBox(LocalBounds, TVector(centre.x - 1.0f, centre.y - 1.0f, centre.z - 1.0f, 1.0f),
               TVector(centre.x + 1.0f, centre.y + 1.0f, centre.z + 1.0f, 1.0f));
        TransformParticleBox(LocalBounds, node, WorldBounds);
        return;
    }
    f32 largest = 0.0f;
    for (const TParticleRange& size : data->aSize)
        largest = std::max({largest, size.fBase, size.fSpread});
    const f32 grow = largest * PARTICLE_BOUNDS_SIZE_FACTOR + PARTICLE_BOUNDS_MARGIN;
    SetBox(LocalBounds, TVector(minimum[0] - grow, minimum[1] - grow, minimum[2] - grow, 1.0f),
           TVector(maximum[0] + grow, maximum[1] + grow, maximum[2] + grow, 1.0f));
    if (data->m_nFlags & PARTICLE_LOCAL_SPACE)
        TransformParticleBox(LocalBounds, node, WorldBounds);
    else
        WorldBounds.Copy(LocalBounds);
}

u32 TIParticleSystem::Update(f32 dt)
{
    if (dt == 0.0f)
        return 0;
    TIParticleEmitter* emitter = Emitter();
    if (!emitter || !Data())
        return 1;
    if (aParticle.GetCount() == 0 && emitter->IsRunning())
        ResetParticles();
    const f32 scaled = dt * emitter->m_fTimeScale;
    emitter->Advance(scaled);
    f32 minimum[3] = {}, maximum[3] = {};
    m_nLive = emitter->StepParticles(scaled, minimum, maximum);
    if (Data()->m_nFlags & PARTICLE_DEPTH_SORT)
        if (const TCamera* camera = ParticleCamera())
            SortByDepth(camera);
    UpdateBounds(m_nLive, minimum, maximum);

    u32 merged = 0;
    for (i32 i = 0; i < std::clamp<i32>(m_nSubSystemCount, 0, PARTICLE_SUB_EMITTER_CAPACITY); ++i)
    {
        TParticleSystem* sub = aSubSystem[i];
        if (!sub || sub->m_nState != PARTICLE_SYSTEM_RUNNING || (sub->m_nLive == 0 && !sub->IsRunning()))
            continue;
        MergeBox(WorldBounds, sub->WorldBounds);
        ++merged;
    }
    return m_nLive == 0 && !emitter->IsRunning() && merged == 0 ? 1 : 0;
}

TShader* TIParticleSystem::GetShader()
{
    TIParticleEmitterData* data = Data();
    if (!data || data->m_nBlendMode >= std::size(s_aBlendShader))
        return nullptr;
    return s_aBlendShader[data->m_nBlendMode].Get();
}

void TIParticleSystem::Render(TRenderContext* context)
{
    const bool shadow = context && context->GetPassName() == s_NameShadowBuffer;
    if (shadow && !ParticleShadowsEnabled())
        return;
    const auto draw = [&](TIParticleSystem* system) {
        TShader* shader = shadow ? s_ShadowShader.Get() : system->GetShader();
        if (!shader)
            return;
        if (context && context->GetShader())
            shader->CopyDefines(*context->GetShader());
        shader->RemoveDefine(s_NameDAlphaBlend);
        DrawParticles(system, shader);
    };
    draw(this);
    for (i32 i = 0; i < std::clamp<i32>(m_nSubSystemCount, 0, PARTICLE_SUB_EMITTER_CAPACITY); ++i)
        if (aSubSystem[i] && aSubSystem[i]->m_nState == PARTICLE_SYSTEM_RUNNING)
            draw(static_cast<TIParticleSystem*>(aSubSystem[i]));
    TParticleVertexStream::Get().Flush();
}

void TIParticleSystem::DrawParticles(TIParticleSystem* system, TShader* shader)
{
    TIParticleEmitterData* data = system->Data();
    TCamera* camera = g_pRenderManager ? g_pRenderManager->GetCurrentCamera() : nullptr;
    if (!camera)
        camera = ParticleCamera();
    if (!data || !camera || (data->m_nFlags & PARTICLE_NEVER_DRAWN) || system->m_nLive == 0)
        return;
    const TVector& eye = camera->m_Placement.Translation();
    const f32* centre = system->WorldBounds.centre;
    const f32 dx = centre[0] - eye.x, dy = centre[1] - eye.y, dz = centre[2] - eye.z;
    const u32 level = ParticleLodLevel(std::sqrt(dx * dx + dy * dy + dz * dz));

    // Rotation modes other than 0 and 1 leave every particle out.
    if (data->m_nQuadRotationMode > PARTICLE_ROTATION_ANGLE)
        return;
    TParticleVertexStream& stream = TParticleVertexStream::Get();
    TTexture* colour = system->aTexture[0];
    stream.Switch(shader, colour);
    for (TTexture* texture : system->aTexture)
        if (texture)
            texture->Require();
    shader->SetTexture(PARTICLE_COLOUR_SLOT, colour);
    shader->SetTexture(PARTICLE_NORMAL_SLOT, system->aTexture[1]);
    shader->SetTexture(PARTICLE_MASK_SLOT, system->aTexture[2]);
    const TParticleQuadWriter writer(*data, *system->pEmitter->GetNode()->GetWorldMatrix(), *camera, colour);
    for (i32 i = 0; i < system->aParticle.GetCount(); ++i)
    {
        const TParticle& p = system->aParticle[i];
        if (p.IsFree() || (p.nLodRank & 0xFF) < level)
            continue;
        TParticleVertex* quad = stream.Reserve();
        if (!quad)
            return;
        writer.Write(p, quad);
    }
}

#include "ifx/iparticlenodesystem.h"

#include "core/system/log.h"
#include "engine/render/device.h"
#include "engine/render/rendercontext.h"
#include "engine/system/node.h"
#include "ifx/ifxparticlemanager.h"
#include "ifx/iparticleemitter.h"
#include "ifx/iparticleemitterdata.h"
#include "ifx/iparticlesystem.h"

#include <algorithm>
#include <cmath>

namespace
{
const TName s_NameShadowBuffer("shadow_buffer", true);

// The emitter multipliers of the driver sources and targets 2 to 8.
constexpr u32 DRIVER_MULTIPLIER[] = {PARTICLE_MULTIPLIER_SPEED,   PARTICLE_MULTIPLIER_ACCELERATION,
                                     PARTICLE_MULTIPLIER_GRAVITY, PARTICLE_MULTIPLIER_CONE,
                                     PARTICLE_MULTIPLIER_DRIVER,  PARTICLE_MULTIPLIER_SIZE,
                                     PARTICLE_MULTIPLIER_SPIN};

bool IsDriverMultiplier(i32 index)
{
    return index >= PARTICLE_DRIVER_FIRST_MULTIPLIER && index <= PARTICLE_DRIVER_LAST_MULTIPLIER;
}

// A spawned effect that lost a piece of itself (its record, or a sub-effect's) is not resumed.
bool IsWhole(const TParticleSystem* system)
{
    if (!system || system->m_nState == PARTICLE_SYSTEM_RELEASED)
        return false;
    for (i32 i = 0; i < std::clamp<i32>(system->m_nSubSystemCount, 0, PARTICLE_SUB_EMITTER_CAPACITY); ++i)
        if (!system->aSubSystem[i] || system->aSubSystem[i]->m_nState == PARTICLE_SYSTEM_RELEASED)
            return false;
    return true;
}
} // namespace

f32 TParticleDriver::Map(f32 value) const
{
    if (value < fInputMinimum)
        return fOutputMinimum;
    if (value > fInputMaximum)
        return fOutputMaximum;
    const f32 range = fInputMaximum - fInputMinimum;
    // An input range of no width maps its one value to the output's start.
    if (!(range > 0.0f))
        return fOutputMinimum;
    return fOutputMinimum + (value - fInputMinimum) / range * (fOutputMaximum - fOutputMinimum);
}

TParticleNodeSystem::TParticleNodeSystem()
    : pColor(nullptr), pNormal(nullptr), pMask(nullptr), pEmitterData(nullptr), m_fValue44(1.0f),
      m_nRenderFlags(0), pParticleSystem(nullptr), m_nActive(0), m_nDriverCount(0), aDriver{},
      pVisibilityDriver(nullptr)
{
    m_nClassName = TName("TParticleNodeSystem", true).GetId();
}

void TIParticleNodeSystem::CheckLoaded()
{
    if (m_nDriverCount < 0 || m_nDriverCount > static_cast<i32>(PARTICLE_DRIVER_CAPACITY))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TIParticleNodeSystem::CheckLoaded(): error: ", "'%s': %d drivers cut to %u",
                    GetNode()->GetPath(), m_nDriverCount,
                    std::clamp<i32>(m_nDriverCount, 0, PARTICLE_DRIVER_CAPACITY));
        m_nDriverCount = std::clamp<i32>(m_nDriverCount, 0, PARTICLE_DRIVER_CAPACITY);
    }
    pParticleSystem = nullptr;
}

u32 TIParticleNodeSystem::CastsShadow()
{
    return ParticleShadowsEnabled() && (m_nRenderFlags & PARTICLE_NODE_CASTS_SHADOW) ? 1 : 0;
}

void TIParticleNodeSystem::Activate()
{
    m_nActive = 1;
    if (!IsWhole(pParticleSystem))
        pParticleSystem = nullptr;
    if (!pParticleSystem)
    {
        const TMatrix identity(1.0f);
        pParticleSystem =
            g_pParticleManager->SpawnEffect(pEmitterData, pColor, pNormal, pMask, &identity, GetNode());
    }
    else if (pParticleSystem->m_nState != PARTICLE_SYSTEM_FINISHED)
        pParticleSystem->Start();
}

void TIParticleNodeSystem::Deactivate()
{
    m_nActive = 0;
    if (pParticleSystem && pParticleSystem->m_nState != PARTICLE_SYSTEM_RELEASED)
        pParticleSystem->Stop(0);
}

void TIParticleNodeSystem::OnEnable(u32 enabled)
{
    TRenderObject::OnEnable(enabled);
    if (!static_cast<TIFXParticleManager*>(g_pParticleManager)->IsClusterLoaded())
        return;
    if (!enabled)
    {
        if (pParticleSystem && pParticleSystem->m_nState != PARTICLE_SYSTEM_RELEASED)
            pParticleSystem->Stop(0);
    }
    else if (m_nActive)
        Activate();
}

const TBoundBox* TIParticleNodeSystem::GetBoundBox()
{
    // Queues test the box in the node's space: the world box is taken back into it.
    static thread_local TBoundBox s_Box;
    TBoundBox world;
    if (pParticleSystem)
        world.Copy(pParticleSystem->WorldBounds);
    else
    {
        const TVector& at = GetNode()->GetWorldMatrix()->Translation();
        world.minimum = TVector(at.x - 1.0f, at.y - 1.0f, at.z - 1.0f, 1.0f);
        world.maximum = TVector(at.x + 1.0f, at.y + 1.0f, at.z + 1.0f, 1.0f);
    }
    TransformParticleBox(world, GetNode()->GetWorldMatrix()->Inverse(), s_Box);
    return &s_Box;
}

f32 TIParticleNodeSystem::ReadSource(i32 source) const
{
    TParticleEmitter* emitter = pParticleSystem->pEmitter;
    if (source == PARTICLE_DRIVER_NODE_SPEED)
        return GetNode()->m_Vector.Length();
    if (source == PARTICLE_DRIVER_RATE_SCALE)
        return pEmitterData ? pEmitterData->GetParameter(PARTICLE_PARAMETER_RATE_SCALE) : 0.0f;
    if (IsDriverMultiplier(source) && emitter)
        return emitter->GetMultiplier(DRIVER_MULTIPLIER[source - PARTICLE_DRIVER_FIRST_MULTIPLIER]);
    return 0.0f;
}

void TIParticleNodeSystem::WriteTarget(i32 target, f32 value)
{
    TParticleEmitter* emitter = pParticleSystem->pEmitter;
    if (target == PARTICLE_DRIVER_RATE_SCALE && pEmitterData)
        pEmitterData->SetParameter(PARTICLE_PARAMETER_RATE_SCALE, &value, 0.0f, 1);
    else if (IsDriverMultiplier(target) && emitter)
        emitter->SetMultiplier(DRIVER_MULTIPLIER[target - PARTICLE_DRIVER_FIRST_MULTIPLIER], value);
}

void TIParticleNodeSystem::ApplyDrivers()
{
    for (i32 i = 0; i < std::clamp<i32>(m_nDriverCount, 0, PARTICLE_DRIVER_CAPACITY); ++i)
        WriteTarget(aDriver[i].nTarget, aDriver[i].Map(ReadSource(aDriver[i].nSource)));
    if (pEmitterData)
    {
        const TVector& v = GetNode()->m_Vector;
        const f32 velocity[4] = {v.x, v.y, v.z, 1.0f};
        pEmitterData->SetParameter(PARTICLE_PARAMETER_BASE_VELOCITY, velocity, 0.0f, 1);
    }
}

void TIParticleNodeSystem::Draw(TRenderContext* context)
{
    TIFXParticleManager* manager = static_cast<TIFXParticleManager*>(g_pParticleManager);
    // Effects switched off ("ifx_enable" 0) are not seen either, not frozen in the air.
    if (!pParticleSystem || !manager->IsEnabled() || !g_pDeviceManager || !g_pDeviceManager->IsRunning())
        return;
    if (context && context->GetPassName() == s_NameShadowBuffer && !(m_nRenderFlags & PARTICLE_NODE_CASTS_SHADOW))
        return;
    TParticleLock lock;
    ApplyDrivers();
    pParticleSystem->Render(context);
}

#include "ifx/iparticleemitterdata.h"

#include "core/system/abort.h"
#include "core/system/log.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{
const char* const kSource = "sources/ifx/ifx";
constexpr f32 DEFAULT_LOD_START = 40.0f;
constexpr f32 DEFAULT_LOD_SCALE = 10.0f;
} // namespace

TParticleEmitterData::TParticleEmitterData()
{
    // Everything after the resource head starts at 0.
    std::memset(reinterpret_cast<u8*>(this) + sizeof(TResource), 0,
                sizeof(TParticleEmitterData) - sizeof(TResource));
}

TIParticleEmitterData::TIParticleEmitterData()
{
    m_LocalMatrix = TMatrix(1.0f);
    m_fBaseVelocityScale = 1.0f;
    m_BaseVelocity = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    m_fRateScale = 1.0f;
    m_fLodStart = DEFAULT_LOD_START;
    m_fLodScale = DEFAULT_LOD_SCALE;
}

u32 TIParticleEmitterData::SubEmitterCount() const
{
    return static_cast<u32>(std::clamp<i32>(m_nSubEmitterCount, 0, PARTICLE_SUB_EMITTER_CAPACITY));
}

u32 TIParticleEmitterData::AreaCount() const
{
    return static_cast<u32>(std::clamp<i32>(m_nAreaCount, 0, PARTICLE_AREA_CAPACITY));
}

i32 TIParticleEmitterData::GetParticleCapacity() const
{
    // abs of the most negative count would overflow.
    const i64 count = std::llabs(static_cast<i64>(m_nMaxParticles));
    return static_cast<i32>(std::min<i64>(count, PARTICLE_MAX_PARTICLES));
}

void TIParticleEmitterData::CheckLoaded()
{
    const char* const prefix = "TIParticleEmitterData::CheckLoaded(): error: ";
    if (m_nSubEmitterCount < 0 || m_nSubEmitterCount > static_cast<i32>(PARTICLE_SUB_EMITTER_CAPACITY))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "'%s': %d sub-emitters cut to %u", GetNameText(),
                    m_nSubEmitterCount, SubEmitterCount());
        m_nSubEmitterCount = static_cast<i32>(SubEmitterCount());
    }
    if (m_nAreaCount < 0 || m_nAreaCount > static_cast<i32>(PARTICLE_AREA_CAPACITY))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "'%s': %d force areas cut to %u", GetNameText(),
                    m_nAreaCount, AreaCount());
        m_nAreaCount = static_cast<i32>(AreaCount());
    }
    if (GetParticleCapacity() < std::llabs(static_cast<i64>(m_nMaxParticles)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, prefix, "'%s': %d particles cut to %d", GetNameText(),
                    m_nMaxParticles, PARTICLE_MAX_PARTICLES);
        m_nMaxParticles = m_nMaxParticles < 0 ? -PARTICLE_MAX_PARTICLES : PARTICLE_MAX_PARTICLES;
    }
}

f32 TIParticleEmitterData::GetParameter(i32 id)
{
    if (id != PARTICLE_PARAMETER_RATE_SCALE)
        __Abort("TIParticleEmitterData::GetParameter", kSource, __LINE__, "unimplemented");
    return m_fRateScale;
}

void TIParticleEmitterData::ApplyParameter(i32 id, const void* a, f32 b)
{
    m_nFlags |= PARTICLE_PARAMETER_CHANGED;
    if (id < 1 || id > PARTICLE_PARAMETER_LAST || id == PARTICLE_PARAMETER_NONE)
        return;
    if (id == PARTICLE_PARAMETER_BASE_VELOCITY)
    {
        const f32* v = static_cast<const f32*>(a);
        const f32 scale = m_fBaseVelocityScale;
        m_BaseVelocity = TVector(v[0] * scale, v[1] * scale, v[2] * scale, v[3]);
        return;
    }
    const f32 value = *static_cast<const f32*>(a);
    const TParticleRange pair = {value, b};
    switch (id)
    {
    case PARTICLE_PARAMETER_CONE:
        ConeAngle = pair;
        break;
    case PARTICLE_PARAMETER_RATE_SCALE:
        m_fRateScale = value;
        m_nFlags |= PARTICLE_RATE_CHANGED;
        break;
    case PARTICLE_PARAMETER_RATE:
        Rate = pair;
        m_nFlags |= PARTICLE_RATE_CHANGED;
        break;
    case PARTICLE_PARAMETER_START_DELAY:
        StartDelay = pair;
        break;
    case PARTICLE_PARAMETER_PRE_ADVANCE:
        PreAdvance = pair;
        break;
    case PARTICLE_PARAMETER_START_BURST:
        StartBurst = pair;
        break;
    case PARTICLE_PARAMETER_TIME_SCALE:
        TimeScale = pair;
        break;
    case PARTICLE_PARAMETER_LIFETIME:
        Lifetime = pair;
        break;
    case PARTICLE_PARAMETER_SPEED:
        Speed = pair;
        break;
    case PARTICLE_PARAMETER_SPIN:
        Spin = pair;
        break;
    case PARTICLE_PARAMETER_ACCELERATION:
        Acceleration = pair;
        break;
    default:
        __Abort("TIParticleEmitterData::SetParameter", kSource, __LINE__, "unimplemented");
    }
}

i32 TIParticleEmitterData::SetParameter(i32 id, const void* a, f32 b, i32 propagate)
{
    ApplyParameter(id, a, b);
    if (id == PARTICLE_PARAMETER_NONE)
        return 1;
    if (propagate && id >= 1 && id <= PARTICLE_PARAMETER_LAST)
        for (u32 i = 0; i < SubEmitterCount(); ++i)
            if (aSubEmitter[i])
                aSubEmitter[i]->SetParameter(id, a, b, 0);
    return 2;
}

i32 TIParticleEmitterData::SetSubParameter(i32 id, i32 sub, const void* a, f32 b)
{
    if (sub == 0)
        return SetParameter(id, a, b, 0);
    if (sub < 1 || static_cast<u32>(sub) > SubEmitterCount() || !aSubEmitter[sub - 1])
        return 2;
    return aSubEmitter[sub - 1]->SetParameter(id, a, b, 0);
}

void TIParticleEmitterData::SetTexture(TTexture* texture, u32 index)
{
    if (index >= PARTICLE_TEXTURE_COUNT)
        return;
    ForEachBelow([&](TIParticleEmitterData* data) { data->aTexture[index] = texture; });
}

TTexture* TIParticleEmitterData::GetTexture(u32 index)
{
    return index < PARTICLE_TEXTURE_COUNT ? aTexture[index] : nullptr;
}

TParticleAreaRecord* TIParticleEmitterData::AddArea(const u32* id, u32 mode, const f32* offset, f32 radius,
                                                    f32 strength)
{
    if (AreaCount() >= PARTICLE_AREA_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TIParticleEmitterData::AddArea(): error: ", "'%s': a fifth force area refused",
                    GetNameText());
        return nullptr;
    }
    TParticleAreaRecord& area = aArea[AreaCount()];
    area = {};
    area.nId = *id;
    area.nMode = mode;
    std::memcpy(area.aOffset, offset, sizeof area.aOffset);
    area.fRadius = radius;
    area.fStrength = strength;
    m_nAreaCount = static_cast<i32>(AreaCount() + 1);
    return &area;
}

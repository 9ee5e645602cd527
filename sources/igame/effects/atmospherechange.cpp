#include "igame/effects/atmospherechange.h"

#include "core/cluster/clustertypedecl.h"
#include "core/system/log.h"
#include "engine/render/light.h"
#include "engine/render/mesh.h"
#include "engine/system/node.h"
#include "igame/effects/atmosphere.h"

#include <algorithm>

namespace
{
constexpr u16 LIGHT_TYPE_ID = 50;
constexpr u16 MESH_TYPE_ID = 43;

TClusterField Link(u32 offset, u32 typeId, const char* name, u32 count = 1)
{
    return TClusterField(CLUSTER_MEMBER_REFERENCE, offset, typeId, count, name);
}

#define ARRAY_FIELD(member, typeId, name)                                                                    \
    Link(offsetof(TAtmosphereChange, member) + 4, typeId, name, ATMOSPHERE_CHANGE_ENTRIES)

// Declared with the program's statics.
const TClusterTypeDecl* const s_pDecl = &AtmosphereChangeDecl();
} // namespace

TAtmosphereChange::TAtmosphereChange()
    : pNight(nullptr), pDay(nullptr), m_fBlend(0.0f), m_fStart(0.0f), m_fDelta(0.0f),
      m_fProgress(ATMOSPHERE_NO_TRANSITION), m_fDuration(0.0f)
{
}

void TAtmosphereChange::SetBlend(f32 value, u32 immediate)
{
    value = std::clamp(value, 0.0f, 1.0f);
    if (immediate)
    {
        m_fBlend = m_fStart = value;
        m_fDelta = 0.0f;
        m_fProgress = ATMOSPHERE_NO_TRANSITION;
        Apply();
        return;
    }
    m_fStart = m_fBlend;
    m_fDelta = value - m_fBlend;
    m_fProgress = 0.0f;
}

void TAtmosphereChange::Step(f32 dt)
{
    if (!IsMoving())
        return;
    // A transition without a duration ends at once.
    m_fProgress = m_fDuration > 0.0f ? std::min(m_fProgress + dt / m_fDuration, 1.0f) : 1.0f;
    // At progress 1 this is start + delta: the target itself.
    m_fBlend = m_fStart + m_fProgress * m_fDelta;
    if (m_fProgress >= 1.0f)
    {
        m_fDelta = 0.0f;
        m_fStart = 0.0f;
        m_fProgress = ATMOSPHERE_NO_TRANSITION;
    }
    Apply();
}

void TAtmosphereChange::Apply()
{
    if (pNight)
        pNight->m_fWeight = m_fBlend;
    if (pDay)
        pDay->m_fWeight = 1.0f - m_fBlend;
    // A light's power is its intensity weight: a light faded below half casts no shadow.
    for (u32 i = 0; i < std::min(aNightLight.GetCount(), ATMOSPHERE_CHANGE_ENTRIES); ++i)
        if (aNightLight[i])
            aNightLight[i]->m_fPower = m_fBlend;
    for (u32 i = 0; i < std::min(aDayLight.GetCount(), ATMOSPHERE_CHANGE_ENTRIES); ++i)
        if (aDayLight[i])
            aDayLight[i]->m_fPower = 1.0f - m_fBlend;
    auto weigh = [](auto& meshes, f32 weight) {
        for (u32 i = 0; i < std::min(meshes.GetCount(), ATMOSPHERE_CHANGE_ENTRIES); ++i)
            if (TMesh* mesh = meshes[i])
            {
                mesh->m_fBlendWeight = weight;
                mesh->m_fBlendOffset = 0.0f;
            }
    };
    weigh(aDayMeshBlend, 1.0f - m_fBlend);
    weigh(aNightMeshBlend, m_fBlend);
}

u32 TAtmosphereChange::CutCounts()
{
    u32 cut = 0;
    auto check = [&](auto& array, const char* name) {
        if (array.GetCount() <= ATMOSPHERE_CHANGE_ENTRIES)
            return;
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphereChange::CutCounts(): error: ", "%s holds %u of %u: cut",
                    name, array.GetCount(), ATMOSPHERE_CHANGE_ENTRIES);
        array.SetCount(ATMOSPHERE_CHANGE_ENTRIES);
        cut = 1;
    };
    check(aNightLight, "aNightLight");
    check(aDayLight, "aDayLight");
    check(aDayMeshBlend, "aDayMeshBlend");
    check(aNightMeshBlend, "aNightMeshBlend");
    return cut;
}

u32 TAtmosphereChange::CheckBlend()
{
    auto within = [](f32 value) { return value >= 0.0f && value <= 1.0f; };
    auto name = [](const TAtmosphere* sky) { return sky && sky->pNode ? sky->GetNode()->GetPath() : ""; };
    if (!within(m_fBlend))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphereChange::CheckBlend(): error: ",
                    "change of '%s' and '%s': blend %g is outside [0, 1]: the day taken", name(pDay), name(pNight),
                    static_cast<double>(m_fBlend));
        m_fBlend = m_fStart = m_fDelta = 0.0f;
        m_fProgress = ATMOSPHERE_NO_TRANSITION;
        return 1;
    }
    // A running transition ends within [0, 1] and takes a time.
    if (IsMoving() && !(within(m_fProgress) && within(m_fStart) && within(m_fStart + m_fDelta) && m_fDuration >= 0.0f))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TAtmosphereChange::CheckBlend(): error: ",
                    "change of '%s' and '%s': a transition from %g by %g at %g over %gs: stopped at %g", name(pDay),
                    name(pNight), static_cast<double>(m_fStart), static_cast<double>(m_fDelta),
                    static_cast<double>(m_fProgress), static_cast<double>(m_fDuration), static_cast<double>(m_fBlend));
        m_fStart = m_fBlend;
        m_fDelta = 0.0f;
        m_fProgress = ATMOSPHERE_NO_TRANSITION;
        return 1;
    }
    return 0;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const TClusterTypeDecl& AtmosphereChangeDecl()
{
    static const TAtmosphereChange s_Prototype;
    static TClusterTypeDecl s_Decl("TAtmosphereChange", ATMOSPHERE_CHANGE_TYPE_ID, sizeof(TAtmosphereChange),
                                   &s_Prototype, 0,
                                   {Link(offsetof(TAtmosphereChange, pNight), ATMOSPHERE_TYPE_ID, "pNight"),
                                    Link(offsetof(TAtmosphereChange, pDay), ATMOSPHERE_TYPE_ID, "pDay"),
                                    ARRAY_FIELD(aNightLight, LIGHT_TYPE_ID, "aNightLight"),
                                    ARRAY_FIELD(aDayLight, LIGHT_TYPE_ID, "aDayLight"),
                                    ARRAY_FIELD(aDayMeshBlend, MESH_TYPE_ID, "aDayMeshBlend"),
                                    ARRAY_FIELD(aNightMeshBlend, MESH_TYPE_ID, "aNightMeshBlend")});
    return s_Decl;
}
#pragma GCC diagnostic pop

#include "engine/render/environmentmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/managermanager.h"
#include "engine/system/node.h"
#include "engine/system/scenetypes.h"

#include <algorithm>
#include <cmath>

TEnvironmentManager* g_pEnvironmentManager = nullptr;

namespace
{
TEnvironmentManager s_EnvironmentManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Environment", "Environment", &g_pEnvironmentManager,
                                                           &s_EnvironmentManager);

f32 SquaredDistance(const TVector& a, const TVector& b)
{
    const f32 dx = a.x - b.x, dy = a.y - b.y, dz = a.z - b.z;
    return dx * dx + dy * dy + dz * dz;
}
} // namespace

TEnvironmentManager::TEnvironmentManager() : m_Value(0.0f, 0.0f, 0.0f, 0.0f)
{
    if (g_pCluster)
        RegisterArray(&EnvironmentDecl(), &m_aEnvironment);
}

TEnvironmentChoice TEnvironmentManager::ChooseEnvironment(const TVector& p) const
{
    const i32 count = m_aEnvironment.GetCount();
    if (count == 0)
        return {nullptr, nullptr, 0.0f};
    f32 best = ENVIRONMENT_BEST_START;
    i32 chosen = -1;
    for (i32 i = 1; i < count; ++i)
    {
        TEnvironment* zone = m_aEnvironment[i];
        // A negative radius is stored damage: the zone starts at its centre.
        const f32 radius = std::max(zone->m_fInnerRadius, 0.0f);
        const f32 reach = radius + zone->m_fFadeRange;
        // Out of the zone's reach (its fade range not beyond the distance): no square root.
        const f32 squared = SquaredDistance(p, zone->GetMatrix()->Translation());
        if (squared >= reach * reach)
            continue;
        const f32 d = std::max(std::sqrt(squared) - radius, 0.0f);
        if (best >= d && zone->m_fFadeRange > d)
        {
            best = d;
            chosen = i;
        }
    }
    TTexture* global = m_aEnvironment[0]->pTexture;
    if (chosen < 0)
        return {global, nullptr, global ? 1.0f : 0.0f};
    TEnvironment* zone = m_aEnvironment[chosen];
    if (best == 0.0f)
        return {zone->pTexture, nullptr, 1.0f};
    return {zone->pTexture, global, best / zone->m_fFadeRange};
}

void TEnvironmentManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TEnvironmentManager::OnClusterLoad()
{
    for (i32 i = 0; i < m_aEnvironment.GetCount(); ++i)
    {
        const TEnvironment* zone = m_aEnvironment[i];
        const char* fault = !zone->pTexture                ? "has no texture: it reflects nothing"
                            : zone->m_fInnerRadius < 0.0f ? "has a negative radius: taken as 0"
                            : zone->m_fFadeRange < 0.0f   ? "has a negative fade range: it is never chosen"
                                                          : nullptr;
        if (fault)
            TLog::Print(g_pSystemLog, LOG_WARNING, "TEnvironmentManager::OnClusterLoad(): warning: ", "environment %d ('%s') %s",
                        i, zone->pNode ? zone->pNode->m_Name.GetText() : "", fault);
    }
}

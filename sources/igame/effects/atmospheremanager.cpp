#include "igame/effects/atmospheremanager.h"

#include "core/cluster/cluster.h"
#include "engine/system/managermanager.h"
#include "igame/effects/atmosphere.h"
#include "igame/effects/atmospherechange.h"

TAtmosphereManager* g_pAtmosphereManager = nullptr;

namespace
{
TAtmosphereManager s_Manager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Atmosphere", "Atmosphere", &g_pAtmosphereManager, &s_Manager);
} // namespace

TAtmosphereManager::TAtmosphereManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&AtmosphereDecl(), &m_aAtmosphere);
    RegisterArray(&AtmosphereChangeDecl(), &m_aChange);
}

void TAtmosphereManager::BeginManager()
{
    g_pCluster->AddListener(this);
}

void TAtmosphereManager::UpdateManager(f32 step)
{
    for (i32 i = 0; i < m_aChange.GetCount(); ++i)
        m_aChange[i]->Step(step);
}

void TAtmosphereManager::OnClusterLoad()
{
    for (i32 i = 0; i < m_aChange.GetCount(); ++i)
        m_aChange[i]->Apply();
}

TAtmosphereChange* TAtmosphereManager::GetFirstChange() const
{
    return m_aChange.GetCount() > 0 ? m_aChange[0] : nullptr;
}

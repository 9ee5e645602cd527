#include "engine/system/automatmanager.h"

#include "core/cluster/cluster.h"
#include "engine/system/automat.h"
#include "engine/system/automatstate.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/script.h"

TAutomatManager* g_pAutomatManager = nullptr;

namespace
{
TAutomatManager s_AutomatManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Automat", "Automat", &g_pAutomatManager, &s_AutomatManager);
} // namespace

TAutomatManager::TAutomatManager()
{
    if (!g_pCluster)
        return;
    RegisterArray(&AutomatStateDecl(), &m_aState);
    RegisterArray(&AutomatDecl(), &m_aAutomat);
}

i32 TAutomatManager::SetArray(u32 typeId, void*, i32)
{
    return typeId == AutomatStateDecl().GetTypeId() || typeId == AutomatDecl().GetTypeId() ? 0 : 1;
}

void TAutomatManager::UpdateManager(f32)
{
    for (i32 i = 0; i < m_aAutomat.GetCount(); ++i)
    {
        const TAutomat* automat = m_aAutomat[i];
        const TAutomatState* state = automat->pActiveState;
        if (state && automat->m_nEnabled && state->pScriptOnUpdate)
            state->pScriptOnUpdate->Run(nullptr);
    }
}

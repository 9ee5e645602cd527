#include "engine/render/lightset.h"

#include "engine/render/lightmanager.h"

void TLightSet::Enable()
{
    if (m_nFlags & LIGHT_SET_ON)
        return;
    if (m_nFlags & LIGHT_SET_EXCLUSIVE)
        for (i32 i = 0; i < g_pLightManager->LightSets().GetCount(); ++i)
        {
            TLightSet* other = g_pLightManager->LightSets()[i];
            if (other == this || !(other->m_nFlags & LIGHT_SET_ON))
                continue;
            other->m_nFlags &= ~LIGHT_SET_ON;
            g_pLightManager->AddCounts(*other, -1);
        }
    m_nFlags |= LIGHT_SET_ON;
    g_pLightManager->AddCounts(*this, 1);
}

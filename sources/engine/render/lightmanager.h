#pragma once
// TLightManager ("Light"): the light sets repositories load and the running totals of enabled
// lights per type in the sets that are on. Least form: the lights themselves and the
// optimisation level come with the render pipeline.
#include "core/system/templates/darray.h"
#include "engine/render/lightset.h"
#include "engine/system/manager.h"

class TLightManager : public TManager
{
public:
    TLightManager();

    DArray<TLightSet*>& LightSets() { return m_aLightSet; }
    i32 GetTotal(u32 type) const { return m_aTotal[type]; }
    // Adds (sign 1) or subtracts (sign -1) a set's counts to the totals.
    void AddCounts(const TLightSet& set, i32 sign);

private:
    DArray<TLightSet*> m_aLightSet;
    i32 m_aTotal[LIGHT_TYPE_COUNT];
};

extern TLightManager* g_pLightManager;

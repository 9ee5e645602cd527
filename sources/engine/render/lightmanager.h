#pragma once
// TLightManager ("Light", manager id 50): the lights and light sets repositories load, the
// running totals of enabled lights per type in the sets that are on (its one data block, so
// they travel with saved cluster data), and the optimisation level that limits which lights
// the deferred renderer draws (light_optimization). Every user walks the lights in array order.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "engine/render/light.h"
#include "engine/render/lightset.h"
#include "engine/system/manager.h"

constexpr i32 LIGHT_MANAGER_ID = 50;
constexpr i32 LIGHT_OPTIMIZATION_DEFAULT = 2;

class TLightManager : public TManager, public TClusterMethods
{
public:
    TLightManager();

    DArray<TLightSet*>& LightSets() { return m_aLightSet; }
    DArray<TLight*>& Lights() { return m_aLight; }
    TLightSet* GetCurrentLightSet() const { return m_pCurrentLightSet; }
    i32 GetTotal(u32 type) const { return m_aTotal[type]; }
    i32 GetOptimizationLevel() const { return m_nOptimizationLevel; }
    void SetOptimizationLevel(i32 level) { m_nOptimizationLevel = level; }

    // Adds (sign 1) or subtracts (sign -1) a set's counts to the totals.
    void AddCounts(const TLightSet& set, i32 sign);
    // One light of the type in the set enabled (1) or disabled (-1): the set's count, and the
    // total while the set is on. A count that would go below 0 is refused with a log line.
    void CountLight(TLightSet& set, u32 type, i32 sign);

    // Listens to the cluster.
    void BeginManager() override;
    // TClusterManager: a loaded light-set array makes its first set current.
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // TClusterMethods: each loaded light of unknown type or negative range is logged; it is
    // neither counted nor drawn.
    void OnClusterLoad() override;
    // The totals: one block of 24 bytes (a block of another size is refused with a log line).
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return sizeof(m_aTotal); }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

private:
    TLightSet* m_pCurrentLightSet;
    DArray<TLightSet*> m_aLightSet;
    DArray<TLight*> m_aLight;
    i32 m_aTotal[LIGHT_TYPE_COUNT];
    i32 m_nOptimizationLevel;
};

static_assert(LIGHT_TYPE_COUNT * sizeof(i32) == 24);

extern TLightManager* g_pLightManager;

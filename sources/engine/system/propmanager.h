#pragma once
// TPropManager ("Prop"): owner of the cluster arrays of prop data, pools and props. The
// fixed-rate update ranks the props by distance and visibility; the frame update walks each
// pool's update list and trades the limited full forms between the best-ranked props.
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/math/vector.h"
#include "engine/system/manager.h"

class TProp;
class TPropData;
struct TPropDataPool;
class TPropMethods;

// A camera move beyond which every prop is ranked again at once.
constexpr f32 PROP_FULL_RANKING_MOVE = 10.0f;
constexpr i32 PROP_RANKING_BATCH = 5000;
constexpr f32 PROP_NO_HOLDER_THRESHOLD = 10000000.0f;
constexpr f32 PROP_FULL_RANKING_LIMIT = 100000.0f;
constexpr f32 PROP_LIMIT_MARGIN = 0.2f;
constexpr f32 PROP_SCATTER_RANGE = 1000.0f;

class TPropManager : public TManager, public TClusterMethods
{
public:
    TPropManager();

    DArray<TPropData*>& PropData() { return m_aPropData; }
    DArray<TPropDataPool*>& Pools() { return m_aPool; }
    DArray<TProp*>& Props() { return m_aProp; }
    DArray<TPropMethods*>& Listeners() { return m_aListener; }

    // Parked full forms spread within 1000 units of the origin instead of sitting on it.
    void SetScatter(u32 on) { m_nScatter = on; }
    u32 GetScatter() const { return m_nScatter; }

    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 time) override;
    void OnClusterUnload() override;
    // Device or resources lost: nothing stays queued or forced.
    void ResetUpdates();

private:
    DArray<TPropData*> m_aPropData;
    DArray<TPropDataPool*> m_aPool;
    DArray<TProp*> m_aProp;
    DArray<TPropMethods*> m_aListener;
    TVector m_LastCamera;
    i32 m_nNextRanked;
    u32 m_nFullRanking;
    u32 m_nScatter;
};

extern TPropManager* g_pPropManager;

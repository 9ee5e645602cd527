#pragma once
// TSkeletonManager ("Skeleton"): owner of the cluster arrays of skeleton data, skeleton mesh
// data, poses and skeletons. Skeletons with SKELETON_FIXED_RATE are evaluated in the fixed-rate
// update (possibly on an update worker), the others in the frame update; the frame update then
// publishes every pose (one swap of its buffer pairs) and places the linked nodes, so drawing,
// which reads only published matrices, never sees a pose being evaluated.
#include "core/system/templates/darray.h"
#include "engine/system/manager.h"

class TSkeleton;
class TSkeletonData;
class TSkeletonPose;
struct TSkeletonMeshData;

class TSkeletonManager : public TManager
{
public:
    TSkeletonManager();

    // The pose from the program, or the rest pose when there is no program. Off the main thread
    // (load 0) only a loaded pose is evaluated and nothing is loaded.
    static void EvaluateSkeleton(TSkeleton* skeleton, u32 load = 1);

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TSkeletonData*>& SkeletonData() { return m_aSkeletonData; }
    DArray<TSkeletonMeshData*>& SkeletonMeshData() { return m_aSkeletonMeshData; }
    DArray<TSkeletonPose*>& Poses() { return m_aPose; }
    DArray<TSkeleton*>& Skeletons() { return m_aSkeleton; }

    // Loaded records: run-time words are cleared, stored counts beyond the fixed tables are
    // refused with an error line.
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void ThreadUpdateManager(f32 step) override;
    void UpdateManager(f32 step) override;

private:
    DArray<TSkeletonData*> m_aSkeletonData;
    DArray<TSkeletonMeshData*> m_aSkeletonMeshData;
    DArray<TSkeletonPose*> m_aPose;
    DArray<TSkeleton*> m_aSkeleton;
};

extern TSkeletonManager* g_pSkeletonManager;

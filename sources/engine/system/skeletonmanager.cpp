#include "engine/system/skeletonmanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/skeleton.h"
#include "engine/system/skeletonmeshdata.h"
#include "engine/system/skeletonpose.h"
#include "engine/system/storedword.h"

#include <cstring>

TSkeletonManager* g_pSkeletonManager = nullptr;

namespace
{
const char* const kLoadError = "TSkeletonManager::SetArray(): error: ";

TSkeletonManager s_SkeletonManager;
const i32 s_nRegistered =
    TManagerManager::RegisterManager("Skeleton", "Skeleton", &g_pSkeletonManager, &s_SkeletonManager);

// Whether the skeleton takes part in this frame's updates.
bool IsUpdated(TSkeleton* skeleton)
{
    return !(skeleton->m_nFlags & SKELETON_NOT_UPDATED) &&
           (skeleton->GetNode()->IsEnabled() || (skeleton->m_nFlags & SKELETON_UPDATE_DISABLED));
}

// A stored count beyond its table is cut to the table with an error line.
template <class T> void CheckCount(T& count, u32 capacity, const char* what, const char* owner)
{
    if (count > static_cast<T>(capacity))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "%s: %d %s refused beyond the %u the table holds", owner,
                    static_cast<i32>(count), what, capacity);
        count = static_cast<T>(capacity);
    }
}
} // namespace

TSkeletonManager::TSkeletonManager()
{
    // Skeletons of flag 64 are evaluated as fixed-rate work: update worker list 1.
    m_nWorker = 1;
    if (!g_pCluster)
        return;
    RegisterArray(&SkeletonDataDecl(), &m_aSkeletonData);
    RegisterArray(&SkeletonMeshDataDecl(), &m_aSkeletonMeshData);
    RegisterArray(&SkeletonPoseDecl(), &m_aPose);
    RegisterArray(&SkeletonDecl(), &m_aSkeleton);
}

i32 TSkeletonManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId == SkeletonPoseDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
        {
            // The block and its four arrays are the writer's words: the pose loads again.
            void* pose = m_aPose[i];
            std::memset(&StoredWord<u8>(pose, SKELETON_POSE_BLOCK_OFFSET), 0, 5 * sizeof(TMatrix*));
            StoredWord<u32>(pose, SKELETON_POSE_EVALUATED_OFFSET) = 0;
            const char* owner = StringFormat("pose %d", i);
            CheckCount(StoredWord<i32>(pose, SKELETON_POSE_BONE_COUNT_OFFSET), SKELETON_BONE_CAPACITY, "bones",
                       owner);
            CheckCount(StoredWord<i32>(pose, SKELETON_POSE_CONSTRAINT_COUNT_OFFSET), SKELETON_CONSTRAINT_CAPACITY,
                       "constraints", owner);
        }
        return 0;
    }
    if (typeId == SkeletonDataDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
            CheckCount(StoredWord<i32>(m_aSkeletonData[i], SKELETON_DATA_BONE_COUNT_OFFSET), SKELETON_BONE_CAPACITY,
                       "bones", StringFormat("skeleton data %d", i));
        return 0;
    }
    if (typeId == SkeletonMeshDataDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
        {
            TSkeletonMeshData* mesh = m_aSkeletonMeshData[i];
            mesh->pSkeleton = nullptr;
            CheckCount(mesh->m_nPaletteCount, SKELETON_PALETTE_CAPACITY, "palette entries",
                       StringFormat("skeleton mesh data %d", i));
        }
        return 0;
    }
    if (typeId == SkeletonDecl().GetTypeId())
    {
        for (i32 i = 0; i < count; ++i)
        {
            const char* owner = StringFormat("skeleton %d", i);
            CheckCount(StoredWord<i32>(m_aSkeleton[i], SKELETON_LINK_COUNT_OFFSET), SKELETON_NODE_LINK_CAPACITY,
                       "node links", owner);
            CheckCount(StoredWord<u32>(m_aSkeleton[i], SKELETON_INSTRUCTION_COUNT_OFFSET), BLEND_PROGRAM_SIZE,
                       "blend instructions", owner);
        }
        return 0;
    }
    return 1;
}

void TSkeletonManager::EvaluateSkeleton(TSkeleton* skeleton, u32 load)
{
    TSkeletonPose* pose = skeleton->pSkeletonPose;
    if (!pose || !skeleton->pSkeletonData || (load ? pose->Require() != 0 : !pose->IsLoaded()))
        return;
    if (skeleton->GetInstructionCount())
        TSkeleton::RunProgram(&skeleton->Function, skeleton, load);
    else
        TSkeletonPose::Reset(pose, skeleton, 1);
}

void TSkeletonManager::ThreadUpdateManager(f32)
{
    for (i32 i = 0; i < m_aSkeleton.GetCount(); ++i)
    {
        TSkeleton* skeleton = m_aSkeleton[i];
        if ((skeleton->m_nFlags & SKELETON_FIXED_RATE) && IsUpdated(skeleton))
            EvaluateSkeleton(skeleton, 0);
    }
}

void TSkeletonManager::UpdateManager(f32)
{
    for (i32 i = 0; i < m_aSkeleton.GetCount(); ++i)
    {
        TSkeleton* skeleton = m_aSkeleton[i];
        TSkeletonPose* pose = skeleton->pSkeletonPose;
        if (!IsUpdated(skeleton) || !pose)
            continue;
        // Loads happen here, on the main thread, for the fixed-rate evaluation too.
        TSkeleton::RequireResources(skeleton);
        if (!pose->IsLoaded())
            continue;
        if (!(skeleton->m_nFlags & SKELETON_FIXED_RATE))
            EvaluateSkeleton(skeleton);
        pose->SwapBuffers();
        TSkeleton::PlaceNodes(skeleton);
    }
}

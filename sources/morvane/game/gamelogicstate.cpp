// The game logic's part of a state image. Pass 0 lets go of the resources the image leaves out
// (curve pools, mesh data, skeleton and animation data); pass 1 carries the level's signature,
// so an image of another level is refused before anything is read over; pass 2 is one cluster
// image of the scene's and the game's managers; pass 4 puts the player's view back.
#include "core/cluster/cluster.h"
#include "core/stream/stream.h"
#include "core/system/log.h"
#include "directx/render/dxmeshdata.h"
#include "directx/render/dxmeshmanager.h"
#include "engine/render/renderqueue.h"
#include "engine/system/animationdata.h"
#include "engine/system/animationmanager.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/skeletondata.h"
#include "engine/system/skeletonmanager.h"
#include "engine/system/skeletonpose.h"
#include "igame/effects/vegetation/vegetationclusterproxy.h"
#include "igame/effects/vegetation/vegetationmanager.h"
#include "igame/vehicles/vehiclemanager.h"
#include "morvane/game/curvepool.h"
#include "morvane/game/gamelogicmanager.h"
#include "morvane/game/gate.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace
{
// The managers whose objects pass 2 carries, in the image's order; null stands for the array
// of node links.
const char* const kSavedManagers[] = {"Mesh",     "RenderScene", nullptr,  "Node",  "Prop",        "Imposter",
                                      "Animation", "Skeleton",   "Dynamics", "Sound", "Vehicle",    "SoundPlayer",
                                      "OrbitCamera", "GameLogic"};
constexpr u32 kSavedCount = sizeof kSavedManagers / sizeof kSavedManagers[0];
const char* const kLoadError = "TGameLogicManager::LoadState(): error: ";

// What identifies a level's game records: the count of each array and the gates' ids.
struct TLevelSignature
{
    u32 aCount[8];
    i32 aGateId[8];

    bool operator==(const TLevelSignature& other) const { return std::memcmp(this, &other, sizeof *this) == 0; }
};

template <class T> void UnloadAll(DArray<T*>& resources)
{
    for (i32 i = 0; i < resources.GetCount(); ++i)
        resources[i]->Unload();
}

// The vegetation's proxies share render queues with the image's objects but are not in the image:
// their links are this run's, while the image's lists run through them as they were when saved.
// A proxy whose stale link ends a list would cut every object after it out of the drawing, so the
// lists holding proxies are threaded again: the image's objects in their order, then the proxies
// that were in a list before the load.
std::vector<TVegetationClusterProxy*> LinkedVegetationProxies()
{
    std::vector<TVegetationClusterProxy*> linked;
    if (!g_pVegetationManager)
        return linked;
    DArray<TVegetationClusterProxy*>& proxies = g_pVegetationManager->Proxies();
    for (i32 i = 0; i < proxies.GetCount(); ++i)
        if (proxies[i]->pRenderQueue && proxies[i]->IsLinked())
            linked.push_back(proxies[i]);
    return linked;
}

void RethreadVegetationQueues(const std::vector<TVegetationClusterProxy*>& linked)
{
    if (!g_pVegetationManager || !g_pNodeManager)
        return;
    DArray<TVegetationClusterProxy*>& proxies = g_pVegetationManager->Proxies();
    std::unordered_set<const TRenderObject*> outside;
    std::vector<TRenderQueue*> queues;
    for (i32 i = 0; i < proxies.GetCount(); ++i)
    {
        proxies[i]->pPrev = proxies[i]->pNext = nullptr;
        outside.insert(proxies[i]);
        TRenderQueue* queue = proxies[i]->pRenderQueue;
        if (queue && std::find(queues.begin(), queues.end(), queue) == queues.end())
            queues.push_back(queue);
    }
    for (TRenderQueue* queue : queues)
    {
        std::vector<TRenderObject*> members;
        std::unordered_set<const TRenderObject*> isMember;
        for (i32 n = 0; n < g_pNodeManager->GetNodeCount(); ++n)
        {
            TNode* node = g_pNodeManager->GetNode(n);
            for (u32 o = 0; o < node->GetObjectCount(); ++o)
            {
                auto* object = dynamic_cast<TRenderObject*>(node->GetObject(o));
                if (object && object->pRenderQueue == queue && !outside.count(object) && object->IsLinked() &&
                    isMember.insert(object).second)
                    members.push_back(object);
            }
        }
        // Runs of the image's objects, the list's first one leading, then those a cycle of stale
        // links alone would reach.
        std::vector<TRenderObject*> heads;
        if (isMember.count(queue->lObject.pFirst))
            heads.push_back(queue->lObject.pFirst);
        for (TRenderObject* object : members)
            if (!isMember.count(object->pPrev))
                heads.push_back(object);
        heads.insert(heads.end(), members.begin(), members.end());
        std::vector<TRenderObject*> order;
        std::unordered_set<const TRenderObject*> placed;
        for (TRenderObject* object : heads)
            for (; isMember.count(object) && placed.insert(object).second; object = object->pNext)
                order.push_back(object);
        queue->lObject.pFirst = queue->lObject.pLast = nullptr;
        for (TRenderObject* object : order)
        {
            object->pPrev = object->pNext = nullptr;
            object->JoinQueue(queue);
        }
    }
    for (TVegetationClusterProxy* proxy : linked)
        proxy->JoinQueue(proxy->pRenderQueue);
}
} // namespace

i32 TGameLogicManager::SaveState(u32 pass, TStream& stream)
{
    switch (pass)
    {
    case 0:
        UnloadStateResources();
        return 0;
    case 1:
        return WriteLevelSignature(stream);
    case 2:
        return SaveObjects(stream);
    default:
        return 0;
    }
}

i32 TGameLogicManager::LoadState(u32 pass, TStream& stream)
{
    switch (pass)
    {
    case 0:
        g_pResourceManager->GetLoader().Clear();
        UnloadStateResources();
        return 0;
    case 1:
        return CheckLevelSignature(stream);
    case 2:
    {
        g_pResourceManager->GetLoader().Clear();
        const std::vector<TVegetationClusterProxy*> linked = LinkedVegetationProxies();
        const i32 result = g_pCluster->LoadFromStream(stream);
        if (result == 0)
            RethreadVegetationQueues(linked);
        return result;
    }
    case 4:
        if (TTask* active = GetParameters().pActiveTask)
        {
            if (active == GetFollowMeTask())
                SwitchToFollowMe();
            else
                ActivateTask(active);
        }
        if (g_pDxMeshManager)
            g_pDxMeshManager->OnClusterLoad();
        if (g_pVehicleManager)
            g_pVehicleManager->OnClusterLoad();
        return 0;
    default:
        return 0;
    }
}

void TGameLogicManager::UnloadStateResources()
{
    UnloadAll(m_aCurvePool);
    if (g_pDxMeshManager)
        for (i32 i = 0; i < g_pDxMeshManager->GetMeshDataCount(); ++i)
            g_pDxMeshManager->GetMeshData(i)->Unload();
    if (g_pSkeletonManager)
    {
        UnloadAll(g_pSkeletonManager->SkeletonData());
        UnloadAll(g_pSkeletonManager->Poses());
    }
    if (g_pAnimationManager)
        UnloadAll(g_pAnimationManager->AnimationData());
}

namespace
{
TLevelSignature MakeSignature(TGameLogicManager& game)
{
    TLevelSignature signature = {};
    signature.aCount[0] = static_cast<u32>(game.Parameters().GetCount());
    signature.aCount[1] = static_cast<u32>(game.CurvePools().GetCount());
    signature.aCount[2] = static_cast<u32>(game.Units().GetCount());
    signature.aCount[3] = static_cast<u32>(game.TaskAreas().GetCount());
    signature.aCount[4] = static_cast<u32>(game.Crossroads().GetCount());
    signature.aCount[5] = static_cast<u32>(game.Gates().GetCount());
    signature.aCount[6] = static_cast<u32>(game.Tasks().GetCount());
    signature.aCount[7] = static_cast<u32>(game.TrafficVehicles().GetCount());
    for (i32 i = 0; i < game.Gates().GetCount() && i < 8; ++i)
        signature.aGateId[i] = game.Gates()[i]->m_nId;
    return signature;
}
} // namespace

i32 TGameLogicManager::WriteLevelSignature(TStream& stream)
{
    const TLevelSignature signature = MakeSignature(*this);
    return stream.Write(&signature, sizeof signature) == static_cast<i32>(sizeof signature) ? 0 : GAME_STATE_REFUSED;
}

i32 TGameLogicManager::CheckLevelSignature(TStream& stream)
{
    TLevelSignature saved;
    if (stream.Read(&saved, sizeof saved) != static_cast<i32>(sizeof saved))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "the image ends inside the game's records");
        return GAME_STATE_REFUSED;
    }
    const TLevelSignature here = MakeSignature(*this);
    if (saved == here)
        return 0;
    TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                "the image is of another level (%u gates, %u tasks, %u units; this level: %u gates, %u tasks, "
                "%u units)",
                saved.aCount[5], saved.aCount[6], saved.aCount[2], here.aCount[5], here.aCount[6], here.aCount[2]);
    return GAME_STATE_REFUSED;
}

i32 TGameLogicManager::SaveObjects(TStream& stream)
{
    // Nodes grow children while the game runs (props taking their forms): the image holds
    // child links only inside the links' array, so they are gathered there first.
    if (g_pNodeManager)
        g_pNodeManager->PackLinks();
    TClusterManager* managers[kSavedCount];
    i32 count = 0;
    for (const char* name : kSavedManagers)
    {
        TClusterManager* manager = name ? static_cast<TClusterManager*>(g_ManagerManager.FindManager(TName(name)))
                                        : g_pCluster->GetArrayManager(NODE_LINK_TYPE_ID);
        if (manager)
            managers[count++] = manager;
    }
    return g_pCluster->SaveToStream(stream, managers, count);
}

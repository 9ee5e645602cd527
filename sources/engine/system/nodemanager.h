#pragma once
// TNodeManager ("Node"): owner of the scene's node array, which the cluster fills from
// repository images (type 18) or which the manager grows itself (CreateNode), of the root (the
// first node) and of the deferred-notification list that UpdateManager flushes once per frame.
// The nodes' child links (type 17) and user data (type 19) live in two managed cluster arrays.
#include "core/cluster/clustermethods.h"
#include "engine/system/manager.h"
#include "engine/system/node.h"
#include "engine/system/resourcemethods.h"
#include "engine/system/statemethods.h"

class TClusterDynManager;

class TNodeManager : public TManager, public TClusterMethods, public TStateMethods, public TResourceMethods
{
public:
    TNodeManager();
    ~TNodeManager() override;

    // A new node appended to the array; the manager frees it when the array is replaced.
    TNode* CreateNode(const char* name);
    TNode* FindNode(u32 nameId) const;
    TNode* GetRoot() const { return m_pRoot; }
    i32 GetNodeCount() const { return m_aNode.GetCount(); }
    TNode* GetNode(i32 i) const { return m_aNode[i]; }

    // Queues a node whose objects hear of its move at the next update (once however often it
    // moves until then).
    void AddDeferred(TNode* node);
    TNode* GetFirstDeferred() const { return m_pDeferredFirst; }

    // Gathers every node's child links and user data into the two cluster arrays, the nodes'
    // arrays then pointing into them, so that an image can be saved.
    void PackLinks();
    // The manager and its two link arrays, as a save of the nodes lists them.
    static constexpr u32 SAVED_MANAGER_COUNT = 3;
    void GetSavedManagers(TClusterManager** managers);

    i32 SetArray(u32 typeId, void* data, i32 count) override;
    void BeginManager() override;
    // The program ends without a cluster clear: the loaded nodes' grown arrays go here.
    void FinalizeManager() override;
    void UpdateManager(f32 step) override;

    void OnClusterLoad() override;
    void OnClusterUnload() override;
    i32 SaveState(u32 pass, TStream& stream) override;
    // The last resource notification: no node stays linked in the deferred list.
    void OnResourceNotify4() override;
    i32 LoadState(u32 pass, TStream& stream) override;

private:
    void FreeOwnedNodes();
    // Lets go of what loaded nodes grew after the load, while their image is still in place.
    void FreeLoadedGrowth();
    void ForgetDeferred();
    // Loaded nodes come from files: links that do not hold together are cut with a log line.
    void CheckLoadedNodes();
    void CheckLoadedArrays(TNode* node);
    void CheckLoadedLinks(TNode* node, i32 loaded);
    void CheckNodeObjects();
    bool IsLoadedNode(const TNode* node) const;

    DArray<TNode*> m_aNode;
    // The nodes the manager allocated itself.
    DArray<TNode*> m_aOwned;
    // The loaded nodes sorted by address: their links are checked at the load, their grown
    // arrays freed at the unload.
    DArray<TNode*> m_aLoaded;
    TNode* m_pRoot;
    TNode* m_pDeferredFirst;
    TNode* m_pDeferredLast;
    TClusterDynManager* m_pLinks;
    TClusterDynManager* m_pUserData;
};

extern TNodeManager* g_pNodeManager;

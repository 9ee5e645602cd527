#include "engine/system/nodemanager.h"

#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "core/system/memory.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodeobject.h"
#include "engine/system/resourcemanager.h"
#include "engine/system/scenetypes.h"
#include "engine/system/statemanager.h"

#include <algorithm>
#include <cstring>

TNodeManager* g_pNodeManager = nullptr;

namespace
{
const char* const kLoadError = "TNodeManager::OnClusterLoad(): error: ";

TNodeManager s_NodeManager;
const i32 s_nRegistered = TManagerManager::RegisterManager("Node", "Node", &g_pNodeManager, &s_NodeManager);

// Copies every node's array into one block of records and points the arrays into it.
template <class T>
void Pack(DArray<TNode*>& nodes, DArray<T> TNode::*member, TClusterDynManager* array, u32 typeId)
{
    DArray<T> all;
    for (i32 i = 0; i < nodes.GetCount(); ++i)
    {
        DArray<T>& own = nodes[i]->*member;
        for (i32 j = 0; j < own.GetCount(); ++j)
            all.Add(own[j]);
    }
    array->SetArray(typeId, all.GetData(), all.GetCount());
    void* block = nullptr;
    i32 count = 0;
    array->GetArray(typeId, block, count);
    T* at = static_cast<T*>(block);
    for (i32 i = 0; i < nodes.GetCount(); ++i)
    {
        DArray<T>& own = nodes[i]->*member;
        const i32 n = own.GetCount();
        if (n)
            own.Attach(at, n);
        else
            own.Free();
        at += n;
    }
}
} // namespace

TNodeManager::TNodeManager()
    : m_pRoot(nullptr), m_pDeferredFirst(nullptr), m_pDeferredLast(nullptr), m_pLinks(nullptr),
      m_pUserData(nullptr)
{
    if (!g_pCluster)
        return;
    RegisterArray(&NodeDecl(), &m_aNode);
    m_pLinks = g_pCluster->RegisterDynManager(&NodeLinkDecl());
    m_pUserData = g_pCluster->RegisterDynManager(&UserDataDecl());
}

TNodeManager::~TNodeManager()
{
    FreeOwnedNodes();
}

void TNodeManager::FreeOwnedNodes()
{
    for (i32 i = 0; i < m_aOwned.GetCount(); ++i)
        MemoryDelete(m_aOwned[i]);
    m_aOwned.Free();
}

TNode* TNodeManager::CreateNode(const char* name)
{
    TNode* node = MemoryNew<TNode>();
    node->m_Name.Set(name, true);
    m_aOwned.Add(node);
    m_aNode.Add(node);
    if (!m_pRoot)
        m_pRoot = node;
    return node;
}

TNode* TNodeManager::FindNode(u32 nameId) const
{
    for (i32 i = 0; i < m_aNode.GetCount(); ++i)
        if (m_aNode[i]->m_Name.GetId() == nameId)
            return m_aNode[i];
    return nullptr;
}

void TNodeManager::AddDeferred(TNode* node)
{
    if (node->pDeferredNext || node == m_pDeferredLast)
        return;
    if (!m_pDeferredFirst)
        m_pDeferredFirst = node;
    else
        m_pDeferredLast->pDeferredNext = node;
    m_pDeferredLast = node;
}

void TNodeManager::ForgetDeferred()
{
    TNode* node = m_pDeferredFirst;
    while (node)
    {
        TNode* next = node->pDeferredNext;
        node->pDeferredNext = nullptr;
        node = next;
    }
    m_pDeferredFirst = nullptr;
    m_pDeferredLast = nullptr;
}

void TNodeManager::UpdateManager(f32)
{
    TNode* node = m_pDeferredFirst;
    // The list is emptied first: an object that moves its node again queues it for the next
    // update instead of looping here.
    m_pDeferredFirst = nullptr;
    m_pDeferredLast = nullptr;
    while (node)
    {
        TNode* next = node->pDeferredNext;
        node->pDeferredNext = nullptr;
        for (u32 i = 0; i < node->m_nObjectCount; ++i)
            node->aObject[i]->OnNodeUpdate(TNode::OrdinaryCause());
        node = next;
    }
}

void TNodeManager::PackLinks()
{
    Pack(m_aNode, &TNode::aChild, m_pLinks, NODE_LINK_TYPE_ID);
    Pack(m_aNode, &TNode::aUserData, m_pUserData, USER_DATA_TYPE_ID);
}

void TNodeManager::GetSavedManagers(TClusterManager** managers)
{
    managers[0] = this;
    managers[1] = m_pLinks;
    managers[2] = m_pUserData;
}

i32 TNodeManager::SetArray(u32 typeId, void*, i32 count)
{
    if (typeId != NODE_TYPE_ID)
        return 1;
    // The holder now lists the new array's nodes: the ones allocated here are no longer used.
    FreeOwnedNodes();
    m_pDeferredFirst = nullptr;
    m_pDeferredLast = nullptr;
    m_pRoot = count > 0 ? m_aNode[0] : nullptr;
    return 0;
}

void TNodeManager::BeginManager()
{
    g_pCluster->AddListener(this);
    g_pStateManager->RegisterStateObject(this);
    g_pResourceManager->AddMethod(this);
}

void TNodeManager::OnClusterLoad()
{
    CheckLoadedNodes();
}

void TNodeManager::FreeLoadedGrowth()
{
    // A loaded node whose arrays grew after the load holds heap storage the image does not
    // know of; the image is still in place here, so it can be let go.
    for (i32 i = 0; i < m_aLoaded.GetCount(); ++i)
    {
        m_aLoaded[i]->aChild.Free();
        m_aLoaded[i]->aUserData.Free();
    }
    m_aLoaded.Free();
}

void TNodeManager::FinalizeManager()
{
    FreeLoadedGrowth();
}

void TNodeManager::OnClusterUnload()
{
    FreeLoadedGrowth();
    m_pRoot = nullptr;
    m_pDeferredFirst = nullptr;
    m_pDeferredLast = nullptr;
}

void TNodeManager::CheckLoadedNodes()
{
    const i32 loaded = m_aNode.GetCount() - m_aOwned.GetCount();
    // A stored link may lead anywhere inside the array: only whole nodes are followed.
    m_aLoaded.SetCount(0);
    for (i32 i = 0; i < loaded; ++i)
        m_aLoaded.Add(m_aNode[i]);
    std::sort(m_aLoaded.At(0), m_aLoaded.At(m_aLoaded.GetCount()));
    for (i32 i = 0; i < loaded; ++i)
        CheckLoadedArrays(m_aNode[i]);
    for (i32 i = 0; i < loaded; ++i)
        CheckLoadedLinks(m_aNode[i], loaded);
    CheckNodeObjects();
}

bool TNodeManager::IsLoadedNode(const TNode* node) const
{
    return std::binary_search(m_aLoaded.GetData(), m_aLoaded.GetData() + m_aLoaded.GetCount(), node);
}

void TNodeManager::CheckLoadedArrays(TNode* node)
{
    // The stored capacities are the writer's: loaded storage is never the node's to free.
    node->aChild.MarkForeign();
    node->aUserData.MarkForeign();
    node->pDeferredNext = nullptr;
    if (node->pParent && !IsLoadedNode(node->pParent))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "node '%s': parent link is not a node: made a root",
                    node->m_Name.GetPrintText());
        node->pParent = nullptr;
    }
    if (!IsInsideClusterArray(NODE_LINK_TYPE_ID, node->aChild.GetData(), node->aChild.GetCount(),
                              sizeof(TNodeLink)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "node '%s': child links outside their array dropped",
                    node->m_Name.GetPrintText());
        node->aChild.Attach(nullptr, 0);
    }
    if (!IsInsideClusterArray(USER_DATA_TYPE_ID, node->aUserData.GetData(), node->aUserData.GetCount(),
                              sizeof(TUserData)))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "node '%s': user data outside its array dropped",
                    node->m_Name.GetPrintText());
        node->aUserData.Attach(nullptr, 0);
    }
}

void TNodeManager::CheckLoadedLinks(TNode* node, i32 loaded)
{
    // A parent chain longer than the array is a cycle: the update would never end.
    i32 steps = 0;
    for (const TNode* up = node->pParent; up && steps <= loaded; up = up->pParent)
        ++steps;
    if (steps > loaded)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "node '%s': parent chain is a cycle: made a root",
                    node->m_Name.GetPrintText());
        node->DetachFromParent();
    }
    // Children must name this node as their parent.
    for (i32 c = 0; c < node->aChild.GetCount();)
    {
        TNode* child = node->aChild[c].pNode;
        if (child && IsLoadedNode(child) && child->pParent == node)
        {
            ++c;
            continue;
        }
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "node '%s': child link %d does not lead back: dropped", node->m_Name.GetPrintText(), c);
        node->aChild[c] = node->aChild[node->aChild.GetCount() - 1];
        node->aChild.SetCount(node->aChild.GetCount() - 1);
    }
    if (node->m_nObjectCount > NODE_OBJECT_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError, "node '%s': %u objects: cut to %u",
                    node->m_Name.GetPrintText(), node->m_nObjectCount, NODE_OBJECT_CAPACITY);
        node->m_nObjectCount = NODE_OBJECT_CAPACITY;
    }
}

// Node-object links of loaded records: a node keeps only objects that are node objects and link
// back to it; an object whose node does not list it is detached. Nothing else is followed.
void TNodeManager::CheckNodeObjects()
{
    DArray<TNodeObject*> objects;
    for (u32 type = 1; type < CLUSTER_TYPE_COUNT; ++type)
    {
        const TClusterSlot& slot = g_pCluster->GetSlot(type);
        if (!slot.pDecl || !slot.pData || !IsNodeObjectType(slot.pDecl))
            continue;
        const u32 size = slot.pDecl->GetObjectSize();
        const u32 count = static_cast<u32>(slot.nSize) / size;
        for (u32 i = 0; i < count; ++i)
            objects.Add(
                reinterpret_cast<TNodeObject*>(slot.nKind == CLUSTER_ARRAY_POINTERS
                                                   ? static_cast<u8*>(reinterpret_cast<void**>(slot.pData)[i])
                                                   : slot.pData + i * size));
    }
    std::sort(objects.At(0), objects.At(objects.GetCount()));

    const i32 loaded = m_aNode.GetCount() - m_aOwned.GetCount();
    for (i32 i = 0; i < loaded; ++i)
    {
        TNode* node = m_aNode[i];
        for (u32 o = 0; o < node->m_nObjectCount;)
        {
            TNodeObject* object = node->aObject[o];
            if (std::binary_search(objects.At(0), objects.At(objects.GetCount()), object) &&
                object->pNode == node)
            {
                ++o;
                continue;
            }
            TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                        "node '%s': object %u is not a node object of it: detached", node->m_Name.GetPrintText(),
                        o);
            node->aObject[o] = node->aObject[--node->m_nObjectCount];
            node->aObject[node->m_nObjectCount] = nullptr;
        }
    }
    for (i32 i = 0; i < objects.GetCount(); ++i)
    {
        TNodeObject* object = objects[i];
        TNode* node = object->pNode;
        if (!node)
            continue;
        bool listed = false;
        for (u32 o = 0; IsLoadedNode(node) && o < node->m_nObjectCount && !listed; ++o)
            listed = node->aObject[o] == object;
        if (listed)
            continue;
        TLog::Print(g_pSystemLog, LOG_ERROR, kLoadError,
                    "object of class 0x%08x: its node does not list it: detached", object->m_nClassName);
        object->pNode = nullptr;
    }
}

void TNodeManager::OnResourceNotify4()
{
    for (i32 i = 0; i < m_aNode.GetCount(); ++i)
        m_aNode[i]->pDeferredNext = nullptr;
    m_pDeferredFirst = nullptr;
    m_pDeferredLast = nullptr;
}

i32 TNodeManager::SaveState(u32 pass, TStream&)
{
    if (pass == 0)
        ForgetDeferred();
    return 0;
}

i32 TNodeManager::LoadState(u32 pass, TStream&)
{
    if (pass == 0)
        ForgetDeferred();
    else if (pass == 4)
        UpdateManager(0.0f);
    return 0;
}

#include "ageia/dynamicsstatesave.h"

#include "ageia/nxbody.h"
#include "ageia/nxjoint.h"
#include "core/cluster/cluster.h"
#include "core/system/log.h"
#include "engine/system/node.h"
#include "engine/system/nodemanager.h"
#include "engine/system/scenetypes.h"

namespace
{
// The node's index in the node array; -1 when it is not there.
i32 NodeIndex(const TNode* node)
{
    const TClusterHandle handle = g_pCluster->GetHandle(node);
    const i32 index = handle.GetIndex();
    return handle.GetTypeId() == NODE_TYPE_ID && index < g_pNodeManager->GetNodeCount() &&
                   g_pNodeManager->GetNode(index) == node
               ? index
               : -1;
}

// The node of an entry: a whole number of node sizes from the root in the node array; null
// when the offset names no node there.
TNode* EntryNode(TNode* root, u32 offset)
{
    const i32 rootIndex = root ? NodeIndex(root) : -1;
    const i32 distance = static_cast<i32>(offset);
    if (rootIndex < 0 || distance % static_cast<i32>(sizeof(TNode)) != 0)
        return nullptr;
    const i32 index = rootIndex + distance / static_cast<i32>(sizeof(TNode));
    return index >= 0 && index < g_pNodeManager->GetNodeCount() ? g_pNodeManager->GetNode(index) : nullptr;
}

i32 EntryCount(const TDynamicsStateSave* record)
{
    return record->nCount < 0 ? 0 : (record->nCount > STATE_SAVE_ENTRY_CAPACITY ? -1 : record->nCount);
}

void Collect(TNode* node, TNode** bodies, i32& bodyCount, TNode** joints, i32& jointCount)
{
    if (node->FindObject(g_NameTDynamicsBody.GetId()) && bodyCount < STATE_SAVE_BODY_CAPACITY)
        bodies[bodyCount++] = node;
    if (node->FindObject(g_NameTDynamicsJoint.GetId()) && jointCount < STATE_SAVE_JOINT_CAPACITY)
        joints[jointCount++] = node;
    for (i32 i = 0; i < node->GetChildCount(); ++i)
        Collect(node->GetChild(i), bodies, bodyCount, joints, jointCount);
}

TNxDynamicsBody* BodyOf(TNode* node)
{
    return static_cast<TNxDynamicsBody*>(node->FindObject(g_NameTDynamicsBody.GetId()));
}

// Sets the node's own enable bit; Enable tells the objects and the children of a change.
void EnableEntry(TNode* node)
{
    node->Enable(1, 0);
}
} // namespace

void TDynamicsStateSave::Initialize(TNode* root, TDynamicsStateSave* record)
{
    record->nFlags = STATE_SAVE_DEFAULT_FLAGS;
    record->nCount = 0;
    record->nBodyMask = record->nEnabledMask = record->nRestMask = 0;
    TNode* bodies[STATE_SAVE_BODY_CAPACITY];
    TNode* joints[STATE_SAVE_JOINT_CAPACITY];
    i32 bodyCount = 0, jointCount = 0;
    Collect(root, bodies, bodyCount, joints, jointCount);
    const i32 rootIndex = NodeIndex(root);
    if (rootIndex < 0)
        return;
    for (i32 i = 0; i < bodyCount + jointCount; ++i)
    {
        TNode* node = i < bodyCount ? bodies[i] : joints[i - bodyCount];
        record->anNodeOffset[i] = static_cast<u32>((NodeIndex(node) - rootIndex) * static_cast<i32>(sizeof(TNode)));
        record->aMatrix[i] = node->GetLocalMatrix();
    }
    record->nCount = bodyCount + jointCount;
    record->nBodyMask = bodyCount ? (bodyCount == 32 ? ~0u : (1u << bodyCount) - 1) : 0;
}

void TDynamicsStateSave::Capture(TNode* root, TDynamicsStateSave* record)
{
    const i32 count = EntryCount(record);
    if (count < 0)
        return;
    record->nFlags = (record->nFlags & ~STATE_SAVE_APPLIED) | STATE_SAVE_CAPTURED;
    record->nEnabledMask = record->nRestMask = 0;
    for (i32 i = 0; i < count; ++i)
    {
        TNode* node = EntryNode(root, record->anNodeOffset[i]);
        if (!node)
            continue;
        const u32 bit = 1u << i;
        record->aMatrix[i] = (record->nFlags & STATE_SAVE_WORLD_MATRICES) ? *node->GetWorldMatrix() : node->GetLocalMatrix();
        if (node->IsEnabled())
            record->nEnabledMask |= bit;
        if (!(record->nBodyMask & bit))
        {
            auto* joint = static_cast<TNxDynamicsJoint*>(node->FindObject(g_NameTDynamicsJoint.GetId()));
            if (joint && joint->m_nBroken)
                record->nRestMask |= bit;
            continue;
        }
        TNxDynamicsBody* body = BodyOf(node);
        if (!body)
            continue;
        if (body->IsAsleep())
            record->nRestMask |= bit;
        else
        {
            body->SetAngularVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
            body->SetLinearVelocity(TVector(0.0f, 0.0f, 0.0f, 0.0f));
        }
    }
}

i32 TDynamicsStateSave::Apply(TNode* root, TDynamicsStateSave* record)
{
    if (!(record->nFlags & STATE_SAVE_CAPTURED))
        return 0;
    // Stored offsets become node addresses: every one must name a node of the root's array.
    const i32 count = EntryCount(record);
    if (count < 0)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR, "TDynamicsStateSave::Apply(): error: ",
                    "%d entries: snapshot refused", record->nCount);
        return 1;
    }
    TNode* nodes[STATE_SAVE_ENTRY_CAPACITY];
    for (i32 i = 0; i < count; ++i)
        if (!(nodes[i] = EntryNode(root, record->anNodeOffset[i])))
        {
            TLog::Print(g_pSystemLog, LOG_ERROR, "TDynamicsStateSave::Apply(): error: ",
                        "entry %d: node offset %d outside the node array: snapshot refused", i,
                        static_cast<i32>(record->anNodeOffset[i]));
            return 1;
        }
    record->nFlags |= STATE_SAVE_APPLIED;
    for (i32 i = 0; i < count; ++i)
        nodes[i]->Enable(0, 0);
    for (i32 i = 0; i < count; ++i)
    {
        TNode* node = nodes[i];
        if (!(record->nFlags & STATE_SAVE_WORLD_MATRICES))
        {
            node->SetLocalMatrix(record->aMatrix[i], TNode::OrdinaryCause());
            continue;
        }
        TNode* parent = node->GetParent();
        node->m_Local = parent ? TMatrix::MultiplyInverse(record->aMatrix[i], *parent->GetWorldMatrix()) : record->aMatrix[i];
        node->UpdateWorldMatrix(TNode::OrdinaryCause());
    }
    const bool onlyEnabled = (record->nFlags & STATE_SAVE_ONLY_ENABLED) != 0;
    for (i32 i = 0; i < count; ++i)
        if ((record->nBodyMask & (1u << i)) && (!onlyEnabled || (record->nEnabledMask & (1u << i))))
            EnableEntry(nodes[i]);
    for (i32 i = 0; i < count; ++i)
    {
        const u32 bit = 1u << i;
        if ((record->nBodyMask & bit) || (onlyEnabled && !(record->nEnabledMask & bit)))
            continue;
        if ((record->nFlags & STATE_SAVE_KEEP_BROKEN_JOINTS) && (record->nRestMask & bit))
            continue;
        EnableEntry(nodes[i]);
    }
    if (!(record->nFlags & STATE_SAVE_REST_BODIES))
        return 0;
    const TVector zero(0.0f, 0.0f, 0.0f, 0.0f);
    for (i32 i = 0; i < count; ++i)
    {
        const u32 bit = 1u << i;
        if (!(record->nBodyMask & bit) || !((record->nFlags & STATE_SAVE_REST_ALL) || (record->nRestMask & bit)))
            continue;
        TNxDynamicsBody* body = BodyOf(nodes[i]);
        if (!body)
            continue;
        body->SetAngularVelocity(zero);
        body->SetLinearVelocity(zero);
        body->SetAngularMomentum(zero);
        body->SetLinearMomentum(zero);
        body->PutToSleep(2);
    }
    return 0;
}

TNode* TDynamicsStateSave::GetPosition(TNode* root, const TDynamicsStateSave* record, TMatrix& matrix)
{
    TNode* node = root && record->nCount > 0 ? EntryNode(root, record->anNodeOffset[0]) : nullptr;
    matrix = node ? *node->GetWorldMatrix() : TMatrix(1.0f);
    return node;
}

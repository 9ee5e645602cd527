#include "engine/system/node.h"

#include "core/system/log.h"
#include "core/system/string.h"
#include "engine/system/managermanager.h"
#include "engine/system/nodemanager.h"
#include "engine/system/nodeobject.h"

#include <cstring>

const TName g_NodeForceUpdate("NodeForceUpdate", true);

namespace
{
const char* const kSource = "sources/engine/system/node";

void CheckUnlocked(const char* function)
{
    if (g_ManagerManager.GetLockState() == MANAGER_LOCK_LOCKED)
        __Abort(function, kSource, __LINE__, "manager system 'initialize' is locked");
}

// Equal in the twelve elements of the first three columns; the fourth column is not compared.
bool SamePlacement(const TMatrix& a, const TMatrix& b)
{
    for (int r = 0; r < 4; ++r)
        if (a.aRow[r].x != b.aRow[r].x || a.aRow[r].y != b.aRow[r].y || a.aRow[r].z != b.aRow[r].z)
            return false;
    return true;
}
} // namespace

TNode::TNode()
    : m_nFlags(NODE_NEW_FLAGS), pParent(nullptr), m_nObjectCount(0), aObject{}, m_Local(1.0f), m_World(1.0f),
      m_Vector(0.0f, 0.0f, 0.0f, 0.0f), pDeferredNext(nullptr), m_nReserved(0), m_nUserDataFlag(0)
{
}

TNode& TNode::Empty()
{
    static TNode s_Empty;
    return s_Empty;
}

i32 TNode::AddObject(TNodeObject* object)
{
    CheckUnlocked("TNode::AddObject");
    if (object->pNode == this)
        return 0;
    if (m_nObjectCount >= NODE_OBJECT_CAPACITY)
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TNode::AddObject(): error: ", "node '%s' holds %u objects already: object refused",
                    m_Name.GetText(), NODE_OBJECT_CAPACITY);
        return 1;
    }
    if (object->pNode)
        object->pNode->DeleteObject(object);
    aObject[m_nObjectCount++] = object;
    object->pNode = this;
    return 0;
}

void TNode::DeleteObject(TNodeObject* object)
{
    CheckUnlocked("TNode::DeleteObject");
    for (u32 i = 0; i < m_nObjectCount; ++i)
        if (aObject[i] == object)
        {
            aObject[i] = aObject[--m_nObjectCount];
            aObject[m_nObjectCount] = nullptr;
            break;
        }
    object->pNode = nullptr;
}

TNodeObject* TNode::FindObject(u32 classNameId) const
{
    for (u32 i = 0; i < m_nObjectCount; ++i)
        if (aObject[i]->m_nClassName == classNameId)
            return aObject[i];
    return nullptr;
}

void TNode::NotifyObjects(const TName* cause)
{
    if (*cause == g_NameIgnoreNodeObjectUpdate)
        return;
    if (!(m_nFlags & NODE_DEFERRED))
    {
        for (u32 i = 0; i < m_nObjectCount; ++i)
            aObject[i]->OnNodeUpdate(cause);
    }
    else if (g_pNodeManager)
        g_pNodeManager->AddDeferred(this);
}

void TNode::UpdateWorldMatrix(const TName* cause)
{
    m_World = pParent ? TMatrix::Multiply(m_Local, pParent->m_World) : m_Local;
    NotifyObjects(cause);
    for (i32 i = 0; i < aChild.GetCount(); ++i)
        aChild[i].pNode->UpdateWorldMatrix(cause);
}

void TNode::SetLocalMatrix(const TMatrix& matrix, const TName* cause)
{
    if (*cause != g_NodeForceUpdate && SamePlacement(matrix, m_Local))
        return;
    m_Local = matrix;
    UpdateWorldMatrix(cause);
}

void TNode::SetWorldMatrix(const TMatrix& matrix, const TName* cause)
{
    m_Local = pParent ? TMatrix::MultiplyInverse(matrix, pParent->m_World) : matrix;
    UpdateWorldMatrix(cause);
}

void TNode::DetachFromParent()
{
    if (!pParent)
        return;
    DArray<TNodeLink>& siblings = pParent->aChild;
    const i32 count = siblings.GetCount();
    for (i32 i = 0; i < count; ++i)
        if (siblings[i].pNode == this)
        {
            siblings[i] = siblings[count - 1];
            siblings.SetCount(count - 1);
            break;
        }
    pParent = nullptr;
    m_nFlags |= NODE_INHERITED;
}

void TNode::AddChild(TNode* node)
{
    if (node->pParent == this)
        return;
    // A node under itself would make every update recurse for ever.
    if (node == this || HasAncestor(node))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TNode::AddChild(): error: ", "'%s' is an ancestor of '%s': not made its child",
                    node->m_Name.GetText(), m_Name.GetText());
        return;
    }
    node->DetachFromParent();
    aChild.Add({node});
    node->pParent = this;
    node->UpdateWorldMatrix(&g_NodeForceUpdate);
    if (IsEnabled())
        node->m_nFlags |= NODE_INHERITED;
    else
        node->m_nFlags &= ~NODE_INHERITED;
}

void TNode::ReplaceFirstChild(TNode* node)
{
    // The first link is overwritten in place: without one there is nothing to replace.
    if (aChild.GetCount() == 0)
    {
        AddChild(node);
        return;
    }
    if (aChild[0].pNode == node)
        return;
    if (node == this || HasAncestor(node))
    {
        TLog::Print(g_pSystemLog, LOG_ERROR,
                    "TNode::ReplaceFirstChild(): error: ", "'%s' is an ancestor of '%s': not made its child",
                    node->m_Name.GetText(), m_Name.GetText());
        return;
    }
    TNode* replaced = aChild[0].pNode;
    aChild[0].pNode = node;
    if (replaced)
        replaced->pParent = nullptr;
    if (node->pParent != this)
        node->DetachFromParent();
    node->pParent = this;
    node->UpdateWorldMatrix(&g_NodeForceUpdate);
    if (IsEnabled())
        node->m_nFlags |= NODE_INHERITED;
    else
        node->m_nFlags &= ~NODE_INHERITED;
    node->UpdateWorldMatrix(OrdinaryCause());
}

u32 TNode::Enable(u32 on, u32 inherited)
{
    const u32 bit = inherited ? NODE_INHERITED : NODE_ENABLED;
    if (((m_nFlags & bit) != 0) == (on != 0))
        return m_nFlags & bit;
    const u32 was = IsEnabled();
    if (on)
        m_nFlags |= bit;
    else
        m_nFlags &= ~bit;
    const u32 now = IsEnabled();
    if (now == was)
        return now;
    for (u32 i = 0; i < m_nObjectCount; ++i)
        aObject[i]->OnEnable(now);
    for (i32 i = 0; i < aChild.GetCount(); ++i)
        aChild[i].pNode->Enable(now, 1);
    return now;
}

u32 TNode::HasAncestor(const TNode* other) const
{
    for (const TNode* node = pParent; node; node = node->pParent)
        if (node == other)
            return 1;
    return 0;
}

void TNode::SetVector(const TVector& vector)
{
    m_Vector = vector;
    for (i32 i = 0; i < aChild.GetCount(); ++i)
        aChild[i].pNode->SetVector(vector);
}

const char* TNode::GetPath() const
{
    constexpr int kDepth = 256;
    const TNode* chain[kDepth];
    int depth = 0;
    for (const TNode* node = this; node && depth < kDepth; node = node->pParent)
        chain[depth++] = node;
    char path[2048];
    u32 length = 0;
    path[0] = 0;
    for (int part = 0; depth-- > 0; ++part)
    {
        const char* name = chain[depth]->m_Name.GetText();
        const u32 size = static_cast<u32>(std::strlen(name));
        const u32 separator = part ? 1 : 0;
        if (length + separator + size >= sizeof path)
            break;
        if (separator)
            path[length++] = '/';
        std::memcpy(path + length, name, size + 1);
        length += size;
    }
    return StringFormat("%s", path);
}

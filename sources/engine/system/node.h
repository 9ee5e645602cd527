#pragma once
// TNode: one placement of the scene's forest: a name, a local and a world matrix (row vectors,
// translation in the fourth row), enable bits, a parent and children, and up to seven attached
// node objects. Nodes are stored raw in repository images, so the layout is file format; the
// node manager owns the array they live in.
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "core/system/templates/darray.h"
#include "engine/system/nodekindnames.h"

class TNode;
class TNodeObject;

// Flags.
constexpr u32 NODE_ENABLED = 0x1;   // the node's own enable bit
constexpr u32 NODE_INHERITED = 0x2; // the parent is effectively enabled
constexpr u32 NODE_DEFERRED = 0x4;  // attached objects hear of moves at the manager's update
constexpr u32 NODE_NEW_FLAGS = 7;

constexpr u32 NODE_OBJECT_CAPACITY = 7;

// One child link of a node's child array.
struct TNodeLink
{
    TNode* pNode;
};

static_assert(sizeof(TNodeLink) == 4);

// One record of a node's user data, opaque to the scene.
struct TUserData
{
    u32 aWord[4];
};

static_assert(sizeof(TUserData) == 16);

// A {name id, node} pair of the stored sets of named nodes.
struct TNamedNode
{
    u32 nName;
    TNode* pNode;
};

static_assert(sizeof(TNamedNode) == 8);

// The two special update causes; any other cause (as a rule the empty node's name, id 0) is
// ordinary.
// "NodeForceUpdate" sets a local matrix even when it equals the current one;
// "IgnoreNodeObjectUpdate" (g_NameIgnoreNodeObjectUpdate) recomputes matrices without telling
// the attached objects.
extern const TName g_NodeForceUpdate;

class TNode
{
public:
    // A new node: no name, flags 7, no parent, identity matrices, everything else 0.
    TNode();
    ~TNode() = default;
    TNode(const TNode&) = delete;
    TNode& operator=(const TNode&) = delete;

    // The shared empty node: what detached objects answer, and the ordinary update cause.
    static TNode& Empty();
    static const TName* OrdinaryCause() { return &Empty().m_Name; }

    // Attaches an object after the last one (detaching it from another node first); a node
    // holding seven objects refuses an eighth with an error line: 0 attached, 1 refused.
    i32 AddObject(TNodeObject* object);
    // Removes the object (the last one takes its slot) and clears its node link.
    void DeleteObject(TNodeObject* object);
    // The first attached object of the class name id, in slot order.
    TNodeObject* FindObject(u32 classNameId) const;

    TMatrix* GetWorldMatrix() { return &m_World; }
    const TMatrix& GetLocalMatrix() const { return m_Local; }
    void SetLocalMatrix(const TMatrix& matrix, const TName* cause);
    void SetWorldMatrix(const TMatrix& matrix, const TName* cause);
    void UpdateWorldMatrix(const TName* cause);

    // Re-parenting: the local matrix is kept, so the world placement follows the new parent.
    void AddChild(TNode* node);
    void ReplaceFirstChild(TNode* node);

    // Sets the own (inherited = 0) or inherited enable bit and spreads a change of the
    // effective state to the attached objects and the children.
    u32 Enable(u32 on, u32 inherited);
    u32 IsEnabled() const { return (m_nFlags & 3) == 3 ? 1 : 0; }
    u32 HasAncestor(const TNode* other) const;
    // Copies the vector into the node and every descendant.
    void SetVector(const TVector& vector);
    TUserData* GetUserData() { return m_nUserDataFlag ? aUserData.GetData() : nullptr; }
    // The names from the root down joined by "/", in a rotating format buffer.
    const char* GetPath() const;

    TNode* GetParent() const { return pParent; }
    i32 GetChildCount() const { return aChild.GetCount(); }
    TNode* GetChild(i32 i) const { return aChild[i].pNode; }
    u32 GetObjectCount() const { return m_nObjectCount; }
    TNodeObject* GetObject(u32 i) const { return aObject[i]; }
    // Takes the node out of its parent's child array (order not kept).
    void DetachFromParent();

    TName m_Name;
    u32 m_nFlags;
    TNode* pParent;
    DArray<TNodeLink> aChild;
    u32 m_nObjectCount;
    TNodeObject* aObject[NODE_OBJECT_CAPACITY];
    TMatrix m_Local;
    TMatrix m_World;
    TVector m_Vector;
    // The node manager's deferred-notification list.
    TNode* pDeferredNext;
    u32 m_nReserved;
    u32 m_nUserDataFlag;
    DArray<TUserData> aUserData;

private:
    // Step 2 of the world update: tell the objects now, or queue the node.
    void NotifyObjects(const TName* cause);
};

static_assert(sizeof(TNode) == 224);
static_assert(offsetof(TNode, pParent) == 8);
static_assert(offsetof(TNode, aChild) == 12);
static_assert(offsetof(TNode, m_nObjectCount) == 24);
static_assert(offsetof(TNode, aObject) == 28);
static_assert(offsetof(TNode, m_Local) == 56);
static_assert(offsetof(TNode, m_World) == 120);
static_assert(offsetof(TNode, m_Vector) == 184);
static_assert(offsetof(TNode, pDeferredNext) == 200);
static_assert(offsetof(TNode, m_nUserDataFlag) == 208);
static_assert(offsetof(TNode, aUserData) == 212);

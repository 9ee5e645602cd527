#pragma once
// Collision filters: which candidates of a filtered query are rejected, judged by the scene
// node of the candidate's shape.
#include "core/system/types.h"

class TNode;

class TCollisionFilter
{
public:
    explicit TCollisionFilter(const void* parameter) : m_pParameter(parameter) {}
    virtual ~TCollisionFilter() = default;
    // Non-zero rejects the candidate (a ray hit or a shape's user data) on the node.
    virtual u32 IsFiltered(const TNode* node, const void* candidate) = 0;

protected:
    const void* m_pParameter;
};

// Rejects candidates below one node; the node's own shapes stay.
class TNodeCollisionFilter : public TCollisionFilter
{
public:
    explicit TNodeCollisionFilter(const TNode* node) : TCollisionFilter(node) {}
    u32 IsFiltered(const TNode* node, const void* candidate) override;
};

// Rejects candidates below any node of a list ended by null.
class TNodesCollisionFilter : public TCollisionFilter
{
public:
    explicit TNodesCollisionFilter(TNode* const* nodes) : TCollisionFilter(nodes) {}
    u32 IsFiltered(const TNode* node, const void* candidate) override;
};

static_assert(sizeof(TNodeCollisionFilter) == 8);

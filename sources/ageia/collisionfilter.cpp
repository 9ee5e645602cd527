#include "ageia/collisionfilter.h"

#include "engine/system/node.h"

u32 TNodeCollisionFilter::IsFiltered(const TNode* node, const void*)
{
    return node->HasAncestor(static_cast<const TNode*>(m_pParameter));
}

u32 TNodesCollisionFilter::IsFiltered(const TNode* node, const void*)
{
    for (TNode* const* at = static_cast<TNode* const*>(m_pParameter); *at; ++at)
        if (node->HasAncestor(*at))
            return 1;
    return 0;
}

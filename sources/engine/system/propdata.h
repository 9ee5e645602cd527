#pragma once
// TPropData: the stored layout of its records (type 29, 236 bytes), read and written raw by
// repository images; the members its own module gives behaviour to are named.
#include "core/system/types.h"

#include "engine/system/node.h"
#include "engine/system/resource.h"
#include <algorithm>
#include <cstring>

class TNode;
class TProp;
class TScript;
class TScriptObject;

class TPropData : public TResource
{
public:
    TPropData() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    // The named sub-node (the set is sorted by name id), or null.
    TNode* FindNode(u32 nameId) const
    {
        const u32 count = m_nSubNodeCount < 16 ? m_nSubNodeCount : 16;
        const TNamedNode* end = aSubNode + count;
        const TNamedNode* at = std::lower_bound(aSubNode, end, nameId,
                                                [](const TNamedNode& n, u32 id) { return n.nName < id; });
        return at != end && at->nName == nameId ? at->pNode : nullptr;
    }

    u32 m_nActivationFrame;
    u8 m_aReserved72[4];
    TNode* pNode;
    u8 m_aReserved80[4];
    u32 m_nSubNodeCount;
    TNamedNode aSubNode[16];
    TScriptObject* pScript;
    TScript* pScriptActivate;
    TScript* pScriptDeactivate;
    TScript* pScriptUpdate;
    TProp* pProp;
};

static_assert(sizeof(TPropData) == 236);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TPropData, m_nActivationFrame) == 68);
static_assert(offsetof(TPropData, pNode) == 76);
static_assert(offsetof(TPropData, m_nSubNodeCount) == 84);
static_assert(offsetof(TPropData, aSubNode) == 88);
static_assert(offsetof(TPropData, pScript) == 216);
static_assert(offsetof(TPropData, pScriptActivate) == 220);
static_assert(offsetof(TPropData, pScriptDeactivate) == 224);
static_assert(offsetof(TPropData, pScriptUpdate) == 228);
static_assert(offsetof(TPropData, pProp) == 232);
#pragma GCC diagnostic pop

#pragma once
// TStaticDecalPool (type 94, 84 bytes): decal geometry baked into the level, its 64-byte decal
// vertices the resource's block in the repository. Load takes them from there (a vertex count
// the block cannot hold is refused with a line); the decal manager draws them.
#include "core/system/types.h"

#include "engine/system/resource.h"
#include <cstring>

struct TDecalData;
class TNode;

class TStaticDecalPool : public TResource
{
public:
    TStaticDecalPool() { std::memset(reinterpret_cast<u8*>(this) + 68, 0, sizeof(*this) - 68); }

    i32 Load() override;
    i32 Release() override;
    // Null and 0 until loaded.
    const struct TDecalVertex* GetVertices() const { return pVertices; }
    u32 GetVertexCount() const { return pVertices ? m_nVertexCount : 0; }

    TNode* pNode;
    TDecalData* pDecalData;
    u32 m_nVertexCount;
    const struct TDecalVertex* pVertices;
};

static_assert(sizeof(TStaticDecalPool) == 84);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TStaticDecalPool, pNode) == 68);
static_assert(offsetof(TStaticDecalPool, pDecalData) == 72);
static_assert(offsetof(TStaticDecalPool, m_nVertexCount) == 76);
static_assert(offsetof(TStaticDecalPool, pVertices) == 80);
#pragma GCC diagnostic pop

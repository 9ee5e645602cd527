#pragma once
// TAtmosphereVertexPool (stored type 128, 108 bytes, a resource): the small vertex templates
// the dynamic sky instances. Its block holds the template table (one TSkyElementTemplate per
// template, as many as the record's template count) followed by the 28-byte sky vertices;
// loading maps both views into the block, release forgets them. A block that is no whole
// number of vertices after its table is refused: the pool stays empty and draws nothing.
#include "core/math/matrix.h"
#include "engine/system/resource.h"

#include <cstddef>

class TClusterTypeDecl;
class TShader;
struct TSkyElement;
struct TSkyElementTemplate;

constexpr u16 ATMOSPHERE_VERTEX_POOL_TYPE_ID = 128;

// One vertex of the templates and of the dynamic sky buffer, in memory order.
struct TSkyVertex
{
    f32 x, y, z;
    // Normal x, y, z and a constant 1 as half floats.
    u16 aNormal[4];
    f32 u, v;
};

static_assert(sizeof(TSkyVertex) == 28);
static_assert(offsetof(TSkyVertex, aNormal) == 12 && offsetof(TSkyVertex, u) == 20);

class TAtmosphereVertexPool : public TResource
{
public:
    TAtmosphereVertexPool();

    i32 Load() override;
    i32 Release() override;

    // The element's template vertices moved by its world matrix and then by the eye position,
    // written to out (room vertices). Returns the count written; 0 when the pool is not loaded,
    // or the element names a template beyond the table or its vertices (skipped, one line a
    // load), or the template does not fit the room (the caller flushes and asks again).
    u32 Instance(const TSkyElement& element, const TVector& eye, TSkyVertex* out, u32 room);
    // The vertex count of the element's template (0 for a template beyond the pool).
    u32 GetVertexCount(const TSkyElement& element) const;
    u32 GetTemplateCount() const { return pTemplates ? m_nTemplateCount : 0; }
    u32 GetPoolVertexCount() const { return m_nVertexCount; }

    // Stored: the number of templates at the head of the block.
    u32 m_nTemplateCount;
    // Run time: the views into the block.
    const TSkyElementTemplate* pTemplates;
    const TSkyVertex* pVertices;
    u32 m_nVertexCount;
    // The shader the instanced groups are drawn with (the sun's, then the elements').
    TShader* pCurrentShader;
    // Set once a bad template has been reported since the last load.
    u32 m_nReported;
    u8 m_aReserved92[16];
};

static_assert(sizeof(TAtmosphereVertexPool) == 108);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TAtmosphereVertexPool, m_nTemplateCount) == 68);
#pragma GCC diagnostic pop

const TClusterTypeDecl& AtmosphereVertexPoolDecl();

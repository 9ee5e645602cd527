#pragma once
// The pieces the dynamic sky instances every frame: a sky element (stored type 126, 152 bytes: a
// sun, star, cloud or free element) names a template (stored type 127, 8 bytes) of the vertex
// pool's vertices and carries its matrices. Elements live in the dome's frame, centred on the
// camera: the world matrix's translation row is the element's place relative to the eye.
#include "core/math/matrix.h"

#include <cstddef>

class TClusterTypeDecl;

constexpr u16 SKY_ELEMENT_TEMPLATE_TYPE_ID = 127;

struct TSkyElement
{
    u16 m_nTemplate;
    u8 m_aReserved2[14];
    TMatrix Local;
    TMatrix World;
    u8 m_nVisible;
    u8 m_aReserved145[7];
};

static_assert(sizeof(TSkyElement) == 152);
static_assert(offsetof(TSkyElement, m_nTemplate) == 0);
static_assert(offsetof(TSkyElement, Local) == 16);
static_assert(offsetof(TSkyElement, World) == 80);
static_assert(offsetof(TSkyElement, m_nVisible) == 144);

struct TSkyElementTemplate
{
    u32 m_nFirstVertex;
    u32 m_nVertexCount;
};

static_assert(sizeof(TSkyElementTemplate) == 8);

const TClusterTypeDecl& SkyElementDecl();
const TClusterTypeDecl& SkyElementTemplateDecl();

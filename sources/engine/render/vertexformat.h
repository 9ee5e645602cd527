#pragma once
// TVertexFormat: a vertex layout described element by element, identified by a name id built
// from its part names and elements, so that two formats with the same parts and elements share
// their id.
#include "core/system/name.h"
#include "core/system/types.h"

constexpr u32 VERTEX_FORMAT_ELEMENTS = 16;
constexpr u32 VERTEX_FORMAT_PARTS = 4;
constexpr u32 VERTEX_ELEMENT_TYPES = 17;

struct TVertexFormatElement
{
    u32 nSemantic; // name id
    u32 nIndex;
    u32 nType;
    u32 nStream;
};

struct TVertexFormat
{
    u32 nStride;
    u32 nElementCount;
    TVertexFormatElement aElement[VERTEX_FORMAT_ELEMENTS];
    TName Id;
    // Set by the caller before building.
    TName aPart[VERTEX_FORMAT_PARTS];
};
static_assert(sizeof(TVertexFormat) == 284);

// Bytes of an element of the type; 0 for an unknown type.
u32 VertexElementSize(u32 type);
// Clears the stride, appends the elements (stride += each one's size) and finalises; elements
// beyond the sixteenth are refused with an error line.
void BuildVertexFormat(TVertexFormat& format, u32 count, const TVertexFormatElement* elements);
// The format id: the part names, then each element in order, folded into registered names.
void FinaliseVertexFormat(TVertexFormat& format);

#pragma once
// TImposterVertex: one corner of an imposter's two triangles, packed into 16 bytes. The shader
// decodes angles as byte x 2 pi / 255, the size as byte x 0.02 and positions as value x cell.
#include "core/math/matrix.h"
#include "core/system/types.h"

constexpr u32 IMPOSTER_VERTICES = 6;

struct TImposterVertex
{
    i16 aPosition[3];
    u16 nCorner;
    u8 nPitch;
    u8 nHeading;
    u8 nSize;
    u8 nData;
    u8 aColour[4];
};
static_assert(sizeof(TImposterVertex) == 16);

struct TImposterRecord
{
    TImposterVertex aVertex[IMPOSTER_VERTICES];
};
static_assert(sizeof(TImposterRecord) == 96);

// The six vertices of an imposter at the world matrix. Positions beyond the 16-bit range of
// the cell and sizes beyond a byte are clamped, never wrapped.
void PackImposter(TImposterRecord& record, u8 dataIndex, const TMatrix& world, const f32 colour[4], f32 alpha,
                  f32 cellSize);

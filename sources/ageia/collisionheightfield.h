#pragma once
// TCollisionHeightField: static terrain collision from a grid of 16-bit height samples. Build
// and Release only queue requests; the dynamics manager's frame update carries them out, so
// physics objects are made and dropped at one point of the frame.
#include "core/math/matrix.h"

class TCollisionHeightField
{
public:
    virtual ~TCollisionHeightField() = default;
    virtual u32 IsBuilt() = 0;
    // rows x columns samples (signed 16-bit height, then two material bytes; 4 bytes each) from
    // MemoryAllocate: the request owns them from here on. Extents: the field's length along the
    // rows, its height range and its length along the columns; the fourth is not read.
    virtual void Build(const TMatrix& place, u32 rows, u32 columns, const f32* extents, void* samples, u32 spare) = 0;
    virtual void Release() = 0;
};

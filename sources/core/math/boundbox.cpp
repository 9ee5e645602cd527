#include "core/math/boundbox.h"

void TBoundBox::Copy(const TBoundBox& source)
{
    minimum = source.minimum;
    minimum.w = 1.0f;
    maximum = source.maximum;
    Update();
}

void TBoundBox::Update()
{
    const TVector extent = TVector::Subtract(maximum, minimum);
    centre[0] = (minimum.x + maximum.x) * 0.5f;
    centre[1] = (minimum.y + maximum.y) * 0.5f;
    centre[2] = (minimum.z + maximum.z) * 0.5f;
    size[0] = extent.x;
    size[1] = extent.y;
    size[2] = extent.z;
    diagonal = extent.Length();
    radius = diagonal * 0.5f;
}

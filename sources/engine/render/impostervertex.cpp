#include "engine/render/impostervertex.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr f32 SIZE_SCALE = 50.0f;
constexpr f32 ANGLE_SCALE = 255.0f / 360.0f;
constexpr f32 DEGREES = 57.29578f;

i16 PackPosition(f32 value, f32 cellSize)
{
    const f32 cells = std::clamp(value / cellSize, -32768.0f, 32767.0f);
    return static_cast<i16>(cells);
}

u8 PackAngle(f32 degrees)
{
    f32 value = degrees * ANGLE_SCALE;
    if (value < 0.0f)
        value += 255.0f;
    return static_cast<u8>(std::clamp(value, 0.0f, 255.0f));
}

u8 PackUnit(f32 value)
{
    return static_cast<u8>(std::clamp(value * 255.0f, 0.0f, 255.0f));
}
} // namespace

void PackImposter(TImposterRecord& record, u8 dataIndex, const TMatrix& world, const f32 colour[4], f32 alpha,
                  f32 cellSize)
{
    const TVector& z = world.AxisZ();
    const f32 length = z.Length();
    const f32 pitch = length > 0.0f ? std::asin(std::clamp(z.y / length, -1.0f, 1.0f)) * DEGREES : 0.0f;
    const f32 heading = std::atan2(z.x, z.z) * DEGREES;
    const f32 size = std::clamp(world.AxisY().Length() * SIZE_SCALE, 0.0f, 255.0f);

    TImposterVertex vertex;
    const TVector& at = world.Translation();
    vertex.aPosition[0] = PackPosition(at.x, cellSize);
    vertex.aPosition[1] = PackPosition(at.y, cellSize);
    vertex.aPosition[2] = PackPosition(at.z, cellSize);
    vertex.nPitch = PackAngle(pitch);
    vertex.nHeading = PackAngle(heading);
    vertex.nSize = static_cast<u8>(size);
    vertex.nData = dataIndex;
    vertex.aColour[0] = PackUnit(colour[0]);
    vertex.aColour[1] = PackUnit(colour[1]);
    vertex.aColour[2] = PackUnit(colour[2]);
    vertex.aColour[3] = PackUnit(colour[3] * alpha);
    for (u16 corner = 0; corner < IMPOSTER_VERTICES; ++corner)
    {
        vertex.nCorner = corner;
        record.aVertex[corner] = vertex;
    }
}

#include "xaudio2/outputmatrix.h"

#include <algorithm>

namespace
{
struct TLevels
{
    u32 nSources;
    u32 nDestinations;
    f32* pMatrix;

    void Set(u32 source, u32 destination, f32 level) const
    {
        if (source < nSources && destination < nDestinations)
            pMatrix[destination * nSources + source] = level;
    }
};
} // namespace

void BuildOutputMatrix(u32 sources, u32 destinations, f32 (&matrix)[OUTPUT_MATRIX_SIZE])
{
    std::fill(matrix, matrix + OUTPUT_MATRIX_SIZE, 0.0f);
    if (sources * destinations > OUTPUT_MATRIX_SIZE)
        return;
    const TLevels levels = {sources, destinations, matrix};
    // Three sources (left, right, centre) keep their left and right on the front speakers too:
    // only their centre is folded down.
    if (sources == destinations || sources >= 3)
        for (u32 channel = 0; channel < std::min(sources, destinations); ++channel)
            levels.Set(channel, channel, 1.0f);
    else if (sources == 1)
    {
        levels.Set(0, 0, 1.0f);
        levels.Set(0, 1, 1.0f);
        levels.Set(0, 2, 0.75f);
        levels.Set(0, 4, 0.8f);
        levels.Set(0, 5, 0.8f);
        levels.Set(0, 6, 0.2f);
        levels.Set(0, 7, 0.2f);
    }
    else if (sources == 2)
    {
        levels.Set(0, 0, 1.0f);
        levels.Set(1, 1, 1.0f);
        levels.Set(0, 2, 0.375f);
        levels.Set(1, 2, 0.375f);
        levels.Set(0, 4, 0.8f);
        levels.Set(1, 5, 0.8f);
        levels.Set(0, 6, 0.2f);
        levels.Set(1, 7, 0.2f);
    }
    if (destinations == 2)
    {
        levels.Set(2, 0, 0.5f);
        levels.Set(2, 1, 0.5f);
        levels.Set(4, 0, 0.4f);
        levels.Set(5, 1, 0.4f);
        levels.Set(6, 0, 0.1f);
        levels.Set(7, 1, 0.1f);
    }
}

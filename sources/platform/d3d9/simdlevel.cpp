#include "platform/d3d9/simdlevel.h"

bool SimdLevelAvailable(ESimdLevel level)
{
    if (level == ESimdLevel::Sse2)
        return true;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool SetRasteriserSimdLevel(ESimdLevel level)
{
    if (!SimdLevelAvailable(level))
        return false;
    g_rasteriserSimdLevel = level;
    return true;
}

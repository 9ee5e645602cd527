#include "platform/d3d9/simdlevel.h"

#include <cpuid.h>

bool SimdLevelAvailable(ESimdLevel level)
{
    if (level == ESimdLevel::Sse2)
        return true;
    __builtin_cpu_init();
    // The level converts 16-bit floats by the processor's instructions too (F16C).
    unsigned a = 0, b = 0, c = 0, d = 0;
    const bool halves = __get_cpuid(1, &a, &b, &c, &d) && (c & bit_F16C) != 0;
    return halves && __builtin_cpu_supports("avx2");
}

bool ProcessorPrefetchesForWriting()
{
    unsigned a = 0, b = 0, c = 0, d = 0;
    return __get_cpuid(0x80000001, &a, &b, &c, &d) && (c & bit_PRFCHW) != 0;
}

bool SetRasteriserSimdLevel(ESimdLevel level)
{
    if (!SimdLevelAvailable(level))
        return false;
    g_rasteriserSimdLevel = level;
    return true;
}

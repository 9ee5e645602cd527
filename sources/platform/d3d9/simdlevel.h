#pragma once
// The widest vector instructions the rasteriser's own inner loops use: AVX2 where the processor
// has it, SSE2 (what the build targets) otherwise, chosen once at start. Every path computes
// the same bits; tests switch between them to check that.
enum class ESimdLevel
{
    Sse2,
    Avx2,
};

// Whether this processor runs the level's instructions.
bool SimdLevelAvailable(ESimdLevel level);
// Switches to a level this processor runs (tests); answers false, changing nothing, otherwise.
bool SetRasteriserSimdLevel(ESimdLevel level);

// The level in use, read per quad: a plain variable.
inline ESimdLevel g_rasteriserSimdLevel =
    SimdLevelAvailable(ESimdLevel::Avx2) ? ESimdLevel::Avx2 : ESimdLevel::Sse2;
inline ESimdLevel RasteriserSimdLevel()
{
    return g_rasteriserSimdLevel;
}

// Whether this processor prefetches lines for writing (PREFETCHW); chosen once at start.
bool ProcessorPrefetchesForWriting();
inline const bool g_bPrefetchesForWriting = ProcessorPrefetchesForWriting();

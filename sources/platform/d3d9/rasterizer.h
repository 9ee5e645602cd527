#pragma once
// The rasteriser: transforms the vertices of a draw with its vertex model, clips and sets up
// the primitives, bins them into screen tiles and shades the tiles in parallel on a pool of
// workers (one per core), 2x2 quads at a time with SSE2.
#include "platform/d3d9/drawcall.h"

#include <cstdint>
#include <memory>

class TWorkerPool;

class TRasterizer
{
public:
    TRasterizer();
    ~TRasterizer();

    // Draws the call; answers the samples that passed the depth and stencil tests.
    std::uint64_t Draw(const TDrawCall& call);

private:
    std::unique_ptr<TWorkerPool> workers_;
};

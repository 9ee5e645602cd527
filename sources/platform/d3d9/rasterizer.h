#pragma once
// The rasteriser: transforms the vertices of a draw with its vertex model, assembles, clips and
// sets up the primitives (points and lines become screen-space quads) and bins them into 64x64
// tiles in runs of primitives, then shades the tiles, 2x2 quads at a time with SSE2; every
// stage is spread over a pool of workers.
// Direct3D 9's rules: pixel centres on integer coordinates, the top-left fill rule with 4 bits
// of sub-pixel precision, perspective-correct interpolants.
#include "platform/d3d9/drawcall.h"
#include "platform/d3d9/tilebins.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TWorkerPool;

class TRasterizer
{
public:
    TRasterizer();
    ~TRasterizer();

    // Draws the call; answers the samples that passed the depth and stencil tests.
    std::uint64_t Draw(const TDrawCall& call);
    // Runs fill(band) for bands of rows that together make `area`, on the workers where the area
    // holds a few hundred kilobytes or more (`bytesPerPixel` over every plane filled): a clear is
    // memory bound, and one core alone does not fill the memory's bandwidth.
    void FillBands(const RECT& area, int bytesPerPixel, const std::function<void(const RECT& band)>& fill);

private:
    // A tile, or one of the bands of rows a busy tile is cut into, shaded as one item.
    struct TShadeItem
    {
        int tile;
        int band, bands;
    };

    // The items to shade the binned tiles as, in the order of tileOrder_: a tile holding many
    // more records than its share is cut into bands, so that one busy tile (smoke over a few
    // tiles) does not keep the other participants waiting.
    void PlanItems(int participants);
    // Copies the records of the item's band, cut to its rows, into bands_[item.band].
    void FillBand(const TShadeItem& item);

    std::unique_ptr<TWorkerPool> workers_;
    std::vector<float> vertices_; // shaded vertices, kVertexHeader + 4 floats per varying each
    TTileBins bins_;
    std::vector<int> tileOrder_; // the tiles to shade, the busiest first
    std::vector<TShadeItem> items_;
    // Bins over the same tiles as bins_, one run each: the records of band n of every cut tile.
    std::vector<TTileBins> bands_;
};

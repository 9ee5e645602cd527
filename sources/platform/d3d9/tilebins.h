#pragma once
// Set-up triangles sorted by the 64x64 tiles they touch. Each run of primitives, set up on its
// own worker, fills its own bins; a bin packs whole records, the triangle's edges and bounds
// followed by its interpolation planes, so that shading a tile reads its triangles in primitive
// order from a few contiguous arrays.
#include "platform/d3d9/d3d9types.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>
#include <span>
#include <utility>
#include <vector>

// Tiles are squares of this many pixels, aligned on multiples of it.
constexpr int kTileSize = 64;

struct TBinnedTriangle
{
    int x[3], y[3];                      // 28.4 fixed point, clockwise on screen
    std::int16_t minX, minY, maxX, maxY; // pixels inside the clip rectangle
    std::int32_t front;                  // 1 for a front face
};
static_assert(sizeof(TBinnedTriangle) == 36, "records are packed in floats");

class TTileBins
{
public:
    // Records of triangles with `planes` planes (three floats each).
    static int RecordFloats(int planes) { return int(sizeof(TBinnedTriangle) / 4) + 3 * planes; }

    // Tiles over the clip rectangle for `runs` runs of primitives, every bin empty.
    void Reset(const RECT& clip, int runs, int planes);
    // Appends a record, a TBinnedTriangle followed by its planes, to every bin of the run that
    // the triangle's bounds (pixels, inclusive) touch.
    void Add(int run, int minX, int minY, int maxX, int maxY, const float* record);

    int Tiles() const { return tilesX_ * tilesY_; }
    int Runs() const { return runs_; }
    int RecordFloats() const { return recordFloats_; }
    // The tile's first pixel.
    int TileX(int tile) const { return (tileLeft_ + tile % tilesX_) * kTileSize; }
    int TileY(int tile) const { return (tileTop_ + tile / tilesX_) * kTileSize; }
    // The packed records one run left in one tile.
    std::span<const float> Bin(int run, int tile) const
    {
        const TBin& bin = bins_[std::size_t(run) * Tiles() + tile];
        return {bin.storage.data(), bin.size};
    }
    // The tiles holding any record, those with the most records first: shaded in this order,
    // the long tiles start early and the short ones fill in at the end, so that no worker is
    // left with a long tile while the others wait.
    void ShadingOrder(std::vector<int>& order);
    // The pixels of the records' boxes within the tiles of `order` (at least what they shade),
    // counted until `limit`, which is answered once reached.
    int BoxPixels(const std::vector<int>& order, int limit) const;

private:
    // A bin's storage is kept from draw to draw and only grows, so that appending a record is a
    // copy of a known length, without a library call.
    struct TBin
    {
        std::vector<float> storage; // its size is the capacity
        std::size_t size = 0;       // floats in use
    };

    // Makes room for one more record in `bin`.
    void Grow(TBin& bin) const;

    std::vector<TBin> bins_;                // run by run, tile by tile
    std::vector<std::pair<int, int>> work_; // (records, tile), for ShadingOrder
    int runs_ = 0, recordFloats_ = 0;
    int tileLeft_ = 0, tileTop_ = 0, tilesX_ = 0, tilesY_ = 0;
};

inline void TTileBins::Add(int run, int minX, int minY, int maxX, int maxY, const float* record)
{
    // Bounds inside the clip rectangle are never negative: their tiles are a shift away.
    auto tile = [](int pixel) { return int(unsigned(pixel) / kTileSize); };
    const int left = tile(minX) - tileLeft_, right = tile(maxX) - tileLeft_;
    const int top = tile(minY) - tileTop_, bottom = tile(maxY) - tileTop_;
    TBin* row = &bins_[size_t(run) * Tiles() + size_t(top) * tilesX_];
    for (int ty = top; ty <= bottom; ++ty, row += tilesX_)
    {
        for (int tx = left; tx <= right; ++tx)
        {
            TBin& bin = row[tx];
            if (bin.size + size_t(recordFloats_) > bin.storage.size())
                Grow(bin);
            float* to = bin.storage.data() + bin.size;
            int i = 0;
            for (; i + 4 <= recordFloats_; i += 4)
                _mm_storeu_ps(to + i, _mm_loadu_ps(record + i));
            for (; i < recordFloats_; ++i)
                to[i] = record[i];
            bin.size += size_t(recordFloats_);
        }
    }
}

#include "platform/d3d9/tilebins.h"

#include <algorithm>
#include <cstring>

void TTileBins::Reset(const RECT& clip, int runs, int planes)
{
    tileLeft_ = int(clip.left) / kTileSize;
    tileTop_ = int(clip.top) / kTileSize;
    tilesX_ = (int(clip.right) - 1) / kTileSize - tileLeft_ + 1;
    tilesY_ = (int(clip.bottom) - 1) / kTileSize - tileTop_ + 1;
    runs_ = runs;
    recordFloats_ = RecordFloats(planes);
    // Bins keep their capacity from draw to draw.
    const size_t count = size_t(runs) * Tiles();
    if (bins_.size() < count)
        bins_.resize(count);
    for (size_t i = 0; i < count; ++i)
        bins_[i].size = 0;
}

void TTileBins::Grow(TBin& bin) const
{
    bin.storage.resize(std::max(2 * bin.storage.size(), bin.size + size_t(recordFloats_) * 16));
}

void TTileBins::ShadingOrder(std::vector<int>& order)
{
    work_.clear();
    for (int tile = 0; tile < Tiles(); ++tile)
    {
        size_t floats = 0;
        for (int run = 0; run < runs_; ++run)
            floats += Bin(run, tile).size();
        if (floats)
            work_.emplace_back(-int(floats / size_t(recordFloats_)), tile);
    }
    std::sort(work_.begin(), work_.end());
    order.clear();
    for (const std::pair<int, int>& tile : work_)
        order.push_back(tile.second);
}

int TTileBins::BoxPixels(const std::vector<int>& order, int limit) const
{
    int pixels = 0;
    for (const int tile : order)
    {
        const int tileX = TileX(tile), tileY = TileY(tile);
        for (int run = 0; run < runs_; ++run)
        {
            const std::span<const float> bin = Bin(run, tile);
            for (size_t at = 0; at < bin.size(); at += size_t(recordFloats_))
            {
                TBinnedTriangle t;
                std::memcpy(&t, &bin[at], sizeof(t));
                const int width = std::min(int(t.maxX), tileX + kTileSize - 1) - std::max(int(t.minX), tileX) + 1;
                const int height = std::min(int(t.maxY), tileY + kTileSize - 1) - std::max(int(t.minY), tileY) + 1;
                pixels += width * height;
                if (pixels >= limit)
                    return limit;
            }
        }
    }
    return pixels;
}

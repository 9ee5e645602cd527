#include "platform/d3d9/tilebins.h"

#include <algorithm>

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

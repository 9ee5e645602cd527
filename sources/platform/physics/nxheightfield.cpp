#include "platform/physics/nxheightfield.h"
#include <algorithm>
#include <cstring>

NxHeightField::NxHeightField(const NxHeightFieldDesc& desc)
    : rows_(desc.nbRows), columns_(desc.nbColumns), thickness_(desc.thickness), samples_(std::size_t(rows_) * columns_),
      grid_(samples_.size())
{
    const NxU32 stride = desc.sampleStride ? desc.sampleStride : sizeof(NxHeightFieldSample);
    for (std::size_t i = 0; i < samples_.size(); ++i)
        std::memcpy(&samples_[i], static_cast<const NxU8*>(desc.samples) + i * stride, sizeof(NxHeightFieldSample));
    for (NxU32 row = 0; row < rows_; ++row)
        for (NxU32 column = 0; column < columns_; ++column)
            grid_[std::size_t(column) * rows_ + row] = getSample(row, column).height;
    if (!grid_.empty()) {
        const auto [low, high] = std::minmax_element(grid_.begin(), grid_.end());
        minHeight_ = *low;
        maxHeight_ = *high;
    }
}

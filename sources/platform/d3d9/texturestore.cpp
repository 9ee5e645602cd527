#include "platform/d3d9/texturestore.h"

#include "platform/d3d9/format.h"

#include <algorithm>

TTextureStore::TTextureStore(D3DRESOURCETYPE kind, D3DFORMAT format, UINT width, UINT height, UINT depth,
                             UINT levels, UINT faces, bool autoGenerate)
    : kind_(kind), faces_(faces), autoGenerate_(autoGenerate)
{
    const UINT full = FullChainLength(width, height, depth);
    levels_ = (levels == 0 || autoGenerate) ? full : std::min(levels, full);
    for (UINT face = 0; face < faces; ++face)
    {
        for (UINT level = 0; level < levels_; ++level)
        {
            images_.push_back(std::make_unique<TImage>(format, std::max(1u, width >> level),
                                                       std::max(1u, height >> level),
                                                       std::max(1u, depth >> level)));
        }
    }
    generatedFrom_ = images_[0]->Version();
}

UINT TTextureStore::FullChainLength(UINT width, UINT height, UINT depth)
{
    UINT largest = std::max({width, height, depth}), levels = 1;
    while (largest > 1)
    {
        largest >>= 1;
        ++levels;
    }
    return levels;
}

void TTextureStore::PrepareForSampling()
{
    if (!autoGenerate_)
        return;
    std::lock_guard<std::mutex> lock(generateMutex_);
    std::uint32_t version = 0;
    for (UINT face = 0; face < faces_; ++face)
        version += Image(face, 0).Version();
    if (version == generatedFrom_)
        return;
    GenerateLevels();
    generatedFrom_ = version;
}

void TTextureStore::GenerateLevels()
{
    const D3DFORMAT format = StoreFormat();
    const TFormatInfo* info = FindFormat(format);
    if (!info || info->kind != EFormatClass::Colour)
        return;
    const UINT bytes = info->bits / 8;
    for (UINT face = 0; face < faces_; ++face)
    {
        for (UINT level = 1; level < levels_; ++level)
        {
            TImage& source = Image(face, level - 1);
            TImage& target = Image(face, level);
            for (UINT z = 0; z < target.Depth(); ++z)
            {
                for (UINT y = 0; y < target.Height(); ++y)
                {
                    for (UINT x = 0; x < target.Width(); ++x)
                    {
                        float sum[4] = {0, 0, 0, 0};
                        int count = 0;
                        for (UINT dz = 0; dz < 2; ++dz)
                        {
                            for (UINT dy = 0; dy < 2; ++dy)
                            {
                                for (UINT dx = 0; dx < 2; ++dx)
                                {
                                    const UINT sx = std::min(2 * x + dx, source.Width() - 1);
                                    const UINT sy = std::min(2 * y + dy, source.Height() - 1);
                                    const UINT sz = std::min(2 * z + dz, source.Depth() - 1);
                                    float texel[4];
                                    ReadTexel(format, source.Row(sy, sz) + sx * bytes, texel);
                                    for (int c = 0; c < 4; ++c)
                                        sum[c] += texel[c];
                                    ++count;
                                }
                            }
                        }
                        for (float& c : sum)
                            c /= float(count);
                        WriteTexel(format, target.Row(y, z) + x * bytes, sum);
                    }
                }
            }
            target.Touch();
        }
    }
}

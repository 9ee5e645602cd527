#include "platform/d3d9/rasterizer.h"

class TWorkerPool
{
};

TRasterizer::TRasterizer() {}

TRasterizer::~TRasterizer() = default;

std::uint64_t TRasterizer::Draw(const TDrawCall& call)
{
    return 0;
}

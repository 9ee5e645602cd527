#include "platform/d3d9/sampler.h"

void TSamplerSet::Bind(int stage, TTextureStore* texture, const DWORD* states, UINT lodClamp) {}

TQuadVector TSamplerSet::Sample(int stage, TQuad u, TQuad v) const
{
    return {};
}

TQuadVector TSamplerSet::SampleLevel(int stage, TQuad u, TQuad v, TQuad lod) const
{
    return {};
}

TQuadVector TSamplerSet::SampleCube(int stage, TQuad x, TQuad y, TQuad z) const
{
    return {};
}

TQuadVector TSamplerSet::SampleVolume(int stage, TQuad u, TQuad v, TQuad w) const
{
    return {};
}

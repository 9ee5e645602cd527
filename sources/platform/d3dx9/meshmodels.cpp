// The mesh models: unlit textured, lit by one directional light with ambient, depth only, and
// the fallback that stands in for models the layer does not have.
#include "platform/d3dx9/shadingmodels.h"

#include <cmath>

using namespace ShadingModel;

namespace
{
void MeshVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f, output.position);
    ColourAndTexture(input, output);
}

void MeshLitVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    MeshVertex(input, constants, output);
    const float* n = input.Attribute(D3DDECLUSAGE_NORMAL);
    const float(*world)[4] = constants.f + 4;
    for (int i = 0; i < 3; ++i)
        output.varying[2][i] = n[0] * world[i][0] + n[1] * world[i][1] + n[2] * world[i][2];
    output.varying[2][3] = 0.0f;
}

void MeshPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = Texture0(input) * Constant(input, 0);
}

void MeshLitPixel(const TPixelInput& input, TPixelOutput& output)
{
    const TQuadVector& n = input.varying[2];
    const TQuadVector direction = Constant(input, 0);
    const TQuadVector light = Constant(input, 1);
    const TQuadVector ambient = Constant(input, 2);
    const TQuad length = Sqrt(Max(Dot3(n, n), 1e-12f));
    const TQuad facing = Max(-Dot3(n, direction) / length, 0.0f);
    const TQuadVector texel = Texture0(input);
    output.colour[0] = {texel.x * (ambient.x + light.x * facing), texel.y * (ambient.y + light.y * facing),
                        texel.z * (ambient.z + light.z * facing), texel.w};
}

void DepthPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = {input.depth, input.depth, input.depth, 1.0f};
}

void FallbackPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = Texture0(input) * Constant(input, 0) * input.varying[0];
}

const TVertexModelRegistration kMesh("mesh", MeshVertex, 2);
const TPixelModelRegistration kMeshPixel("mesh", MeshPixel);
const TVertexModelRegistration kMeshLit("meshlit", MeshLitVertex, 3);
const TPixelModelRegistration kMeshLitPixel("meshlit", MeshLitPixel);
const TVertexModelRegistration kDepth("depth", MeshVertex, 2);
const TPixelModelRegistration kDepthPixel("depth", DepthPixel);
const TVertexModelRegistration kFallback(kFallbackShadingModel, MeshVertex, 2);
const TPixelModelRegistration kFallbackPixel(kFallbackShadingModel, FallbackPixel);
} // namespace

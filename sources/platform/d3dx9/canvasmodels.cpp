// The canvas and text models: 2D positions scaled into clip space, 3D positions through a
// view-projection matrix; colours from the vertex, a constant and (textured) sampler 0.
#include "platform/d3dx9/shadingmodels.h"

using namespace ShadingModel;

namespace
{
void Canvas2DVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* position = constants.f[0];
    const float* uv = constants.f[1];
    output.position[0] = 2.0f * (p[0] * position[0] + position[1]);
    output.position[1] = 2.0f * (p[1] * position[2] + position[3]);
    output.position[2] = p[2];
    output.position[3] = 1.0f;
    ColourAndTexture(input, output);
    output.varying[1][0] = output.varying[1][0] * uv[0] + uv[1];
    output.varying[1][1] = output.varying[1][1] * uv[2] + uv[3];
}

void Canvas3DVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f, output.position);
    ColourAndTexture(input, output);
}

void VertexColourPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = input.varying[0] * Constant(input, 0);
}

void TexturedPixel(const TPixelInput& input, TPixelOutput& output)
{
    output.colour[0] = Texture0(input) * input.varying[0] * Constant(input, 0);
}

void GlyphPixel(const TPixelInput& input, TPixelOutput& output)
{
    TQuadVector colour = input.varying[0] * Constant(input, 0);
    colour.w = colour.w * Texture0(input).w;
    output.colour[0] = colour;
}

const TVertexModelRegistration kCanvas2D("canvas2d", Canvas2DVertex, 2);
const TVertexModelRegistration kCanvas3D("canvas3d", Canvas3DVertex, 2);
const TPixelModelRegistration kCanvas2DPixel("canvas2d", TexturedPixel);
const TPixelModelRegistration kCanvas3DPixel("canvas3d", TexturedPixel);
const TPixelModelRegistration kVertexColour("vertexcolour", VertexColourPixel);
const TPixelModelRegistration kTextured("textured", TexturedPixel);
const TPixelModelRegistration kGlyph("glyph", GlyphPixel);
} // namespace

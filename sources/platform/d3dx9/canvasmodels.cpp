// The canvas and text models: 2D positions scaled into clip space, 3D positions through a
// view-projection matrix; colours from the vertex, a constant and (textured) sampler 0.
#include "platform/d3d9/pixelmodel.h"
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

struct TVertexColourPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(kColourVarying), .constants = 1};
    template <class Quad> static auto Shade(const Quad& in) { return in.Varying(kColourVarying) * in.Constant(0); }
};

struct TTexturedPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kColourVarying), .constants = 1, .textures = {{0, kTextureVarying}}};
    // White and unscaled, the texel itself.
    typedef TTexturePixel<kTextureVarying> TUnitForm;
    template <class Quad> static auto Shade(const Quad& in)
    {
        return in.Texture(0) * in.Varying(kColourVarying) * in.Constant(0);
    }
};

struct TGlyphPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kColourVarying), .constants = 1, .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        auto colour = in.Varying(kColourVarying) * in.Constant(0);
        colour.w = colour.w * in.Texture(0).w;
        return colour;
    }
};

const TVertexModelRegistration kCanvas2D("canvas2d", Canvas2DVertex, 2);
const TVertexModelRegistration kCanvas3D("canvas3d", Canvas3DVertex, 2);
const TPixelModelRegistration kCanvas2DPixel("canvas2d", PixelModelType<TTexturedPixel>());
const TPixelModelRegistration kCanvas3DPixel("canvas3d", PixelModelType<TTexturedPixel>());
const TPixelModelRegistration kVertexColour("vertexcolour", PixelModelType<TVertexColourPixel>());
const TPixelModelRegistration kTextured("textured", PixelModelType<TTexturedPixel>());
const TPixelModelRegistration kGlyph("glyph", PixelModelType<TGlyphPixel>());
} // namespace

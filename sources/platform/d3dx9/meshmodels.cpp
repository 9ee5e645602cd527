// The mesh models: unlit textured, lit by one directional light with ambient, depth only, and
// the fallback that stands in for models the layer does not have.
#include "platform/d3d9/pixelmodel.h"
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

struct TMeshPixel
{
    static constexpr TModelInputs kInputs = {.constants = 1, .textures = {{0, kTextureVarying}}};
    typedef TTexturePixel<kTextureVarying> TUnitForm;
    template <class Quad> static auto Shade(const Quad& in) { return in.Texture(0) * in.Constant(0); }
};

// Lit by c0 direction, c1 light colour and c2 ambient colour.
struct TMeshLitPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kNormalVarying), .constants = 3, .textures = {{0, kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> n = in.Varying(kNormalVarying);
        const TLaneVector<L>& direction = in.Constant(0);
        const TLaneVector<L>& light = in.Constant(1);
        const TLaneVector<L>& ambient = in.Constant(2);
        const L length = Sqrt(Max(Dot3(n, n), L(1e-12f)));
        const L facing = Max(-Dot3(n, direction) / length, L(0.0f));
        const auto texel = in.Texture(0);
        return TLaneVector<L>{texel.x * (ambient.x + light.x * facing), texel.y * (ambient.y + light.y * facing),
                              texel.z * (ambient.z + light.z * facing), texel.w};
    }
};

struct TDepthPixel
{
    static constexpr TModelInputs kInputs = {.depth = true};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L depth = in.Depth();
        return TLaneVector<L>{depth, depth, depth, L(1.0f)};
    }
};

struct TFallbackPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kColourVarying), .constants = 1, .textures = {{0, kTextureVarying}}};
    typedef TTexturePixel<kTextureVarying> TUnitForm;
    template <class Quad> static auto Shade(const Quad& in)
    {
        return in.Texture(0) * in.Constant(0) * in.Varying(kColourVarying);
    }
};

const TVertexModelRegistration kMesh("mesh", MeshVertex, 2);
const TPixelModelRegistration kMeshPixel("mesh", PixelModelType<TMeshPixel>());
const TVertexModelRegistration kMeshLit("meshlit", MeshLitVertex, 3);
const TPixelModelRegistration kMeshLitPixel("meshlit", PixelModelType<TMeshLitPixel>());
const TVertexModelRegistration kDepth("depth", MeshVertex, 2);
const TPixelModelRegistration kDepthPixel("depth", PixelModelType<TDepthPixel>());
const TVertexModelRegistration kFallback(kFallbackShadingModel, MeshVertex, 2);
const TPixelModelRegistration kFallbackPixel(kFallbackShadingModel, PixelModelType<TFallbackPixel>());
} // namespace

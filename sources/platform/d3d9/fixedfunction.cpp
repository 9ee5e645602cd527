// The shading models the device uses when no vertex or pixel shader is set: a reduced fixed
// function. Vertices are transformed by world x view x projection (constants 0-3) and pass
// their diffuse colour (varying 0) and first texture coordinates (varying 1); lighting is not
// computed. Pixels combine the diffuse colour with the texture of stage 0 by its colour and
// alpha operation (constant 5: colour op, alpha op, texture bound).
#include "platform/d3d9/pixelmodel.h"

namespace
{
void FixedVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    for (int row = 0; row < 4; ++row)
    {
        const float* m = constants.f[row];
        output.position[row] = p[0] * m[0] + p[1] * m[1] + p[2] * m[2] + p[3] * m[3];
    }
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const bool hasColour = input.registerOf[D3DDECLUSAGE_COLOR * 16] >= 0;
    for (int c = 0; c < 4; ++c)
        output.varying[0][c] = hasColour ? colour[c] : 1.0f;
    const float* uv = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    for (int c = 0; c < 4; ++c)
        output.varying[1][c] = uv[c];
}

template <class L> L Combine(DWORD op, const L& texture, const L& diffuse)
{
    switch (op)
    {
    case D3DTOP_SELECTARG1:
        return texture;
    case D3DTOP_SELECTARG2:
    case D3DTOP_DISABLE:
        return diffuse;
    case D3DTOP_ADD:
        return Saturate(texture + diffuse);
    case D3DTOP_MODULATE2X:
        return Saturate(texture * diffuse * L(2.0f));
    default:
        return texture * diffuse;
    }
}

struct TFixedPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(0), .constants = 6, .textures = {{0, 1}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> diffuse = in.Varying(0);
        TLaneVector<L> texel = {L(1.0f), L(1.0f), L(1.0f), L(1.0f)};
        if (in.ConstantValue(5, 2) != 0.0f)
            texel = in.Texture(0);
        const DWORD colourOp = DWORD(in.ConstantValue(5, 0)), alphaOp = DWORD(in.ConstantValue(5, 1));
        return TLaneVector<L>{Combine(colourOp, texel.x, diffuse.x), Combine(colourOp, texel.y, diffuse.y),
                              Combine(colourOp, texel.z, diffuse.z), Combine(alphaOp, texel.w, diffuse.w)};
    }
};

const TVertexModelRegistration kVertex("fixed-function", FixedVertex, 2);
const TPixelModelRegistration kPixel("fixed-function", PixelModelType<TFixedPixel>());
} // namespace

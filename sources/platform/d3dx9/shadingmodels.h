#pragma once
// The shading models effects of the engine's own data name, registered with the software
// device (platform/d3d9/shadingmodel.h). A model is a vertex function and a pixel model type
// (platform/d3d9/pixelmodel.h) registered under one name: adding one is a vertex function, a
// small type and two registration lines.
//
// Matrices arrive by columns (see the effect's constant bindings), four registers each.
// Varyings: 0 the vertex colour (white when the vertex has none), 1 the first texture
// coordinates, 2 the world normal.
//
// model         vertex constants                         pixel constants
// canvas2d      c0 position scale and offset {sx, ox,     c0 colour; textured from sampler 0
//               sy, oy}: clip = 2 (p x s + o); c1 uv
//               scale and offset {su, ou, sv, ov}
// canvas3d      c0-c3 view x projection                  c0 colour; textured from sampler 0
// vertexcolour  (pixel only)                             c0 colour x vertex colour
// textured      (pixel only)                             sampler 0 x vertex colour x c0
// glyph         (pixel only)                             vertex colour x c0, alpha x sampler 0
//                                                        alpha (glyph coverage)
// mesh          c0-c3 world x view x projection          sampler 0 x c0 (unlit)
// meshlit       c0-c3 world x view x projection, c4-c7   sampler 0 x (c2 ambient + c1 light
//               world                                    colour x max(0, n . -c0 direction))
// depth         c0-c3 world x view x projection          the depth in red, green and blue
// fallback      c0-c3 world x view x projection          sampler 0 x c0 x vertex colour
// objectmesh    c0-c3 view x projection, c4-c7 world     (vertex only)
// instancedmesh c0-c3 view x projection, c4-c195 the     (vertex only); the vertex colour
//               48 instance matrices, c196-c243 their    times the instance's colour
//               colours; the instance is the first
//               blend index
// skinnedmesh   c0-c3 view x projection, c4-c243 the     (vertex only)
//               60 palette matrices, blended by up to
//               four blend indices and weights
// texturestages as objectmesh; varying 2 the second     sampler 0 x sampler 1 (at the second
//               texture coordinates (else the first)     coordinates) x vertex colour x c0
// forwardlit, forwarddirectional, forwardspot: the forward renderer's lit meshes (forwardlit.h)
// forwardimposter c0-c3 view x projection, c4 the     (vertex only) the imposter's square,
//               cell size, c5-c127 the imposter data  its colour lit by the sun
//
// The fallback stands in, with one log line, for a model an effect names that is not here.
#include "platform/d3d9/shadingmodel.h"

constexpr const char* kFallbackShadingModel = "fallback";
// The instances of one batch and the bones of one skinning palette the models hold.
constexpr int kInstanceCapacity = 48;
constexpr int kPaletteCapacity = 60;

// Shared pieces of the models.
namespace ShadingModel
{
// The varyings the vertex models write.
constexpr int kColourVarying = 0;
constexpr int kTextureVarying = 1;
constexpr int kNormalVarying = 2;

// The point (x, y, z, 1) times the matrix held by columns in four registers.
inline void Transform(const float* point, const float (*columns)[4], float* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] =
            point[0] * columns[i][0] + point[1] * columns[i][1] + point[2] * columns[i][2] + columns[i][3];
}

inline void CopyVector(const float* from, float* to)
{
    for (int i = 0; i < 4; ++i)
        to[i] = from[i];
}

// Varyings 0 and 1: the vertex colour (white without one) and the first texture coordinates.
inline void ColourAndTexture(const TVertexInput& input, TVertexOutput& output)
{
    static const float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const bool hasColour = input.registerOf[D3DDECLUSAGE_COLOR * 16] >= 0;
    CopyVector(hasColour ? input.Attribute(D3DDECLUSAGE_COLOR) : kWhite, output.varying[0]);
    CopyVector(input.Attribute(D3DDECLUSAGE_TEXCOORD), output.varying[1]);
}
} // namespace ShadingModel

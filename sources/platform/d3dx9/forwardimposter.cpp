// The forward renderer's imposters: each imposter's six packed vertices (engine/render/
// impostervertex.h) become an upright square turned by its heading, as tall as its size, standing
// on its position; the texture times the vertex colour lit by the sun.
//
// Vertex constants: c0-c3 view x projection (TFinalMatrix), c4 the cell size the positions are
// packed in (ImposterCell), c5-c127 the imposter data parameters (TImposterDataParameters): three
// for each of the first 40 imposter types (the first's x and y: where the type's column of the
// shared texture starts across it and how wide it is; a width of 0 takes the whole texture), then
// the sun's colour. The pixel model ("textured") takes texture 0 times that.
#include "platform/d3dx9/shadingmodels.h"

#include <cmath>

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;
constexpr int kCell = 4;
constexpr int kTypes = 5;
constexpr int kTypeCount = 40;
constexpr int kSunColour = kTypes + 120;
// The packed angle and size scales.
constexpr float kAngle = 6.2831853f / 255.0f;
constexpr float kSize = 1.0f / 50.0f;
constexpr float kAmbient = 0.4f;
// The two triangles' corners: across (-0.5 .. 0.5) and up (0 .. 1).
constexpr float kCorner[6][2] = {{-0.5f, 0.0f}, {0.5f, 0.0f}, {0.5f, 1.0f}, {-0.5f, 0.0f}, {0.5f, 1.0f}, {-0.5f, 1.0f}};

void ForwardImposterVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* packed = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* shape = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    const float* cell = constants.f[kCell];
    const int index = static_cast<int>(packed[3]) % 6;
    const float across = kCorner[index][0], up = kCorner[index][1];
    const float heading = shape[1] * kAngle;
    const float size = shape[2] * kSize;
    const float world[4] = {packed[0] * cell[0] + std::cos(heading) * across * size, packed[1] * cell[1] + up * size,
                            packed[2] * cell[2] - std::sin(heading) * across * size, 1.0f};
    Transform(world, constants.f + kFinal, output.position);
    const float* colour = input.Attribute(D3DDECLUSAGE_COLOR);
    const float* sun = constants.f[kSunColour];
    for (int c = 0; c < 3; ++c)
        output.varying[0][c] = colour[c] * (kAmbient + (1.0f - kAmbient) * sun[c]);
    output.varying[0][3] = colour[3];
    // The imposter's type is its packed data byte.
    const int type = static_cast<int>(shape[3]);
    const float* column = constants.f[kTypes + 3 * (type < kTypeCount ? type : 0)];
    const bool own = type < kTypeCount && column[1] != 0.0f;
    output.varying[1][0] = own ? column[0] + (across + 0.5f) * column[1] : across + 0.5f;
    output.varying[1][1] = 1.0f - up;
    output.varying[1][2] = 0.0f;
    output.varying[1][3] = 1.0f;
}

const TVertexModelRegistration kForwardImposter("forwardimposter", ForwardImposterVertex, 2);
} // namespace

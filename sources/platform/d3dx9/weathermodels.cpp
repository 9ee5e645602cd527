// The weather particles' vertex model ("weatherparticle", the "weather" layout: a place in the
// 60-unit volume and two corner codes), drawn with the "particle" pixel model (slot 0 times the
// colour). Constants c0-c19 are the weather's vectors (TShaderWeatherSettings): c0-c3 view x
// projection and c8-c11 world to occlusion box (rows), c12 the layer's offset, c13 its motion
// this frame, c14 its opacity, c15 the eye, c16 {width, streak scale}, c17 the light colour, c18
// the eye's Z axis x 18. Each particle is placed in the volume about a point 30 units ahead of
// the eye, fixed in the world as the eye moves (the offset carries the eye), grown into a streak
// along its motion facing the eye, and dropped inside the occlusion box.
#include "platform/d3dx9/shadingmodels.h"

#include <cmath>

namespace
{
constexpr int kViewProjection = 0;
constexpr int kOcclusion = 8;
constexpr int kOffset = 12;
constexpr int kMotion = 13;
constexpr int kOpacity = 14;
constexpr int kEye = 15;
constexpr int kScales = 16;
constexpr int kLight = 17;
constexpr int kAhead = 18;
constexpr float kCell = 60.0f;
constexpr float kHalfCell = 30.0f;
// Vector 18 is the Z axis times 18; the volume's centre lies 30 ahead.
constexpr float kAheadShare = 30.0f / 18.0f;
constexpr float kHalfWidth = 0.5f;

// x modulo the cell, in [0, 60). A place and an offset each lie in [0, 60): one subtraction,
// exact as the remainder is, spares a library call per coordinate.
float Wrap(float x)
{
    if (x >= 0.0f && x < 2.0f * kCell)
        return x < kCell ? x : x - kCell;
    const float wrapped = std::fmod(x, kCell);
    return wrapped < 0.0f ? wrapped + kCell : wrapped;
}

// The point times the matrix of four row registers.
void ByRows(const float* p, const float (*rows)[4], float* out)
{
    for (int i = 0; i < 4; ++i)
        out[i] = p[0] * rows[0][i] + p[1] * rows[1][i] + p[2] * rows[2][i] + rows[3][i];
}

void WeatherVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float(*c)[4] = constants.f;
    const float* p = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* corner = input.Attribute(D3DDECLUSAGE_TEXCOORD);
    float world[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 3; ++i)
    {
        const float centre = c[kEye][i] + c[kAhead][i] * kAheadShare;
        world[i] = centre + kHalfCell - Wrap(p[i] + c[kOffset][i]);
    }
    // The streak: along the motion (at least as long as wide), across it facing the eye.
    const float width = c[kScales][0] * kHalfWidth;
    float along[3] = {-c[kMotion][0] * c[kScales][1], -c[kMotion][1] * c[kScales][1], -c[kMotion][2] * c[kScales][1]};
    float length = std::sqrt(along[0] * along[0] + along[1] * along[1] + along[2] * along[2]);
    if (length < width)
    {
        along[0] = 0.0f;
        along[1] = width;
        along[2] = 0.0f;
        length = width;
    }
    const float view[3] = {world[0] - c[kEye][0], world[1] - c[kEye][1], world[2] - c[kEye][2]};
    float side[3] = {along[1] * view[2] - along[2] * view[1], along[2] * view[0] - along[0] * view[2],
                     along[0] * view[1] - along[1] * view[0]};
    const float sideLength = std::sqrt(side[0] * side[0] + side[1] * side[1] + side[2] * side[2]);
    const float across = sideLength > 0.0f ? width / sideLength : 0.0f;
    const float u = corner[0] * 2.0f - 1.0f, v = corner[1];
    for (int i = 0; i < 3; ++i)
        world[i] += side[i] * across * u + along[i] * v;
    float box[4];
    ByRows(world, c + kOcclusion, box);
    ByRows(world, c + kViewProjection, output.position);
    // Inside the box nothing falls: the corner goes behind the near plane.
    if (std::fabs(box[0]) < 1.0f && std::fabs(box[1]) < 1.0f && std::fabs(box[2]) < 1.0f)
        output.position[2] = -output.position[3];
    // The light's colour, the layer's opacity as alpha.
    for (int i = 0; i < 3; ++i)
        output.varying[ShadingModel::kColourVarying][i] = c[kLight][i];
    output.varying[ShadingModel::kColourVarying][3] = c[kOpacity][3];
    output.varying[ShadingModel::kTextureVarying][0] = corner[0];
    output.varying[ShadingModel::kTextureVarying][1] = corner[1];
    output.varying[ShadingModel::kTextureVarying][2] = 0.0f;
    output.varying[ShadingModel::kTextureVarying][3] = 0.0f;
}

const TVertexModelRegistration kWeather("weatherparticle", WeatherVertex, 2);
} // namespace

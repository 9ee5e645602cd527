// The vertex model of the forward renderer's lit meshes (forwardlit.h).
#include "platform/d3dx9/forwardlit.h"

#include <cmath>

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;
constexpr int kWorld = 4;

void ForwardLitVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    float* world = output.varying[ForwardLit::kPositionVarying];
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f + kWorld, world);
    world[3] = 1.0f;
    Transform(world, constants.f + kFinal, output.position);
    ColourAndTexture(input, output);

    // The normal turned by the world matrix and made unit length; none stays (0, 0, 0).
    const float* n = input.Attribute(D3DDECLUSAGE_NORMAL);
    const bool hasNormal = input.registerOf[D3DDECLUSAGE_NORMAL * 16] >= 0;
    const float(*columns)[4] = constants.f + kWorld;
    float* normal = output.varying[ForwardLit::kNormalVarying];
    for (int i = 0; i < 3; ++i)
        normal[i] = hasNormal ? n[0] * columns[i][0] + n[1] * columns[i][1] + n[2] * columns[i][2] : 0.0f;
    const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    const float unit = length > 0.0f ? 1.0f / length : 0.0f;
    for (int i = 0; i < 3; ++i)
        normal[i] *= unit;
    normal[3] = hasNormal ? 1.0f : 0.0f;

    float* reflection = output.varying[ForwardLit::kReflectionVarying];
    reflection[0] = 0.5f + normal[0] * 0.5f;
    reflection[1] = 0.5f - normal[2] * 0.5f;
    reflection[2] = 0.0f;
    reflection[3] = 1.0f;
}

const TVertexModelRegistration kForwardLit("forwardlit", ForwardLitVertex, ForwardLit::kVaryingCount);
} // namespace

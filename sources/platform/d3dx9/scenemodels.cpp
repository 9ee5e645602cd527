// The models of the scene's meshes: an object placed by its world matrix, copies of one mesh
// placed by per-instance matrices, skinned vertices blended over a bone palette, and two texture
// stages multiplied together.
#include "platform/d3d9/pixelmodel.h"
#include "platform/d3dx9/shadingmodels.h"

#include <algorithm>

using namespace ShadingModel;

namespace
{
constexpr int kFinal = 0;          // c0-c3: the camera's view x projection
constexpr int kObjectMatrix = 4;   // c4-c7: the object's world matrix
constexpr int kInstances = 4;      // c4-c195: the batch's instance matrices
constexpr int kInstanceColours = kInstances + 4 * kInstanceCapacity;
constexpr int kPalette = 4;        // c4-c243: the skinning palette

// The world point through the camera; the world point is affine (w = 1).
void ToClip(const float* world, const TShaderConstants& constants, TVertexOutput& output)
{
    Transform(world, constants.f + kFinal, output.position);
}

int Index(float value, int count)
{
    return std::clamp(static_cast<int>(value + 0.5f), 0, count - 1);
}

void ObjectVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    float world[4];
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f + kObjectMatrix, world);
    ToClip(world, constants, output);
    ColourAndTexture(input, output);
}

// The copy a vertex belongs to is the first of its blend indices.
void InstancedVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const int instance = Index(input.Attribute(D3DDECLUSAGE_BLENDINDICES)[0], kInstanceCapacity);
    float world[4];
    Transform(input.Attribute(D3DDECLUSAGE_POSITION), constants.f + kInstances + 4 * instance, world);
    ToClip(world, constants, output);
    ColourAndTexture(input, output);
    const float* colour = constants.f[kInstanceColours + instance];
    for (int i = 0; i < 4; ++i)
        output.varying[0][i] *= colour[i];
}

// Up to four bones, each weighted; the palette places the vertex in the world.
void SkinnedVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    const float* position = input.Attribute(D3DDECLUSAGE_POSITION);
    const float* bones = input.Attribute(D3DDECLUSAGE_BLENDINDICES);
    const float* weights = input.Attribute(D3DDECLUSAGE_BLENDWEIGHT);
    float world[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    for (int b = 0; b < 4; ++b)
    {
        if (weights[b] == 0.0f)
            continue;
        float placed[4];
        Transform(position, constants.f + kPalette + 4 * Index(bones[b], kPaletteCapacity), placed);
        for (int i = 0; i < 4; ++i)
            world[i] += weights[b] * placed[i];
    }
    world[3] = 1.0f;
    ToClip(world, constants, output);
    ColourAndTexture(input, output);
}

// Varying 2: the second texture coordinates, the first ones when the vertex has no second.
void StagesVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    ObjectVertex(input, constants, output);
    const bool second = input.registerOf[D3DDECLUSAGE_TEXCOORD * 16 + 1] >= 0;
    CopyVector(input.Attribute(D3DDECLUSAGE_TEXCOORD, second ? 1 : 0), output.varying[2]);
}

// Varying 2 holds the second texture coordinates.
struct TStagesPixel
{
    static constexpr TModelInputs kInputs = {
        .varyings = Varyings(kColourVarying), .constants = 1, .textures = {{0, kTextureVarying}, {1, 2}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        return in.Texture(0) * in.Texture(1) * in.Varying(kColourVarying) * in.Constant(0);
    }
};

const TVertexModelRegistration kObject("objectmesh", ObjectVertex, 2);
const TVertexModelRegistration kInstanced("instancedmesh", InstancedVertex, 2);
const TVertexModelRegistration kSkinned("skinnedmesh", SkinnedVertex, 2);
const TVertexModelRegistration kStages("texturestages", StagesVertex, 3);
const TPixelModelRegistration kStagesPixel("texturestages", PixelModelType<TStagesPixel>());
} // namespace

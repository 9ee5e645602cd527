// The vegetation's plant meshes ("vegetation" layout: position, normal, texture coordinates, and
// the vertex's cell of the ground grid under its mesh as a second coordinate). Each pass's model
// is the pass's own vertex model for ordinary meshes, with two changes:
// - the vertex stands on the ground: the grid value of its cell (how far the ground lies below the
//   mesh's box, c22-c37: TVegetationHeightMap) is taken off its world height;
// - its colour is the vertex colour times the instance colour (c16: the material's vector 4, of
//   TObjectMeshSettings at c12), whose alpha is the plant's fade.
// The pixels are the pass's own models; the effects alpha-test the faded colour.
//
// vegetationgbuffer     as gbuffer (c0-c3 view x projection, c4-c7 world, c8-c11 the view)
// vegetationforward     as forwardlit (c0-c3 view x projection, c4-c7 world)
// vegetationshadow      as objectmesh (c0-c3 the light's projection, c4-c7 world)
#include "platform/d3dx9/shadingmodels.h"

#include <algorithm>
#include <cstring>

using namespace ShadingModel;

namespace
{
constexpr int kWorld = 4;
// The registers the ordinary models read: the vegetation models hand them a copy whose world
// matrix is lifted.
constexpr int kBaseRegisters = 12;
constexpr int kInstanceColour = 16;
constexpr int kHeights = 22;
constexpr int kHeightCells = 64;

// The ground grid's value for the vertex's cell (a cell outside the grid takes the nearest).
float GroundOffset(const TVertexInput& input, const TShaderConstants& constants)
{
    const float cell = input.Attribute(D3DDECLUSAGE_TEXCOORD, 1)[0];
    // Not a number counts as the first cell.
    const int index = cell > 0.0f ? static_cast<int>(std::min(cell + 0.5f, float(kHeightCells - 1))) : 0;
    return constants.f[kHeights + index / 4][index % 4];
}

// The ordinary model's vertex, lowered onto the ground and coloured by its instance.
void Plant(TVertexFunction ordinary, const TVertexInput& input, const TShaderConstants& constants,
           TVertexOutput& output)
{
    float registers[kBaseRegisters][4];
    std::memcpy(registers, constants.f, sizeof registers);
    // The world matrix by columns: the second column's w is the height it adds.
    registers[kWorld + 1][3] -= GroundOffset(input, constants);
    const TShaderConstants lifted = {registers, constants.i, constants.b};
    ordinary(input, lifted, output);
    const float* colour = constants.f[kInstanceColour];
    for (int c = 0; c < 4; ++c)
        output.varying[kColourVarying][c] *= colour[c];
}

// The ordinary models are found by name once, after every registration has run.
TVertexFunction Ordinary(const char* name)
{
    const TVertexModel* model = FindVertexModel(name);
    return model ? model->function : nullptr;
}

void VegetationGBufferVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    static const TVertexFunction s_Ordinary = Ordinary("gbuffer");
    Plant(s_Ordinary, input, constants, output);
}

void VegetationForwardVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    static const TVertexFunction s_Ordinary = Ordinary("forwardlit");
    Plant(s_Ordinary, input, constants, output);
}

void VegetationShadowVertex(const TVertexInput& input, const TShaderConstants& constants, TVertexOutput& output)
{
    static const TVertexFunction s_Ordinary = Ordinary("objectmesh");
    Plant(s_Ordinary, input, constants, output);
}

const TVertexModelRegistration kVegetationGBuffer("vegetationgbuffer", VegetationGBufferVertex, 4);
const TVertexModelRegistration kVegetationForward("vegetationforward", VegetationForwardVertex, 5);
const TVertexModelRegistration kVegetationShadow("vegetationshadow", VegetationShadowVertex, 2);
} // namespace

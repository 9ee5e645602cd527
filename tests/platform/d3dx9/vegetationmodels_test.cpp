// The plant meshes' vertex models: each pass's ordinary model with the vertex lowered by its
// ground cell and coloured by the instance, whatever cell a damaged mesh names.
#include "platform/d3d9/shadingmodel.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace
{
constexpr int kInstanceColour = 16;
constexpr int kHeights = 22;

// One vertex at (1, 3, 1) with a normal, texture coordinates and its ground cell; identity
// matrices but for the world's translation by (10, 0, 0); the ground 2 below cell 9, 5 below
// cell 63, 7 below cell 0.
class PlantVertex
{
public:
    PlantVertex()
    {
        registerOf.assign(D3DDECLUSAGE_COUNT * 16, -1);
        const int usages[4][2] = {
            {D3DDECLUSAGE_POSITION, 0}, {D3DDECLUSAGE_NORMAL, 0}, {D3DDECLUSAGE_TEXCOORD, 0}, {D3DDECLUSAGE_TEXCOORD, 1}};
        for (int r = 0; r < 4; ++r)
            registerOf[usages[r][0] * 16 + usages[r][1]] = static_cast<signed char>(r);
        const float attributes[4][4] = {{1, 3, 1, 1}, {0, 0, 1, 0}, {0.25f, 0.75f, 0, 1}, {9, 0, 0, 1}};
        std::copy(&attributes[0][0], &attributes[0][0] + 16, &attribute[0][0]);
        for (int m = 0; m < 12; m += 4)
            for (int i = 0; i < 4; ++i)
                f[m + i][i] = 1.0f;
        f[4][3] = 10.0f;
        f[kInstanceColour][0] = 0.5f;
        f[kInstanceColour][1] = 1.0f;
        f[kInstanceColour][2] = 0.25f;
        f[kInstanceColour][3] = 0.75f;
        f[kHeights][0] = 7.0f;
        f[kHeights + 2][1] = 2.0f;
        f[kHeights + 15][3] = 5.0f;
    }

    TVertexOutput Shade(const char* model, float cell)
    {
        attribute[3][0] = cell;
        const TVertexModel* found = FindVertexModel(model);
        EXPECT_NE(found, nullptr) << model;
        TVertexInput input;
        input.registers = attribute;
        input.registerOf = registerOf.data();
        const TShaderConstants constants = {f, i, b};
        TVertexOutput output = {};
        if (found)
            found->function(input, constants, output);
        return output;
    }

    float attribute[4][4] = {};
    std::vector<signed char> registerOf;
    float f[kConstantRegisters][4] = {};
    int i[16][4] = {};
    BOOL b[16] = {};
};

TEST(VegetationModels, EachPassStandsThePlantOnItsCellAndColoursItByItsInstance)
{
    PlantVertex vertex;
    // G-buffer: the clip position and the camera-space position (varying 3) lowered by 2.
    TVertexOutput out = vertex.Shade("vegetationgbuffer", 9.0f);
    EXPECT_FLOAT_EQ(out.position[0], 11.0f);
    EXPECT_FLOAT_EQ(out.position[1], 1.0f);
    EXPECT_FLOAT_EQ(out.varying[3][1], 1.0f);
    // The vertex has no colour: white times the instance's, its alpha the fade.
    EXPECT_FLOAT_EQ(out.varying[0][0], 0.5f);
    EXPECT_FLOAT_EQ(out.varying[0][2], 0.25f);
    EXPECT_FLOAT_EQ(out.varying[0][3], 0.75f);
    EXPECT_FLOAT_EQ(out.varying[1][1], 0.75f);
    // The normal is turned as the ordinary model turns it.
    EXPECT_FLOAT_EQ(out.varying[2][2], 1.0f);
    // The constants are the caller's: a second vertex is lowered once, not twice.
    EXPECT_FLOAT_EQ(vertex.f[5][3], 0.0f);
    EXPECT_FLOAT_EQ(vertex.Shade("vegetationgbuffer", 9.0f).position[1], 1.0f);

    // Forward: the world position (varying 3) lowered alike.
    out = vertex.Shade("vegetationforward", 9.0f);
    EXPECT_FLOAT_EQ(out.position[1], 1.0f);
    EXPECT_FLOAT_EQ(out.varying[3][0], 11.0f);
    EXPECT_FLOAT_EQ(out.varying[3][1], 1.0f);
    EXPECT_FLOAT_EQ(out.varying[0][1], 1.0f);
    EXPECT_FLOAT_EQ(out.varying[0][3], 0.75f);

    // Shadow: the position through the light's projection.
    out = vertex.Shade("vegetationshadow", 9.0f);
    EXPECT_FLOAT_EQ(out.position[1], 1.0f);
    EXPECT_FLOAT_EQ(out.position[2], 1.0f);
}

TEST(VegetationModels, ACellOutsideTheGridTakesTheNearest)
{
    PlantVertex vertex;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // The last cell and the first beyond it; the first and those before it, and no number.
    const std::pair<float, float> cases[] = {{63.0f, -2.0f}, {64.0f, -2.0f}, {1e9f, -2.0f}, {0.0f, -4.0f},
                                             {-1.0f, -4.0f}, {-1e9f, -4.0f}, {nan, -4.0f}, {8.6f, 1.0f}};
    for (const auto& [cell, y] : cases)
        for (const char* model : {"vegetationgbuffer", "vegetationforward", "vegetationshadow"})
            EXPECT_FLOAT_EQ(vertex.Shade(model, cell).position[1], y) << model << " cell " << cell;
}
} // namespace

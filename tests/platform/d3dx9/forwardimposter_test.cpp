// The imposters' vertex model: each imposter type takes its column of the shared texture, the
// whole texture when its column has no width or its type lies beyond the table.
#include "platform/d3d9/shadingmodel.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kTypes = 5;

// The left (corner 0) and right (corner 1) texture coordinate across an imposter of the type.
std::pair<float, float> Across(const float (*f)[4], int type)
{
    std::vector<signed char> registerOf(D3DDECLUSAGE_COUNT * 16, -1);
    registerOf[D3DDECLUSAGE_POSITION * 16] = 0;
    registerOf[D3DDECLUSAGE_TEXCOORD * 16] = 1;
    registerOf[D3DDECLUSAGE_COLOR * 16] = 2;
    float u[2] = {};
    for (int corner = 0; corner < 2; ++corner)
    {
        const float attributes[3][4] = {{0, 0, 0, float(corner)}, {0, 0, 50, float(type)}, {1, 1, 1, 1}};
        TVertexInput input;
        input.registers = attributes;
        input.registerOf = registerOf.data();
        const int i[16][4] = {};
        const BOOL b[16] = {};
        const TShaderConstants constants = {f, i, b};
        TVertexOutput output = {};
        FindVertexModel("forwardimposter")->function(input, constants, output);
        u[corner] = output.varying[1][0];
    }
    return {u[0], u[1]};
}

TEST(ForwardImposterModel, EachTypeTakesItsColumnOfTheSharedTexture)
{
    ASSERT_NE(FindVertexModel("forwardimposter"), nullptr);
    static float f[kConstantRegisters][4] = {};
    // Type 1 the right half, type 39 (the last in the table) the second quarter, type 2 no width.
    f[kTypes + 3][0] = 0.5f;
    f[kTypes + 3][1] = 0.5f;
    f[kTypes + 3 * 39][0] = 0.25f;
    f[kTypes + 3 * 39][1] = 0.25f;
    f[kTypes + 3 * 2][0] = 0.75f;
    EXPECT_EQ(Across(f, 1), std::make_pair(0.5f, 1.0f));
    EXPECT_EQ(Across(f, 39), std::make_pair(0.25f, 0.5f));
    EXPECT_EQ(Across(f, 2), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(Across(f, 0), std::make_pair(0.0f, 1.0f));
    // Beyond the table (its registers hold other values): the whole texture.
    f[kTypes + 3 * 40][1] = 0.5f;
    EXPECT_EQ(Across(f, 40), std::make_pair(0.0f, 1.0f));
    EXPECT_EQ(Across(f, 255), std::make_pair(0.0f, 1.0f));
}
} // namespace

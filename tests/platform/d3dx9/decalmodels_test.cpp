// The decals' masked pixel model: slot 0's texture times the mask bound at slot 3 times the
// vertex colour.
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/shadingmodel.h"
#include "platform/d3d9/texturestore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>

namespace
{
std::unique_ptr<TTextureStore> OneTexel(std::uint32_t word)
{
    auto store = std::make_unique<TTextureStore>(D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, 1, 1, 1, 1, 1, false);
    std::memcpy(store->Image(0, 0).Row(0), &word, 4);
    return store;
}
} // namespace

TEST(DecalModelsTest, TheMaskAtStageThreeWeighsTheTexture)
{
    const TPixelModel* model = FindPixelModel("decalmask");
    ASSERT_NE(model, nullptr);
    const auto texture = OneTexel(0xFFFFFFFFu);
    const auto mask = OneTexel(0x80402010u);
    DWORD states[D3DSAMP_COUNT] = {};
    states[D3DSAMP_ADDRESSU] = states[D3DSAMP_ADDRESSV] = states[D3DSAMP_ADDRESSW] = D3DTADDRESS_CLAMP;
    states[D3DSAMP_MAGFILTER] = states[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    auto samplers = std::make_unique<TSamplerSet>();
    samplers->Bind(0, texture.get(), states, 0);
    samplers->Bind(3, mask.get(), states, 0);
    static const float kRegisters[kConstantRegisters][4] = {};
    const TShaderConstants constants = {kRegisters, nullptr, nullptr};
    TPixelInput input = {};
    input.varying[0] = {TQuad(1.0f), TQuad(1.0f), TQuad(1.0f), TQuad(1.0f)};
    input.varying[1] = {TQuad(0.5f), TQuad(0.5f), TQuad(0.0f), TQuad(1.0f)};
    input.constants = &constants;
    input.samplers = samplers.get();
    TPixelOutput output = {};
    model->function(input, output);
    const float expected[4] = {0x40 / 255.0f, 0x20 / 255.0f, 0x10 / 255.0f, 0x80 / 255.0f};
    const TQuadVector& colour = output.colour[0];
    for (int lane = 0; lane < 4; ++lane)
    {
        EXPECT_NEAR(colour.x[lane], expected[0], 1e-6f) << lane;
        EXPECT_NEAR(colour.y[lane], expected[1], 1e-6f) << lane;
        EXPECT_NEAR(colour.z[lane], expected[2], 1e-6f) << lane;
        EXPECT_NEAR(colour.w[lane], expected[3], 1e-6f) << lane;
    }
}

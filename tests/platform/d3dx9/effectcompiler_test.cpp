#include "platform/d3d9/d3d9types.h"
#include "platform/d3dx9/effectcompiler.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace
{
const char kCanvasEffect[] = R"(effect 1
// the textured canvas, alpha blended
parameter vector[3] ScreenMatrix shared
  annotation string plugin = "TScreenMatrix"
parameter vector CanvasColor shared = 1 1 1 1
parameter texture Color0 shared
  annotation string rid = "canvas_white"
  annotation int texturesampler = 0
  annotation float weight = 0.25
parameter matrix[2] Bones
parameter int[3] Flags = 1 -2 3
parameter float Alpha = 0.5

technique defaultshader
pass p0
  renderstate AlphaBlendEnable = true
  renderstate SrcBlend = SrcAlpha
  renderstate DestBlend = invsrcalpha
  renderstate ZFunc = 4
  renderstate PointSize = 2.5
  samplerstate 0 AddressU = Clamp
  texturestagestate 1 ColorOp = Modulate
  texture 0 Color0
  vertexshader canvas2d
  pixelshader textured
  vertexconstant 0 ScreenMatrix
  pixelconstant 0 CanvasColor
  transform World Bones0
  fvf 0x142
  npatchmode 3
  lightenable 2 = false
)";

std::string Compile(const std::string& text, TEffectDescription& description)
{
    std::string error;
    EXPECT_FALSE(TEffectCompiler::Compile(text.data(), text.size(), description, error));
    return error;
}

float Bits(DWORD word)
{
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}
} // namespace

TEST(EffectCompilerTest, ReadsParametersAnnotationsAndPassesInOrder)
{
    std::string text = kCanvasEffect;
    // "transform" needs a single matrix: give it one.
    text.insert(text.find("\ntechnique"), "\nparameter matrix Bones0");
    TEffectDescription description;
    std::string error;
    ASSERT_TRUE(TEffectCompiler::Compile(text.data(), text.size(), description, error)) << error;

    ASSERT_EQ(description.parameters.size(), 7u);
    const TEffectParameter& screen = description.parameters[0];
    EXPECT_EQ(screen.name, "ScreenMatrix");
    EXPECT_EQ(screen.type, EEffectValueType::Vector);
    EXPECT_EQ(screen.elements, 3u);
    EXPECT_TRUE(screen.shared);
    EXPECT_EQ(EffectParameterRegisters(screen), 3u);
    ASSERT_EQ(screen.annotations.size(), 1u);
    EXPECT_EQ(screen.annotations[0].text, "TScreenMatrix");

    const TEffectParameter& colour = description.parameters[1];
    ASSERT_EQ(colour.initial.size(), 4u);
    EXPECT_EQ(Bits(colour.initial[3]), 1.0f);

    const TEffectParameter& texture = description.parameters[2];
    EXPECT_EQ(texture.type, EEffectValueType::Texture);
    ASSERT_EQ(texture.annotations.size(), 3u);
    EXPECT_EQ(texture.annotations[0].type, EAnnotationType::String);
    EXPECT_EQ(texture.annotations[0].text, "canvas_white");
    EXPECT_EQ(texture.annotations[1].type, EAnnotationType::Int);
    EXPECT_EQ(texture.annotations[1].intValue, 0);
    EXPECT_EQ(texture.annotations[2].floatValue, 0.25f);

    EXPECT_EQ(EffectParameterRegisters(description.parameters[3]), 8u);
    EXPECT_EQ(EffectParameterWords(description.parameters[3]), 32u);
    EXPECT_EQ(INT(description.parameters[4].initial[1]), -2);
    EXPECT_EQ(Bits(description.parameters[5].initial[0]), 0.5f);

    ASSERT_EQ(description.techniques.size(), 1u);
    EXPECT_EQ(description.techniques[0].name, "defaultshader");
    ASSERT_EQ(description.techniques[0].passes.size(), 1u);
    const std::vector<TPassStatement>& s = description.techniques[0].passes[0].statements;
    ASSERT_EQ(s.size(), 16u);
    EXPECT_EQ(s[0].kind, EPassStatement::RenderState);
    EXPECT_EQ(s[0].state, DWORD(D3DRS_ALPHABLENDENABLE));
    EXPECT_EQ(s[0].value, 1u);
    EXPECT_EQ(s[1].value, DWORD(D3DBLEND_SRCALPHA));
    EXPECT_EQ(s[2].value, DWORD(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(s[3].value, DWORD(D3DCMP_LESSEQUAL));
    EXPECT_EQ(Bits(s[4].value), 2.5f);
    EXPECT_EQ(s[5].kind, EPassStatement::SamplerState);
    EXPECT_EQ(s[5].state, DWORD(D3DSAMP_ADDRESSU));
    EXPECT_EQ(s[5].value, DWORD(D3DTADDRESS_CLAMP));
    EXPECT_EQ(s[6].kind, EPassStatement::TextureStageState);
    EXPECT_EQ(s[6].index, 1u);
    EXPECT_EQ(s[6].value, DWORD(D3DTOP_MODULATE));
    EXPECT_EQ(s[7].kind, EPassStatement::Texture);
    EXPECT_EQ(s[7].parameter, 2);
    EXPECT_EQ(s[8].model, "canvas2d");
    EXPECT_EQ(s[9].kind, EPassStatement::PixelShader);
    EXPECT_EQ(s[10].kind, EPassStatement::VertexConstant);
    EXPECT_EQ(s[11].parameter, 1);
    EXPECT_EQ(s[12].state, DWORD(D3DTS_WORLD));
    EXPECT_EQ(s[13].value, 0x142u);
    EXPECT_EQ(s[14].floatValue, 3.0f);
    EXPECT_EQ(s[15].index, 2u);
    EXPECT_EQ(s[15].value, 0u);
    EXPECT_EQ(s[15].line, 32);
}

TEST(EffectCompilerTest, ErrorsNameTheLineAndTheReason)
{
    const struct
    {
        const char* text;
        const char* error;
    } kCases[] = {
        {"", "line 1: the description is empty"},
        {"// nothing\n\n", "line 1: the description is empty"},
        {"parameter float a", "line 1: the description must begin with 'effect 1'"},
        {"effect 2", "line 1: effect format version 2 is not supported"},
        {"effect 1\nparameter matrx m", "line 2: unknown parameter type 'matrx'"},
        {"effect 1\nparameter float[2] f", "line 2: a float parameter cannot be an array"},
        {"effect 1\nparameter vector[0] v", "line 2: 'vector[0]' has no valid element count"},
        {"effect 1\nparameter vector[513] v",
         "line 2: parameter 'v' is larger than the 512 constant registers"},
        {"effect 1\nparameter vector v = 1 2 3", "line 2: parameter 'v' needs 4 values, not 3"},
        {"effect 1\nparameter float f = abc", "line 2: 'abc' is not a number"},
        {"effect 1\nparameter float f = nan", "line 2: 'nan' is not a number"},
        {"effect 1\nparameter int i = 1.5", "line 2: '1.5' is not an integer"},
        {"effect 1\nparameter texture t = 1", "line 2: texture parameter 't' cannot have a value"},
        {"effect 1\nparameter float f\nparameter int f", "line 3: parameter 'f' is declared twice"},
        {"effect 1\nannotation int a = 1", "line 2: an annotation must follow its parameter"},
        {"effect 1\nparameter float f\n\nannotation string a = 1",
         "line 4: a string annotation takes a quoted value"},
        {"effect 1\nparameter float f\nannotation string a = \"open", "line 3: a string is not closed"},
        {"effect 1\npass p", "line 2: a pass must be inside a technique"},
        {"effect 1\ntechnique t\nrenderstate ZEnable = true", "line 3: 'renderstate' outside a pass"},
        {"effect 1\ntechnique t\npass p\nrenderstate ZEnabled = true", "line 4: unknown state 'ZEnabled'"},
        {"effect 1\ntechnique t\npass p\nrenderstate SrcBlend = Sometimes",
         "line 4: 'Sometimes' is not a value of state 'SrcBlend'"},
        {"effect 1\ntechnique t\npass p\nsamplerstate 16 AddressU = Wrap", "line 4: '16' is not a sampler"},
        {"effect 1\ntechnique t\npass p\ntexture 0 Missing", "line 4: unknown parameter 'Missing'"},
        {"effect 1\nparameter float f\ntechnique t\npass p\ntexture 0 f",
         "line 5: parameter 'f' is not a texture"},
        {"effect 1\nparameter matrix m\ntechnique t\npass p\nvertexconstant 510 m",
         "line 5: parameter 'm' does not fit from register 510"},
        {"effect 1\ntechnique t\npass p\nvertexshader", "line 4: 'vertexshader' takes 1 words, not 0"},
        {"effect 1\ntechnique t\npass p\nwobble 3", "line 4: unknown statement 'wobble'"},
        {"effect 1\ntechnique t\ntechnique t", "line 3: technique 't' is declared twice"},
        {"effect 1\nparameter vector[4] m\ntechnique t\npass p\nmaterial m",
         "line 5: parameter 'm' is not a vector[5]"},
        {"effect 1\nparameter vector[8] l\ntechnique t\npass p\nlight 8 l",
         "line 5: '8' is not a light (0 to 7)"},
    };
    for (const auto& c : kCases)
    {
        TEffectDescription description;
        const std::string error = Compile(c.text, description);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << "text: " << c.text << "\nerror: " << error;
        EXPECT_TRUE(description.parameters.empty());
    }
}

TEST(EffectCompilerTest, LimitsTakeTheirLastAndRefuseTheFirstPast)
{
    std::string most = "effect 1\n", tooMany;
    for (int i = 0; i < 1024; ++i)
        most += "parameter float p" + std::to_string(i) + "\n";
    tooMany = most + "parameter float p1024\n";
    const std::string pass = "effect 1\nparameter matrix m\ntechnique t\npass p\n";
    const struct
    {
        std::string text;
        bool accepted;
    } kCases[] = {
        {most, true},
        {tooMany, false},
        {pass + "vertexconstant 508 m", true},
        {pass + "vertexconstant 509 m", false},
        {pass + "samplerstate 15 AddressU = Wrap", true},
        {pass + "samplerstate 16 AddressU = Wrap", false},
        {"effect 1\nparameter float\tf = 1", true},
        {std::string("effect 1\nparameter float f\0 = 1", 30), false}, // not read past
        {"effect 1\n// \x7f, in a comment too\nparameter float f = 1", false},
    };
    for (const auto& c : kCases)
    {
        TEffectDescription description;
        std::string error;
        EXPECT_EQ(TEffectCompiler::Compile(c.text.data(), c.text.size(), description, error), c.accepted)
            << c.text.substr(c.text.size() - 30) << "\nerror: " << error;
    }
}

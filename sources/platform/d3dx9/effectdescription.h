#pragma once
// The in-memory form of one effect description, as the effect compiler builds it from the text
// that shader resources carry (see effectcompiler.h for the text itself).
#include "platform/windef/windef.h"

#include <string>
#include <vector>

enum class EEffectValueType
{
    Texture,
    Matrix,
    Vector,
    Int,
    Float,
};

enum class EAnnotationType
{
    String,
    Int,
    Float,
};

struct TEffectAnnotation
{
    std::string name;
    EAnnotationType type;
    std::string text;
    INT intValue = 0;
    float floatValue = 0.0f;
};

struct TEffectParameter
{
    std::string name;
    EEffectValueType type;
    UINT elements = 0; // 0: not an array
    bool shared = false;
    // The whole value, one 32-bit word per float (its bits) or int; empty: zeros.
    std::vector<DWORD> initial;
    std::vector<TEffectAnnotation> annotations;
    int line = 0; // of the description, for messages
};

// One statement of a pass. They are applied in the order the description lists them.
enum class EPassStatement
{
    RenderState,       // state = value
    SamplerState,      // index = sampler
    TextureStageState, // index = stage
    Texture,           // index = sampler, parameter = a texture parameter
    VertexShader,      // model
    PixelShader,       // model
    VertexConstant,    // index = first register, parameter
    PixelConstant,     // index = first register, parameter
    Transform,         // state = D3DTRANSFORMSTATETYPE, parameter = a matrix parameter
    Fvf,               // value
    NPatchMode,        // floatValue
    LightEnable,       // index = light, value = 0 or 1
    Material,          // parameter = a vector[5]: diffuse, ambient, specular, emissive, {power}
    Light,             // index = light, parameter = a vector[8]: {type, range, falloff}, diffuse,
                       // specular, ambient, position, direction, {attenuation 0-2}, {theta, phi}
};

struct TPassStatement
{
    explicit TPassStatement(EPassStatement statementKind) : kind(statementKind) {}

    EPassStatement kind;
    DWORD index = 0;
    DWORD state = 0;
    DWORD value = 0;
    float floatValue = 0.0f;
    int parameter = -1; // index into TEffectDescription::parameters
    std::string model;
    int line = 0; // of the description, for messages
};

struct TEffectPass
{
    std::string name;
    std::vector<TPassStatement> statements;
};

struct TEffectTechnique
{
    std::string name;
    std::vector<TEffectPass> passes;
};

struct TEffectDescription
{
    std::vector<TEffectParameter> parameters;
    std::vector<TEffectTechnique> techniques;
};

// Constant registers a value of the parameter's type fills (one per vector, four per matrix).
UINT EffectParameterRegisters(const TEffectParameter& parameter);
// Words the parameter's value holds (16 per matrix, 4 per vector, 1 per int or float).
UINT EffectParameterWords(const TEffectParameter& parameter);

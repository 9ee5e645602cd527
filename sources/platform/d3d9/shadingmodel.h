#pragma once
// The software device runs no shader bytecode. A vertex or pixel shader object names one of the
// shading models registered here by name: C++ functions that stand for the shaders. Models are
// registered from static initialisers (TVertexModelRegistration, TPixelModelRegistration) and
// selected with the function tokens that ShadingModelTokens writes, passed to
// CreateVertexShader / CreatePixelShader.
#include "platform/d3d9/d3d9types.h"
#include "platform/d3d9/quad.h"

#include <cstdint>

class TSamplerSet;

constexpr int kMaxVaryings = 12;
constexpr int kMaxRenderTargets = 4;
constexpr int kConstantRegisters = 512;

struct TShaderConstants
{
    const float (*f)[4]; // kConstantRegisters float registers
    const int (*i)[4];   // 16 integer registers
    const BOOL* b;       // 16 boolean registers
};

// The attributes of one vertex, fetched from the streams through the vertex declaration.
class TVertexInput
{
public:
    // The attribute of that usage and usage index as four floats; (0, 0, 0, 1) when the
    // declaration has none. Inline: every vertex model asks for a few per vertex.
    const float* Attribute(int usage, int index = 0) const
    {
        static constexpr float kDefault[4] = {0.0f, 0.0f, 0.0f, 1.0f};
        if (usage < 0 || usage >= int(D3DDECLUSAGE_COUNT) || index < 0 || index >= 16)
            return kDefault;
        const int slot = registerOf[usage * 16 + index];
        return slot < 0 ? kDefault : registers[slot];
    }

    const float (*registers)[4] = nullptr;   // one per declaration element, in order
    const signed char* registerOf = nullptr; // [usage * 16 + index] -> register, -1 when absent
};

// Laid out as the rasteriser keeps a shaded vertex, so that a model may write one in place.
struct TVertexOutput
{
    float position[4]; // clip space
    float pointSize;   // 0 takes D3DRS_POINTSIZE
    float varying[kMaxVaryings][4];
};

typedef void (*TVertexFunction)(const TVertexInput& input, const TShaderConstants& constants,
                                TVertexOutput& output);

struct TPixelInput
{
    TQuadVector varying[kMaxVaryings]; // perspective-correct interpolants
    TQuad x, y;                        // pixel centres
    TQuad depth;                       // window depth
    bool frontFace;
    const TShaderConstants* constants;
    const TSamplerSet* samplers;
};

struct TPixelOutput
{
    TQuadVector colour[kMaxRenderTargets];
    __m128 discard; // lanes set to all ones are discarded (clip / texkill)
};

typedef void (*TPixelFunction)(const TPixelInput& input, TPixelOutput& output);

struct TVertexModel
{
    const char* name;
    TVertexFunction function;
    int varyingCount; // interpolants written, from varying[0]
};

// What a pixel function computes, where it is one of a few fixed forms: the rasteriser may then
// draw the form itself, quad after quad along a row, without calling the function. The
// function must compute the same.
enum class EPixelKind : std::uint8_t
{
    General, // anything: the function is called
    Colour,  // colour 0 is the interpolant `kindVarying`, nothing discarded
    Texture, // colour 0 is Sample(0, u, v) at x and y of the interpolant `kindVarying`
};

struct TPixelModel
{
    const char* name;
    TPixelFunction function;
    EPixelKind kind;
    int kindVarying;
};

void RegisterVertexModel(const char* name, TVertexFunction function, int varyingCount);
void RegisterPixelModel(const char* name, TPixelFunction function, EPixelKind kind = EPixelKind::General,
                        int kindVarying = 0);
const TVertexModel* FindVertexModel(const char* name);
const TPixelModel* FindPixelModel(const char* name);

struct TVertexModelRegistration
{
    TVertexModelRegistration(const char* name, TVertexFunction function, int varyingCount)
    {
        RegisterVertexModel(name, function, varyingCount);
    }
};

struct TPixelModelRegistration
{
    TPixelModelRegistration(const char* name, TPixelFunction function, EPixelKind kind = EPixelKind::General,
                            int kindVarying = 0)
    {
        RegisterPixelModel(name, function, kind, kindVarying);
    }
};

// Function tokens naming a model: the version token (vs_3_0 or ps_3_0), one comment token
// carrying the name, and the end token. Writes at most `capacity` tokens and answers how many
// the stream needs.
UINT ShadingModelTokens(bool pixel, const char* name, DWORD* tokens, UINT capacity);
// The model name of a token stream written above, or null when it names none. `length`
// receives the stream's token count.
const char* ShadingModelName(const DWORD* tokens, bool pixel, UINT* length);

#pragma once
// The software device runs no shader bytecode. A vertex or pixel shader object names one of the
// shading models registered here by name: C++ functions, and pixel model types (pixelmodel.h),
// that stand for the shaders. Models are registered from static initialisers
// (TVertexModelRegistration, TPixelModelRegistration) and selected with the function tokens that
// ShadingModelTokens writes, passed to CreateVertexShader / CreatePixelShader.
#include "platform/d3d9/d3d9types.h"
#include "platform/d3d9/quad.h"

#include <cstdint>
#include <string>
#include <vector>

class TSamplerSet;

constexpr int kMaxVaryings = 12;
constexpr int kMaxRenderTargets = 4;
constexpr int kConstantRegisters = 512;
constexpr int kPixelSamplers = 16;

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

// The textures a pixel model type samples, each at x and y of one of its varyings (Texture), or
// at coordinates it works out (SampleAt).
constexpr int kMaxModelTextures = 4;

struct TTextureRead
{
    int stage = -1; // -1: none
    int varying = 0;
};

// What a pixel model type reads (see pixelmodel.h): the tile loop compiled for it prepares these
// and nothing else.
struct TModelInputs
{
    std::uint32_t varyings = 0; // bit v: Varying(v)
    int constants = 0;          // float registers c0 .. c(constants - 1): Constant(r)
    TTextureRead textures[kMaxModelTextures] = {};
    bool depth = false; // Depth()

    constexpr int TextureCount() const
    {
        int count = 0;
        while (count < kMaxModelTextures && textures[count].stage >= 0)
            ++count;
        return count;
    }
    constexpr bool Valid() const
    {
        bool valid = varyings < (1u << kMaxVaryings) && constants >= 0 && constants <= kConstantRegisters;
        for (const TTextureRead& read : textures)
            valid = valid && read.stage < kPixelSamplers && read.varying >= 0 && read.varying < kMaxVaryings;
        return valid;
    }
};

// The varyings mask of the ones listed.
template <class... V> constexpr std::uint32_t Varyings(V... varyings)
{
    return ((1u << varyings) | ... | 0u);
}

struct TTileLoops;

// A pixel model type as it registers: the function that draws it through the general path, and
// the tile loops compiled for it.
struct TPixelModelType
{
    TPixelFunction function;
    const TTileLoops* loops;
    TModelInputs inputs;
};

struct TPixelModel
{
    const char* name;
    // The model's quads as a function: a bare function's own, a type's drawn through the
    // general path (the tests pin its tile loops to it).
    TPixelFunction function;
    const TTileLoops* loops; // a type's, null for a bare function
    TModelInputs inputs;     // a type's
};

void RegisterVertexModel(const char* name, TVertexFunction function, int varyingCount);
// A bare function is called for every quad, through the general tile loop: the first draw with
// it says so once on standard error. Models that matter for speed register as types.
void RegisterPixelModel(const char* name, TPixelFunction function);
void RegisterPixelModel(const char* name, const TPixelModelType& type);
const TVertexModel* FindVertexModel(const char* name);
const TPixelModel* FindPixelModel(const char* name);
// The names of the pixel models registered so far, in order: the tests draw every one.
std::vector<std::string> PixelModelNames();
// Whether the model's first drawing through the general path is still to be reported: answers
// true once per model.
bool FirstGeneralDraw(const TPixelModel& model);

struct TVertexModelRegistration
{
    TVertexModelRegistration(const char* name, TVertexFunction function, int varyingCount)
    {
        RegisterVertexModel(name, function, varyingCount);
    }
};

struct TPixelModelRegistration
{
    TPixelModelRegistration(const char* name, TPixelFunction function) { RegisterPixelModel(name, function); }
    TPixelModelRegistration(const char* name, const TPixelModelType& type) { RegisterPixelModel(name, type); }
};

// Function tokens naming a model: the version token (vs_3_0 or ps_3_0), one comment token
// carrying the name, and the end token. Writes at most `capacity` tokens and answers how many
// the stream needs.
UINT ShadingModelTokens(bool pixel, const char* name, DWORD* tokens, UINT capacity);
// The model name of a token stream written above, or null when it names none. `length`
// receives the stream's token count.
const char* ShadingModelName(const DWORD* tokens, bool pixel, UINT* length);

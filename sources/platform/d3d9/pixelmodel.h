#pragma once
// Pixel models as types: a model is a struct with what it reads (kInputs) and a Shade function
// template that the rasteriser's tile loops, compiled for the model where it registers, inline
// for every quad, or two quads at once on AVX2. It registers by name:
//
//   // Texture 0 at the first texture coordinates times the vertex colour.
//   struct TModulatePixel
//   {
//       static constexpr TModelInputs kInputs = {.varyings = Varyings(0), .textures = {{0, 1}}};
//       template <class Quad> static auto Shade(const Quad& in) { return in.Texture(0) * in.Varying(0); }
//   };
//   const TPixelModelRegistration kModulate("modulate", PixelModelType<TModulatePixel>());
//
// Shade computes with the quad's lanes (TQuad, or TQuadPair: write it for any lanes, with the
// operations of quad.h) and answers the colour of target 0 as four channels: a TLaneVector of
// the lanes, or a texture's TTexel unchanged (stored as its words, blended in integers). The
// lanes are Quad::Lanes; what `in` answers, on them:
//   Varying(v)          varying v, perspective-correct (declared in kInputs.varyings)
//   Texture(i)          texture i of kInputs.textures, sampled at x and y of its varying
//   SampleAt(i, u, v)   texture i sampled at (u, v)
//   SampleEach(i, u, v, each)  at arrays of N places at once, each(k, sample) called in turn
//   SampleTogether(is, u, v, each)  textures `is` at one place at once, each(k, sample) in turn
//   Constant(r)         float register r in every lane (r below kInputs.constants)
//   ConstantValue(r, c) component c of that register, as one float
//   Draw()              the model's TDrawValues (below)
//   Depth()             the window depth (kInputs.depth)
//   X(), Y()            the pixel centres
//   FrontFace()         whether the triangle faces the viewer
// A model may declare TDrawValues, values of its whole draw (a product of constant matrices, a
// texel every pixel reads), and `static TDrawValues Prepare(const TDrawInput& in)` working them
// out from the draw's constants and samplers: the tile loops call it once per tile, the general
// path once per quad, and Shade reads them through Draw().
// Every lane computes as the others, so a model draws the same bits on every path; the model's
// function (ModelFunction) draws it through the general path, which the tests pin the loops to.
// A model may name TUnitForm, the model it equals where every varying and constant it reads is
// exactly one over a triangle, reading the same textures: the fast loops draw such triangles
// with that (a texture times colours as the texture alone, whose texels store and blend in
// integers).
#include "platform/d3d9/sampler.h"
#include "platform/d3d9/shadingmodel.h"
#include "platform/d3d9/tileloop.h"

// A quad as the general path hands it to a model type's function.
template <class Model> class TFunctionQuad
{
public:
    typedef TQuad Lanes;

    explicit TFunctionQuad(const TPixelInput& input) : input_(input) {}

    const TQuadVector& Varying(int v) const { return input_.varying[v]; }
    TQuadVector Texture(int i) const
    {
        const TTextureRead& read = Model::kInputs.textures[i];
        const TQuadVector& at = input_.varying[read.varying];
        return input_.samplers->Sample(read.stage, at.x, at.y);
    }
    TQuadVector Constant(int r) const
    {
        const float* c = input_.constants->f[r];
        return {c[0], c[1], c[2], c[3]};
    }
    TQuadVector SampleAt(int i, const TQuad& u, const TQuad& v) const
    {
        return input_.samplers->Sample(Model::kInputs.textures[i].stage, u, v);
    }
    template <int N, class Each>
    void SampleEach(int i, const TQuad (&u)[N], const TQuad (&v)[N], Each&& each) const
    {
        for (int k = 0; k < N; ++k)
            each(k, SampleAt(i, u[k], v[k]));
    }
    template <int N, class Each>
    void SampleTogether(const int (&textures)[N], const TQuad& u, const TQuad& v, Each&& each) const
    {
        for (int k = 0; k < N; ++k)
            each(k, SampleAt(textures[k], u, v));
    }
    float ConstantValue(int r, int c) const { return input_.constants->f[r][c]; }
    auto Draw() const { return Model::Prepare(TDrawInput{input_.constants->f, input_.samplers, &Model::kInputs}); }
    TQuad Depth() const { return input_.depth; }
    TQuad X() const { return input_.x; }
    TQuad Y() const { return input_.y; }
    bool FrontFace() const { return input_.frontFace; }

private:
    const TPixelInput& input_;
};

// A model type as a bare pixel function.
template <class Model> void ModelFunction(const TPixelInput& input, TPixelOutput& output)
{
    tile::StoreColours(output, Model::Shade(TFunctionQuad<Model>(input)));
}

// What registers a model type: its function and its tile loops.
template <class Model> TPixelModelType PixelModelType()
{
    static_assert(Model::kInputs.Valid(), "a model reads varyings, constants and samplers that exist");
    return {&ModelFunction<Model>, &TTileShader::LoopsOf<Model>(), Model::kInputs};
}

// The two simplest models, which the rasteriser's own benchmarks and tests draw: colour 0 is
// varying V, or texture 0 sampled at x and y of varying V.
template <int V> struct TVaryingColourPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(V)};
    template <class Quad> static auto Shade(const Quad& in) { return in.Varying(V); }
};

template <int V> struct TTexturePixel
{
    static constexpr TModelInputs kInputs = {.textures = {{0, V}}};
    template <class Quad> static auto Shade(const Quad& in) { return in.Texture(0); }
};

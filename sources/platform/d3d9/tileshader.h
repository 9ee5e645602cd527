#pragma once
// Shading of one 64x64 tile: for each triangle binned to it, the quads its edges cover (the
// top-left rule on 28.4 fixed point, 32-bit edge functions per tile), perspective-correct
// interpolants, the pixel model, discard and alpha test, stencil and depth, then blending and
// the colour writes of up to four targets. The states are resolved once per draw, and with them
// the tile loop that draws: each pixel model type has loops of its own, compiled with its
// shading inlined (tileloop.h); a bare model function is called quad by quad. One shader serves
// every worker, each with its own sample count.
#include "platform/d3d9/drawcall.h"
#include "platform/d3d9/primitivesetup.h"
#include "platform/d3d9/quadpair.h"
#include "platform/d3d9/tilebins.h"

#include <cstdint>
#include <vector>

class TTileShader;

// The tile loops of one pixel model, by what a draw needs of them.
struct TTileLoops
{
    typedef void (TTileShader::*TLoop)(const TTileBins& bins, int tile, int participant);
    // Every test and target.
    TLoop general;
    // One 32-bit target written whole, no alpha or stencil test: [stored, blended as ordinary
    // transparency, or added][depth tested][two quads at a time on AVX2]; null where the model
    // has none.
    TLoop fast[3][2][2];
    // Each texture sampled quad by quad where the model reads it (float textures, mipmaps), onto
    // one 32-bit, A16B16G16R16F or R32F target written whole, stored, blended or added as the
    // draw says: [depth tested][two quads at a time on AVX2]. A model of several targets' colours
    // has these alone, onto each bound target so written.
    TLoop sampled[2][2];
    // The targets the model's colours fill.
    int colours = 1;
};

class TTileShader
{
public:
    TTileShader(const TDrawCall& call, int varyings, int participants);

    // Shades the triangles binned to one tile, run by run.
    void ShadeTile(const TTileBins& bins, int tile, int participant) { (this->*loop_)(bins, tile, participant); }
    // Samples that passed the depth and stencil tests, over every participant.
    std::uint64_t Samples() const;

    // The loops of a pixel model type (tileloop.h).
    template <class Model> static const TTileLoops& LoopsOf();

    // How 1/w varies over a triangle: one everywhere, the same everywhere (flat), or not.
    enum class EWForm
    {
        One,
        Flat,
        Perspective,
    };


private:
    struct TTarget
    {
        TImage* image;
        D3DFORMAT format;
        UINT bytes;
        bool argb;  // A8R8G8B8 or X8R8G8B8: packed words
        bool unorm; // colours clamp to [0, 1]
        DWORD writeMask;
        bool direct;     // 32-bit words written without reading the target back
        bool alphaBlend; // 32-bit words blended as ordinary transparency
        bool additive;   // 32-bit words added onto the target (one and one)
        // A16B16G16R16F or R32F read and written a quad at a time (floatpixels.h); separate
        // alpha blending goes texel by texel, as every other format.
        bool floatQuad;
        bool floatAdd; // a float quad added onto the target (one and one), every channel
        bool rgb565Store; // R5G6B5 stored whole, a quad at a time (the luminance chain's targets)
        std::uint8_t* bits;
        int pitch, width, height;
    };

    // How a draw's quads go from the pixel model to the target: through every test and target
    // (General), or, with neither stencil nor alpha test and one 32-bit target written whole,
    // packed and stored (Store), blended as ordinary transparency (Blend) or added (Add, as light
    // passes add theirs) by a tile loop that tests nothing else, or depth alone.
    enum class EQuadPath
    {
        General,
        Store,
        Blend,
        Add,
        Multiply, // the source times the target (DestColor, Zero): float targets, sampled loops only
    };
    // One interpolation plane of a triangle, a + b * dx + c * dy from its origin, with the
    // coefficients in every lane.
    template <class L> struct TPlaneLanes
    {
        L a, b, c;
    };
    // The triangle being shaded, as a bare function's quads read it.
    struct TTrianglePlanes
    {
        TPlaneLanes<TQuad> planes[kMaxPlanes];
        TQuad rowTerms[kMaxPlanes]; // c * dy of each plane on the quads' row
        // Without perspective (1/w the same everywhere, as in 2D passes) w is divided out once
        // per triangle, to the same bits, and not multiplied at all when it is one.
        bool flat, unitW;
        TQuad flatW;
    };
    struct TTileFrame;
    struct TTriangleQuads;
    struct TTexelRow;
    template <class L> struct TQuadShared;
    template <class Model, class L, EWForm Form, bool Sampled, bool Neighbours = false> class TLoopQuad;
    template <int Textures, int Planes> struct TRowTexels;
    template <class L> struct TRowPlanes;

    // The tile loop of a pixel model type (tileloop.h): `Path` and, on the fast paths, with
    // `Depth` tested and quads on lanes `L` (TQuad, or TQuadPair on AVX2).
    // `Sampled` loops sample every texture quad by quad and write any of the three formats, on
    // the draw's `sampledPath_` (their `Path` is Store).
    template <class Model, EQuadPath Path, bool Depth, class L, bool Sampled = false>
    void ShadeTileWith(const TTileBins& bins, int tile, int participant);
    // The fast-path loops compiled for AVX2 as a whole, so that the model's shading comes inlined
    // on eight lanes.
    template <class Model, EQuadPath Path, bool Depth, bool Sampled = false>
    [[gnu::target("avx2"), gnu::flatten]] void ShadeTileAvx2(const TTileBins& bins, int tile, int participant);
    // The tile loops of a bare pixel function, on `Path`.
    static const TTileLoops& BareFunctionLoops();
    template <EQuadPath Path> void ShadeTileOfFunction(const TTileBins& bins, int tile, int participant);
    // The tile's rows and columns on the target and its depth surface.
    void FrameTile(const TTileBins& bins, int tile, TTileFrame& frame) const;
    // Calls shade(triangle) for each triangle binned to the tile that covers any quad, listed in
    // frame.coverage.
    template <class TShade>
    [[gnu::always_inline]] void ForEachTriangle(const TTileBins& bins, int tile, TTileFrame& frame, TShade&& shade);

    // A model type's triangle on the fast paths, a quad at a time, or two on AVX2; and through
    // every test and target. Each answers the samples that passed.
    template <class Model, EQuadPath Path, bool Depth, EWForm Form, int Textures, int Planes>
    [[gnu::always_inline]] int ShadeQuads(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                          const TTriangleQuads& t, TRowTexels<Textures, Planes>& texels) const;
    template <class Model, EQuadPath Path, bool Depth, EWForm Form, int Textures, int Planes>
    [[gnu::target("avx2"), gnu::flatten]] int ShadePairs(TTileFrame& frame, const TQuadShared<TQuadPair>& shared,
                                           const TQuadShared<TQuad>& quadShared, const TTriangleQuads& t,
                                           TRowTexels<Textures, Planes>& texels) const;
    // A model type's triangle on a sampled loop, a quad at a time, or two on AVX2, onto
    // `targets` (the draw's, read once per tile).
    template <class Model, bool Depth, EWForm Form>
    [[gnu::always_inline]] int ShadeSampledQuads(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                                 const TTriangleQuads& t, const TTarget* targets, EQuadPath path) const;
    template <class Model, bool Depth, EWForm Form>
    [[gnu::target("avx2"), gnu::flatten]] int ShadeSampledPairs(TTileFrame& frame,
                                                                const TQuadShared<TQuadPair>& shared,
                                                                const TTriangleQuads& t, const TTarget* targets,
                                                                EQuadPath path) const;
    // A quad's colour, or each of a model's several colours, onto its target as WriteTargetQuad
    // writes it; targets with nothing bound are left out.
    template <class TColour>
    [[gnu::always_inline]] static void WriteTargetQuads(const TTarget* targets, EQuadPath path, int px, int py,
                                                        const TColour& colour, int mask);
    // A pair's colours (`written` its lanes to write, the first quad's in bits 0-3) onto the
    // targets as WriteTargetQuads writes each quad; 32-bit targets stored are packed eight lanes
    // at once, and once for a colour of the same bits as the previous target's.
    template <class TColour>
    [[gnu::target("avx2"), gnu::always_inline]] static void WriteTargetPairs(const TTarget* targets, EQuadPath path,
                                                                             const int px[2], const int py[2],
                                                                             const TColour& colour, int written);
    // The lanes in `mask` of a sampled loop's quad at (px, py), inside the target, stored,
    // blended as ordinary transparency, added or multiplied by `path`: the general path's
    // arithmetic for the format.
    [[gnu::always_inline]] static void WriteTargetQuad(const TTarget& target, EQuadPath path, int px, int py,
                                                       const TQuadVector& colour, int mask);
    template <class Model, EWForm Form>
    [[gnu::always_inline]] int ShadeQuadsGeneral(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                                 const TTriangleQuads& t) const;
    // What a fast loop does with depth for a quad: nothing, test and write it, or only write it
    // (tested before).
    enum class EDepth
    {
        None,
        Test,
        Tested,
    };
    // Target 0 as the pair loops write it, read once per triangle into a local: their stores to
    // the target could alias the shader's members, which would then be read again every pair.
    struct TTargetWords
    {
        int pitch;
        bool opaque; // X8R8G8B8: its alpha blends as 1
    };
    // One quad, or a pair, of a model type on a fast path: depth tested, shaded and written.
    // The pair answers its lanes written (all ones), a quad its sample count.
    template <class Model, EQuadPath Path, EDepth Depth, class In>
    [[gnu::always_inline]] int ShadeFastQuad(const TTileFrame& frame, int quad, const In& in) const;
    template <class Model, EQuadPath Path, EDepth Depth, class In>
    [[gnu::target("avx2")]] __m256i ShadeFastPair(const TTileFrame& frame, TTargetWords target, int first,
                                                  int second, const In& in, bool plain) const;
    // Two neighbouring quads of a model type at `bits` on the target (`depth` on the depth
    // surface), every lane covered and on the target, depth tested before where tested.
    template <class Model, EQuadPath Path, bool Depth, class In>
    [[gnu::target("avx2")]] void ShadeNeighbours(TTargetWords target, std::uint8_t* bits, float* depth,
                                                 const In& in) const;
    // Row sampling of a textured model's triangle: each column's terms once, then row by row
    // the coordinates and the sampled words.
    template <class Model, EWForm Form, int Textures, int Planes>
    [[gnu::always_inline]] void PrepareColumns(const TTileFrame& frame, const TTriangleQuads& t,
                                               TRowTexels<Textures, Planes>& texels) const;
    template <class Model, EWForm Form, int Textures, int Planes>
    [[gnu::always_inline]] void SampleRow(const TQuadShared<TQuad>& shared, const TTriangleQuads& t,
                                          const int* rowList, int rowQuads, bool neighbours, const TQuad& dy,
                                          TRowTexels<Textures, Planes>& texels) const;
    template <class Model, EWForm Form, bool Depth, int Textures, int Planes>
    [[gnu::always_inline]] void StartTexelRows(const TTileFrame& frame, const TTriangleQuads& t,
                                               TRowTexels<Textures, Planes>& texels, TTexelRow& row) const;
    template <class Model, EQuadPath Path, EWForm Form> static constexpr bool LeavesDark();
    template <class Model, EWForm Form, bool Depth, bool Dark, int Textures, int Planes>
    [[gnu::always_inline]] bool NextTexelRow(const TTileFrame& frame, const TQuadShared<TQuad>& shared,
                                             const TTriangleQuads& t, TRowTexels<Textures, Planes>& texels,
                                             TTexelRow& row) const;
    template <bool Depth> void PrefetchQuadRow(const TTileFrame& frame, int row, int from, int to) const;

    // 1/w over the quad `dx` from the planes' origin, on the row of t.rowTerms.
    template <EWForm Form> static TQuad PerspectiveW(const TTrianglePlanes& t, const TQuad& dx);
    // The interpolant of planes k .. k + 3 over that quad, perspective-correct with `w`.
    static TQuadVector Interpolant(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w, int k);
    // Plane k alone over that quad, perspective-correct with `w`.
    template <EWForm Form>
    static TQuad Interpolated(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w, int k);
    // Runs the bare pixel function on the quad whose pixels lie `dx` from the planes' origin, at
    // window depth `z`, into `output`.
    void ShadeColour(const TTrianglePlanes& t, TPixelInput& input, const TQuad& dx, const TQuad& z,
                     TPixelOutput& output) const;
    // Every test and write of the general path for the lanes in `mask` of the quad at (px, py),
    // whose colours shade(output) makes; `z` is its window depth. Answers the samples that
    // passed the depth and stencil tests.
    template <class TShade>
    [[gnu::always_inline]] int WriteQuad(bool front, int px, int py, const TQuad& z, int mask, TShade&& shade) const;
    // Stencil and depth tests for the lanes in `mask`, with their writes when `write` is set;
    // answers the lanes that pass.
    int DepthStencil(bool front, int px, int py, const TQuad& z, int mask, bool write) const;
    // The depth test alone, four lanes at once, for quads inside the depth surface.
    [[gnu::always_inline]] int DepthTest(int px, int py, const TQuad& z, int mask) const;
    // Writes the depth of the lanes in `mask`, for quads inside the depth surface.
    [[gnu::always_inline]] void DepthWrite(int px, int py, const TQuad& z, int mask) const;
    // The depth test of two quads' lanes set in `lanes`, at `first` and `second` on the depth
    // surface, and the depth write of those lanes: masked loads and stores, so that lanes
    // outside the clip rectangle are never touched.
    [[gnu::target("avx2")]] __m256i DepthTestAvx2(const float* first, const float* second, const TQuadPair& z,
                                                  __m256i lanes) const;
    [[gnu::target("avx2")]] void DepthWriteAvx2(float* first, float* second, const TQuadPair& z,
                                                __m256i lanes) const;
    // Whether every bound target, no more than a model's `colours`, is written whole and stored,
    // blended as ordinary transparency or added as a sampled loop writes it.
    bool SampledTargets(int colours) const;
    // Whether a pixel failing the stencil or depth test leaves the buffers as they are.
    bool FailuresChangeNothing() const;
    void BlendAndWrite(const TTarget& target, const TQuadVector& colour, int px, int py, int mask) const;

    const TDrawCall* call_;
    int varyings_;
    const DWORD* rs_;
    TTarget targets_[kMaxRenderTargets];
    int targetCount_ = 0;
    float* depth_;
    std::uint8_t* stencil_;
    int depthWidth_, depthHeight_;
    bool depthTest_, depthWrite_, stencilTest_;
    bool depthStencil_; // a depth or stencil test to run at all
    bool alphaTest_, blend_, separateAlpha_;
    bool alphaBlend_; // source alpha over its inverse, added: the usual transparency
    bool earlyTest_;  // depth and stencil tested before shading, as failures change nothing
    bool quadDepth_;  // no stencil: the depth test four lanes at once, once per quad
    bool trimQuads_;  // the clip rectangle cuts through quads: their lanes outside it are dropped
    bool bound_[kMaxModelTextures]; // a model type's textures that have a texture bound
    TTileLoops::TLoop loop_;
    EQuadPath sampledPath_ = EQuadPath::Store; // how a sampled loop writes the target
    DWORD depthFunction_;
    float originX_, originY_; // where the planes have their values: the draw's origin
    float alphaReference_;
    DWORD alphaFunction_;
    // Blend factors and operations, with the BOTH* source factors resolved.
    DWORD srcBlend_, dstBlend_, blendOp_;
    DWORD srcBlendAlpha_, dstBlendAlpha_, blendOpAlpha_;
    TQuadVector blendConstant_;
    std::vector<std::uint64_t> samples_; // every eighth entry: one per participant, apart in memory
};

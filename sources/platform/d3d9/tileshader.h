#pragma once
// Shading of one 64x64 tile: for each triangle binned to it, the quads its edges cover (the
// top-left rule on 28.4 fixed point, 32-bit edge functions per tile), perspective-correct
// interpolants, the pixel model, discard and alpha test, stencil and depth, then blending and
// the colour writes of up to four targets. The states are resolved once per draw; one shader
// serves every worker, each with its own sample count.
#include "platform/d3d9/drawcall.h"
#include "platform/d3d9/primitivesetup.h"
#include "platform/d3d9/tilebins.h"

#include <cstdint>
#include <vector>

class TTileShader
{
public:
    TTileShader(const TDrawCall& call, int varyings, int participants);

    // Shades the triangles binned to one tile, run by run.
    void ShadeTile(const TTileBins& bins, int tile, int participant);
    // Samples that passed the depth and stencil tests, over every participant.
    std::uint64_t Samples() const;

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
        std::uint8_t* bits;
        int pitch, width, height;
    };

    // One interpolation plane of a triangle, a + b * dx + c * dy from its origin, with the
    // coefficients in every lane.
    struct TQuadPlane
    {
        TQuad a, b, c;
    };

    // The triangle being shaded, as its quads read it.
    struct TTrianglePlanes
    {
        TQuadPlane planes[kMaxPlanes];
        TQuad rowTerms[kMaxPlanes]; // c * dy of each plane on the quads' row
        // Without perspective (1/w the same everywhere, as in 2D passes) w is divided out once
        // per triangle, to the same bits, and not multiplied at all when it is one.
        bool flat, unitW;
        TQuad flatW;
    };

    // How a draw's quads go from the pixel model to the target: through every test and target
    // (General), or, with neither depth, stencil nor alpha test and one 32-bit target written
    // whole, packed and stored (Store) or blended as ordinary transparency (Blend) by a tile
    // loop that tests nothing else.
    enum class EQuadPath
    {
        General,
        Store,
        Blend,
    };

    // The tile loop of one quad path; on the Store and Blend paths, a pixel model of a fixed
    // kind (other than General) is drawn here without calling it.
    template <EQuadPath Path, EPixelKind Kind>
    void ShadeTileAs(const TTileBins& bins, int tile, int participant);
    template <EQuadPath Path>
    void ShadeTileOfKind(const TTileBins& bins, int tile, int participant);
    // How 1/w varies over a triangle: one everywhere, the same everywhere (t.flat), or not.
    enum class EWForm
    {
        One,
        Flat,
        Perspective,
    };
    // 1/w over the quad `dx` from the planes' origin, on the row of t.rowTerms.
    template <EWForm Form>
    static TQuad PerspectiveW(const TTrianglePlanes& t, const TQuad& dx);
    // The interpolant of planes k .. k + 3 over that quad, perspective-correct with `w`.
    static TQuadVector Interpolant(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w, int k);
    // Plane k alone over that quad, perspective-correct with `w`.
    template <EWForm Form>
    static TQuad Interpolated(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w, int k);
    // Shades the lanes in `mask` of the quad at (px, py) of triangle `t`. Answers the samples
    // that passed the depth and stencil tests.
    int ShadeQuad(bool front, const TTrianglePlanes& t, TPixelInput& input, int px, int py, int mask);
    // Stores the colour kind's covered quads, `count` (at least one) of them listed as the tile
    // loop lists them, two at a time on eight lanes, on a 32-bit target written whole through
    // masked stores: each lane computes as the quad loop does, to the same bits. The list has
    // room for one more quad. The colour's four planes and 1/w's are read as the record holds
    // them (a, b, c each); a flat 1/w divided out is `flatW`. Answers the samples.
    template <EWForm Form>
    [[gnu::target("avx2")]] static int StoreColourPairsAvx2(const float* colourPlanes, const float* wPlane,
                                                           const TQuad& flatW, int* quads, int count,
                                                           const TQuad columnDx[], const TQuad rowDy[],
                                                           std::uint8_t* const rowBits[], int pitch);
    // Runs the pixel model on the quad whose pixels lie `dx` from the planes' origin, at window
    // depth `z`; answers the lanes of `mask` it did not discard.
    int ShadeColour(const TTrianglePlanes& t, TPixelInput& input, const TQuad& dx, const TQuad& z, int mask,
                    TPixelOutput& output) const;
    // Stencil and depth tests for the lanes in `mask`, with their writes when `write` is set;
    // answers the lanes that pass.
    int DepthStencil(bool front, int px, int py, const TQuad& z, int mask, bool write) const;
    // The depth test alone, four lanes at once, for quads inside the depth surface.
    int DepthTest(int px, int py, const TQuad& z, int mask) const;
    // Writes the depth of the lanes in `mask`, for quads inside the depth surface.
    void DepthWrite(int px, int py, const TQuad& z, int mask) const;
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
    bool depthQuads_; // the stored colour kind tests depth quad by quad itself
    bool trimQuads_;  // the clip rectangle cuts through quads: their lanes outside it are dropped
    EQuadPath quadPath_;
    EPixelKind kind_; // the pixel model's kind where its quad path draws it, else General
    int kindPlane_;   // the first plane of the interpolant the kind reads
    DWORD depthFunction_;
    float originX_, originY_; // where the planes have their values: the clip rectangle's corner
    float alphaReference_;
    DWORD alphaFunction_;
    // Blend factors and operations, with the BOTH* source factors resolved.
    DWORD srcBlend_, dstBlend_, blendOp_;
    DWORD srcBlendAlpha_, dstBlendAlpha_, blendOpAlpha_;
    TQuadVector blendConstant_;
    std::vector<std::uint64_t> samples_; // every eighth entry: one per participant, apart in memory
};

#pragma once
// Primitive assembly's second half: clipping against the near and far planes and a guard band
// far around the target, the viewport transform, culling and the set-up of screen triangles
// with their interpolation planes, which always come from the whole primitive. Points become
// screen-aligned squares and lines parallelograms one pixel across, so that one rasteriser
// with the top-left rule draws all three.
#include "platform/d3d9/drawcall.h"
#include "platform/d3d9/tilebins.h"

#include <cstddef>
#include <cstdint>
#include <emmintrin.h>
#include <vector>

// A shaded vertex: clip position (4 floats), point size, then 4 floats per varying.
constexpr int kVertexHeader = 5;
// Screen positions are snapped to 4 bits of sub-pixel precision.
constexpr int kSubpixel = 16;
// The interpolation planes of a triangle: window depth, 1/w, then four per varying. Each is
// its value at the clip rectangle's top-left corner, d/dx and d/dy.
constexpr int kMaxPlanes = 2 + 4 * kMaxVaryings;

// A value at each corner of a triangle, in double precision: corners 0 and 1, then corner 2 in
// both lanes.
struct TCornerDoubles
{
    __m128d lo, hi;
};

class TPrimitiveSetup
{
public:
    // Bins the triangles with their planes as run `run`, the last when destroyed.
    TPrimitiveSetup(const TDrawCall& call, int varyings, TTileBins& bins, int run);
    ~TPrimitiveSetup();
    TPrimitiveSetup(const TPrimitiveSetup&) = delete;
    TPrimitiveSetup& operator=(const TPrimitiveSetup&) = delete;

    void Triangle(const float* a, const float* b, const float* c);
    void Line(const float* a, const float* b);
    void Point(const float* a);

    struct TScreenVertex
    {
        float x, y, z, ow;
        const float* varying; // the clip-space varyings of the vertex
    };

private:
    // A triangle's three corners side by side, one per lane (the fourth repeats the third), so
    // that each step of clipping tests and the viewport transform serves all three at once.
    struct TCorners
    {
        __m128 x, y, z, w;
    };
    // What the corners' clip positions say about clipping: `outside` is not zero when all
    // three lie outside one plane of the view volume (or have w too small or not a number);
    // four bits of `clip` per clip plane, from bit 0, hold the corners outside it.
    struct TOutcodes
    {
        int outside, clip;
        bool Clips(int plane) const { return (clip >> (4 * plane)) & 0xF; }
    };
    // The corners as the interpolation planes see them: homogeneous window position (x w, y w,
    // w), window depth times w, and the clip-space varyings.
    struct THomogeneous
    {
        TCornerDoubles x, y, w, z;
        const float* varying[3];
    };
    // The guard band's four planes, near, far, and w kept positive.
    static constexpr int kClipPlanes = 7;

    // Distance of a clip position to one of the clip planes (>= 0 inside).
    float ClipDistance(int plane, const float* p) const;
    static TCorners Corners(const float* a, const float* b, const float* c);
    TOutcodes Outcodes(const TCorners& p) const;
    // Window x, y, depth and 1/w of the corners.
    TCorners ToScreen(const TCorners& p) const;
    TScreenVertex ToScreen(const float* v) const;
    THomogeneous FromClip(const TCorners& p, const float* const varyings[3]) const;
    static THomogeneous FromScreen(const TScreenVertex corners[3]);
    // The cofactors of the matrix with the corners' homogeneous positions as its columns, those
    // of corner i in lane i: the rows of its inverse times the determinant.
    static void Cofactors(const THomogeneous& h, TCornerDoubles cofactors[3]);
    static double Determinant(const THomogeneous& h, const TCornerDoubles cofactors[3]);
    // The lines or points of a wireframe or point-filled triangle that survives culling.
    void EdgesOrCorners(const float* a, const float* b, const float* c);
    // The two triangles of a line's or point's square.
    void Quad(const TScreenVertex corners[4]);
    bool Culled(float area) const;
    // The interpolation planes of the primitive being set up into the record; false when it has
    // no area.
    bool SourcePlanes();
    // The same for the squares of lines and points, and for triangles on SSE2.
    bool GeneralPlanes();
    bool Planes(const THomogeneous& h);
    // Planes of a triangle's clip positions on AVX2, with the same bits: four corner or plane
    // lanes to a register.
    [[gnu::target("avx2")]] bool TrianglePlanesAvx2();
    // The depth plane's slope bias, and 1/w made exactly flat where the corners share one w.
    void FinishPlanes(double depthSlope, double w0, double w1, double w2);
    // Sets up one screen triangle, its corners' window x and y in the lanes of `screenX` and
    // `screenY`, with the planes of the primitive being set up; `cull` applies the cull mode
    // (lines and points are never culled).
    void Setup(__m128 screenX, __m128 screenY, bool cull);

    const TDrawCall& call_;
    int varyings_;
    TTileBins& bins_;
    int run_;
    std::vector<float> scratch_;  // vertices made by clipping triangles
    std::vector<float> lineEnds_; // the clipped ends of a line
    std::vector<float> sprite_;
    float clipPlanes_[kClipPlanes][4];
    // The guard band's four sides as Outcodes tests them, in every lane: scale of x, x, y, y
    // and of w.
    __m128 guardScale_[4], guardOffset_[4];
    // Whether the viewport lies inside the guard band.
    bool viewportInGuard_;
    // Bounds of a triangle's pixel box as Setup clamps them, in words: least x and y, then
    // greatest x and y.
    __m128i boxLow_, boxHigh_;
    // The clip rectangle's corner in both lanes, where planes take their values.
    __m128d originX_, originY_;
    // Window coordinates from clip space, as ToScreen computes them, in every lane.
    __m128 screenX_, screenY_, halfWidth_, halfHeight_, minZ_, depthRange_;
    // The viewport as FromClip uses it, in both lanes: half width, centre x, half height,
    // centre y, MinZ and the depth range.
    __m128d toWindow_[6];
    // The primitive being set up, whose planes every piece of it shares once made: a
    // triangle's clip positions and varyings, made homogeneous when its planes are needed, or
    // the corners of a line's or point's square (clipVaryings_[0] null).
    TCorners clipCorners_;
    const float* clipVaryings_[3] = {};
    THomogeneous source_;
    bool planesMade_ = false;
    // Bins the record made before the current one, if it waits.
    void BinPending();

    // The record binned for each triangle: its TBinnedTriangle, then the planes.
    static constexpr int kHeaderFloats = int(sizeof(TBinnedTriangle) / 4);
    static_assert(offsetof(TBinnedTriangle, y) == 12 && offsetof(TBinnedTriangle, minX) == 24 &&
                      offsetof(TBinnedTriangle, front) == 32,
                  "Setup writes the header as x, y, bounds, front");
    // Two records in turn: one is binned once the next is made, so that binning's wide loads
    // find its narrow stores done instead of waiting for them. `planesIn_` holds the planes of
    // the primitive being set up; the other record, with its pixel box, may wait to be binned.
    float records_[2][kHeaderFloats + 3 * kMaxPlanes];
    int current_ = 0, planesIn_ = 0;
    bool pending_ = false;
    std::int16_t pendingBox_[4];
    DWORD cull_, fill_;
    // The depth plane's bias beside the 1/w plane's none, and the bias per unit of depth slope.
    __m128d depthAndWBias_;
    double slopeBias_;
    float pointSize_;
    bool pointSprite_, lastPixel_;
    int stride_;
};

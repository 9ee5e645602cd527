#include "platform/d3d9/primitivesetup.h"

#include "platform/d3d9/simdlevel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <utility>

namespace
{
constexpr int kMaxClipVertices = 16;
constexpr float kMinW = 1e-6f;
// Triangles are clipped against x and y only where they reach this many pixels past the
// origin: inside this band the 28.4 edge functions cannot overflow, and the tile loop keeps to
// the clip rectangle, so what the target shows keeps the whole triangle's edges.
constexpr float kGuardBand = 8192.0f;

// Linear interpolation of whole vertices in clip space (clipping).
void MixVertex(const float* a, const float* b, float t, int stride, float* out)
{
    for (int i = 0; i < stride; ++i)
        out[i] = a[i] + (b[i] - a[i]) * t;
}

// Positions in 28.4 fixed point, rounded half away from zero as lround does, without the
// library call; exact for the positions set-up accepts (|x| < 2^14 pixels).
__m128i ToFixed(__m128 pixels)
{
    const __m128 f = _mm_mul_ps(pixels, _mm_set1_ps(float(kSubpixel)));
    const __m128i truncated = _mm_cvttps_epi32(f);
    const __m128 rest = _mm_sub_ps(f, _mm_cvtepi32_ps(truncated));
    // A true compare is -1: subtracting it adds one.
    const __m128i up = _mm_castps_si128(_mm_cmpge_ps(rest, _mm_set1_ps(0.5f)));
    const __m128i down = _mm_castps_si128(_mm_cmple_ps(rest, _mm_set1_ps(-0.5f)));
    return _mm_add_epi32(_mm_sub_epi32(truncated, up), down);
}


// Three values in the lanes of a triangle's corners.
__m128 Lanes(float a, float b, float c)
{
    return _mm_setr_ps(a, b, c, c);
}

// Lane by lane, the same operations as on one corner's doubles.
TCornerDoubles operator+(TCornerDoubles a, TCornerDoubles b)
{
    return {_mm_add_pd(a.lo, b.lo), _mm_add_pd(a.hi, b.hi)};
}

TCornerDoubles operator-(TCornerDoubles a, TCornerDoubles b)
{
    return {_mm_sub_pd(a.lo, b.lo), _mm_sub_pd(a.hi, b.hi)};
}

TCornerDoubles operator*(TCornerDoubles a, TCornerDoubles b)
{
    return {_mm_mul_pd(a.lo, b.lo), _mm_mul_pd(a.hi, b.hi)};
}

// Each lane times k, given in both lanes of `k`.
TCornerDoubles operator*(__m128d k, TCornerDoubles a)
{
    return {_mm_mul_pd(k, a.lo), _mm_mul_pd(k, a.hi)};
}

TCornerDoubles Values(double a, double b, double c)
{
    return {_mm_setr_pd(a, b), _mm_set1_pd(c)};
}

// Corner lanes of floats (the fourth repeating the third) made doubles.
TCornerDoubles Widen(__m128 lanes)
{
    return {_mm_cvtps_pd(lanes), _mm_cvtps_pd(_mm_movehl_ps(lanes, lanes))};
}

// Corner i + 1 in lane i, and corner i + 2.
TCornerDoubles Next(TCornerDoubles v)
{
    return {_mm_shuffle_pd(v.lo, v.hi, 1), _mm_unpacklo_pd(v.lo, v.lo)};
}

TCornerDoubles AfterNext(TCornerDoubles v)
{
    return {_mm_shuffle_pd(v.hi, v.lo, 0), _mm_unpackhi_pd(v.lo, v.lo)};
}

// Corner i's value in both lanes.
__m128d Corner(TCornerDoubles v, int i)
{
    return i == 0 ? _mm_unpacklo_pd(v.lo, v.lo) : i == 1 ? _mm_unpackhi_pd(v.lo, v.lo) : v.hi;
}

double Lane(TCornerDoubles v, int i)
{
    return _mm_cvtsd_f64(Corner(v, i));
}

// Writes two planes' values, d/dx and d/dy, one plane per lane, and answers the first's larger
// slope.
double StoreTwoPlanes(__m128d value, __m128d dx, __m128d dy, float* out)
{
    const __m128 valueDx = _mm_unpacklo_ps(_mm_cvtpd_ps(value), _mm_cvtpd_ps(dx));
    const __m128 dyf = _mm_cvtpd_ps(dy);
    _mm_storel_pi(reinterpret_cast<__m64*>(out), valueDx);
    _mm_store_ss(out + 2, dyf);
    _mm_storeh_pi(reinterpret_cast<__m64*>(out + 3), valueDx);
    _mm_store_ss(out + 5, _mm_shuffle_ps(dyf, dyf, 1));
    return std::max(std::fabs(_mm_cvtsd_f64(dx)), std::fabs(_mm_cvtsd_f64(dy)));
}

// Two planes, one per lane, each with the sums of a plane alone: from the corners' values
// f0..f2 and the weights broadcast ([corner][d/dx, d/dy, value]), writes value at the origin,
// d/dx and d/dy of both and answers the first's larger slope.
double TwoPlanes(const __m128d weights[3][3], __m128d ox, __m128d oy, __m128d f0, __m128d f1, __m128d f2,
                 __m128d bias, float* out)
{
    __m128d sums[3];
    for (int j = 0; j < 3; ++j)
    {
        sums[j] = _mm_add_pd(_mm_add_pd(_mm_mul_pd(f0, weights[0][j]), _mm_mul_pd(f1, weights[1][j])),
                             _mm_mul_pd(f2, weights[2][j]));
    }
    const __m128d dx = sums[0], dy = sums[1];
    const __m128d value =
        _mm_add_pd(_mm_add_pd(_mm_add_pd(sums[2], _mm_mul_pd(dx, ox)), _mm_mul_pd(dy, oy)), bias);
    return StoreTwoPlanes(value, dx, dy, out);
}

// Two of a corner's values from `i` on, made doubles.
__m128d TwoValues(const float* values, int i)
{
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(values + i))));
}

// Four planes' values, d/dx and d/dy written plane by plane.
void StoreFourPlanes(__m128 value, __m128 dx, __m128 dy, float* out)
{
    const __m128 low = _mm_unpacklo_ps(value, dx);  // v0 x0 v1 x1
    const __m128 high = _mm_unpackhi_ps(value, dx); // v2 x2 v3 x3
    const __m128 y0v1 = _mm_shuffle_ps(dy, low, _MM_SHUFFLE(2, 2, 0, 0));
    const __m128 x1y1 = _mm_shuffle_ps(low, dy, _MM_SHUFFLE(1, 1, 3, 3));
    const __m128 y2v3 = _mm_shuffle_ps(dy, high, _MM_SHUFFLE(2, 2, 2, 2));
    const __m128 x3y3 = _mm_shuffle_ps(high, dy, _MM_SHUFFLE(3, 3, 3, 3));
    _mm_storeu_ps(out, _mm_shuffle_ps(low, y0v1, _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storeu_ps(out + 4, _mm_shuffle_ps(x1y1, high, _MM_SHUFFLE(1, 0, 2, 0)));
    _mm_storeu_ps(out + 8, _mm_shuffle_ps(y2v3, x3y3, _MM_SHUFFLE(2, 0, 2, 0)));
}

// TwoPlanes' sums four planes at a time: value at the origin, d/dx and d/dy.
struct TFourPlanes
{
    __m256d value, dx, dy;
};

[[gnu::target("avx2")]] inline TFourPlanes FourPlaneSums(const __m256d weights[3][3], __m256d ox, __m256d oy,
                                                         __m256d f0, __m256d f1, __m256d f2, __m256d bias)
{
    __m256d sums[3];
    for (int j = 0; j < 3; ++j)
    {
        sums[j] =
            _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(f0, weights[0][j]), _mm256_mul_pd(f1, weights[1][j])),
                          _mm256_mul_pd(f2, weights[2][j]));
    }
    const __m256d dx = sums[0], dy = sums[1];
    const __m256d value = _mm256_add_pd(
        _mm256_add_pd(_mm256_add_pd(sums[2], _mm256_mul_pd(dx, ox)), _mm256_mul_pd(dy, oy)), bias);
    return {value, dx, dy};
}

// Four planes written plane by plane.
[[gnu::target("avx2")]] inline void FourPlanes(const __m256d weights[3][3], __m256d ox, __m256d oy, __m256d f0,
                                               __m256d f1, __m256d f2, float* out)
{
    const TFourPlanes p = FourPlaneSums(weights, ox, oy, f0, f1, f2, _mm256_setzero_pd());
    StoreFourPlanes(_mm256_cvtpd_ps(p.value), _mm256_cvtpd_ps(p.dx), _mm256_cvtpd_ps(p.dy), out);
}

// Lane i of v in all four.
[[gnu::target("avx2")]] inline __m256d BroadcastLane(__m256d v, int i)
{
    switch (i)
    {
    case 0:
        return _mm256_permute4x64_pd(v, 0x00);
    case 1:
        return _mm256_permute4x64_pd(v, 0x55);
    default:
        return _mm256_permute4x64_pd(v, 0xAA);
    }
}

// Two lanes as the low half of four, the unused upper half zero (no slow arithmetic on stray
// values).
[[gnu::target("avx2")]] inline __m256d LowLanes(__m128d v)
{
    return _mm256_zextpd128_pd256(v);
}

// Four of a corner's values from `i` on, made doubles.
[[gnu::target("avx2")]] inline __m256d FourValues(const float* values, int i)
{
    return _mm256_cvtps_pd(_mm_loadu_ps(values + i));
}

} // namespace

TPrimitiveSetup::TPrimitiveSetup(const TDrawCall& call, int varyings, TTileBins& bins, int run)
    : call_(call), varyings_(varyings), bins_(bins), run_(run)
{
    const DWORD* rs = call_.renderStates;
    cull_ = rs[D3DRS_CULLMODE];
    fill_ = rs[D3DRS_FILLMODE];
    depthAndWBias_ = _mm_setr_pd(StateFloat(rs[D3DRS_DEPTHBIAS]), 0.0);
    slopeBias_ = StateFloat(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
    pointSize_ = StateFloat(rs[D3DRS_POINTSIZE]);
    pointSprite_ = rs[D3DRS_POINTSPRITEENABLE] != 0;
    lastPixel_ = rs[D3DRS_LASTPIXEL] != 0;
    stride_ = kVertexHeader + 4 * varyings;
    // The guard band's edges in clip space: window x = X + (x / w + 1) * Width / 2 kept within
    // +-kGuardBand, and the same for y, which runs down.
    const D3DVIEWPORT9& v = call_.viewport;
    const float halfWidth = 0.5f * float(v.Width), halfHeight = 0.5f * float(v.Height);
    const float centreX = float(v.X) + halfWidth, centreY = float(v.Y) + halfHeight;
    const float guard[kClipPlanes][4] = {{halfWidth, 0.0f, 0.0f, centreX + kGuardBand},
                                         {-halfWidth, 0.0f, 0.0f, kGuardBand - centreX},
                                         {0.0f, -halfHeight, 0.0f, centreY + kGuardBand},
                                         {0.0f, halfHeight, 0.0f, kGuardBand - centreY},
                                         {0.0f, 0.0f, 1.0f, 0.0f},
                                         {0.0f, 0.0f, -1.0f, 1.0f},
                                         {0.0f, 0.0f, 0.0f, 1.0f}};
    std::copy(&guard[0][0], &guard[0][0] + kClipPlanes * 4, &clipPlanes_[0][0]);
    for (int side = 0; side < 4; ++side)
    {
        guardScale_[side] = _mm_set1_ps(guard[side][side < 2 ? 0 : 1]);
        guardOffset_[side] = _mm_set1_ps(guard[side][3]);
    }
    // A pixel inside the band's edges leaves room for the rounding of their tests.
    viewportInGuard_ = double(v.X) + v.Width <= kGuardBand - 1 && double(v.Y) + v.Height <= kGuardBand - 1;
    const RECT& clip = call_.clip;
    // Planes take their values at the draw's origin, where every triangle of the draw has its
    // origin: triangles sharing a plane get the same coefficients.
    originX_ = _mm_set1_pd(call_.originX);
    originY_ = _mm_set1_pd(call_.originY);
    // Saturated to words, as the pixels Setup clamps (within +-2^14) never reach.
    boxLow_ = _mm_packs_epi32(_mm_setr_epi32(clip.left, clip.top, INT32_MIN, INT32_MIN), _mm_setzero_si128());
    boxHigh_ =
        _mm_packs_epi32(_mm_setr_epi32(INT32_MAX, INT32_MAX, clip.right - 1, clip.bottom - 1), _mm_setzero_si128());
    // Halving is exact, so the halved sizes give the same bits as halving each time.
    screenX_ = _mm_set1_ps(float(v.X));
    screenY_ = _mm_set1_ps(float(v.Y));
    halfWidth_ = _mm_set1_ps(0.5f * float(v.Width));
    halfHeight_ = _mm_set1_ps(0.5f * float(v.Height));
    minZ_ = _mm_set1_ps(v.MinZ);
    depthRange_ = _mm_set1_ps(v.MaxZ - v.MinZ);
    toWindow_[0] = _mm_set1_pd(0.5 * v.Width);
    toWindow_[1] = _mm_set1_pd(v.X + 0.5 * v.Width);
    toWindow_[2] = _mm_set1_pd(0.5 * v.Height);
    toWindow_[3] = _mm_set1_pd(v.Y + 0.5 * v.Height);
    toWindow_[4] = _mm_set1_pd(v.MinZ);
    toWindow_[5] = _mm_set1_pd(double(v.MaxZ - v.MinZ));
}

TPrimitiveSetup::~TPrimitiveSetup()
{
    BinPending();
}

float TPrimitiveSetup::ClipDistance(int plane, const float* p) const
{
    const float* k = clipPlanes_[plane];
    const float distance = k[0] * p[0] + k[1] * p[1] + k[2] * p[2] + k[3] * p[3];
    return plane == kClipPlanes - 1 ? distance - kMinW : distance;
}

// The helpers on corner lanes are inlined: on 32-bit x86 a call passes the lanes through memory.
[[gnu::always_inline]] inline TPrimitiveSetup::TCorners TPrimitiveSetup::Corners(const float* a,
                                                                                 const float* b,
                                                                                 const float* c)
{
    // A float at a time: the corners have often just been shaded, and a wide load of a vertex
    // model's narrower stores would wait for them to finish.
    return {Lanes(a[0], b[0], c[0]), Lanes(a[1], b[1], c[1]), Lanes(a[2], b[2], c[2]),
            Lanes(a[3], b[3], c[3])};
}

[[gnu::always_inline]] inline TPrimitiveSetup::TOutcodes TPrimitiveSetup::Outcodes(const TCorners& p) const
{
    // For each plane the corners outside it, with the same sums as ClipDistance, four planes'
    // lanes packed into the bits of one mask, four bits a plane.
    auto below = [](__m128 distance) { return _mm_castps_si128(_mm_cmplt_ps(distance, _mm_setzero_ps())); };
    auto guard = [&](int side, __m128 v) {
        return below(_mm_add_ps(_mm_mul_ps(guardScale_[side], v), _mm_mul_ps(guardOffset_[side], p.w)));
    };
    auto mask = [](__m128i a, __m128i b, __m128i c, __m128i d) {
        return _mm_movemask_epi8(_mm_packs_epi16(_mm_packs_epi32(a, b), _mm_packs_epi32(c, d)));
    };
    const int sides = mask(below(_mm_add_ps(p.w, p.x)), below(_mm_sub_ps(p.w, p.x)),
                           below(_mm_add_ps(p.w, p.y)), below(_mm_sub_ps(p.w, p.y)));
    const int depth = mask(below(p.z), below(_mm_sub_ps(p.w, p.z)),
                           _mm_castps_si128(_mm_cmpnge_ps(p.w, _mm_set1_ps(kMinW))),
                           below(_mm_sub_ps(p.w, _mm_set1_ps(kMinW))));
    // Corners inside the view volume's sides lie inside the guard band too, where it holds the
    // viewport.
    const int guards =
        sides == 0 && viewportInGuard_ ? 0 : mask(guard(0, p.x), guard(1, p.x), guard(2, p.y), guard(3, p.y));
    // A plane's four bits are all set where all corners lie outside it (the fourth lane
    // repeats the third); the last of depth's four is the clip planes' own test of w.
    auto allCorners = [](int m) {
        m &= m >> 1;
        return m & m >> 2 & 0x1111;
    };
    return {allCorners(sides) | allCorners(depth & 0x0FFF),
            guards | (depth & 0xFF) << 16 | (depth & 0xF000) << 12};
}

[[gnu::always_inline]] inline TPrimitiveSetup::TCorners TPrimitiveSetup::ToScreen(const TCorners& p) const
{
    const __m128 one = _mm_set1_ps(1.0f);
    const __m128 ow = _mm_div_ps(one, p.w);
    const __m128 x = _mm_mul_ps(_mm_add_ps(_mm_mul_ps(p.x, ow), one), halfWidth_);
    const __m128 y = _mm_mul_ps(_mm_sub_ps(one, _mm_mul_ps(p.y, ow)), halfHeight_);
    const __m128 z = _mm_mul_ps(_mm_mul_ps(p.z, ow), depthRange_);
    return {_mm_add_ps(screenX_, x), _mm_add_ps(screenY_, y), _mm_add_ps(minZ_, z), ow};
}

TPrimitiveSetup::TScreenVertex TPrimitiveSetup::ToScreen(const float* v) const
{
    const TCorners s = ToScreen(Corners(v, v, v));
    return {_mm_cvtss_f32(s.x), _mm_cvtss_f32(s.y), _mm_cvtss_f32(s.z), _mm_cvtss_f32(s.w),
            v + kVertexHeader};
}

[[gnu::always_inline]] inline TPrimitiveSetup::THomogeneous TPrimitiveSetup::FromClip(
    const TCorners& p, const float* const varyings[3]) const
{
    const __m128d* k = toWindow_;
    const TCornerDoubles w = Widen(p.w);
    return {k[1] * w + k[0] * Widen(p.x),
            k[3] * w - k[2] * Widen(p.y),
            w,
            k[4] * w + k[5] * Widen(p.z),
            {varyings[0], varyings[1], varyings[2]}};
}

TPrimitiveSetup::THomogeneous TPrimitiveSetup::FromScreen(const TScreenVertex corners[3])
{
    double x[3], y[3], w[3], z[3];
    for (int i = 0; i < 3; ++i)
    {
        w[i] = 1.0 / double(corners[i].ow);
        x[i] = corners[i].x * w[i];
        y[i] = corners[i].y * w[i];
        z[i] = corners[i].z * w[i];
    }
    return {Values(x[0], x[1], x[2]),
            Values(y[0], y[1], y[2]),
            Values(w[0], w[1], w[2]),
            Values(z[0], z[1], z[2]),
            {corners[0].varying, corners[1].varying, corners[2].varying}};
}

void TPrimitiveSetup::Triangle(const float* a, const float* b, const float* c)
{
    const TCorners corners = Corners(a, b, c);
    const TOutcodes codes = Outcodes(corners);
    if (codes.outside)
        return;
    if (fill_ != D3DFILL_SOLID)
    {
        EdgesOrCorners(a, b, c);
        return;
    }
    // Every piece interpolates the whole triangle's planes.
    clipCorners_ = corners;
    clipVaryings_[0] = a + kVertexHeader;
    clipVaryings_[1] = b + kVertexHeader;
    clipVaryings_[2] = c + kVertexHeader;
    planesMade_ = false;
    if (codes.clip == 0)
    {
        const TCorners screen = ToScreen(corners);
        Setup(screen.x, screen.y, true);
        return;
    }
    // Sutherland-Hodgman against the planes some corner lies outside of, then a fan.
    const float* polygon[kMaxClipVertices] = {a, b, c};
    int count = 3;
    scratch_.resize(size_t(kMaxClipVertices) * stride_);
    int used = 0;
    for (int plane = 0; plane < kClipPlanes && count >= 3; ++plane)
    {
        if (!codes.Clips(plane))
            continue;
        const float* next[kMaxClipVertices];
        int kept = 0;
        for (int i = 0; i < count && kept < kMaxClipVertices - 1; ++i)
        {
            const float* p = polygon[i];
            const float* q = polygon[(i + 1) % count];
            const float dp = ClipDistance(plane, p), dq = ClipDistance(plane, q);
            if (dp >= 0.0f)
                next[kept++] = p;
            if ((dp >= 0.0f) != (dq >= 0.0f) && used < kMaxClipVertices)
            {
                float* out = &scratch_[size_t(used++) * stride_];
                MixVertex(p, q, dp / (dp - dq), stride_, out);
                next[kept++] = out;
            }
        }
        count = kept;
        std::copy(next, next + count, polygon);
    }
    if (count < 3)
        return;
    for (int i = 1; i + 1 < count; ++i)
    {
        const TCorners screen = ToScreen(Corners(polygon[0], polygon[i], polygon[i + 1]));
        Setup(screen.x, screen.y, true);
    }
}

void TPrimitiveSetup::Line(const float* a, const float* b)
{
    // Parametric clipping of the segment, against the same planes as triangles.
    float t0 = 0.0f, t1 = 1.0f;
    for (int plane = 0; plane < kClipPlanes; ++plane)
    {
        const float da = ClipDistance(plane, a), db = ClipDistance(plane, b);
        if (!(da >= 0.0f) && !(db >= 0.0f))
            return;
        if (da < 0.0f)
            t0 = std::max(t0, da / (da - db));
        else if (db < 0.0f)
            t1 = std::min(t1, da / (da - db));
    }
    if (!(t0 <= t1))
        return;
    lineEnds_.resize(size_t(2) * stride_);
    MixVertex(a, b, t0, stride_, &lineEnds_[0]);
    MixVertex(a, b, t1, stride_, &lineEnds_[stride_]);
    const bool clippedEnd = t1 < 1.0f;
    TScreenVertex p = ToScreen(&lineEnds_[0]);
    TScreenVertex q = ToScreen(&lineEnds_[stride_]);
    // A line is a parallelogram one pixel across its minor axis; the top-left rule then
    // lights one pixel per step of the major axis, from the first end up to the last.
    const float dx = q.x - p.x, dy = q.y - p.y;
    const bool xMajor = std::fabs(dx) >= std::fabs(dy);
    const float length = xMajor ? std::fabs(dx) : std::fabs(dy);
    if (length == 0.0f)
        return;
    if (lastPixel_ && !clippedEnd)
    {
        q.x += dx / length;
        q.y += dy / length;
    }
    const float ox = xMajor ? 0.0f : 0.5f, oy = xMajor ? 0.5f : 0.0f;
    TScreenVertex corners[4] = {p, q, q, p};
    corners[0].x -= ox;
    corners[0].y -= oy;
    corners[1].x -= ox;
    corners[1].y -= oy;
    corners[2].x += ox;
    corners[2].y += oy;
    corners[3].x += ox;
    corners[3].y += oy;
    Quad(corners);
}

void TPrimitiveSetup::Point(const float* a)
{
    // Points are drawn whole or not at all, by their centre.
    if (Outcodes(Corners(a, a, a)).outside)
        return;
    const TScreenVertex centre = ToScreen(a);
    float size = a[4] > 0.0f ? a[4] : pointSize_;
    size = std::clamp(size, StateFloat(call_.renderStates[D3DRS_POINTSIZE_MIN]),
                      StateFloat(call_.renderStates[D3DRS_POINTSIZE_MAX]));
    const float half = std::max(size, 1.0f) * 0.5f;
    TScreenVertex corners[4] = {centre, centre, centre, centre};
    const float offsets[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    if (pointSprite_)
    {
        // Point sprites get texture coordinates 0..1 across the square in varying 1 on.
        sprite_.assign(size_t(4) * varyings_ * 4, 0.0f);
        for (int corner = 0; corner < 4; ++corner)
        {
            float* varyings = &sprite_[size_t(corner) * varyings_ * 4];
            std::copy(centre.varying, centre.varying + varyings_ * 4, varyings);
            for (int v = 1; v < varyings_; ++v)
            {
                varyings[v * 4 + 0] = corner == 1 || corner == 2 ? 1.0f : 0.0f;
                varyings[v * 4 + 1] = corner >= 2 ? 1.0f : 0.0f;
            }
            corners[corner].varying = varyings;
        }
    }
    for (int corner = 0; corner < 4; ++corner)
    {
        corners[corner].x += offsets[corner][0];
        corners[corner].y += offsets[corner][1];
    }
    Quad(corners);
}

void TPrimitiveSetup::Quad(const TScreenVertex corners[4])
{
    // Both halves interpolate the planes through the first three corners.
    source_ = FromScreen(corners);
    clipVaryings_[0] = nullptr;
    planesMade_ = false;
    Setup(Lanes(corners[0].x, corners[1].x, corners[2].x), Lanes(corners[0].y, corners[1].y, corners[2].y),
          false);
    Setup(Lanes(corners[0].x, corners[2].x, corners[3].x), Lanes(corners[0].y, corners[2].y, corners[3].y),
          false);
}

void TPrimitiveSetup::EdgesOrCorners(const float* a, const float* b, const float* c)
{
    // The winding of the projected triangle, also where a corner lies behind the eye: the
    // determinant of the homogeneous positions carries the sign of each w.
    const float* corners[3] = {a, b, c};
    const float* varyings[3] = {a + kVertexHeader, b + kVertexHeader, c + kVertexHeader};
    const THomogeneous h = FromClip(Corners(a, b, c), varyings);
    TCornerDoubles cofactors[3];
    Cofactors(h, cofactors);
    const double winding = Determinant(h, cofactors) * Lane(h.w, 0) * Lane(h.w, 1) * Lane(h.w, 2);
    if (Culled(winding > 0.0 ? 1.0f : winding < 0.0 ? -1.0f : 0.0f))
        return;
    for (int i = 0; i < 3; ++i)
    {
        if (fill_ == D3DFILL_WIREFRAME)
            Line(corners[i], corners[(i + 1) % 3]);
        else
            Point(corners[i]);
    }
}

bool TPrimitiveSetup::Culled(float area) const
{
    if (area == 0.0f)
        return true;
    return (cull_ == D3DCULL_CCW && area < 0.0f) || (cull_ == D3DCULL_CW && area > 0.0f);
}

[[gnu::always_inline]] inline void TPrimitiveSetup::Cofactors(const THomogeneous& h,
                                                              TCornerDoubles cofactors[3])
{
    // Corner i's from the other two, p = i + 1 and q = i + 2.
    const TCornerDoubles px = Next(h.x), py = Next(h.y), pw = Next(h.w);
    const TCornerDoubles qx = AfterNext(h.x), qy = AfterNext(h.y), qw = AfterNext(h.w);
    cofactors[0] = py * qw - pw * qy;
    cofactors[1] = pw * qx - px * qw;
    cofactors[2] = px * qy - py * qx;
}

double TPrimitiveSetup::Determinant(const THomogeneous& h, const TCornerDoubles cofactors[3])
{
    return Lane(h.x, 0) * Lane(cofactors[0], 0) + Lane(h.y, 0) * Lane(cofactors[1], 0) +
           Lane(h.w, 0) * Lane(cofactors[2], 0);
}

[[gnu::always_inline]] inline bool TPrimitiveSetup::SourcePlanes()
{
    // Called straight where it can be: a triangle's planes on AVX2 need no frame of their own.
    return clipVaryings_[0] && RasteriserSimdLevel() == ESimdLevel::Avx2 ? TrianglePlanesAvx2()
                                                                         : GeneralPlanes();
}

bool TPrimitiveSetup::GeneralPlanes()
{
    // A triangle's corners are passed on as made, not stored: copying them whole would read
    // its varying pointers back as one wide load and wait for their narrow stores.
    return clipVaryings_[0] ? Planes(FromClip(clipCorners_, clipVaryings_)) : Planes(source_);
}

void TPrimitiveSetup::FinishPlanes(double depthSlope, double w0, double w1, double w2)
{
    float* const out = records_[current_] + kHeaderFloats;
    // The depth plane's own slope scales its bias.
    out[0] += float(slopeBias_ * depthSlope);
    if (w0 == w1 && w1 == w2)
    {
        // Without perspective 1/w is the same everywhere: said exactly, rather than as slopes
        // of rounding noise, so that shading sees it is flat.
        out[3] = float(1.0 / w0);
        out[4] = 0.0f;
        out[5] = 0.0f;
    }
}

[[gnu::always_inline]] inline bool TPrimitiveSetup::Planes(const THomogeneous& h)
{
    // With the corners' homogeneous positions as the columns of a matrix M, the window point
    // (x, y, 1) is M times weights whose sum is 1/w there; any value f given at the corners
    // has f/w = f . weights, a plane in x and y. The rows of M's inverse give the weights.
    TCornerDoubles rows[3];
    Cofactors(h, rows);
    const double det = Determinant(h, rows);
    if (!(det != 0.0) || !std::isfinite(det))
        return false;
    const __m128d inverse = _mm_set1_pd(1.0 / det);
    for (TCornerDoubles& row : rows)
        row = inverse * row;
    __m128d weights[3][3];
    for (int i = 0; i < 3; ++i)
    {
        for (int j = 0; j < 3; ++j)
            weights[i][j] = Corner(rows[j], i);
    }
    float* const out = records_[current_] + kHeaderFloats;
    // Depth with its bias beside 1/w, then the varyings two at a time.
    auto depthAndW = [&](int k) { return _mm_setr_pd(Lane(h.z, k), 1.0); };
    const double slope = TwoPlanes(weights, originX_, originY_, depthAndW(0), depthAndW(1), depthAndW(2),
                                   depthAndWBias_, out);
    // Copied: the planes' stores could otherwise be taken to change them on every pass.
    const float *const a = h.varying[0], *const b = h.varying[1], *const c = h.varying[2];
    const int components = varyings_ * 4;
    for (int i = 0; i < components; i += 2)
    {
        TwoPlanes(weights, originX_, originY_, TwoValues(a, i), TwoValues(b, i), TwoValues(c, i),
                  _mm_setzero_pd(), out + 3 * (2 + i));
    }
    FinishPlanes(slope, Lane(h.w, 0), Lane(h.w, 1), Lane(h.w, 2));
    return true;
}

bool TPrimitiveSetup::TrianglePlanesAvx2()
{
    // Planes with the corners a lane each (the fourth repeating the third), as Planes has
    // them, then four planes to a register.
    const TCorners& p = clipCorners_;
    __m256d k[6];
    for (int i = 0; i < 6; ++i)
        k[i] = _mm256_broadcastsd_pd(toWindow_[i]);
    const __m256d w = _mm256_cvtps_pd(p.w);
    const __m256d x = _mm256_add_pd(_mm256_mul_pd(k[1], w), _mm256_mul_pd(k[0], _mm256_cvtps_pd(p.x)));
    const __m256d y = _mm256_sub_pd(_mm256_mul_pd(k[3], w), _mm256_mul_pd(k[2], _mm256_cvtps_pd(p.y)));
    const __m256d z = _mm256_add_pd(_mm256_mul_pd(k[4], w), _mm256_mul_pd(k[5], _mm256_cvtps_pd(p.z)));
    // Corner i + 1 in lane i, and corner i + 2.
    constexpr int kNext = _MM_SHUFFLE(0, 0, 2, 1), kAfterNext = _MM_SHUFFLE(1, 1, 0, 2);
    const __m256d px = _mm256_permute4x64_pd(x, kNext), py = _mm256_permute4x64_pd(y, kNext);
    const __m256d pw = _mm256_permute4x64_pd(w, kNext);
    const __m256d qx = _mm256_permute4x64_pd(x, kAfterNext), qy = _mm256_permute4x64_pd(y, kAfterNext);
    const __m256d qw = _mm256_permute4x64_pd(w, kAfterNext);
    __m256d rows[3] = {_mm256_sub_pd(_mm256_mul_pd(py, qw), _mm256_mul_pd(pw, qy)),
                       _mm256_sub_pd(_mm256_mul_pd(pw, qx), _mm256_mul_pd(px, qw)),
                       _mm256_sub_pd(_mm256_mul_pd(px, qy), _mm256_mul_pd(py, qx))};
    const double det = _mm256_cvtsd_f64(x) * _mm256_cvtsd_f64(rows[0]) +
                       _mm256_cvtsd_f64(y) * _mm256_cvtsd_f64(rows[1]) +
                       _mm256_cvtsd_f64(w) * _mm256_cvtsd_f64(rows[2]);
    if (!(det != 0.0) || !std::isfinite(det))
        return false;
    // The cofactors are spread across lanes while the division runs: each weight is the same
    // product of inverse and cofactor as scaling the rows first.
    __m256d weights[3][3];
    for (int j = 0; j < 3; ++j)
    {
        for (int i = 0; i < 3; ++i)
            weights[i][j] = BroadcastLane(rows[j], i);
    }
    const __m256d inverse = _mm256_set1_pd(1.0 / det);
    for (int j = 0; j < 3; ++j)
    {
        for (int i = 0; i < 3; ++i)
            weights[i][j] = _mm256_mul_pd(inverse, weights[i][j]);
    }
    const __m256d ox = _mm256_broadcastsd_pd(originX_), oy = _mm256_broadcastsd_pd(originY_);
    float* const out = records_[current_] + kHeaderFloats;
    // Depth with its bias beside 1/w in the low lanes, then the varyings four at a time.
    const __m128d one = _mm_set1_pd(1.0), zLow = _mm256_castpd256_pd128(z),
                  zHigh = _mm256_extractf128_pd(z, 1);
    const TFourPlanes depthAndW =
        FourPlaneSums(weights, ox, oy, LowLanes(_mm_unpacklo_pd(zLow, one)), LowLanes(_mm_unpackhi_pd(zLow, one)),
                      LowLanes(_mm_unpacklo_pd(zHigh, one)), LowLanes(depthAndWBias_));
    const double slope =
        StoreTwoPlanes(_mm256_castpd256_pd128(depthAndW.value), _mm256_castpd256_pd128(depthAndW.dx),
                       _mm256_castpd256_pd128(depthAndW.dy), out);
    // Copied: the planes' stores could otherwise be taken to change them on every pass.
    const float *const a = clipVaryings_[0], *const b = clipVaryings_[1], *const c = clipVaryings_[2];
    const int components = varyings_ * 4;
    for (int i = 0; i < components; i += 4)
        FourPlanes(weights, ox, oy, FourValues(a, i), FourValues(b, i), FourValues(c, i), out + 3 * (2 + i));
    FinishPlanes(slope, _mm_cvtss_f32(p.w), _mm_cvtss_f32(_mm_shuffle_ps(p.w, p.w, 1)),
                 _mm_cvtss_f32(_mm_movehl_ps(p.w, p.w)));
    return true;
}

[[gnu::always_inline]] inline void TPrimitiveSetup::Setup(__m128 screenX, __m128 screenY, bool cull)
{
    // Positions far outside the target (a point's square, or values no clipping tamed)
    // would overflow the fixed-point edge functions.
    const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF)), limit = _mm_set1_ps(16384.0f);
    const __m128 inside = _mm_and_ps(_mm_cmplt_ps(_mm_and_ps(screenX, magnitude), limit),
                                     _mm_cmplt_ps(_mm_and_ps(screenY, magnitude), limit));
    if (_mm_movemask_ps(inside) != 0xF)
        return;
    __m128i xs = ToFixed(screenX), ys = ToFixed(screenY);
    // Twice the area from corner 0's two edges, (x1 - x0)(y2 - y0) - (x2 - x0)(y1 - y0): the
    // differences of 28.4 positions stay below 2^19, so the products and their difference are
    // exact in doubles.
    const __m128i edgeX = _mm_sub_epi32(_mm_shuffle_epi32(xs, _MM_SHUFFLE(0, 0, 2, 1)), _mm_shuffle_epi32(xs, 0));
    const __m128i edgeY = _mm_sub_epi32(_mm_shuffle_epi32(ys, _MM_SHUFFLE(0, 0, 1, 2)), _mm_shuffle_epi32(ys, 0));
    const __m128d products = _mm_mul_pd(_mm_cvtepi32_pd(edgeX), _mm_cvtepi32_pd(edgeY));
    const double area = _mm_cvtsd_f64(_mm_sub_sd(products, _mm_unpackhi_pd(products, products)));
    if (area == 0.0 || (cull && Culled(area > 0.0 ? 1.0f : -1.0f)))
        return;
    const bool front = area > 0.0;
    // The pixels whose centres the triangle may cover, within the clip rectangle, from the
    // corners' least and greatest fixed-point positions (exact in floats). Lanes: least x and y,
    // greatest x and y.
    const __m128 fixedX = _mm_cvtepi32_ps(xs), fixedY = _mm_cvtepi32_ps(ys);
    const __m128 low = _mm_unpacklo_ps(fixedX, fixedY), high = _mm_unpackhi_ps(fixedX, fixedY);
    __m128 least = _mm_min_ps(low, high), most = _mm_max_ps(low, high);
    least = _mm_min_ps(least, _mm_movehl_ps(least, least));
    most = _mm_max_ps(most, _mm_movehl_ps(most, most));
    const __m128i extremes = _mm_cvttps_epi32(_mm_movelh_ps(least, most));
    const __m128i pixels =
        _mm_srai_epi32(_mm_add_epi32(extremes, _mm_setr_epi32(kSubpixel - 1, kSubpixel - 1, 0, 0)), 4);
    // Clamped as words, the record's own form: pixels stay within +-2^14.
    const __m128i bounds = _mm_min_epi16(_mm_max_epi16(_mm_packs_epi32(pixels, pixels), boxLow_), boxHigh_);
    if (_mm_movemask_epi8(_mm_cmpgt_epi16(bounds, _mm_shuffle_epi32(bounds, _MM_SHUFFLE(1, 1, 1, 1)))) & 0xF)
        return;
    float* const record = records_[current_];
    if (!planesMade_)
    {
        if (!(planesMade_ = SourcePlanes()))
            return;
        planesIn_ = current_;
    }
    else if (planesIn_ != current_)
    {
        // A later piece of the primitive: its planes are in the other record.
        std::copy_n(records_[planesIn_] + kHeaderFloats, 3 * (2 + 4 * varyings_), record + kHeaderFloats);
        planesIn_ = current_;
    }
    if (!front)
    {
        // Clockwise: corners 1 and 2 change places.
        xs = _mm_shuffle_epi32(xs, _MM_SHUFFLE(1, 1, 2, 0));
        ys = _mm_shuffle_epi32(ys, _MM_SHUFFLE(1, 1, 2, 0));
    }
    // The TBinnedTriangle at the record's head, in two wide stores and a narrow one: binning
    // copies the record at once, and wide loads of narrow stores would wait for them.
    const __m128 fx = _mm_castsi128_ps(xs), fy = _mm_castsi128_ps(ys);
    const __m128 boundsWords = _mm_castsi128_ps(bounds);
    const __m128 x2y0 = _mm_shuffle_ps(fx, fy, _MM_SHUFFLE(0, 0, 2, 2));
    _mm_storeu_ps(record, _mm_shuffle_ps(fx, x2y0, _MM_SHUFFLE(2, 0, 1, 0)));
    _mm_storeu_ps(record + 4, _mm_shuffle_ps(fy, boundsWords, _MM_SHUFFLE(1, 0, 2, 1)));
    const std::int32_t frontFace = front || !cull;
    std::memcpy(record + 8, &frontFace, 4);
    BinPending();
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pendingBox_), bounds);
    pending_ = true;
    current_ ^= 1;
}

[[gnu::always_inline]] inline void TPrimitiveSetup::BinPending()
{
    if (pending_)
        bins_.Add(run_, pendingBox_[0], pendingBox_[1], pendingBox_[2], pendingBox_[3], records_[current_ ^ 1]);
}

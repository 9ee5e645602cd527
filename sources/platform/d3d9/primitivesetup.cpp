#include "platform/d3d9/primitivesetup.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <emmintrin.h>

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

// A position in 28.4 fixed point, rounded half away from zero as lround does, without the
// library call; exact for the positions set-up accepts (|x| < 2^14 pixels).
int ToFixed(float pixels)
{
    const float f = pixels * kSubpixel;
    const int truncated = int(f);
    const float rest = f - float(truncated);
    return truncated + (rest >= 0.5f) - (rest <= -0.5f);
}

} // namespace

TPrimitiveSetup::TPrimitiveSetup(const TDrawCall& call, int varyings, TTileBins& bins, int run)
    : call_(call), varyings_(varyings), bins_(bins), run_(run)
{
    const DWORD* rs = call_.renderStates;
    cull_ = rs[D3DRS_CULLMODE];
    fill_ = rs[D3DRS_FILLMODE];
    depthBias_ = StateFloat(rs[D3DRS_DEPTHBIAS]);
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
        guardScale_[side] = guard[side][side < 2 ? 0 : 1];
        guardOffset_[side] = guard[side][3];
    }
    // Halving is exact, so the halved sizes give the same bits as halving each time.
    screenX_ = float(v.X);
    screenY_ = float(v.Y);
    halfWidth_ = 0.5f * float(v.Width);
    halfHeight_ = 0.5f * float(v.Height);
    minZ_ = v.MinZ;
    depthRange_ = v.MaxZ - v.MinZ;
    toWindow_[0] = 0.5 * v.Width;
    toWindow_[1] = v.X + 0.5 * v.Width;
    toWindow_[2] = 0.5 * v.Height;
    toWindow_[3] = v.Y + 0.5 * v.Height;
    toWindow_[4] = v.MinZ;
    toWindow_[5] = double(v.MaxZ - v.MinZ);
}

float TPrimitiveSetup::ClipDistance(int plane, const float* p) const
{
    const float* k = clipPlanes_[plane];
    const float distance = k[0] * p[0] + k[1] * p[1] + k[2] * p[2] + k[3] * p[3];
    return plane == kClipPlanes - 1 ? distance - kMinW : distance;
}

int TPrimitiveSetup::Codes(const float* p) const
{
    // The sides four at a time, with the same sums as ClipDistance.
    const float z = p[2], w = p[3];
    const __m128 ww = _mm_set1_ps(w), zero = _mm_setzero_ps();
    const __m128 xy = _mm_loadl_pi(zero, reinterpret_cast<const __m64*>(p));
    const __m128 xxyy = _mm_shuffle_ps(xy, xy, _MM_SHUFFLE(1, 1, 0, 0));
    // w + x, w - x, w + y, w - y
    const int sides =
        _mm_movemask_ps(_mm_cmplt_ps(_mm_add_ps(ww, _mm_mul_ps(xxyy, _mm_setr_ps(1.0f, -1.0f, 1.0f, -1.0f))), zero));
    const int guard = _mm_movemask_ps(_mm_cmplt_ps(
        _mm_add_ps(_mm_mul_ps(_mm_loadu_ps(guardScale_), xxyy), _mm_mul_ps(_mm_loadu_ps(guardOffset_), ww)), zero));
    const int depth = int(z < 0.0f) | int(w - z < 0.0f) << 1;
    const int view = sides | depth << 4 | int(!(w >= kMinW)) << 6;
    const int clip = guard | depth << 4 | int(w - kMinW < 0.0f) << 6;
    return view | clip << 8;
}

TPrimitiveSetup::TScreenVertex TPrimitiveSetup::ToScreen(const float* v) const
{
    const float ow = 1.0f / v[3];
    TScreenVertex s;
    s.x = screenX_ + (v[0] * ow + 1.0f) * halfWidth_;
    s.y = screenY_ + (1.0f - v[1] * ow) * halfHeight_;
    s.z = minZ_ + v[2] * ow * depthRange_;
    s.ow = ow;
    s.varying = v + kVertexHeader;
    return s;
}

TPrimitiveSetup::THomogeneous TPrimitiveSetup::FromClip(const float* v) const
{
    const double* k = toWindow_;
    const double w = v[3];
    return {k[1] * w + k[0] * v[0], k[3] * w - k[2] * v[1], w, k[4] * w + k[5] * v[2], v + kVertexHeader};
}

TPrimitiveSetup::THomogeneous TPrimitiveSetup::FromScreen(const TScreenVertex& v)
{
    const double w = 1.0 / double(v.ow);
    return {v.x * w, v.y * w, w, v.z * w, v.varying};
}

void TPrimitiveSetup::Triangle(const float* a, const float* b, const float* c)
{
    const int codesA = Codes(a), codesB = Codes(b), codesC = Codes(c);
    if (codesA & codesB & codesC & 0x7F)
        return;
    if (fill_ != D3DFILL_SOLID)
    {
        EdgesOrCorners(a, b, c);
        return;
    }
    // Every piece interpolates the whole triangle's planes.
    clipSource_[0] = a;
    clipSource_[1] = b;
    clipSource_[2] = c;
    planesMade_ = false;
    const int codes = (codesA | codesB | codesC) >> 8;
    if (codes == 0)
    {
        Setup(ToScreen(a), ToScreen(b), ToScreen(c), true);
        return;
    }
    // Sutherland-Hodgman against the planes some corner lies outside of, then a fan.
    const float* polygon[kMaxClipVertices] = {a, b, c};
    int count = 3;
    scratch_.resize(size_t(kMaxClipVertices) * stride_);
    int used = 0;
    for (int plane = 0; plane < kClipPlanes && count >= 3; ++plane)
    {
        if (!(codes & (1 << plane)))
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
    const TScreenVertex first = ToScreen(polygon[0]);
    for (int i = 1; i + 1 < count; ++i)
        Setup(first, ToScreen(polygon[i]), ToScreen(polygon[i + 1]), true);
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
    if (Codes(a) & 0x7F)
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
    for (int i = 0; i < 3; ++i)
        source_[i] = FromScreen(corners[i]);
    clipSource_[0] = nullptr;
    planesMade_ = false;
    Setup(corners[0], corners[1], corners[2], false);
    Setup(corners[0], corners[2], corners[3], false);
}

void TPrimitiveSetup::EdgesOrCorners(const float* a, const float* b, const float* c)
{
    // The winding of the projected triangle, also where a corner lies behind the eye: the
    // determinant of the homogeneous positions carries the sign of each w.
    const THomogeneous h[3] = {FromClip(a), FromClip(b), FromClip(c)};
    const double winding = Determinant(h) * h[0].w * h[1].w * h[2].w;
    if (Culled(winding > 0.0 ? 1.0f : winding < 0.0 ? -1.0f : 0.0f))
        return;
    const float* corners[3] = {a, b, c};
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

double TPrimitiveSetup::Determinant(const THomogeneous h[3])
{
    return h[0].x * (h[1].y * h[2].w - h[1].w * h[2].y) + h[0].y * (h[1].w * h[2].x - h[1].x * h[2].w) +
           h[0].w * (h[1].x * h[2].y - h[1].y * h[2].x);
}

bool TPrimitiveSetup::SourcePlanes()
{
    // With the corners' homogeneous positions as the columns of a matrix M, the window point
    // (x, y, 1) is M times weights whose sum is 1/w there; any value f given at the corners
    // has f/w = f . weights, a plane in x and y. The rows of M's inverse give the weights.
    if (clipSource_[0])
    {
        for (int i = 0; i < 3; ++i)
            source_[i] = FromClip(clipSource_[i]);
    }
    const THomogeneous* h = source_;
    const double det = Determinant(h);
    if (!(det != 0.0) || !std::isfinite(det))
        return false;
    const double inverse = 1.0 / det;
    double rows[3][3];
    for (int i = 0; i < 3; ++i)
    {
        const THomogeneous& p = h[(i + 1) % 3];
        const THomogeneous& q = h[(i + 2) % 3];
        rows[i][0] = (p.y * q.w - p.w * q.y) * inverse;
        rows[i][1] = (p.w * q.x - p.x * q.w) * inverse;
        rows[i][2] = (p.x * q.y - p.y * q.x) * inverse;
    }
    // Values at the clip rectangle's corner, where every triangle of the draw has its origin:
    // triangles sharing a plane get the same coefficients.
    const double ox = call_.clip.left, oy = call_.clip.top;
    float* const planes = record_ + kHeaderFloats;
    float* out = planes;
    // d/dx and d/dy side by side, with the sums in the order of one at a time.
    const __m128d row0 = _mm_loadu_pd(rows[0]), row1 = _mm_loadu_pd(rows[1]), row2 = _mm_loadu_pd(rows[2]);
    const __m128d origin = _mm_setr_pd(ox, oy);
    auto plane = [&](double f0, double f1, double f2, double bias) {
        const __m128d slopes = _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(f0), row0), _mm_mul_pd(_mm_set1_pd(f1), row1)),
                                          _mm_mul_pd(_mm_set1_pd(f2), row2));
        const double at = f0 * rows[0][2] + f1 * rows[1][2] + f2 * rows[2][2];
        alignas(16) double moved[2], d[2];
        _mm_store_pd(moved, _mm_mul_pd(slopes, origin));
        _mm_store_pd(d, slopes);
        *out++ = float(at + moved[0] + moved[1] + bias);
        _mm_storel_pi(reinterpret_cast<__m64*>(out), _mm_cvtpd_ps(slopes));
        out += 2;
        return std::max(std::fabs(d[0]), std::fabs(d[1]));
    };
    // Depth with its bias; the slope is the plane's own.
    const double slope = plane(h[0].z, h[1].z, h[2].z, depthBias_);
    planes[0] += float(slopeBias_ * slope);
    if (h[0].w == h[1].w && h[1].w == h[2].w)
    {
        // Without perspective 1/w is the same everywhere: said exactly, rather than as slopes
        // of rounding noise, so that shading sees it is flat.
        *out++ = float(1.0 / h[0].w);
        *out++ = 0.0f;
        *out++ = 0.0f;
    }
    else
        plane(1.0, 1.0, 1.0, 0.0);
    for (int i = 0; i < varyings_ * 4; ++i)
        plane(h[0].varying[i], h[1].varying[i], h[2].varying[i], 0.0);
    return true;
}

void TPrimitiveSetup::Setup(TScreenVertex a, TScreenVertex b, TScreenVertex c, bool cull)
{
    // Positions far outside the target (a point's square, or values no clipping tamed)
    // would overflow the fixed-point edge functions.
    constexpr float kLimit = 16384.0f;
    for (const TScreenVertex* v : {&a, &b, &c})
    {
        if (!(std::fabs(v->x) < kLimit && std::fabs(v->y) < kLimit))
            return;
    }
    int x[3] = {ToFixed(a.x), ToFixed(b.x), ToFixed(c.x)};
    int y[3] = {ToFixed(a.y), ToFixed(b.y), ToFixed(c.y)};
    const std::int64_t area =
        std::int64_t(x[1] - x[0]) * (y[2] - y[0]) - std::int64_t(x[2] - x[0]) * (y[1] - y[0]);
    if (area == 0 || (cull && Culled(float(area))))
        return;
    const bool front = area > 0;
    if (!front)
    {
        std::swap(x[1], x[2]);
        std::swap(y[1], y[2]);
    }
    TBinnedTriangle t;
    std::copy(x, x + 3, t.x);
    std::copy(y, y + 3, t.y);
    t.front = front || !cull;
    const RECT& clip = call_.clip;
    const int minX = std::max(int(clip.left), (std::min({x[0], x[1], x[2]}) + kSubpixel - 1) >> 4);
    const int minY = std::max(int(clip.top), (std::min({y[0], y[1], y[2]}) + kSubpixel - 1) >> 4);
    const int maxX = std::min(int(clip.right) - 1, std::max({x[0], x[1], x[2]}) >> 4);
    const int maxY = std::min(int(clip.bottom) - 1, std::max({y[0], y[1], y[2]}) >> 4);
    if (minX > maxX || minY > maxY)
        return;
    if (!planesMade_ && !(planesMade_ = SourcePlanes()))
        return;
    t.minX = std::int16_t(minX);
    t.minY = std::int16_t(minY);
    t.maxX = std::int16_t(maxX);
    t.maxY = std::int16_t(maxY);
    std::memcpy(record_, &t, sizeof(t));
    bins_.Add(run_, t, record_);
}

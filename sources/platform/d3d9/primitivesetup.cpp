#include "platform/d3d9/primitivesetup.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr int kMaxClipVertices = 12;
constexpr float kMinW = 1e-6f;

// Linear interpolation of whole vertices in clip space (clipping).
void MixVertex(const float* a, const float* b, float t, int stride, float* out)
{
    for (int i = 0; i < stride; ++i)
        out[i] = a[i] + (b[i] - a[i]) * t;
}

// Distance of a clip position to one of the six planes of the view volume (>= 0 inside).
float PlaneDistance(int plane, const float* p)
{
    switch (plane)
    {
    case 0:
        return p[3] + p[0];
    case 1:
        return p[3] - p[0];
    case 2:
        return p[3] + p[1];
    case 3:
        return p[3] - p[1];
    case 4:
        return p[2];
    default:
        return p[3] - p[2];
    }
}

int OutCode(const float* p)
{
    int code = 0;
    for (int plane = 0; plane < 6; ++plane)
    {
        if (PlaneDistance(plane, p) < 0.0f)
            code |= 1 << plane;
    }
    if (!(p[3] >= kMinW)) // NaN included
        code |= 1 << 6;
    return code;
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

// Clip space to window coordinates.
TPrimitiveSetup::TScreenVertex ToScreen(const float* v, const D3DVIEWPORT9& viewport)
{
    const float ow = 1.0f / v[3];
    TPrimitiveSetup::TScreenVertex s;
    s.x = float(viewport.X) + (v[0] * ow + 1.0f) * 0.5f * float(viewport.Width);
    s.y = float(viewport.Y) + (1.0f - v[1] * ow) * 0.5f * float(viewport.Height);
    s.z = viewport.MinZ + v[2] * ow * (viewport.MaxZ - viewport.MinZ);
    s.ow = ow;
    s.varying = v + kVertexHeader;
    return s;
}

} // namespace

TPrimitiveSetup::TPrimitiveSetup(const TDrawCall& call, int varyings, std::vector<TSetupTriangle>& triangles,
                                 std::vector<float>& planes)
    : call_(call), varyings_(varyings), triangles_(triangles), planes_(planes)
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
}

void TPrimitiveSetup::Triangle(const float* a, const float* b, const float* c)
{
    const int codes[3] = {OutCode(a), OutCode(b), OutCode(c)};
    if (codes[0] & codes[1] & codes[2])
        return;
    if ((codes[0] | codes[1] | codes[2]) == 0)
    {
        TriangleInside(a, b, c);
        return;
    }
    // Sutherland-Hodgman against the six planes, then a fan.
    const float* polygon[kMaxClipVertices] = {a, b, c};
    int count = 3;
    scratch_.resize(size_t(kMaxClipVertices) * 6 * stride_);
    int used = 0;
    for (int plane = 0; plane < 6 && count >= 3; ++plane)
    {
        const float* next[kMaxClipVertices];
        int kept = 0;
        for (int i = 0; i < count && kept < kMaxClipVertices - 1; ++i)
        {
            const float* p = polygon[i];
            const float* q = polygon[(i + 1) % count];
            const float dp = PlaneDistance(plane, p), dq = PlaneDistance(plane, q);
            if (dp >= 0.0f)
                next[kept++] = p;
            if ((dp >= 0.0f) != (dq >= 0.0f))
            {
                float* out = &scratch_[size_t(used++) * stride_];
                MixVertex(p, q, dp / (dp - dq), stride_, out);
                next[kept++] = out;
            }
        }
        count = kept;
        std::copy(next, next + count, polygon);
    }
    for (int i = 1; i + 1 < count; ++i)
        TriangleInside(polygon[0], polygon[i], polygon[i + 1]);
}

void TPrimitiveSetup::Line(const float* a, const float* b)
{
    // Parametric clipping of the segment.
    float t0 = 0.0f, t1 = 1.0f;
    for (int plane = 0; plane < 6; ++plane)
    {
        const float da = PlaneDistance(plane, a), db = PlaneDistance(plane, b);
        if (da < 0.0f && db < 0.0f)
            return;
        if (da < 0.0f)
            t0 = std::max(t0, da / (da - db));
        else if (db < 0.0f)
            t1 = std::min(t1, da / (da - db));
    }
    if (t0 > t1 || a[3] < kMinW || b[3] < kMinW)
        return;
    lineEnds_.resize(size_t(2) * stride_);
    MixVertex(a, b, t0, stride_, &lineEnds_[0]);
    MixVertex(a, b, t1, stride_, &lineEnds_[stride_]);
    const bool clippedEnd = t1 < 1.0f;
    TScreenVertex p = ToScreen(&lineEnds_[0], call_.viewport);
    TScreenVertex q = ToScreen(&lineEnds_[stride_], call_.viewport);
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
    Setup(corners[0], corners[1], corners[2], false);
    Setup(corners[0], corners[2], corners[3], false);
}

void TPrimitiveSetup::Point(const float* a)
{
    if (OutCode(a))
        return;
    const TScreenVertex centre = ToScreen(a, call_.viewport);
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
    Setup(corners[0], corners[1], corners[2], false);
    Setup(corners[0], corners[2], corners[3], false);
}

void TPrimitiveSetup::TriangleInside(const float* a, const float* b, const float* c)
{
    const TScreenVertex sa = ToScreen(a, call_.viewport), sb = ToScreen(b, call_.viewport),
                        sc = ToScreen(c, call_.viewport);
    if (fill_ == D3DFILL_SOLID)
    {
        Setup(sa, sb, sc, true);
        return;
    }
    // Wireframe and point fill: the edges or corners of triangles that survive culling.
    const float area = (sb.x - sa.x) * (sc.y - sa.y) - (sc.x - sa.x) * (sb.y - sa.y);
    if (Culled(area))
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
        std::swap(b, c);
    }
    TSetupTriangle t;
    std::copy(x, x + 3, t.x);
    std::copy(y, y + 3, t.y);
    t.front = front || !cull;
    const RECT& clip = call_.clip;
    t.minX = std::max(int(clip.left), (std::min({x[0], x[1], x[2]}) + kSubpixel - 1) >> 4);
    t.minY = std::max(int(clip.top), (std::min({y[0], y[1], y[2]}) + kSubpixel - 1) >> 4);
    t.maxX = std::min(int(clip.right) - 1, std::max({x[0], x[1], x[2]}) >> 4);
    t.maxY = std::min(int(clip.bottom) - 1, std::max({y[0], y[1], y[2]}) >> 4);
    if (t.minX > t.maxX || t.minY > t.maxY)
        return;

    // Planes from the snapped positions: value, d/dx, d/dy at vertex 0.
    const float x0 = x[0] / float(kSubpixel), y0 = y[0] / float(kSubpixel);
    const float x1 = x[1] / float(kSubpixel) - x0, y1 = y[1] / float(kSubpixel) - y0;
    const float x2 = x[2] / float(kSubpixel) - x0, y2 = y[2] / float(kSubpixel) - y0;
    const float det = x1 * y2 - x2 * y1;
    t.originX = x0;
    t.originY = y0;
    t.planes = std::uint32_t(planes_.size());
    auto plane = [&](float f0, float f1, float f2) {
        const float d1 = f1 - f0, d2 = f2 - f0;
        planes_.push_back(f0);
        planes_.push_back((d1 * y2 - d2 * y1) / det);
        planes_.push_back((d2 * x1 - d1 * x2) / det);
    };
    plane(a.z, b.z, c.z);
    const size_t zPlane = t.planes;
    const float slope = std::max(std::fabs(planes_[zPlane + 1]), std::fabs(planes_[zPlane + 2]));
    planes_[zPlane] += depthBias_ + slopeBias_ * slope;
    plane(a.ow, b.ow, c.ow);
    for (int i = 0; i < varyings_ * 4; ++i)
        plane(a.varying[i] * a.ow, b.varying[i] * b.ow, c.varying[i] * c.ow);
    triangles_.push_back(t);
}

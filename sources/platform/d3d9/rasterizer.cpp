#include "platform/d3d9/rasterizer.h"

#include "platform/d3d9/format.h"
#include "platform/d3d9/settings.h"
#include "platform/d3d9/vertexdeclaration.h"
#include "platform/d3d9/workerpool.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr int kTileSize = 64;
constexpr int kSubpixel = 16;    // 4 bits of sub-pixel precision
constexpr int kVertexHeader = 5; // clip position (4) and point size
constexpr int kMaxClipVertices = 12;
constexpr float kMinW = 1e-6f;

float AsFloat(DWORD bits)
{
    float value;
    std::memcpy(&value, &bits, 4);
    return value;
}

bool Compare(DWORD function, float a, float b)
{
    switch (function)
    {
    case D3DCMP_NEVER:
        return false;
    case D3DCMP_LESS:
        return a < b;
    case D3DCMP_EQUAL:
        return a == b;
    case D3DCMP_LESSEQUAL:
        return a <= b;
    case D3DCMP_GREATER:
        return a > b;
    case D3DCMP_NOTEQUAL:
        return a != b;
    case D3DCMP_GREATEREQUAL:
        return a >= b;
    default:
        return true;
    }
}

std::uint8_t StencilOp(DWORD op, std::uint8_t value, std::uint8_t reference)
{
    switch (op)
    {
    case D3DSTENCILOP_ZERO:
        return 0;
    case D3DSTENCILOP_REPLACE:
        return reference;
    case D3DSTENCILOP_INCRSAT:
        return value == 255 ? 255 : std::uint8_t(value + 1);
    case D3DSTENCILOP_DECRSAT:
        return value == 0 ? 0 : std::uint8_t(value - 1);
    case D3DSTENCILOP_INVERT:
        return std::uint8_t(~value);
    case D3DSTENCILOP_INCR:
        return std::uint8_t(value + 1);
    case D3DSTENCILOP_DECR:
        return std::uint8_t(value - 1);
    default:
        return value;
    }
}

// One declaration element of a vertex as four floats.
void FetchElement(BYTE type, const std::uint8_t* p, float out[4])
{
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = 1.0f;
    auto i16 = [p](int i) {
        std::int16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    };
    auto u16 = [p](int i) {
        std::uint16_t v;
        std::memcpy(&v, p + 2 * i, 2);
        return v;
    };
    switch (type)
    {
    case D3DDECLTYPE_FLOAT1:
    case D3DDECLTYPE_FLOAT2:
    case D3DDECLTYPE_FLOAT3:
    case D3DDECLTYPE_FLOAT4:
        std::memcpy(out, p, 4 * (type - D3DDECLTYPE_FLOAT1 + 1));
        break;
    case D3DDECLTYPE_D3DCOLOR:
        out[0] = p[2] / 255.0f;
        out[1] = p[1] / 255.0f;
        out[2] = p[0] / 255.0f;
        out[3] = p[3] / 255.0f;
        break;
    case D3DDECLTYPE_UBYTE4:
    case D3DDECLTYPE_UBYTE4N:
        for (int i = 0; i < 4; ++i)
            out[i] = type == D3DDECLTYPE_UBYTE4 ? float(p[i]) : p[i] / 255.0f;
        break;
    case D3DDECLTYPE_SHORT2:
    case D3DDECLTYPE_SHORT4:
        for (int i = 0; i < (type == D3DDECLTYPE_SHORT2 ? 2 : 4); ++i)
            out[i] = float(i16(i));
        break;
    case D3DDECLTYPE_SHORT2N:
    case D3DDECLTYPE_SHORT4N:
        for (int i = 0; i < (type == D3DDECLTYPE_SHORT2N ? 2 : 4); ++i)
            out[i] = std::max(-1.0f, i16(i) / 32767.0f);
        break;
    case D3DDECLTYPE_USHORT2N:
    case D3DDECLTYPE_USHORT4N:
        for (int i = 0; i < (type == D3DDECLTYPE_USHORT2N ? 2 : 4); ++i)
            out[i] = u16(i) / 65535.0f;
        break;
    case D3DDECLTYPE_UDEC3:
    case D3DDECLTYPE_DEC3N: {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        for (int i = 0; i < 3; ++i)
        {
            const std::uint32_t field = (v >> (10 * i)) & 0x3FF;
            if (type == D3DDECLTYPE_UDEC3)
                out[i] = float(field);
            else
                out[i] = std::max(-1.0f, float(std::int32_t(field << 22) >> 22) / 511.0f);
        }
        break;
    }
    case D3DDECLTYPE_FLOAT16_2:
    case D3DDECLTYPE_FLOAT16_4:
        for (int i = 0; i < (type == D3DDECLTYPE_FLOAT16_2 ? 2 : 4); ++i)
            out[i] = D3D9HalfToFloat(u16(i));
        break;
    default:
        break;
    }
}

// A quad of pixels of one target: four colours as channels.
struct TTargetInfo
{
    TImage* image;
    D3DFORMAT format;
    UINT bytes;
    bool argb;  // A8R8G8B8 or X8R8G8B8: packed words
    bool unorm; // colours clamp to [0, 1]
    DWORD writeMask;
};

TQuadVector BlendFactor(DWORD factor, const TQuadVector& src, const TQuadVector& dst,
                        const TQuadVector& constant)
{
    const TQuad one = 1.0f;
    switch (factor)
    {
    case D3DBLEND_ZERO:
        return {0.0f, 0.0f, 0.0f, 0.0f};
    case D3DBLEND_SRCCOLOR:
        return src;
    case D3DBLEND_INVSRCCOLOR:
        return {one - src.x, one - src.y, one - src.z, one - src.w};
    case D3DBLEND_SRCALPHA:
    case D3DBLEND_BOTHSRCALPHA:
        return {src.w, src.w, src.w, src.w};
    case D3DBLEND_INVSRCALPHA:
    case D3DBLEND_BOTHINVSRCALPHA:
        return {one - src.w, one - src.w, one - src.w, one - src.w};
    case D3DBLEND_DESTALPHA:
        return {dst.w, dst.w, dst.w, dst.w};
    case D3DBLEND_INVDESTALPHA:
        return {one - dst.w, one - dst.w, one - dst.w, one - dst.w};
    case D3DBLEND_DESTCOLOR:
        return dst;
    case D3DBLEND_INVDESTCOLOR:
        return {one - dst.x, one - dst.y, one - dst.z, one - dst.w};
    case D3DBLEND_SRCALPHASAT: {
        const TQuad f = Min(src.w, one - dst.w);
        return {f, f, f, one};
    }
    case D3DBLEND_BLENDFACTOR:
        return constant;
    case D3DBLEND_INVBLENDFACTOR:
        return {one - constant.x, one - constant.y, one - constant.z, one - constant.w};
    default: // ONE
        return {one, one, one, one};
    }
}

TQuad BlendOp(DWORD op, TQuad s, TQuad d)
{
    switch (op)
    {
    case D3DBLENDOP_SUBTRACT:
        return s - d;
    case D3DBLENDOP_REVSUBTRACT:
        return d - s;
    case D3DBLENDOP_MIN:
        return Min(s, d);
    case D3DBLENDOP_MAX:
        return Max(s, d);
    default:
        return s + d;
    }
}
} // namespace

// What every quad of a draw needs, resolved once per draw.
struct TDrawContext
{
    const TDrawCall* call;
    int varyings;
    int vertexStride;
    const DWORD* rs;
    TTargetInfo targets[kMaxRenderTargets];
    int targetCount;
    float* depth;
    std::uint8_t* stencil;
    int depthWidth;
    bool depthTest, depthWrite, stencilTest;
    bool alphaTest, blend, separateAlpha;
    float alphaReference;
    TQuadVector blendConstant;
    int tilesX, tilesY, tileLeft, tileTop;
    std::vector<std::uint64_t> samples; // per participant
};

namespace
{
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

struct TScreenVertex
{
    float x, y, z, ow;
    const float* varying; // kVertexHeader floats on: the clip-space varyings
};

// Clip space to window coordinates.
TScreenVertex ToScreen(const float* v, const D3DVIEWPORT9& viewport)
{
    const float ow = 1.0f / v[3];
    TScreenVertex s;
    s.x = float(viewport.X) + (v[0] * ow + 1.0f) * 0.5f * float(viewport.Width);
    s.y = float(viewport.Y) + (1.0f - v[1] * ow) * 0.5f * float(viewport.Height);
    s.z = viewport.MinZ + v[2] * ow * (viewport.MaxZ - viewport.MinZ);
    s.ow = ow;
    s.varying = v + kVertexHeader;
    return s;
}

class TSetup
{
public:
    TSetup(TDrawContext& context, std::vector<TRasterizer::TTriangle>& triangles, std::vector<float>& planes)
        : context_(context), triangles_(triangles), planes_(planes), call_(*context.call)
    {
        const DWORD* rs = call_.renderStates;
        cull_ = rs[D3DRS_CULLMODE];
        fill_ = rs[D3DRS_FILLMODE];
        depthBias_ = AsFloat(rs[D3DRS_DEPTHBIAS]);
        slopeBias_ = AsFloat(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
        pointSize_ = AsFloat(rs[D3DRS_POINTSIZE]);
        pointSprite_ = rs[D3DRS_POINTSPRITEENABLE] != 0;
        lastPixel_ = rs[D3DRS_LASTPIXEL] != 0;
        stride_ = context.vertexStride;
    }

    void Triangle(const float* a, const float* b, const float* c)
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

    void Line(const float* a, const float* b)
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

    void Point(const float* a)
    {
        if (OutCode(a))
            return;
        const TScreenVertex centre = ToScreen(a, call_.viewport);
        float size = a[4] > 0.0f ? a[4] : pointSize_;
        size = std::clamp(size, AsFloat(call_.renderStates[D3DRS_POINTSIZE_MIN]),
                          AsFloat(call_.renderStates[D3DRS_POINTSIZE_MAX]));
        const float half = std::max(size, 1.0f) * 0.5f;
        TScreenVertex corners[4] = {centre, centre, centre, centre};
        const float offsets[4][2] = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
        if (pointSprite_)
        {
            // Point sprites get texture coordinates 0..1 across the square in varying 1 on.
            sprite_.assign(size_t(4) * context_.varyings * 4, 0.0f);
            for (int corner = 0; corner < 4; ++corner)
            {
                float* varyings = &sprite_[size_t(corner) * context_.varyings * 4];
                std::copy(centre.varying, centre.varying + context_.varyings * 4, varyings);
                for (int v = 1; v < context_.varyings; ++v)
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

private:
    void TriangleInside(const float* a, const float* b, const float* c)
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

    bool Culled(float area) const
    {
        if (area == 0.0f)
            return true;
        return (cull_ == D3DCULL_CCW && area < 0.0f) || (cull_ == D3DCULL_CW && area > 0.0f);
    }

    // Sets up one screen triangle; `cull` applies the cull mode (lines and points are never culled).
    void Setup(TScreenVertex a, TScreenVertex b, TScreenVertex c, bool cull)
    {
        // Positions far outside the target (a point's square, or values no clipping tamed)
        // would overflow the fixed-point edge functions.
        constexpr float kLimit = 16384.0f;
        for (const TScreenVertex* v : {&a, &b, &c})
        {
            if (!(std::fabs(v->x) < kLimit && std::fabs(v->y) < kLimit))
                return;
        }
        int x[3] = {int(std::lround(a.x * kSubpixel)), int(std::lround(b.x * kSubpixel)),
                    int(std::lround(c.x * kSubpixel))};
        int y[3] = {int(std::lround(a.y * kSubpixel)), int(std::lround(b.y * kSubpixel)),
                    int(std::lround(c.y * kSubpixel))};
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
        TRasterizer::TTriangle t;
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
        for (int i = 0; i < context_.varyings * 4; ++i)
            plane(a.varying[i] * a.ow, b.varying[i] * b.ow, c.varying[i] * c.ow);
        triangles_.push_back(t);
    }

    TDrawContext& context_;
    std::vector<TRasterizer::TTriangle>& triangles_;
    std::vector<float>& planes_;
    const TDrawCall& call_;
    std::vector<float> scratch_;  // vertices made by clipping triangles
    std::vector<float> lineEnds_; // the clipped ends of a line
    std::vector<float> sprite_;
    DWORD cull_, fill_;
    float depthBias_, slopeBias_, pointSize_;
    bool pointSprite_, lastPixel_;
    int stride_;
};

// Per-edge values of a triangle over one quad row walk.
struct TEdge
{
    __m128i value;    // at the quad's four pixels
    int stepX, stepY; // per quad (two pixels)
    bool inside;      // accepted for the whole tile: no test
};

void BlendAndWrite(const TDrawContext& c, const TTargetInfo& target, const TQuadVector& colourIn, int px,
                   int py, int mask)
{
    const DWORD* rs = c.rs;
    TImage& image = *target.image;
    const int xs[4] = {px, px + 1, px, px + 1}, ys[4] = {py, py, py + 1, py + 1};
    TQuadVector colour = colourIn;
    if (target.unorm)
        colour = {Saturate(colour.x), Saturate(colour.y), Saturate(colour.z), Saturate(colour.w)};
    if (c.blend || target.writeMask != 0xF)
    {
        float d[4][4] = {};
        for (int lane = 0; lane < 4; ++lane)
        {
            if (mask & (1 << lane))
                ReadTexel(target.format, image.Row(UINT(ys[lane])) + xs[lane] * target.bytes, d[lane]);
        }
        __m128 l0 = _mm_loadu_ps(d[0]), l1 = _mm_loadu_ps(d[1]), l2 = _mm_loadu_ps(d[2]),
               l3 = _mm_loadu_ps(d[3]);
        _MM_TRANSPOSE4_PS(l0, l1, l2, l3);
        const TQuadVector dst = {l0, l1, l2, l3};
        if (c.blend)
        {
            DWORD srcBlend = rs[D3DRS_SRCBLEND], dstBlend = rs[D3DRS_DESTBLEND];
            if (srcBlend == D3DBLEND_BOTHSRCALPHA || srcBlend == D3DBLEND_BOTHINVSRCALPHA)
                dstBlend = srcBlend == D3DBLEND_BOTHSRCALPHA ? D3DBLEND_INVSRCALPHA : D3DBLEND_SRCALPHA;
            const TQuadVector sf = BlendFactor(srcBlend, colour, dst, c.blendConstant);
            const TQuadVector df = BlendFactor(dstBlend, colour, dst, c.blendConstant);
            TQuadVector out = {BlendOp(rs[D3DRS_BLENDOP], colour.x * sf.x, dst.x * df.x),
                               BlendOp(rs[D3DRS_BLENDOP], colour.y * sf.y, dst.y * df.y),
                               BlendOp(rs[D3DRS_BLENDOP], colour.z * sf.z, dst.z * df.z),
                               BlendOp(rs[D3DRS_BLENDOP], colour.w * sf.w, dst.w * df.w)};
            if (c.separateAlpha)
            {
                const TQuad sa = BlendFactor(rs[D3DRS_SRCBLENDALPHA], colour, dst, c.blendConstant).w;
                const TQuad da = BlendFactor(rs[D3DRS_DESTBLENDALPHA], colour, dst, c.blendConstant).w;
                out.w = BlendOp(rs[D3DRS_BLENDOPALPHA], colour.w * sa, dst.w * da);
            }
            colour = out;
        }
        const DWORD m = target.writeMask;
        colour = {(m & 1) ? colour.x : dst.x, (m & 2) ? colour.y : dst.y, (m & 4) ? colour.z : dst.z,
                  (m & 8) ? colour.w : dst.w};
    }
    if (target.argb)
    {
        // Pack four pixels at once.
        const __m128 scale = _mm_set1_ps(255.0f), half = _mm_set1_ps(0.5f);
        auto channel = [&](TQuad q) {
            return _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(Saturate(q).v, scale), half));
        };
        const __m128i packed = _mm_or_si128(
            _mm_or_si128(_mm_slli_epi32(channel(colour.w), 24), _mm_slli_epi32(channel(colour.x), 16)),
            _mm_or_si128(_mm_slli_epi32(channel(colour.y), 8), channel(colour.z)));
        alignas(16) std::uint32_t words[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(words), packed);
        for (int lane = 0; lane < 4; ++lane)
        {
            if (mask & (1 << lane))
                std::memcpy(image.Row(UINT(ys[lane])) + xs[lane] * 4, &words[lane], 4);
        }
        return;
    }
    __m128 l0 = colour.x.v, l1 = colour.y.v, l2 = colour.z.v, l3 = colour.w.v;
    _MM_TRANSPOSE4_PS(l0, l1, l2, l3);
    const __m128 lanes[4] = {l0, l1, l2, l3};
    for (int lane = 0; lane < 4; ++lane)
    {
        if (mask & (1 << lane))
        {
            float rgba[4];
            _mm_storeu_ps(rgba, lanes[lane]);
            WriteTexel(target.format, image.Row(UINT(ys[lane])) + xs[lane] * target.bytes, rgba);
        }
    }
}

// Stencil and depth tests with their writes for the lanes in `mask`; answers the lanes that pass.
int DepthStencil(const TDrawContext& c, const TRasterizer::TTriangle& t, int px, int py, const TQuad& z,
                 int mask)
{
    if (!c.depth)
        return mask;
    const DWORD* rs = c.rs;
    const bool ccw = !t.front && rs[D3DRS_TWOSIDEDSTENCILMODE];
    const DWORD function = ccw ? rs[D3DRS_CCW_STENCILFUNC] : rs[D3DRS_STENCILFUNC];
    const DWORD failOp = ccw ? rs[D3DRS_CCW_STENCILFAIL] : rs[D3DRS_STENCILFAIL];
    const DWORD zFailOp = ccw ? rs[D3DRS_CCW_STENCILZFAIL] : rs[D3DRS_STENCILZFAIL];
    const DWORD passOp = ccw ? rs[D3DRS_CCW_STENCILPASS] : rs[D3DRS_STENCILPASS];
    const std::uint8_t reference = std::uint8_t(rs[D3DRS_STENCILREF]);
    const std::uint8_t readMask = std::uint8_t(rs[D3DRS_STENCILMASK]);
    const std::uint8_t writeMask = std::uint8_t(rs[D3DRS_STENCILWRITEMASK]);
    alignas(16) float zs[4];
    _mm_store_ps(zs, z.v);
    int passed = 0;
    for (int lane = 0; lane < 4; ++lane)
    {
        if (!(mask & (1 << lane)))
            continue;
        const size_t index = size_t(py + (lane >> 1)) * c.depthWidth + size_t(px + (lane & 1));
        bool stencilPass = true;
        DWORD op = passOp;
        if (c.stencilTest)
        {
            const std::uint8_t value = c.stencil[index];
            stencilPass = Compare(function, float(reference & readMask), float(value & readMask));
            if (!stencilPass)
                op = failOp;
        }
        const bool depthPass =
            !stencilPass ? false : (!c.depthTest || Compare(rs[D3DRS_ZFUNC], zs[lane], c.depth[index]));
        if (stencilPass && !depthPass)
            op = zFailOp;
        if (c.stencilTest)
        {
            const std::uint8_t value = c.stencil[index];
            const std::uint8_t next = StencilOp(op, value, reference);
            c.stencil[index] = std::uint8_t((value & ~writeMask) | (next & writeMask));
        }
        if (depthPass)
        {
            if (c.depthWrite)
                c.depth[index] = zs[lane];
            passed |= 1 << lane;
        }
    }
    return passed;
}

TQuad Plane(const float* p, const TQuad& dx, const TQuad& dy)
{
    return TQuad(p[0]) + TQuad(p[1]) * dx + TQuad(p[2]) * dy;
}

void ShadeQuad(TDrawContext& c, const TRasterizer::TTriangle& t, const float* planes, int px, int py,
               int mask, int participant)
{
    const TDrawCall& call = *c.call;
    const TQuad dx = TQuad::Lanes(0.0f, 1.0f, 0.0f, 1.0f) + TQuad(float(px) - t.originX);
    const TQuad dy = TQuad::Lanes(0.0f, 0.0f, 1.0f, 1.0f) + TQuad(float(py) - t.originY);
    const TQuad z = Saturate(Plane(planes, dx, dy));

    TPixelInput input;
    const TQuad ow = Plane(planes + 3, dx, dy);
    const TQuad w = TQuad(1.0f) / ow;
    for (int v = 0; v < c.varyings; ++v)
    {
        const float* p = planes + 6 + v * 12;
        input.varying[v] = {Plane(p, dx, dy) * w, Plane(p + 3, dx, dy) * w, Plane(p + 6, dx, dy) * w,
                            Plane(p + 9, dx, dy) * w};
    }
    input.x = dx + TQuad(t.originX);
    input.y = dy + TQuad(t.originY);
    input.depth = z;
    input.frontFace = t.front;
    input.constants = &call.pixelConstants;
    input.samplers = call.samplers;
    TPixelOutput output;
    output.discard = _mm_setzero_ps();
    for (TQuadVector& colour : output.colour)
        colour = {0.0f, 0.0f, 0.0f, 1.0f};
    call.pixelModel->function(input, output);

    mask &= ~_mm_movemask_ps(output.discard);
    if (c.alphaTest)
    {
        // Alpha compares as an 8-bit value against the reference, as Direct3D does.
        const __m128 alpha8 = _mm_mul_ps(Saturate(output.colour[0].w).v, _mm_set1_ps(255.0f));
        alignas(16) float alphas[4];
        _mm_store_ps(alphas, alpha8);
        for (int lane = 0; lane < 4; ++lane)
        {
            if (!Compare(c.rs[D3DRS_ALPHAFUNC], std::floor(alphas[lane] + 0.5f), c.alphaReference))
                mask &= ~(1 << lane);
        }
    }
    mask = DepthStencil(c, t, px, py, z, mask);
    if (!mask)
        return;
    c.samples[size_t(participant) * 8] += std::uint64_t(__builtin_popcount(unsigned(mask)));
    for (int i = 0; i < c.targetCount; ++i)
    {
        if (c.targets[i].image && c.targets[i].writeMask)
            BlendAndWrite(c, c.targets[i], output.colour[i], px, py, mask);
    }
}

void ShadeTile(TDrawContext& c, const std::vector<const TRasterizer::TTriangle*>& bin, int tile,
               int participant)
{
    const int tileX = (c.tileLeft + tile % c.tilesX) * kTileSize;
    const int tileY = (c.tileTop + tile / c.tilesX) * kTileSize;
    for (const TRasterizer::TTriangle* triangle : bin)
    {
        const TRasterizer::TTriangle& t = *triangle;
        const int x0 = std::max(t.minX, tileX) & ~1, y0 = std::max(t.minY, tileY) & ~1;
        const int x1 = std::min(t.maxX, tileX + kTileSize - 1), y1 = std::min(t.maxY, tileY + kTileSize - 1);
        if (x0 > x1 || y0 > y1)
            continue;
        TEdge edges[3];
        bool outside = false;
        for (int e = 0; e < 3 && !outside; ++e)
        {
            const int ax = t.x[e], ay = t.y[e], bx = t.x[(e + 1) % 3], by = t.y[(e + 1) % 3];
            const std::int64_t ex = bx - ax, ey = by - ay;
            const bool topLeft = ey < 0 || (ey == 0 && ex > 0);
            auto at = [&](int px, int py) {
                return ex * (std::int64_t(py) * kSubpixel - ay) - ey * (std::int64_t(px) * kSubpixel - ax) -
                       (topLeft ? 0 : 1);
            };
            const std::int64_t corners[4] = {at(x0, y0), at(x1 + 1, y0), at(x0, y1 + 1), at(x1 + 1, y1 + 1)};
            const std::int64_t low = *std::min_element(corners, corners + 4);
            const std::int64_t high = *std::max_element(corners, corners + 4);
            if (high < 0)
                outside = true;
            edges[e].inside = low >= 0;
            if (edges[e].inside)
                continue;
            const int start = int(at(x0, y0));
            const int sx = int(-ey * kSubpixel), sy = int(ex * kSubpixel);
            edges[e].value = _mm_setr_epi32(start, start + sx, start + sy, start + sx + sy);
            edges[e].stepX = 2 * sx;
            edges[e].stepY = 2 * sy;
        }
        if (outside)
            continue;
        const float* p = t.planeData;
        for (int py = y0; py <= y1; py += 2)
        {
            __m128i row[3];
            for (int e = 0; e < 3; ++e)
                row[e] = edges[e].value;
            const int rowMask = (py >= t.minY ? 3 : 0) | (py + 1 <= y1 ? 12 : 0);
            for (int px = x0; px <= x1; px += 2)
            {
                __m128i any = _mm_setzero_si128();
                for (int e = 0; e < 3; ++e)
                {
                    if (!edges[e].inside)
                    {
                        any = _mm_or_si128(any, row[e]);
                        row[e] = _mm_add_epi32(row[e], _mm_set1_epi32(edges[e].stepX));
                    }
                }
                int mask = ~_mm_movemask_ps(_mm_castsi128_ps(any)) & 0xF;
                const int columnMask = (px >= t.minX ? 5 : 0) | (px + 1 <= x1 ? 10 : 0);
                mask &= rowMask & columnMask;
                if (mask)
                    ShadeQuad(c, t, p, px, py, mask, participant);
            }
            for (int e = 0; e < 3; ++e)
            {
                if (!edges[e].inside)
                    edges[e].value = _mm_add_epi32(edges[e].value, _mm_set1_epi32(edges[e].stepY));
            }
        }
    }
}
} // namespace

TRasterizer::TRasterizer() : workers_(std::make_unique<TWorkerPool>(D3D9Settings().cores)) {}

TRasterizer::~TRasterizer() = default;

std::uint64_t TRasterizer::Draw(const TDrawCall& call)
{
    TDrawContext c;
    c.call = &call;
    c.rs = call.renderStates;
    c.varyings = call.vertexModel->varyingCount;
    c.vertexStride = kVertexHeader + 4 * c.varyings;
    const DWORD* rs = call.renderStates;

    // Index list of the primitives' vertices, then the distinct vertices they name.
    UINT indexCount = 0;
    switch (call.type)
    {
    case D3DPT_POINTLIST:
        indexCount = call.primitiveCount;
        break;
    case D3DPT_LINELIST:
        indexCount = call.primitiveCount * 2;
        break;
    case D3DPT_LINESTRIP:
        indexCount = call.primitiveCount + 1;
        break;
    case D3DPT_TRIANGLELIST:
        indexCount = call.primitiveCount * 3;
        break;
    default:
        indexCount = call.primitiveCount + 2;
        break;
    }
    auto vertexOf = [&](UINT n) -> std::int64_t {
        if (!call.indices)
            return std::int64_t(call.startVertex) + n;
        const UINT at = call.startIndex + n;
        const std::int64_t index = call.indexSize == 4
                                       ? std::int64_t(static_cast<const std::uint32_t*>(call.indices)[at])
                                       : std::int64_t(static_cast<const std::uint16_t*>(call.indices)[at]);
        return index + call.baseVertex;
    };
    std::int64_t first = vertexOf(0), last = first;
    for (UINT n = 1; n < indexCount; ++n)
    {
        const std::int64_t v = vertexOf(n);
        first = std::min(first, v);
        last = std::max(last, v);
    }
    // Only vertices the streams hold are shaded; primitives naming others get a zero vertex
    // (kept after the shaded ones) instead of a read past a buffer.
    const std::vector<D3DVERTEXELEMENT9>& elements = *call.elements;
    std::int64_t available = std::int64_t(1) << 40;
    for (const D3DVERTEXELEMENT9& element : elements)
    {
        const TStreamSource& stream = call.streams[element.Stream];
        const std::int64_t end = std::int64_t(element.Offset) + TD3DVertexDeclaration::TypeSize(element.Type);
        if (end > std::int64_t(stream.size))
            available = 0;
        else if (stream.stride > 0)
            available = std::min(available, (std::int64_t(stream.size) - end) / stream.stride + 1);
    }
    first = std::max<std::int64_t>(first, 0);
    last = std::min(last, available - 1);
    const UINT vertexCount = last >= first ? UINT(last - first + 1) : 0;
    vertices_.resize(size_t(vertexCount + 1) * c.vertexStride);
    std::fill(vertices_.end() - c.vertexStride, vertices_.end(), 0.0f);

    // Vertex shading, spread over the workers for large draws.
    const int chunk = 1024;
    const int chunks = int((vertexCount + chunk - 1) / chunk);
    workers_->Run(chunks, [&](int item, int) {
        float registers[MAXD3DDECLLENGTH][4];
        TVertexInput input;
        input.registers = registers;
        input.registerOf = call.registerOf;
        TVertexOutput output;
        const UINT begin = UINT(item) * chunk, end = std::min(vertexCount, begin + chunk);
        for (UINT i = begin; i < end; ++i)
        {
            const std::int64_t vertex = first + i;
            for (size_t e = 0; e < elements.size() && e < MAXD3DDECLLENGTH; ++e)
            {
                const D3DVERTEXELEMENT9& element = elements[e];
                const TStreamSource& stream = call.streams[element.Stream];
                const std::uint64_t offset = std::uint64_t(vertex) * stream.stride + element.Offset;
                if (stream.bytes && offset + TD3DVertexDeclaration::TypeSize(element.Type) <= stream.size)
                    FetchElement(element.Type, stream.bytes + offset, registers[e]);
                else
                {
                    // Outside the buffer: zeros rather than a read past its end.
                    registers[e][0] = registers[e][1] = registers[e][2] = 0.0f;
                    registers[e][3] = 1.0f;
                }
            }
            output.pointSize = 0.0f;
            call.vertexModel->function(input, call.vertexConstants, output);
            float* out = &vertices_[size_t(i) * c.vertexStride];
            if (call.preTransformed)
            {
                // Window x, y, z and 1/w back to clip space, so that they come out unchanged.
                const float* p = input.Attribute(D3DDECLUSAGE_POSITIONT);
                const D3DVIEWPORT9& v = call.viewport;
                const float w = p[3] != 0.0f ? 1.0f / p[3] : 1.0f;
                const float depthRange = v.MaxZ - v.MinZ;
                out[0] = ((p[0] - float(v.X)) * 2.0f / float(v.Width) - 1.0f) * w;
                out[1] = (1.0f - (p[1] - float(v.Y)) * 2.0f / float(v.Height)) * w;
                out[2] = (depthRange != 0.0f ? (p[2] - v.MinZ) / depthRange : 0.0f) * w;
                out[3] = w;
            }
            else
                std::memcpy(out, output.position, sizeof(output.position));
            out[4] = output.pointSize;
            std::memcpy(out + kVertexHeader, output.varying, sizeof(float) * 4 * c.varyings);
        }
    });

    // Primitive assembly, clipping and set-up, in runs of primitives spread over the workers.
    auto at = [&](UINT n) {
        const std::int64_t slot = vertexOf(n) - first;
        return &vertices_[size_t(slot >= 0 && slot < std::int64_t(vertexCount) ? slot : vertexCount) *
                          c.vertexStride];
    };
    const UINT run = 4096;
    const int runs = int((call.primitiveCount + run - 1) / run);
    if (int(runs_.size()) < runs)
        runs_.resize(size_t(runs));
    workers_->Run(runs, [&](int item, int) {
        TRun& output = runs_[size_t(item)];
        output.triangles.clear();
        output.planes.clear();
        TSetup setup(c, output.triangles, output.planes);
        const UINT end = std::min(call.primitiveCount, UINT(item + 1) * run);
        for (UINT primitive = UINT(item) * run; primitive < end; ++primitive)
        {
            switch (call.type)
            {
            case D3DPT_POINTLIST:
                setup.Point(at(primitive));
                break;
            case D3DPT_LINELIST:
                setup.Line(at(2 * primitive), at(2 * primitive + 1));
                break;
            case D3DPT_LINESTRIP:
                setup.Line(at(primitive), at(primitive + 1));
                break;
            case D3DPT_TRIANGLELIST:
                setup.Triangle(at(3 * primitive), at(3 * primitive + 1), at(3 * primitive + 2));
                break;
            case D3DPT_TRIANGLESTRIP:
                // Every second triangle of a strip is turned round to keep the winding.
                if (primitive & 1)
                    setup.Triangle(at(primitive + 1), at(primitive), at(primitive + 2));
                else
                    setup.Triangle(at(primitive), at(primitive + 1), at(primitive + 2));
                break;
            default:
                setup.Triangle(at(0), at(primitive + 1), at(primitive + 2));
                break;
            }
        }
        for (TTriangle& t : output.triangles)
            t.planeData = output.planes.data() + t.planes;
    });

    // Targets, depth-stencil and blending resolved once.
    c.targetCount = 0;
    for (int i = 0; i < kMaxRenderTargets; ++i)
    {
        TImage* image = call.targets[i];
        TTargetInfo& target = c.targets[i];
        target = {};
        if (!image)
            continue;
        const TFormatInfo* info = FindFormat(image->Format());
        const DWORD maskState = i == 0 ? D3DRS_COLORWRITEENABLE : D3DRS_COLORWRITEENABLE1 + (i - 1);
        target = {image,
                  image->Format(),
                  UINT(info->bits / 8),
                  image->Format() == D3DFMT_A8R8G8B8 || image->Format() == D3DFMT_X8R8G8B8,
                  image->Format() != D3DFMT_R16F && image->Format() != D3DFMT_G16R16F &&
                      image->Format() != D3DFMT_A16B16G16R16F && image->Format() != D3DFMT_R32F &&
                      image->Format() != D3DFMT_G32R32F && image->Format() != D3DFMT_A32B32G32R32F,
                  rs[maskState] & 0xF};
        c.targetCount = i + 1;
    }
    c.depth = call.depthStencil ? call.depthStencil->DepthPlane() : nullptr;
    c.stencil = call.depthStencil ? call.depthStencil->StencilPlane() : nullptr;
    c.depthWidth = call.depthStencil ? int(call.depthStencil->Width()) : 0;
    c.depthTest = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    c.depthWrite = c.depthTest && rs[D3DRS_ZWRITEENABLE];
    const TFormatInfo* depthInfo = call.depthStencil ? FindFormat(call.depthStencil->Format()) : nullptr;
    c.stencilTest = rs[D3DRS_STENCILENABLE] != 0 && depthInfo && depthInfo->stencil;
    c.alphaTest = rs[D3DRS_ALPHATESTENABLE] != 0;
    c.alphaReference = float(rs[D3DRS_ALPHAREF] & 0xFF);
    c.blend = rs[D3DRS_ALPHABLENDENABLE] != 0;
    c.separateAlpha = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    const DWORD factor = rs[D3DRS_BLENDFACTOR];
    c.blendConstant = {float((factor >> 16) & 0xFF) / 255.0f, float((factor >> 8) & 0xFF) / 255.0f,
                       float(factor & 0xFF) / 255.0f, float(factor >> 24) / 255.0f};

    // Binning into tiles over the clip rectangle.
    const RECT& clip = call.clip;
    c.tileLeft = int(clip.left) / kTileSize;
    c.tileTop = int(clip.top) / kTileSize;
    c.tilesX = (int(clip.right) - 1) / kTileSize - c.tileLeft + 1;
    c.tilesY = (int(clip.bottom) - 1) / kTileSize - c.tileTop + 1;
    const int tiles = c.tilesX * c.tilesY;
    if (int(bins_.size()) < tiles)
        bins_.resize(size_t(tiles));
    for (int i = 0; i < tiles; ++i)
        bins_[size_t(i)].clear();
    bool any = false;
    for (int r = 0; r < runs; ++r)
    {
        for (const TTriangle& t : runs_[size_t(r)].triangles)
        {
            any = true;
            for (int ty = t.minY / kTileSize; ty <= t.maxY / kTileSize; ++ty)
            {
                for (int tx = t.minX / kTileSize; tx <= t.maxX / kTileSize; ++tx)
                    bins_[size_t((ty - c.tileTop) * c.tilesX + (tx - c.tileLeft))].push_back(&t);
            }
        }
    }
    if (!any)
        return 0;

    // Shading, tile by tile in parallel.
    c.samples.assign(size_t(workers_->Participants()) * 8, 0);
    workers_->Run(tiles, [&](int tile, int participant) {
        if (!bins_[size_t(tile)].empty())
            ShadeTile(c, bins_[size_t(tile)], tile, participant);
    });
    std::uint64_t samples = 0;
    for (size_t i = 0; i < c.samples.size(); i += 8)
        samples += c.samples[i];
    return samples;
}

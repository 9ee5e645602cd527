#include "platform/d3d9/tileloop.h"

#include "platform/d3d9/floatpixels.h"
#include "platform/d3d9/format.h"
#include "platform/d3d9/simdlevel.h"

#include <climits>
#include <cmath>
#include <cstdio>

using namespace tile;

namespace
{
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

int tile::SetUpLargeEdges(const TBinnedTriangle& t, int x0, int y0, int x1, int y1, TEdge edges[3])
{
    int accepted = 0;
    for (int e = 0; e < 3; ++e)
    {
        const int ax = t.x[e], ay = t.y[e], bx = t.x[(e + 1) % 3], by = t.y[(e + 1) % 3];
        const std::int64_t ex = bx - ax, ey = by - ay;
        const bool topLeft = ey < 0 || (ey == 0 && ex > 0);
        // The edge function at the first pixel, and what it gains across the box; its
        // extremes over the box are at the corners.
        const std::int64_t start = ex * (std::int64_t(y0) * kSubpixel - ay) -
                                   ey * (std::int64_t(x0) * kSubpixel - ax) - (topLeft ? 0 : 1);
        const std::int64_t acrossX = -ey * ((x1 + 1 - x0) * kSubpixel);
        const std::int64_t acrossY = ex * ((y1 + 1 - y0) * kSubpixel);
        const std::int64_t low = start + std::min<std::int64_t>(acrossX, 0) + std::min<std::int64_t>(acrossY, 0);
        const std::int64_t high = start + std::max<std::int64_t>(acrossX, 0) + std::max<std::int64_t>(acrossY, 0);
        if (high < 0)
            return 0;
        if (low >= 0)
        {
            // Accepts the whole box: never negative, never stepped, tested along with the others.
            edges[e].value = edges[e].stepX = edges[e].stepY = _mm_setzero_si128();
            ++accepted;
            continue;
        }
        // Within a tile's box the values, and so the steps, fit in 32 bits.
        const int sx = int(-ey * kSubpixel), sy = int(ex * kSubpixel);
        const int first = int(start);
        edges[e].value = _mm_setr_epi32(first, first + sx, first + sy, first + sx + sy);
        edges[e].stepX = _mm_set1_epi32(2 * sx);
        edges[e].stepY = _mm_set1_epi32(2 * sy);
    }
    return accepted == 3 ? 2 : 1;
}


TTileShader::TTileShader(const TDrawCall& call, int varyings, int participants)
    : call_(&call), varyings_(varyings), rs_(call.renderStates), bound_(), samples_(size_t(participants) * 8, 0)
{
    const DWORD* rs = rs_;
    targetCount_ = 0;
    for (int i = 0; i < kMaxRenderTargets; ++i)
    {
        TImage* image = call.targets[i];
        TTarget& target = targets_[i];
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
                  rs[maskState] & 0xF,
                  false,
                  false,
                  false,
                  false,
                  false,
                  false,
                  image->Bits(),
                  int(image->Pitch()),
                  int(image->Width()),
                  int(image->Height())};
        targetCount_ = i + 1;
    }
    depth_ = call.depthStencil ? call.depthStencil->DepthPlane() : nullptr;
    stencil_ = call.depthStencil ? call.depthStencil->StencilPlane() : nullptr;
    depthWidth_ = call.depthStencil ? int(call.depthStencil->Width()) : 0;
    depthHeight_ = call.depthStencil ? int(call.depthStencil->Height()) : 0;
    depthTest_ = rs[D3DRS_ZENABLE] != D3DZB_FALSE;
    depthWrite_ = depthTest_ && rs[D3DRS_ZWRITEENABLE];
    const TFormatInfo* depthInfo = call.depthStencil ? FindFormat(call.depthStencil->Format()) : nullptr;
    stencilTest_ = rs[D3DRS_STENCILENABLE] != 0 && depthInfo && depthInfo->stencil;
    depthStencil_ = depth_ && (depthTest_ || stencilTest_);
    alphaTest_ = rs[D3DRS_ALPHATESTENABLE] != 0;
    alphaReference_ = float(rs[D3DRS_ALPHAREF] & 0xFF);
    alphaFunction_ = rs[D3DRS_ALPHAFUNC];
    blend_ = rs[D3DRS_ALPHABLENDENABLE] != 0;
    separateAlpha_ = rs[D3DRS_SEPARATEALPHABLENDENABLE] != 0;
    srcBlend_ = rs[D3DRS_SRCBLEND];
    dstBlend_ = rs[D3DRS_DESTBLEND];
    if (srcBlend_ == D3DBLEND_BOTHSRCALPHA || srcBlend_ == D3DBLEND_BOTHINVSRCALPHA)
        dstBlend_ = srcBlend_ == D3DBLEND_BOTHSRCALPHA ? D3DBLEND_INVSRCALPHA : D3DBLEND_SRCALPHA;
    blendOp_ = rs[D3DRS_BLENDOP];
    srcBlendAlpha_ = rs[D3DRS_SRCBLENDALPHA];
    dstBlendAlpha_ = rs[D3DRS_DESTBLENDALPHA];
    blendOpAlpha_ = rs[D3DRS_BLENDOPALPHA];
    const bool sourceAlpha = srcBlend_ == D3DBLEND_SRCALPHA || srcBlend_ == D3DBLEND_BOTHSRCALPHA;
    const bool inverseSourceAlpha =
        dstBlend_ == D3DBLEND_INVSRCALPHA || dstBlend_ == D3DBLEND_BOTHINVSRCALPHA;
    const bool adds = blendOp_ != D3DBLENDOP_SUBTRACT && blendOp_ != D3DBLENDOP_REVSUBTRACT &&
                      blendOp_ != D3DBLENDOP_MIN && blendOp_ != D3DBLENDOP_MAX;
    alphaBlend_ = blend_ && !separateAlpha_ && sourceAlpha && inverseSourceAlpha && adds;
    const bool additive = blend_ && !separateAlpha_ && srcBlend_ == D3DBLEND_ONE && dstBlend_ == D3DBLEND_ONE &&
                          blendOp_ == D3DBLENDOP_ADD;
    const bool multiplies = blend_ && !separateAlpha_ && srcBlend_ == D3DBLEND_DESTCOLOR &&
                            dstBlend_ == D3DBLEND_ZERO && blendOp_ == D3DBLENDOP_ADD;
    const DWORD factor = rs[D3DRS_BLENDFACTOR];
    blendConstant_ = {float((factor >> 16) & 0xFF) / 255.0f, float((factor >> 8) & 0xFF) / 255.0f,
                      float(factor & 0xFF) / 255.0f, float(factor >> 24) / 255.0f};
    earlyTest_ = depthStencil_ && FailuresChangeNothing();
    quadDepth_ = earlyTest_ && !stencilTest_;
    depthFunction_ = rs[D3DRS_ZFUNC];
    originX_ = float(call.originX);
    originY_ = float(call.originY);
    for (TTarget& target : targets_)
    {
        target.direct = target.image && target.argb && !blend_ && target.writeMask == 0xF;
        target.alphaBlend = target.image && target.argb && alphaBlend_ && target.writeMask == 0xF;
        target.additive = target.image && target.argb && additive && target.writeMask == 0xF;
        target.floatQuad = target.image && !separateAlpha_ &&
                           (target.format == D3DFMT_A16B16G16R16F || target.format == D3DFMT_R32F);
        target.floatAdd = target.floatQuad && additive && target.writeMask == 0xF;
        target.rgb565Store = target.image && !blend_ && target.format == D3DFMT_R5G6B5 && target.writeMask == 0xF;
    }
    trimQuads_ = ((call.clip.left | call.clip.top | call.clip.right | call.clip.bottom) & 1) != 0;
    // One 32-bit target written whole, stored, blended as ordinary transparency or added, and no
    // alpha or stencil test: the fast paths.
    const bool fastTarget = !alphaTest_ && targetCount_ == 1 &&
                            (targets_[0].direct || targets_[0].alphaBlend || targets_[0].additive);
    const int blended = targets_[0].direct ? 0 : targets_[0].alphaBlend ? 1 : 2;
    const TPixelModel& model = *call.pixelModel;
    if (!model.loops)
    {
        if (FirstGeneralDraw(model))
            std::fprintf(stderr, "d3d9: pixel model '%s' is a bare function: each quad calls it through the general path\n",
                         model.name);
        const TTileLoops& loops = BareFunctionLoops();
        loop_ = fastTarget && !depthStencil_ ? loops.fast[blended][0][0] : loops.general;
        return;
    }
    // A model type's fast paths sample its textures a row of quads at a time, where the sampler
    // answers words (or nothing is bound), and read only the varyings the vertex model writes.
    bool rows = true;
    const std::uint32_t written = (1u << varyings) - 1;
    std::uint32_t read = model.inputs.varyings;
    for (int i = 0; i < model.inputs.TextureCount(); ++i)
    {
        const int stage = model.inputs.textures[i].stage;
        bound_[i] = call.samplers->Bound(stage);
        rows = rows && (!bound_[i] || call.samplers->SamplesWords(stage));
        read |= 1u << model.inputs.textures[i].varying;
    }
    const bool avx2 = RasteriserSimdLevel() == ESimdLevel::Avx2;
    const bool quadTests = !alphaTest_ && targetCount_ == 1 && (read & ~written) == 0 && (!depthStencil_ || quadDepth_);
    const TTileLoops::TLoop fast = model.loops->fast[blended][depthStencil_][avx2];
    // Otherwise textures sampled quad by quad, or a float target stored, blended as ordinary
    // transparency, added or multiplied (a mask applied to the scene), or an R5G6B5 target
    // stored: the sampled loops.
    const TTarget& first = targets_[0];
    const bool quadTarget =
        (first.floatQuad && first.writeMask == 0xF && (!blend_ || alphaBlend_ || first.floatAdd || multiplies)) ||
        first.rgb565Store;
    sampledPath_ = !blend_       ? EQuadPath::Store
                   : alphaBlend_ ? EQuadPath::Blend
                   : multiplies  ? EQuadPath::Multiply
                                 : EQuadPath::Add;
    const TTileLoops::TLoop sampled = model.loops->sampled[depthStencil_][avx2];
    if (fast && fastTarget && rows && quadTests)
        loop_ = fast;
    else if (sampled && (fastTarget || quadTarget) && quadTests)
        loop_ = sampled;
    else if (sampled && model.loops->colours > 1 && SampledTargets(model.loops->colours) && !alphaTest_ &&
             (read & ~written) == 0 && (!depthStencil_ || quadDepth_))
        loop_ = sampled;
    else
        loop_ = model.loops->general;
}

bool TTileShader::SampledTargets(int colours) const
{
    if (targetCount_ > colours)
        return false;
    for (int i = 0; i < targetCount_; ++i)
    {
        const TTarget& target = targets_[i];
        const bool argb = target.direct || target.alphaBlend || target.additive;
        const bool floats = target.floatQuad && target.writeMask == 0xF && (!blend_ || alphaBlend_ || target.floatAdd);
        if (target.image && !argb && !floats)
            return false;
    }
    return true;
}

bool TTileShader::FailuresChangeNothing() const
{
    if (!stencilTest_)
        return true;
    const DWORD ops[] = {rs_[D3DRS_STENCILFAIL], rs_[D3DRS_STENCILZFAIL], rs_[D3DRS_CCW_STENCILFAIL],
                         rs_[D3DRS_CCW_STENCILZFAIL]};
    const int checked = rs_[D3DRS_TWOSIDEDSTENCILMODE] ? 4 : 2;
    for (int i = 0; i < checked; ++i)
    {
        if (ops[i] != D3DSTENCILOP_KEEP)
            return false;
    }
    return true;
}

std::uint64_t TTileShader::Samples() const
{
    std::uint64_t samples = 0;
    for (size_t i = 0; i < samples_.size(); i += 8)
        samples += samples_[i];
    return samples;
}

void TTileShader::BlendAndWrite(const TTarget& target, const TQuadVector& colourIn, int px, int py,
                                int mask) const
{
    TImage& image = *target.image;
    std::uint8_t* const rows[2] = {image.Row(UINT(py)) + px * target.bytes,
                                   image.Row(UINT(py + 1)) + px * target.bytes};
    // Lane i is pixel (i & 1) of row (i >> 1).
    auto pixel = [&](int lane) { return rows[lane >> 1] + (lane & 1) * target.bytes; };
    TQuadVector colour = colourIn;
    floatpixels::PrefetchTargetRowsBelow(reinterpret_cast<std::uintptr_t>(rows[0]), int(image.Pitch()));
    if (target.floatAdd)
    {
        // Light passes adding into float targets: source and target times one, added.
        const bool red = target.format == D3DFMT_R32F;
        const TQuadVector dst = red ? floatpixels::ReadFloat1(rows, mask) : floatpixels::ReadHalf4(rows, mask);
        colour = {colour.x + dst.x, colour.y + dst.y, colour.z + dst.z, colour.w + dst.w};
        if (red)
            floatpixels::WriteFloat1(rows, colour, mask);
        else
            floatpixels::WriteHalf4(rows, colour, mask);
        return;
    }
    if (target.unorm)
        colour = {Saturate(colour.x), Saturate(colour.y), Saturate(colour.z), Saturate(colour.w)};
    if (blend_ || target.writeMask != 0xF)
    {
        TQuadVector dst;
        if (target.argb)
        {
            const __m128i packed = ReadArgb(rows, mask);
            dst = {ArgbChannel(packed, 16), ArgbChannel(packed, 8), ArgbChannel(packed, 0),
                   target.format == D3DFMT_X8R8G8B8 ? TQuad(1.0f) : ArgbChannel(packed, 24)};
        }
        else if (target.floatQuad)
            dst = target.format == D3DFMT_R32F ? floatpixels::ReadFloat1(rows, mask)
                                               : floatpixels::ReadHalf4(rows, mask);
        else
        {
            float d[4][4] = {};
            for (int lane = 0; lane < 4; ++lane)
            {
                if (mask & (1 << lane))
                    ReadTexel(target.format, pixel(lane), d[lane]);
            }
            __m128 l0 = _mm_loadu_ps(d[0]), l1 = _mm_loadu_ps(d[1]), l2 = _mm_loadu_ps(d[2]),
                   l3 = _mm_loadu_ps(d[3]);
            _MM_TRANSPOSE4_PS(l0, l1, l2, l3);
            dst = {l0, l1, l2, l3};
        }
        if (blend_)
        {
            const TQuadVector sf = BlendFactor(srcBlend_, colour, dst, blendConstant_);
            const TQuadVector df = BlendFactor(dstBlend_, colour, dst, blendConstant_);
            TQuadVector out = {BlendOp(blendOp_, colour.x * sf.x, dst.x * df.x),
                               BlendOp(blendOp_, colour.y * sf.y, dst.y * df.y),
                               BlendOp(blendOp_, colour.z * sf.z, dst.z * df.z),
                               BlendOp(blendOp_, colour.w * sf.w, dst.w * df.w)};
            if (separateAlpha_)
            {
                const TQuad sa = BlendFactor(srcBlendAlpha_, colour, dst, blendConstant_).w;
                const TQuad da = BlendFactor(dstBlendAlpha_, colour, dst, blendConstant_).w;
                out.w = BlendOp(blendOpAlpha_, colour.w * sa, dst.w * da);
            }
            colour = out;
        }
        const DWORD m = target.writeMask;
        if (m != 0xF)
            colour = {(m & 1) ? colour.x : dst.x, (m & 2) ? colour.y : dst.y, (m & 4) ? colour.z : dst.z,
                      (m & 8) ? colour.w : dst.w};
    }
    if (target.argb)
    {
        StoreArgb(rows, PackArgb(colour), mask);
        return;
    }
    if (target.floatQuad)
    {
        if (target.format == D3DFMT_R32F)
            floatpixels::WriteFloat1(rows, colour, mask);
        else
            floatpixels::WriteHalf4(rows, colour, mask);
        return;
    }
    if (target.format == D3DFMT_R5G6B5)
    {
        floatpixels::WriteRgb565(rows, colour, mask);
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
            WriteTexel(target.format, pixel(lane), rgba);
        }
    }
}

// Stencil and depth tests with their writes for the lanes in `mask`; answers the lanes that pass.
int TTileShader::DepthStencil(bool front, int px, int py, const TQuad& z, int mask, bool write) const
{
    if (!depth_)
        return mask;
    const DWORD* rs = rs_;
    const bool ccw = !front && rs[D3DRS_TWOSIDEDSTENCILMODE];
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
        const size_t index = size_t(py + (lane >> 1)) * depthWidth_ + size_t(px + (lane & 1));
        bool stencilPass = true;
        DWORD op = passOp;
        if (stencilTest_)
        {
            const std::uint8_t value = stencil_[index];
            stencilPass = tile::Compare(function, float(reference & readMask), float(value & readMask));
            if (!stencilPass)
                op = failOp;
        }
        const bool depthPass =
            !stencilPass ? false : (!depthTest_ || tile::Compare(rs[D3DRS_ZFUNC], zs[lane], depth_[index]));
        if (stencilPass && !depthPass)
            op = zFailOp;
        if (stencilTest_ && write)
        {
            const std::uint8_t value = stencil_[index];
            const std::uint8_t next = StencilOp(op, value, reference);
            stencil_[index] = std::uint8_t((value & ~writeMask) | (next & writeMask));
        }
        if (depthPass)
        {
            if (depthWrite_ && write)
                depth_[index] = zs[lane];
            passed |= 1 << lane;
        }
    }
    return passed;
}

namespace
{
// The pixels of the quad at `px` as distances from the planes' origin along x.
[[gnu::always_inline]] inline TQuad QuadDx(int px, float originX)
{
    return TQuad::Lanes(0.0f, 1.0f, 0.0f, 1.0f) + TQuad(float(px) - originX);
}

// A plane's value over a quad `dx` from its origin, on a row where it adds `rowTerm`.
[[gnu::always_inline]] inline TQuad PlaneAt(const TQuad& a, const TQuad& b, const TQuad& dx, const TQuad& rowTerm)
{
    return a + b * dx + rowTerm;
}
} // namespace

template <TTileShader::EWForm Form>
[[gnu::always_inline]] inline TQuad TTileShader::PerspectiveW(const TTrianglePlanes& t, const TQuad& dx)
{
    if constexpr (Form == EWForm::Perspective)
        return TQuad(1.0f) / PlaneAt(t.planes[1].a, t.planes[1].b, dx, t.rowTerms[1]);
    return t.flatW;
}

template <TTileShader::EWForm Form>
[[gnu::always_inline]] inline TQuad TTileShader::Interpolated(const TTrianglePlanes& t, const TQuad& dx, const TQuad& w,
                                                             int k)
{
    const TQuad value = PlaneAt(t.planes[k].a, t.planes[k].b, dx, t.rowTerms[k]);
    if constexpr (Form == EWForm::One)
        return value;
    return value * w;
}

[[gnu::always_inline]] inline TQuadVector TTileShader::Interpolant(const TTrianglePlanes& t, const TQuad& dx,
                                                                  const TQuad& w, int k)
{
    if (t.unitW)
        return {Interpolated<EWForm::One>(t, dx, w, k), Interpolated<EWForm::One>(t, dx, w, k + 1),
                Interpolated<EWForm::One>(t, dx, w, k + 2), Interpolated<EWForm::One>(t, dx, w, k + 3)};
    return {Interpolated<EWForm::Flat>(t, dx, w, k), Interpolated<EWForm::Flat>(t, dx, w, k + 1),
            Interpolated<EWForm::Flat>(t, dx, w, k + 2), Interpolated<EWForm::Flat>(t, dx, w, k + 3)};
}


void TTileShader::FrameTile(const TTileBins& bins, int tile, TTileFrame& frame) const
{
    const TTarget& target = targets_[0];
    const int tileX = bins.TileX(tile), tileY = bins.TileY(tile);
    frame.tileX = tileX;
    frame.tileY = tileY;
    frame.targetRows = 0;
    for (int i = 0; i < TTileFrame::kQuadsAcross; ++i)
    {
        const int py = tileY + 2 * i;
        frame.columnDx[i] = QuadDx(tileX + 2 * i, originX_);
        frame.rowDy[i] = TQuad::Lanes(0.0f, 0.0f, 1.0f, 1.0f) + TQuad(float(py) - originY_);
        if (target.argb && py < target.height)
        {
            frame.targetRows = i + 1;
            frame.rowBits[i] = target.bits + py * target.pitch + tileX * 4;
            // No more than the tile's own: a pair of entries that runs on past a row's last
            // column is the next row's first quad, not its neighbour on the target.
            frame.wholeBefore[i] =
                py + 1 < target.height ? std::min((target.width - tileX) / 2, TTileFrame::kQuadsAcross) : 0;
        }
        if (depth_ && py < depthHeight_)
            frame.depthRows[i] = depth_ + size_t(py) * depthWidth_ + tileX;
    }
}

[[gnu::always_inline]] inline void TTileShader::ShadeColour(const TTrianglePlanes& t, TPixelInput& input,
                                                            const TQuad& dx, const TQuad& z,
                                                            TPixelOutput& output) const
{
    // Members read once: stores of SSE values may alias anything, so the compiler would
    // read them again after each.
    const int varyings = varyings_;
    const TQuad w = t.flat ? PerspectiveW<EWForm::Flat>(t, dx) : PerspectiveW<EWForm::Perspective>(t, dx);
    for (int v = 0; v < varyings; ++v)
        input.varying[v] = Interpolant(t, dx, w, 2 + 4 * v);
    input.x = dx + TQuad(originX_);
    input.depth = z;
    call_->pixelModel->function(input, output);
}

template <TTileShader::EQuadPath Path>
void TTileShader::ShadeTileOfFunction(const TTileBins& bins, int tile, int participant)
{
    using namespace tile;
    TTileFrame frame;
    FrameTile(bins, tile, frame);
    TPixelInput input;
    input.constants = &call_->pixelConstants;
    input.samplers = call_->samplers;
    // Varyings the vertex model does not write read as zero.
    for (int v = varyings_; v < kMaxVaryings; ++v)
        input.varying[v] = {0.0f, 0.0f, 0.0f, 0.0f};
    const int planeCount = 2 + 4 * varyings_;
    const bool opaqueTarget = targets_[0].format == D3DFMT_X8R8G8B8;
    TTrianglePlanes shading;
    std::uint64_t samples = 0;
    ForEachTriangle(bins, tile, frame, [&](const TTriangleQuads& t) {
        const float* p = t.planes;
        // 1/w at the origin and its slopes: flat, its value is the same in every quad.
        shading.flat = p[4] == 0.0f && p[5] == 0.0f && p[3] != 0.0f;
        if (shading.flat)
            shading.flatW = TQuad(1.0f) / TQuad(p[3]);
        shading.unitW = shading.flat && p[3] == 1.0f;
        // The planes with their coefficients in every lane, once per triangle.
        for (int k = 0; k < planeCount; ++k)
            shading.planes[k] = {p[3 * k], p[3 * k + 1], p[3 * k + 2]};
        input.frontFace = t.front;
        int quad = 0;
        for (int row = 0; row < t.rows; ++row)
        {
            const int rowEnd = frame.coverage.rowEnds[row];
            if (quad == rowEnd)
                continue;
            const int tileRow = (t.y0 - frame.tileY) / 2 + row, py = t.y0 + 2 * row;
            const TQuad& dy = frame.rowDy[tileRow];
            for (int k = 0; k < planeCount; ++k)
                shading.rowTerms[k] = shading.planes[k].c * dy;
            input.y = dy + TQuad(originY_);
            for (; quad < rowEnd; ++quad)
            {
                const int entry = frame.coverage.quads[quad];
                const int column = TCoverage::Column(entry), px = frame.tileX + 2 * column;
                int mask = TCoverage::Lanes(entry);
                const TQuad& dx = frame.columnDx[column];
                const TQuad z = Saturate(PlaneAt(shading.planes[0].a, shading.planes[0].b, dx, shading.rowTerms[0]));
                if constexpr (Path == EQuadPath::General)
                {
                    samples += std::uint64_t(WriteQuad(t.front, px, py, z, mask, [&](TPixelOutput& output) {
                        ShadeColour(shading, input, dx, z, output);
                    }));
                }
                else
                {
                    TPixelOutput output;
                    output.colour[0] = {0.0f, 0.0f, 0.0f, 1.0f};
                    output.discard = _mm_setzero_ps();
                    ShadeColour(shading, input, dx, z, output);
                    mask &= ~_mm_movemask_ps(output.discard);
                    if (!mask)
                        continue;
                    std::uint8_t* rows[2];
                    rows[0] = frame.Bits(entry);
                    rows[1] = rows[0] + targets_[0].pitch;
                    const bool whole = column < frame.wholeBefore[tileRow];
                    WriteArgb<Path == EQuadPath::Blend, Path == EQuadPath::Add>(rows, whole, output.colour[0], mask,
                                                                                opaqueTarget);
                    samples += std::uint64_t(kLaneCount[mask]);
                }
            }
        }
    });
    samples_[size_t(participant) * 8] += samples;
}

const TTileLoops& TTileShader::BareFunctionLoops()
{
    typedef TTileShader T;
    static const TTileLoops loops = {&T::ShadeTileOfFunction<EQuadPath::General>,
                                     {{{&T::ShadeTileOfFunction<EQuadPath::Store>, nullptr}, {nullptr, nullptr}},
                                      {{&T::ShadeTileOfFunction<EQuadPath::Blend>, nullptr}, {nullptr, nullptr}},
                                      {{&T::ShadeTileOfFunction<EQuadPath::Add>, nullptr}, {nullptr, nullptr}}},
                                     {}};
    return loops;
}

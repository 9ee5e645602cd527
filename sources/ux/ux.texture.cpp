#include "ux/ux.texture.h"

#include "core/system/string.h"
#include "engine/localization/localization.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/texture.h"
#include "engine/render/texturemanager.h"
#include "ux/ux.reflection.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace UX
{
namespace
{
constexpr u32 kQuadVertices = 6;
constexpr f32 kDepth = 0.5f;

// One textured quad: corners (x0, y0) - (x1, y1), texture coordinates (u0, v0) - (u1, v1).
TCanvasVertex* Quad(TCanvasVertex* v, f32 x0, f32 y0, f32 x1, f32 y1, f32 u0, f32 v0, f32 u1, f32 v1,
                    u32 argb)
{
    const TCanvasVertex a{x0, y0, kDepth, 0.0f, u0, v0, argb};
    const TCanvasVertex b{x1, y0, kDepth, 0.0f, u1, v0, argb};
    const TCanvasVertex c{x1, y1, kDepth, 0.0f, u1, v1, argb};
    const TCanvasVertex d{x0, y1, kDepth, 0.0f, u0, v1, argb};
    v[0] = a;
    v[1] = b;
    v[2] = c;
    v[3] = a;
    v[4] = c;
    v[5] = d;
    return v + kQuadVertices;
}

// The cut positions of a sliced axis: the edge pieces keep a third of the source size (scaled),
// or half the rectangle each when it is shorter than two of them.
void Cuts(f32 from, f32 to, f32 edge, f32 cut[4])
{
    const f32 length = to - from;
    if (length < 2.0f * edge)
        edge = length * 0.5f;
    cut[0] = from;
    cut[1] = from + edge;
    cut[2] = to - edge;
    cut[3] = to;
}

void Thirds(f32 from, f32 to, f32 third[4])
{
    const f32 step = (to - from) / 3.0f;
    third[0] = from;
    third[1] = from + step;
    third[2] = from + 2.0f * step;
    third[3] = to;
}
} // namespace

void DrawImagePart(const TImage& image, f32 x0, f32 y0, f32 x1, f32 y1, f32 u0, f32 v0, f32 u1, f32 v1, u32 argb)
{
    if (!image.pTexture || !g_pCanvasManager)
        return;
    if (TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(kQuadVertices, image.pTexture))
        Quad(v, x0, y0, x1, y1, u0, v0, u1, v1, argb);
}

const TClusterTypeDecl& ImageDecl()
{
    static TClusterTypeDecl s_Decl("UX::TImage", IMAGE_TYPE_ID, sizeof(TImage), &DEFAULT_IMAGE, 0,
                                   {UX_LINK(4, TEXTURE_TYPE_ID, 1, "pTexture", "UX::TImage")});
    return s_Decl;
}

TImage TImage::Make(TTexture* texture, u32 mode)
{
    TImage image = DEFAULT_IMAGE;
    image.Mode = mode;
    image.SetTexture(texture);
    return image;
}

void TImage::SetTexture(TTexture* texture)
{
    pTexture = texture;
    if (!texture)
        return;
    TexWidth = static_cast<u16>(std::clamp(texture->m_nWidth, 0, 0xFFFF));
    TexHeight = static_cast<u16>(std::clamp(texture->m_nHeight, 0, 0xFFFF));
}

f32 TImage::SourceWidth() const
{
    return (U1 - U0) * static_cast<f32>(TexWidth);
}

f32 TImage::SourceHeight() const
{
    return (V1 - V0) * static_cast<f32>(TexHeight);
}

bool TImage::operator==(const TImage& other) const
{
    return std::memcmp(this, &other, sizeof(TImage)) == 0;
}

void TImage::Draw(f32 x, f32 y, f32 width, f32 height, f32 scaleX, f32 scaleY, const TColor& tint) const
{
    if (!pTexture || width == 0.0f || height == 0.0f || !g_pCanvasManager)
        return;
    // Edges on pixel boundaries: every rectangle covers at least one pixel each way.
    const f32 left = x - 0.5f;
    const f32 right = std::max(std::trunc(x + width) - 0.5f, left + 1.0f);
    const f32 top = y - 0.5f;
    const f32 bottom = std::max(std::trunc(y + height) - 0.5f, top + 1.0f);
    const u32 argb = tint.ToARGB();

    switch (Mode)
    {
    case IMAGE_SLICES_HORIZONTAL:
    case IMAGE_SLICES_VERTICAL: {
        const bool horizontal = Mode == IMAGE_SLICES_HORIZONTAL;
        TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(3 * kQuadVertices, pTexture);
        if (!v)
            return;
        f32 cut[4];
        f32 third[4];
        if (horizontal)
        {
            Cuts(left, right, SourceWidth() / 3.0f * scaleX, cut);
            Thirds(U0, U1, third);
            for (u32 i = 0; i < 3; ++i)
                v = Quad(v, cut[i], top, cut[i + 1], bottom, third[i], V0, third[i + 1], V1, argb);
        }
        else
        {
            Cuts(top, bottom, SourceHeight() / 3.0f * scaleY, cut);
            Thirds(V0, V1, third);
            for (u32 i = 0; i < 3; ++i)
                v = Quad(v, left, cut[i], right, cut[i + 1], U0, third[i], U1, third[i + 1], argb);
        }
        return;
    }
    case IMAGE_NINE_SLICES: {
        TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(9 * kQuadVertices, pTexture);
        if (!v)
            return;
        f32 cutX[4];
        f32 cutY[4];
        f32 thirdU[4];
        f32 thirdV[4];
        Cuts(left, right, SourceWidth() / 3.0f * scaleX, cutX);
        Cuts(top, bottom, SourceHeight() / 3.0f * scaleY, cutY);
        Thirds(U0, U1, thirdU);
        Thirds(V0, V1, thirdV);
        for (u32 row = 0; row < 3; ++row)
            for (u32 column = 0; column < 3; ++column)
                v = Quad(v, cutX[column], cutY[row], cutX[column + 1], cutY[row + 1], thirdU[column],
                         thirdV[row], thirdU[column + 1], thirdV[row + 1], argb);
        return;
    }
    case IMAGE_TILE: {
        const f32 tileWidth = static_cast<f32>(TexWidth) * scaleX;
        const f32 tileHeight = static_cast<f32>(TexHeight) * scaleY;
        if (tileWidth <= 0.0f || tileHeight <= 0.0f)
            return;
        TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(kQuadVertices, pTexture);
        if (v)
            Quad(v, left, top, right, bottom, 0.0f, 0.0f, width / tileWidth, height / tileHeight, argb);
        return;
    }
    default: {
        TCanvasVertex* v = g_pCanvasManager->AllocTexturedTriangles(kQuadVertices, pTexture);
        if (v)
            Quad(v, left, top, right, bottom, U0, V0, U1, V1, argb);
        return;
    }
    }
}

void TImage::ResolveLanguage()
{
    if (!(ImageFlags & IMAGE_LANGUAGE_VARIANTS) || !pTexture || !g_pTextureManager)
        return;
    const TName language = TLocalizationManager::Instance().GetCurrentLanguageName();
    if (!language.IsValid())
        return;
    const char* name = pTexture->GetNameText();
    const char* dot = std::strrchr(name, '.');
    if (!dot)
        return;
    char variant[256];
    FormatString256(variant, "%.*s%s", static_cast<i32>(dot + 1 - name), name, language.GetText());
    if (TTexture* texture = g_pTextureManager->FindTexture(TName(variant)))
        SetTexture(texture);
}
} // namespace UX

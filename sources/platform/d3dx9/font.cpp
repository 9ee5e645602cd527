#include "platform/d3dx9/font.h"

#include "platform/d3dx9/fontfacecache.h"
#include "platform/d3dx9/textdecode.h"
#include "platform/d3dx9/textlayout.h"

#include <algorithm>
#include <new>

namespace
{
// PreloadGlyphs refuses ranges beyond one plane of characters.
constexpr UINT kMaxPreloadGlyphs = 0x10000;
} // namespace

TD3DXFont::TD3DXFont(IDirect3DDevice9* device, std::shared_ptr<TFontFace> face, ID3DXSprite* sprite)
    : TD3DXUnknown(IID_ID3DXFont), device_(device), face_(face), sprite_(sprite), glyphs_(device, face)
{
    device_->AddRef();
}

TD3DXFont::~TD3DXFont()
{
    sprite_->Release();
    device_->Release();
}

HRESULT TD3DXFont::GetDevice(IDirect3DDevice9** device)
{
    if (!device)
        return D3DERR_INVALIDCALL;
    *device = device_;
    device_->AddRef();
    return D3D_OK;
}

HRESULT TD3DXFont::PreloadGlyphs(UINT first, UINT last)
{
    if (last < first || last - first >= kMaxPreloadGlyphs)
        return D3DERR_INVALIDCALL;
    for (UINT character = first; character <= last; ++character)
        if (!glyphs_.Glyph(char32_t(character)))
            return E_OUTOFMEMORY;
    return D3D_OK;
}

INT TD3DXFont::DrawTextA(ID3DXSprite* sprite, LPCSTR text, INT count, RECT* rect, DWORD format,
                         D3DCOLOR color)
{
    return text ? Draw(sprite, DecodeAnsiText(text, count), rect, format, color) : 0;
}

INT TD3DXFont::DrawTextW(ID3DXSprite* sprite, LPCWSTR text, INT count, RECT* rect, DWORD format,
                         D3DCOLOR color)
{
    return text ? Draw(sprite, DecodeWideText(text, count), rect, format, color) : 0;
}

INT TD3DXFont::Draw(ID3DXSprite* sprite, const std::u32string& text, RECT* rect, DWORD format, D3DCOLOR color)
{
    if (!rect)
        return 0;
    const TTextLayout layout = LayoutText(*face_, text, *rect, format);
    if (format & DT_CALCRECT)
    {
        rect->right = rect->left + layout.width;
        rect->bottom = rect->top + layout.height;
        return layout.height;
    }
    const bool ownSprite = sprite == nullptr;
    if (ownSprite)
    {
        sprite = sprite_;
        if (FAILED(sprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE)))
            return 0;
    }
    const bool clip = !(format & DT_NOCLIP);
    for (const TTextLine& line : layout.lines)
    {
        int pen = line.x;
        const int baseline = line.y + face_->Ascent();
        for (std::size_t i = line.first; i < line.first + line.count; ++i)
        {
            const TCachedGlyph* glyph = glyphs_.Glyph(text[i]);
            if (!glyph)
                break;
            if (glyph->texture)
            {
                RECT source = glyph->source;
                LONG x = pen + glyph->left;
                LONG y = baseline - glyph->top;
                if (clip)
                {
                    // Crop the glyph to the rectangle, texel for pixel.
                    const LONG cutLeft = std::max<LONG>(0, rect->left - x);
                    const LONG cutTop = std::max<LONG>(0, rect->top - y);
                    const LONG cutRight = std::max<LONG>(0, x + (source.right - source.left) - rect->right);
                    const LONG cutBottom = std::max<LONG>(0, y + (source.bottom - source.top) - rect->bottom);
                    source = {source.left + cutLeft, source.top + cutTop, source.right - cutRight,
                              source.bottom - cutBottom};
                    x += cutLeft;
                    y += cutTop;
                }
                if (source.right > source.left && source.bottom > source.top)
                {
                    const D3DXVECTOR3 position = {float(x), float(y), 0.0f};
                    sprite->Draw(glyph->texture, &source, nullptr, &position, color);
                }
            }
            pen += glyph->advance;
        }
    }
    if (ownSprite)
        sprite->End();
    return layout.height;
}

HRESULT D3DXCreateFontA(IDirect3DDevice9* device, INT height, UINT width, UINT weight, UINT mipLevels,
                        BOOL italic, DWORD charSet, DWORD outputPrecision, DWORD quality,
                        DWORD pitchAndFamily, LPCSTR faceName, ID3DXFont** font)
{
    if (!device || !font)
        return D3DERR_INVALIDCALL;
    *font = nullptr;
    std::shared_ptr<TFontFace> face = TFontFaceCache::Find(faceName, height, INT(weight));
    if (!face)
        return D3DXERR_INVALIDDATA;
    ID3DXSprite* sprite = nullptr;
    const HRESULT result = D3DXCreateSprite(device, &sprite);
    if (FAILED(result))
        return result;
    *font = new (std::nothrow) TD3DXFont(device, std::move(face), sprite);
    if (!*font)
    {
        sprite->Release();
        return E_OUTOFMEMORY;
    }
    return D3D_OK;
}

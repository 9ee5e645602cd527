#pragma once
// A D3DX font: text laid out with the shared FreeType face of its face name and height (the
// face GDI measures with) and drawn as glyph rectangles through a sprite, the caller's or its
// own.
#include "platform/d3dx9/glyphcache.h"
#include "platform/d3dx9/unknown.h"

#include <memory>
#include <string>

class TD3DXFont : public TD3DXUnknown<ID3DXFont>
{
public:
    TD3DXFont(IDirect3DDevice9* device, std::shared_ptr<TFontFace> face, ID3DXSprite* sprite);
    ~TD3DXFont() override;

    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT PreloadGlyphs(UINT first, UINT last) override;
    INT DrawTextA(ID3DXSprite* sprite, LPCSTR text, INT count, RECT* rect, DWORD format,
                  D3DCOLOR color) override;
    INT DrawTextW(ID3DXSprite* sprite, LPCWSTR text, INT count, RECT* rect, DWORD format,
                  D3DCOLOR color) override;
    HRESULT OnLostDevice() override { return sprite_->OnLostDevice(); }
    HRESULT OnResetDevice() override { return sprite_->OnResetDevice(); }

private:
    INT Draw(ID3DXSprite* sprite, const std::u32string& text, RECT* rect, DWORD format, D3DCOLOR color);

    IDirect3DDevice9* device_;
    std::shared_ptr<TFontFace> face_;
    ID3DXSprite* sprite_; // for calls that bring none
    TGlyphCache glyphs_;
};

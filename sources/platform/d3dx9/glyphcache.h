#pragma once
// The glyphs of one face in textures of the device: white texels with the glyph's coverage as
// alpha, packed in rows (shelves) of 256 x 256 textures (larger for glyphs that need it).
// Textures are in the managed pool, so they outlive a device reset.
#include "platform/d3d9/d3d9.h"
#include "platform/d3dx9/fontface.h"

#include <memory>
#include <unordered_map>
#include <vector>

struct TCachedGlyph
{
    IDirect3DTexture9* texture; // null for a glyph with no pixels (a space)
    RECT source;
    int left, top, advance;
};

class TGlyphCache
{
public:
    TGlyphCache(IDirect3DDevice9* device, std::shared_ptr<TFontFace> face);
    ~TGlyphCache();
    TGlyphCache(const TGlyphCache&) = delete;
    TGlyphCache& operator=(const TGlyphCache&) = delete;

    // The glyph, rendered into a texture on first use; null when the device refuses a texture.
    const TCachedGlyph* Glyph(char32_t character);

private:
    bool Place(const TGlyphBitmap& bitmap, TCachedGlyph& glyph);

    IDirect3DDevice9* device_;
    std::shared_ptr<TFontFace> face_;
    std::unordered_map<char32_t, TCachedGlyph> glyphs_;
    std::vector<IDirect3DTexture9*> textures_;
    // The shelf being filled in the last texture.
    int textureSize_ = 0;
    int shelfX_ = 0, shelfY_ = 0, shelfHeight_ = 0;
};

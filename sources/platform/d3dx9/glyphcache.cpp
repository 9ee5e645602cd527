#include "platform/d3dx9/glyphcache.h"

#include <cstdint>
#include <cstring>

namespace
{
constexpr int kTextureSize = 256;
constexpr int kPadding = 1; // empty texels between glyphs, so filtering never bleeds

int TextureSizeFor(int width, int height)
{
    int size = kTextureSize;
    while (size < width + kPadding || size < height + kPadding)
        size *= 2;
    return size;
}
} // namespace

TGlyphCache::TGlyphCache(IDirect3DDevice9* device, std::shared_ptr<TFontFace> face)
    : device_(device), face_(std::move(face))
{
}

TGlyphCache::~TGlyphCache()
{
    for (IDirect3DTexture9* texture : textures_)
        texture->Release();
}

const TCachedGlyph* TGlyphCache::Glyph(char32_t character)
{
    auto known = glyphs_.find(character);
    if (known != glyphs_.end())
        return &known->second;
    TGlyphBitmap bitmap;
    face_->Render(character, bitmap);
    TCachedGlyph glyph = {nullptr, {0, 0, 0, 0}, bitmap.left, bitmap.top, bitmap.advance};
    if (bitmap.width > 0 && bitmap.height > 0 && !Place(bitmap, glyph))
        return nullptr;
    return &glyphs_.emplace(character, glyph).first->second;
}

bool TGlyphCache::Place(const TGlyphBitmap& bitmap, TCachedGlyph& glyph)
{
    const int width = bitmap.width + kPadding;
    const int height = bitmap.height + kPadding;
    if (!textures_.empty() && shelfX_ + width > textureSize_)
    {
        shelfX_ = 0;
        shelfY_ += shelfHeight_;
        shelfHeight_ = 0;
    }
    if (textures_.empty() || shelfY_ + height > textureSize_ || width > textureSize_)
    {
        const int size = TextureSizeFor(bitmap.width, bitmap.height);
        IDirect3DTexture9* texture = nullptr;
        // A 9Ex device has no managed pool: there the page is a dynamic default-pool texture,
        // which such a device keeps across resets.
        if (FAILED(device_->CreateTexture(UINT(size), UINT(size), 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          &texture, nullptr)) &&
            FAILED(device_->CreateTexture(UINT(size), UINT(size), 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                          D3DPOOL_DEFAULT, &texture, nullptr)))
            return false;
        textures_.push_back(texture);
        textureSize_ = size;
        shelfX_ = shelfY_ = shelfHeight_ = 0;
    }
    IDirect3DTexture9* texture = textures_.back();
    glyph.texture = texture;
    glyph.source = {shelfX_, shelfY_, shelfX_ + bitmap.width, shelfY_ + bitmap.height};
    D3DLOCKED_RECT locked;
    if (FAILED(texture->LockRect(0, &locked, &glyph.source, 0)))
        return false;
    for (int y = 0; y < bitmap.height; ++y)
    {
        auto* row =
            reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch);
        const std::uint8_t* coverage = bitmap.coverage.data() + std::size_t(y) * bitmap.width;
        for (int x = 0; x < bitmap.width; ++x)
            row[x] = (std::uint32_t(coverage[x]) << 24) | 0x00FFFFFFu;
    }
    texture->UnlockRect(0);
    shelfX_ += width;
    if (height > shelfHeight_)
        shelfHeight_ = height;
    return true;
}

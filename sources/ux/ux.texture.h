#pragma once
// UX::TImage (stored type 229, 36 bytes): a texture with a texture-coordinate rectangle and a
// drawing mode that stretches it, cuts it into three or nine slices whose edges keep their
// size, or tiles it. Every picture of the UX library is one.
#include "core/math/color.h"
#include "core/system/types.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

namespace UX
{
constexpr u16 IMAGE_TYPE_ID = 229;

// ImageFlags.
constexpr u32 IMAGE_LANGUAGE_VARIANTS = 0x2;

// Mode.
enum EImageMode : u32
{
    IMAGE_STRETCH,
    IMAGE_SLICES_HORIZONTAL,
    IMAGE_SLICES_VERTICAL,
    IMAGE_NINE_SLICES,
    IMAGE_TILE,
    IMAGE_MODE_COUNT
};

struct TImage
{
    // A texture's whole surface, stretched.
    static TImage Make(TTexture* texture, u32 mode = IMAGE_STRETCH);

    // The texture and, with one, its size in pixels.
    void SetTexture(TTexture* texture);
    // Draws into the rectangle (x, y, width, height in pixels), tinted; slices and tiles are
    // scaled by the scale pair. Nothing without a texture or with a zero width or height.
    void Draw(f32 x, f32 y, f32 width, f32 height, f32 scaleX, f32 scaleY, const TColor& tint) const;
    // With language variants: the texture named after this one up to its last "." and the
    // current language, when there is one.
    void ResolveLanguage();
    // The texture-coordinate rectangle times the texture's size.
    f32 SourceWidth() const;
    f32 SourceHeight() const;
    bool operator==(const TImage& other) const;

    u32 ImageFlags;
    TTexture* pTexture;
    u32 ImageKind;
    u32 Mode;
    f32 U0;
    f32 V0;
    f32 U1;
    f32 V1;
    u16 TexWidth;
    u16 TexHeight;
};

// One quad of the image's texture over (x0, y0) - (x1, y1) in pixels with the texture
// coordinates (u0, v0) - (u1, v1), tinted; nothing without a texture.
void DrawImagePart(const TImage& image, f32 x0, f32 y0, f32 x1, f32 y1, f32 u0, f32 v0, f32 u1, f32 v1, u32 argb);

// The default image: no texture, kind 2, stretched over the whole texture.
constexpr TImage DEFAULT_IMAGE = {0, nullptr, 2, IMAGE_STRETCH, 0.0f, 0.0f, 1.0f, 1.0f, 0, 0};

// The descriptor of image records (type 229).
const TClusterTypeDecl& ImageDecl();

static_assert(sizeof(TImage) == 36);
static_assert(offsetof(TImage, pTexture) == 4);
static_assert(offsetof(TImage, Mode) == 12);
static_assert(offsetof(TImage, U0) == 16);
static_assert(offsetof(TImage, TexWidth) == 32);
static_assert(offsetof(TImage, TexHeight) == 34);
} // namespace UX

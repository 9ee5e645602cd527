#pragma once
// The intro's data: "intro.data", one TUIIntro record (fades 0.5 s, crossfade, design width
// 1920) with three generated images drawn with the engine's GDI, and the image file
// "intro.distributer.data", an uncompressed 32-bit bottom-up TGA. The same bytes on every run.
#include "core/system/types.h"

#include <vector>

// Depended on by nothing: the intro's repository is loaded alone and closed by the next load.
constexpr u32 INTRO_REPOSITORY_ID = 100;
constexpr f32 INTRO_FADE_SECONDS = 0.5f;
constexpr f32 INTRO_IMAGE_SECONDS = 2.5f;
constexpr u32 INTRO_DESIGN_WIDTH = 1920;

// An image of 0xAARRGGBB pixels, top row first.
struct TIntroPicture
{
    i32 nWidth = 0;
    i32 nHeight = 0;
    std::vector<u32> aPixel;
};

// The three images of the record, and the distributer's.
std::vector<TIntroPicture> IntroPictures();
TIntroPicture DistributerPicture();

// A TGA file of the picture: 3 or 4 bytes a pixel, rows stored top-down (descriptor bit 0x20) or
// bottom-up, an ID field of idLength bytes.
std::vector<u8> EncodeTga(const TIntroPicture& picture, i32 bytesPerPixel, bool topDown, u8 idLength = 0);

// false when the file cannot be written. The cluster is cleared before and after.
bool WriteIntroRepository(const char* path);
bool WriteIntroImageFile(const char* path);

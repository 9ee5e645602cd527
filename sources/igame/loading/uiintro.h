#pragma once
// TUIIntro (stored type 108, 168 bytes): the intro played while the game's data load: its images
// with their display times, the fade times, the crossfade flag and the width at which the
// images show unscaled.
#include "core/system/types.h"

#include <cstddef>

class TClusterTypeDecl;
class TTexture;

constexpr u16 UI_INTRO_TYPE_ID = 108;
constexpr u32 UI_INTRO_IMAGE_CAPACITY = 16;

struct TUIIntro
{
    // The reflection system's words.
    u32 aHeader[3];
    // Non-zero: the next image fades in under the fading-out one.
    u32 nCrossfade;
    // The screen width, in image pixels, at which images are shown unscaled.
    u32 nDesignWidth;
    u32 aReserved20[2];
    // Seconds.
    f32 fFadeIn;
    f32 fFadeOut;
    // Seconds each image shows, fades included.
    f32 aDisplayTime[UI_INTRO_IMAGE_CAPACITY];
    u32 nImageCount;
    // 32-bit images.
    TTexture* aTexture[UI_INTRO_IMAGE_CAPACITY];
};

static_assert(sizeof(TUIIntro) == 168);
static_assert(offsetof(TUIIntro, nCrossfade) == 12);
static_assert(offsetof(TUIIntro, nDesignWidth) == 16);
static_assert(offsetof(TUIIntro, fFadeIn) == 28);
static_assert(offsetof(TUIIntro, fFadeOut) == 32);
static_assert(offsetof(TUIIntro, aDisplayTime) == 36);
static_assert(offsetof(TUIIntro, nImageCount) == 100);
static_assert(offsetof(TUIIntro, aTexture) == 104);

const TClusterTypeDecl& UIIntroDecl();

#pragma once
// TTextureAnimation (stored type 37): a texture that shows one of several textures by time. Its
// target texture has no Direct3D object of its own: it takes the current frame's.
#include "engine/system/resource.h"

#include <cstddef>

class TTexture;
class TTextureAnimation;

constexpr u16 TEXTURE_ANIMATION_TYPE_ID = 37;

// Told when an animation reaches its end (and, looping, when it wraps).
class TTextureAnimationMethods
{
public:
    virtual ~TTextureAnimationMethods() = default;
    virtual void OnTextureAnimationEnd(TTextureAnimation* animation) = 0;
};

class TTextureAnimation : public TResource
{
public:
    TTextureAnimation();

    virtual void Update(f32 seconds) = 0;
    TTexture* GetTargetTexture() const { return m_pTexture; }
    virtual TTexture* GetFrameTexture(i32 frame) = 0;
    // Back to the first frame, not playing.
    void Stop();

    TTexture** m_ppFrame;
    u8 m_nPlaying;
    u8 m_nLoop;
    f32 m_fSpeed; // frames per second
    f32 m_fPosition; // in frames
    TTextureAnimationMethods* m_pListener;
    TTexture* m_pTexture;
    i32 m_nFrameCount;
    i32 m_nFrame;
};

static_assert(sizeof(TTextureAnimation) == 100);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TTextureAnimation, m_pTexture) == 88);
#pragma GCC diagnostic pop

#pragma once
// TDxTextureAnimation: plays its frames by time; its target texture takes the Direct3D texture
// of the current frame.
#include "engine/render/textureanimation.h"

class TDxTextureAnimation : public TTextureAnimation
{
public:
    void Update(f32 seconds) override;
    TTexture* GetFrameTexture(i32 frame) override;
    // The frames (not owned): textures of the same manager.
    void SetFrames(TTexture** frames, i32 count);
};

static_assert(sizeof(TDxTextureAnimation) == sizeof(TTextureAnimation));

#pragma once
// TDxTextureAnimation: plays its frames by time; its target texture takes the Direct3D texture
// of the current frame. Its frames are the table code gives it, or else (as stored) the textures
// it uses, in the order of its use links.
#include "engine/render/textureanimation.h"

class TDxTextureAnimation : public TTextureAnimation
{
public:
    void Update(f32 seconds) override;
    TTexture* GetFrameTexture(i32 frame) override;
    // The frames (not owned): textures of the same manager.
    void SetFrames(TTexture** frames, i32 count);
    // A loaded animation: the run-time words of its image forgotten and its frame count cut to
    // the leading use links `isTexture` accepts (with a log line). Answers the count kept.
    template <class F> i32 AdoptLoaded(F isTexture);

private:
    void CutFrames(i32 textures);
};

static_assert(sizeof(TDxTextureAnimation) == sizeof(TTextureAnimation));

template <class F> i32 TDxTextureAnimation::AdoptLoaded(F isTexture)
{
    m_ppFrame = nullptr;
    m_pListener = nullptr;
    m_nFrame = -1;
    i32 textures = 0;
    while (textures < aUses.GetCount() && isTexture(aUses[textures].pResource))
        ++textures;
    CutFrames(textures);
    return m_nFrameCount;
}

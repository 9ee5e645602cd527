// The decals' masked pixel model, drawn over the "mesh" vertex model (the decal stream's
// vertices are world positions): slot 0's texture times slot 3's mask times the vertex colour.
// Decals without a mask draw with the "particle" model (texture, or white, times the colour).
#include "platform/d3dx9/forwardlit.h"

namespace
{
constexpr int kMaskStage = 3;
// Texture(i) takes the model's own list index, not the stage: the mask is the second entry.
constexpr int kMaskTexture = 1;

struct TDecalMaskPixel
{
    static constexpr TModelInputs kInputs = {.varyings = Varyings(ForwardLit::kColourVarying),
                                             .textures = {{0, ForwardLit::kTextureVarying},
                                                          {kMaskStage, ForwardLit::kTextureVarying}}};
    template <class Quad> static auto Shade(const Quad& in)
    {
        return in.Texture(0) * in.Texture(kMaskTexture) * in.Varying(ForwardLit::kColourVarying);
    }
};

const TPixelModelRegistration kDecalMask("decalmask", PixelModelType<TDecalMaskPixel>());
} // namespace

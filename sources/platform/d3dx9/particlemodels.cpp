// The particles' pixel models, drawn over the "mesh" vertex model (c0-c3 view x projection: the
// particle stream's corners are world positions). Each shades slot 0's texture times the vertex
// colour, the texture weighed by c0.x (0 takes white, for programs without a texture):
//   particle          that colour, which the effect blends (alpha, added, subtracted)
//   particlemultiply  that colour faded to white by its alpha, for a multiplying blend
//   particleshadow    the window depth, with the colour's alpha for the alpha test
#include "platform/d3dx9/forwardlit.h"

namespace
{
constexpr int kTextureWeight = 0;
constexpr TModelInputs kSurfaceInputs = {.varyings = Varyings(ForwardLit::kColourVarying),
                                         .constants = kTextureWeight + 1,
                                         .textures = {{0, ForwardLit::kTextureVarying}}};

template <class Quad> [[gnu::always_inline]] inline auto ParticleSurface(const Quad& in)
{
    return ForwardLit::Surface(in, in.ConstantValue(kTextureWeight, 0));
}

struct TParticlePixel
{
    static constexpr TModelInputs kInputs = kSurfaceInputs;
    template <class Quad> static auto Shade(const Quad& in) { return ParticleSurface(in); }
};

struct TParticleMultiplyPixel
{
    static constexpr TModelInputs kInputs = kSurfaceInputs;
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const TLaneVector<L> s = ParticleSurface(in);
        const L one(1.0f);
        return TLaneVector<L>{one + (s.x - one) * s.w, one + (s.y - one) * s.w, one + (s.z - one) * s.w, s.w};
    }
};

struct TParticleShadowPixel
{
    static constexpr TModelInputs kInputs = {.varyings = kSurfaceInputs.varyings,
                                             .constants = kSurfaceInputs.constants,
                                             .textures = {{0, ForwardLit::kTextureVarying}},
                                             .depth = true};
    template <class Quad> static auto Shade(const Quad& in)
    {
        typedef typename Quad::Lanes L;
        const L depth = in.Depth();
        return TLaneVector<L>{depth, depth, depth, ParticleSurface(in).w};
    }
};

const TPixelModelRegistration kParticle("particle", PixelModelType<TParticlePixel>());
const TPixelModelRegistration kParticleMultiply("particlemultiply", PixelModelType<TParticleMultiplyPixel>());
const TPixelModelRegistration kParticleShadow("particleshadow", PixelModelType<TParticleShadowPixel>());
} // namespace

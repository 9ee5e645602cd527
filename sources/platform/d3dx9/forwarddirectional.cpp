// The forward renderer's directional pass: the surface times (ambient + light colour x intensity
// x facing), plus, for meshes whose material asks for it, the reflection of the environment.
//
// Pixel constants (besides the light block, forwardlit.h): c20 the environment value and c21 the
// blend factor in every component (TReflection), c22.x the texture weight (1 textured, 0 the
// vertex colour alone), c23-c32 the mesh's material vectors (TObjectMeshSettings), of which
// vector 6's x is the reflection amount. Reflections sample stage 4 (the local zone's texture,
// weighed by the factor) and stage 5 (the global one, by the rest) at varying 4.
#include "platform/d3dx9/forwardlit.h"

using namespace ForwardLit;

namespace
{
constexpr int kEnvironmentFactor = 21;
constexpr int kTextureWeight = 22;
constexpr int kReflectionAmount = 23 + 6;
constexpr int kLocalStage = 4;
constexpr int kGlobalStage = 5;

void ForwardDirectionalPixel(const TPixelInput& input, TPixelOutput& output)
{
    const float(*f)[4] = input.constants->f;
    const TQuadVector surface = Surface(input, f[kTextureWeight][0]);
    const TQuadVector toLight = {f[kLightDirection][0], f[kLightDirection][1], f[kLightDirection][2], 0.0f};
    const TQuad lit = Facing(input.varying[kNormalVarying], toLight) * f[kLightDirection][3];
    const float* colour = f[kLightColour];
    const float* ambient = f[kLightAmbient];
    TQuadVector result = {surface.x * (TQuad(ambient[0]) + lit * colour[0]),
                          surface.y * (TQuad(ambient[1]) + lit * colour[1]),
                          surface.z * (TQuad(ambient[2]) + lit * colour[2]), surface.w};
    const float amount = f[kReflectionAmount][0];
    if (amount > 0.0f)
    {
        const TQuadVector& at = input.varying[kReflectionVarying];
        const float factor = f[kEnvironmentFactor][0];
        const TQuadVector local = input.samplers->Sample(kLocalStage, at.x, at.y);
        const TQuadVector global = input.samplers->Sample(kGlobalStage, at.x, at.y);
        const TQuad a(amount * factor), b(amount * (1.0f - factor));
        result.x = result.x + local.x * a + global.x * b;
        result.y = result.y + local.y * a + global.y * b;
        result.z = result.z + local.z * a + global.z * b;
    }
    output.colour[0] = result;
}

const TPixelModelRegistration kForwardDirectional("forwarddirectional", ForwardDirectionalPixel);
} // namespace

// TReflection: the reflection textures of the environment that holds the drawn object, in the
// shader's slots 4 and 5, and the parameter's two vectors: the environment manager's value and
// the blend factor in every component.
#include "engine/render/environmentmanager.h"
#include "engine/render/shader.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/texture.h"

const TName g_NameReflectionDefine("DReflection", true);

namespace
{
constexpr u32 REFLECTION_SLOT_A = 4;
constexpr u32 REFLECTION_SLOT_B = 5;
// Where an object without node is taken to be.
constexpr TVector REFLECTION_DEFAULT_POINT(0.0f, 0.0f, 0.0f, 1.0f);

void Bind(TShader* shader, u32 slot, TTexture* texture)
{
    if (!texture || !shader)
        return;
    texture->Require();
    shader->SetTexture(slot, texture);
}
} // namespace

class TReflection : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject* object, TShader* shader, TShaderParameter* parameter, TMaterial*,
               const TMeshDescription*) override
    {
        const TVector at = object && object->pNode ? object->GetMatrix()->Translation() : REFLECTION_DEFAULT_POINT;
        const TEnvironmentChoice choice = g_pEnvironmentManager->ChooseEnvironment(at);
        Bind(shader, REFLECTION_SLOT_A, choice.pA);
        Bind(shader, REFLECTION_SLOT_B, choice.pB);
        const TVector values[2] = {g_pEnvironmentManager->GetValue(),
                                   TVector(choice.fFactor, choice.fFactor, choice.fFactor, choice.fFactor)};
        parameter->SetVectorArray(2, values);
    }
};

VESTAMOR_PLUGIN(TReflection, TShaderParameterPlugin);

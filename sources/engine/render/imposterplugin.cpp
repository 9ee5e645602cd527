// TImposterDataParameters: the imposter shader's table of per-type values (three vectors for
// each of the first 40 imposter data), the sun (the light manager's first directional light:
// its colour and the direction it shines, with w 1 while shadows are on), and the manager's
// settings.
#include "engine/render/imposterdata.h"
#include "engine/render/impostermanager.h"
#include "engine/render/light.h"
#include "engine/render/lightmanager.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "engine/render/shadowmanager.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr u32 IMPOSTER_TYPE_CAPACITY = 40;
constexpr u32 IMPOSTER_PARAMETER_VECTORS = 123;
constexpr u32 SUN_COLOUR_VECTOR = 120;
constexpr u32 SUN_DIRECTION_VECTOR = 121;
constexpr u32 SETTINGS_VECTOR = 122;
constexpr f32 IMPOSTER_TYPE_CONSTANT = 0.125f;
// The sun of a scene without a directional light: white, from above and slightly behind.
constexpr TVector SUN_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);
constexpr TVector SUN_DIRECTION(0.0f, -0.8f, 0.6f, 0.0f);

TLight* FirstDirectionalLight()
{
    DArray<TLight*>& lights = g_pLightManager->Lights();
    for (i32 i = 0; i < lights.GetCount(); ++i)
        if (lights[i]->m_nType == LIGHT_DIRECTIONAL)
            return lights[i];
    return nullptr;
}
} // namespace

class TImposterDataParameters : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject*, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        TVector v[IMPOSTER_PARAMETER_VECTORS] = {};
        DArray<TImposterData*>& data = g_pImposterManager->ImposterData();
        const u32 count = std::min<u32>(static_cast<u32>(data.GetCount()), IMPOSTER_TYPE_CAPACITY);
        const f32 pass = static_cast<f32>(g_pImposterManager->GetPass());
        for (u32 i = 0; i < count; ++i)
        {
            const TImposterData& d = *data[i];
            v[3 * i] = TVector(d.m_Vector.x, d.m_Vector.y, IMPOSTER_TYPE_CONSTANT, d.m_Vector.w);
            v[3 * i + 1] = TVector(d.m_aFloat[0], d.m_aFloat[1], d.m_aFloat[2], pass);
            v[3 * i + 2] = TVector(d.m_aFloat[3], d.m_aFloat[4], d.m_aFloat[5], static_cast<f32>(d.m_nShaderValue));
        }
        if (TLight* sun = FirstDirectionalLight())
        {
            const f32* colour = sun->m_aColor;
            v[SUN_COLOUR_VECTOR] = TVector(colour[0], colour[1], colour[2], colour[3]);
            const TVector& axis = sun->GetMatrix()->aRow[2];
            v[SUN_DIRECTION_VECTOR] = TVector(axis.x, axis.y, axis.z, 0.0f);
        }
        else
        {
            v[SUN_COLOUR_VECTOR] = SUN_COLOUR;
            v[SUN_DIRECTION_VECTOR] = SUN_DIRECTION;
        }
        v[SUN_DIRECTION_VECTOR].w = g_pShadowManager && g_pShadowManager->IsEnabled() ? 1.0f : 0.0f;
        // The last four words of the settings block.
        std::memcpy(&v[SETTINGS_VECTOR], &g_pImposterManager->GetSettings().fFadeStart, sizeof(TVector));
        parameter->SetVectorArray(IMPOSTER_PARAMETER_VECTORS, v);
    }
};

VESTAMOR_PLUGIN(TImposterDataParameters, TShaderParameterPlugin);

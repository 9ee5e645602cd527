// TVegetationHeightMap: the 8 x 8 grid of ground heights under the object being drawn (16
// vectors), measured once per position through the height cache.
#include "engine/render/renderobject.h"
#include "engine/render/shaderparameter.h"
#include "engine/render/shaderparameterplugin.h"
#include "igame/effects/vegetation/vegetationheightcache.h"

class TVegetationHeightMap : public TShaderParameterPlugin
{
public:
    void Apply(TNodeObject* object, TShader*, TShaderParameter* parameter, TMaterial*, const TMeshDescription*) override
    {
        static const f32 s_aFlat[VEGETATION_HEIGHT_VALUES] = {};
        // The objects drawn are render objects.
        const f32* heights = object ? TVegetationHeightCache::Get().Heights(static_cast<TRenderObject*>(object)) : s_aFlat;
        parameter->SetVectorArray(VEGETATION_HEIGHT_VALUES / 4, reinterpret_cast<const TVector*>(heights));
    }
};

VESTAMOR_PLUGIN(TVegetationHeightMap, TShaderParameterPlugin);

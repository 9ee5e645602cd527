// TVegetationHeightMap: the 8 x 8 grid of ground heights under the object being drawn (16
// vectors), measured once per position through the height cache.
#include "engine/render/mesh.h"
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
        const f32* heights = s_aFlat;
        // The objects drawn are render objects. A mesh is measured where it is being drawn (an
        // area's meshes at the area, a plant's at the plant), not at its own node.
        if (auto* drawn = static_cast<TRenderObject*>(object))
            heights = TVegetationHeightCache::Get().Heights(
                drawn == g_pCurrentWorldMesh ? g_CurrentMeshWorld : *drawn->GetMatrix(), drawn->GetBoundBox());
        parameter->SetVectorArray(VEGETATION_HEIGHT_VALUES / 4, reinterpret_cast<const TVector*>(heights));
    }
};

VESTAMOR_PLUGIN(TVegetationHeightMap, TShaderParameterPlugin);

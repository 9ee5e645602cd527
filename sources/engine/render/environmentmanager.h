#pragma once
// TEnvironmentManager ("Environment"): the environment nodes of the loaded scene. For every
// drawn object the shader-parameter plug-in TReflection chooses the environment whose zone holds
// the object (ChooseEnvironment) and hands the shader up to two reflection textures (slots 4
// and 5) and the factor that blends them: the local zone's texture weighs by the factor, the
// global one by the rest.
#include "core/cluster/clustermethods.h"
#include "core/math/vector.h"
#include "core/system/templates/darray.h"
#include "engine/render/environment.h"
#include "engine/system/manager.h"

// The define of queues whose objects reflect their environment: their programs sample the
// reflection textures. Registered with its text, which the define text programs are found by
// carries.
extern const TName g_NameReflectionDefine;

// Distances beyond this choose no local zone.
constexpr f32 ENVIRONMENT_BEST_START = 10000.0f;

struct TEnvironmentChoice
{
    TTexture* pA;
    TTexture* pB;
    f32 fFactor;
};

class TEnvironmentManager : public TManager, public TClusterMethods
{
public:
    TEnvironmentManager();

    DArray<TEnvironment*>& Environments() { return m_aEnvironment; }
    // Passed to the shaders unchanged.
    const TVector& GetValue() const { return m_Value; }

    // The zones 1.. in order: the nearest one whose fade range reaches p (ties: the later one);
    // inside its inner radius its texture alone; else its texture and the global one, factor =
    // distance beyond the radius / fade range. No zone: the global texture, factor 1 (0 when
    // it has no texture).
    TEnvironmentChoice ChooseEnvironment(const TVector& p) const;

    // Listens to the cluster.
    void BeginManager() override;
    // TClusterMethods: each loaded environment without texture or with a negative radius or
    // fade range is logged.
    void OnClusterLoad() override;

private:
    DArray<TEnvironment*> m_aEnvironment;
    TVector m_Value;
};

extern TEnvironmentManager* g_pEnvironmentManager;

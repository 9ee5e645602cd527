#pragma once
// TTestManager ("Test"): an empty manager a start-up script may put into any phase list; every
// operation is its bases' default.
#include "core/cluster/clustermethods.h"
#include "engine/input/inputfocus.h"
#include "engine/render/devicemethods.h"
#include "engine/render/renderscenemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"

class TTestManager : public TManager,
                     public TDeviceMethods,
                     public TInputFocus,
                     public TClusterMethods,
                     public TResourceMethods,
                     public TRenderSceneMethods
{
public:
    void RenderManager() override {}
    void UpdateManager(f32) override {}
    bool WantsInput() override { return false; }
    void UpdateFocus(f32) override {}
};

extern TTestManager* g_pTestManager;

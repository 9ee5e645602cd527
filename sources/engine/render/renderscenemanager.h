#pragma once
// TRenderSceneManager ("RenderScene"): owns the render queues and scenes repositories load and
// the listeners that hear of flagged queues.
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "engine/render/renderscenemethods.h"
#include "engine/system/manager.h"

class TRenderContext;
struct TRenderQueue;
struct TRenderScene;

constexpr u32 RENDER_SCENE_LISTENER_CAPACITY = 32;

class TRenderSceneManager : public TManager
{
public:
    TRenderSceneManager();

    // A full list refuses the listener with an error line: 0 added, 1 refused.
    u32 AddListener(TRenderSceneMethods* listener);
    void RemoveListener(TRenderSceneMethods* listener);
    u32 GetListenerCount() const { return m_aListener.GetCount(); }
    TRenderSceneMethods* GetListener(u32 index) const { return m_aListener[index]; }

    // Every scene in array order: light set on, then each enabled queue feather-blended.
    void RenderAllScenes(TRenderContext* context);

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TRenderQueue*>& Queues() { return m_aQueue; }
    DArray<TRenderScene*>& Scenes() { return m_aScene; }

    void FinalizeManager() override;

private:
    DArray<TRenderQueue*> m_aQueue;
    DArray<TRenderScene*> m_aScene;
    SArray<TRenderSceneMethods*, RENDER_SCENE_LISTENER_CAPACITY, 0> m_aListener;
};

extern TRenderSceneManager* g_pRenderSceneManager;

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

    // The scene being drawn; the render manager makes the first scene current after a load.
    TRenderScene* GetCurrentScene() const { return m_pCurrentScene; }
    void SetCurrentScene(TRenderScene* scene) { m_pCurrentScene = scene; }

    // The arrays the cluster fills; programs may add objects of their own.
    DArray<TRenderQueue*>& Queues() { return m_aQueue; }
    DArray<TRenderScene*>& Scenes() { return m_aScene; }

    void FinalizeManager() override;
    // A new scene array (loaded or cleared) drops the current scene.
    i32 SetArray(u32 typeId, void* data, i32 count) override;

private:
    DArray<TRenderQueue*> m_aQueue;
    DArray<TRenderScene*> m_aScene;
    TRenderScene* m_pCurrentScene = nullptr;
    SArray<TRenderSceneMethods*, RENDER_SCENE_LISTENER_CAPACITY, 0> m_aListener;
};

extern TRenderSceneManager* g_pRenderSceneManager;

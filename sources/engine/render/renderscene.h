#pragma once
// TRenderScene (stored type 59, 108 bytes): the queues drawn together, in drawing order, with
// the light set switched on before them.
#include "core/system/name.h"
#include "core/system/types.h"

class TRenderContext;
struct TLightSet;
struct TRenderQueue;

constexpr u32 RENDER_SCENE_QUEUE_CAPACITY = 24;

struct TRenderScene
{
    // The queue with that name, or null.
    TRenderQueue* FindQueue(const TName& name) const;
    // Light set on, then every enabled queue with the light-volume test.
    void Draw(TRenderContext* context, void* argument);
    // Light set on, then every enabled queue through RenderFeatherBlend.
    void DrawBlended(TRenderContext* context);
    // Queues beyond the table are not drawn.
    u32 GetQueueCount() const;

    TName m_Name;
    i32 m_nQueueCount;
    TRenderQueue* aRenderQueue[RENDER_SCENE_QUEUE_CAPACITY];
    TLightSet* pLightSet;
};

static_assert(sizeof(TRenderScene) == 108);
static_assert(offsetof(TRenderScene, m_Name) == 0);
static_assert(offsetof(TRenderScene, m_nQueueCount) == 4);
static_assert(offsetof(TRenderScene, aRenderQueue) == 8);
static_assert(offsetof(TRenderScene, pLightSet) == 104);

#pragma once
// TRenderQueue (stored type 58, 20 bytes): a named list of render objects drawn together, in
// list order or nearest first, with an optional shader define and listener calls around it.
#include "core/math/matrix.h"
#include "core/system/name.h"
#include "core/system/types.h"
#include "engine/system/linkedlist.h"

class TRenderContext;
class TRenderObject;

// Flag bits.
constexpr u32 RENDER_QUEUE_ENABLED = 1; // drawn when its scene is drawn
constexpr u32 RENDER_QUEUE_DEFINE = 2;  // its define is "1" while drawn
constexpr u32 RENDER_QUEUE_SORTED = 4;  // nearest first
constexpr u32 RENDER_QUEUE_NOTIFY = 8;  // render-scene listeners hear before and after

// Entries of the sort table: members beyond it are not drawn in that pass.
constexpr u32 RENDER_QUEUE_SORT_CAPACITY = 2048;

// Non-zero when the object is to be drawn; camera is the current view-projection.
using TRenderObjectTest = u32 (*)(TRenderObject* object, const TMatrix* camera, void* argument);

// The standard test: the object's box against the current camera's frustum.
u32 RenderObjectInFrustum(TRenderObject* object, const TMatrix* camera, void* argument);

// Draws the instanced mesh batches the members queued; set by the platform's mesh manager.
extern void (*g_pFlushMeshInstances)();

struct TRenderQueue
{
    void Render(TRenderContext* context, TRenderObjectTest test, void* argument);
    // The renderers' queue draw: Render with the frustum test, and for "Feather blend" a
    // second pass with "DFeatherBlend" and "DAlphaBlend" set.
    void RenderFeatherBlend(TRenderContext* context);

    TName m_Name;
    TName m_Define;
    u32 m_nFlags;
    TLinkedList<TRenderObject> lObject;
};

static_assert(sizeof(TRenderQueue) == 20);
static_assert(offsetof(TRenderQueue, m_Name) == 0);
static_assert(offsetof(TRenderQueue, m_Define) == 4);
static_assert(offsetof(TRenderQueue, m_nFlags) == 8);
static_assert(offsetof(TRenderQueue, lObject) == 12);

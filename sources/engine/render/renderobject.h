#pragma once
// TRenderObject: a node object that render queues draw (meshes, imposters). Queues link their
// members through pPrev and pNext; the queue does not own them, and membership follows the
// node's enable state.
#include "core/math/boundbox.h"
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"

class TRenderContext;
struct TRenderQueue;

class TRenderObject : public TNodeObject
{
public:
    TRenderObject() : pRenderQueue(nullptr), pPrev(nullptr), pNext(nullptr), m_nReserved(0)
    {
        m_nClassName = g_NameTRenderObject.GetId();
    }
    ~TRenderObject() override;

    // Enabled: joins the queue's tail when it has a queue and is not linked; disabled: leaves.
    void OnEnable(u32 enabled) override;
    // Draws for a queue pass.
    virtual void Draw(TRenderContext* context) {}
    // Draws outside a queue pass.
    virtual void Render() {}
    // The box in object space the visibility tests use.
    virtual const TBoundBox* GetBoundBox();
    virtual u32 IsTransparent() { return 0; }
    // Whether it is drawn into shadow maps.
    virtual u32 CastsShadow() { return 0; }

    // A neighbour, or the queue's first member.
    u32 IsLinked() const;
    // Unlinks from the queue's list; pRenderQueue stays.
    void RemoveFromQueue();
    // Leaves the old queue and joins the new one (may be null) when the node is enabled and
    // visible, or when there is no node.
    void SetQueue(TRenderQueue* queue);
    // Leaves the old queue and joins the tail of the new one whatever the node's state.
    void JoinQueue(TRenderQueue* queue);

    TRenderQueue* pRenderQueue;
    TRenderObject* pPrev;
    TRenderObject* pNext;
    u32 m_nReserved;

private:
    void AppendToQueue();
};

static_assert(sizeof(TRenderObject) == 28);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TRenderObject, pRenderQueue) == 12);
static_assert(offsetof(TRenderObject, pNext) == 20);
#pragma GCC diagnostic pop

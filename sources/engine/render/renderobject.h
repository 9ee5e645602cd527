#pragma once
// TRenderObject: a node object that render queues draw (meshes, imposters). Queues link their
// members through pPrev and pNext; the queue does not own them.
#include "engine/system/nodekindnames.h"
#include "engine/system/nodeobject.h"

class TRenderQueue;

class TRenderObject : public TNodeObject
{
public:
    TRenderObject() : pRenderQueue(nullptr), pPrev(nullptr), pNext(nullptr), m_nReserved(0)
    {
        m_nClassName = g_NameTRenderObject.GetId();
    }

    TRenderQueue* pRenderQueue;
    TRenderObject* pPrev;
    TRenderObject* pNext;
    u32 m_nReserved;
};

static_assert(sizeof(TRenderObject) == 28);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TRenderObject, pRenderQueue) == 12);
static_assert(offsetof(TRenderObject, pNext) == 20);
#pragma GCC diagnostic pop

#include "engine/render/renderobject.h"

#include "engine/render/renderqueue.h"
#include "engine/system/node.h"

TRenderObject::~TRenderObject()
{
    RemoveFromQueue();
}

void TRenderObject::OnEnable(u32 enabled)
{
    if (!enabled)
        RemoveFromQueue();
    else if (pRenderQueue && !IsLinked())
        AppendToQueue();
}

const TBoundBox* TRenderObject::GetBoundBox()
{
    static const TBoundBox s_Empty{};
    return &s_Empty;
}

u32 TRenderObject::IsLinked() const
{
    return pPrev || pNext || (pRenderQueue && pRenderQueue->lObject.pFirst == this) ? 1 : 0;
}

void TRenderObject::RemoveFromQueue()
{
    if (!pRenderQueue || !IsLinked())
        return;
    TLinkedList<TRenderObject>& list = pRenderQueue->lObject;
    if (list.pFirst == this)
        list.pFirst = pNext;
    if (list.pLast == this)
        list.pLast = pPrev;
    if (pPrev)
        pPrev->pNext = pNext;
    if (pNext)
        pNext->pPrev = pPrev;
    pPrev = nullptr;
    pNext = nullptr;
}

void TRenderObject::SetQueue(TRenderQueue* queue)
{
    RemoveFromQueue();
    pRenderQueue = queue;
    if (queue && (!pNode || (pNode->m_nFlags & 3) == 3))
        AppendToQueue();
}

void TRenderObject::JoinQueue(TRenderQueue* queue)
{
    RemoveFromQueue();
    pRenderQueue = queue;
    if (queue)
        AppendToQueue();
}

void TRenderObject::AppendToQueue()
{
    TLinkedList<TRenderObject>& list = pRenderQueue->lObject;
    pPrev = list.pLast;
    pNext = nullptr;
    if (list.pLast)
        list.pLast->pNext = this;
    else
        list.pFirst = this;
    list.pLast = this;
}

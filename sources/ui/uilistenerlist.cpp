#include "ui/uilistenerlist.h"

void TUIListenerList::Add(TUIListener listener)
{
    TNode* node = new TNode{std::move(listener), nullptr};
    if (m_pLast)
        m_pLast->pNext = node;
    else
        m_pFirst = node;
    m_pLast = node;
}

i32 TUIListenerList::Fire(TUIItem* sender, const void* args) const
{
    i32 result = 0;
    bool first = true;
    // A listener may append to the list it is fired from: the new node is reached too.
    for (const TNode* node = m_pFirst; node; node = node->pNext)
    {
        const i32 answer = node->Listener(sender, args);
        if (first)
            result = answer;
        first = false;
    }
    return result;
}

void TUIListenerList::Clear()
{
    while (m_pFirst)
    {
        TNode* next = m_pFirst->pNext;
        delete m_pFirst;
        m_pFirst = next;
    }
    m_pLast = nullptr;
}

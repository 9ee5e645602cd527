#pragma once
// TUIListenerList: an item's event list, a singly linked list of delegates fired in order with
// the sender (and, for grids, a record of the event). Firing answers the first delegate's
// result, 0 for an empty list; lists are appended to at the end and freed with their item.
#include "core/system/types.h"

#include <functional>

class TUIItem;

typedef std::function<i32(TUIItem* sender, const void* args)> TUIListener;

class TUIListenerList
{
public:
    TUIListenerList() = default;
    TUIListenerList(const TUIListenerList&) = delete;
    TUIListenerList& operator=(const TUIListenerList&) = delete;
    ~TUIListenerList() { Clear(); }

    void Add(TUIListener listener);
    // A member function of an object, bound as a delegate.
    template <class T, class I> void Bind(T* object, i32 (T::*member)(I*))
    {
        Add([object, member](TUIItem* sender, const void*) {
            return (object->*member)(static_cast<I*>(sender));
        });
    }
    i32 Fire(TUIItem* sender, const void* args = nullptr) const;
    bool IsEmpty() const { return m_pFirst == nullptr; }
    void Clear();

private:
    struct TNode
    {
        TUIListener Listener;
        TNode* pNext;
    };

    TNode* m_pFirst = nullptr;
    TNode* m_pLast = nullptr;
};

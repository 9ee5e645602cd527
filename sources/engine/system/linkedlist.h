#pragma once
// The {first, last} pair of the stored intrusive lists (props of a pool, members of a queue).
template <class T> struct TLinkedList
{
    T* pFirst;
    T* pLast;
};

static_assert(sizeof(TLinkedList<int>) == 8);

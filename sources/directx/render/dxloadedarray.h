#pragma once
// Hands the objects of a loaded cluster array over to a manager's MArray. The array keeps a
// copy of the pointer table: the cluster frees the holder's table before it tells the manager.
#include "core/system/templates/darray.h"
#include "core/system/templates/marray.h"
#include "engine/system/nodeobject.h"

#include <type_traits>

template <class T, int STEP>
void TakeLoadedArray(MArray<T, 1, STEP>& array, DArray<T*>& table, const DArray<T*>& loaded, i32 count)
{
    // Objects made here do not go back to their nodes: the cluster may have cleared the node
    // array first (it clears in the order the managers registered, which the link decides).
    if constexpr (std::is_base_of_v<TNodeObject, T>)
        for (i32 i = array.GetForeignCount(); i < array.GetCount(); ++i)
            array[i]->pNode = nullptr;
    array.DeleteAll();
    table.SetCount(count > 0 ? count : 0);
    for (i32 i = 0; i < count; ++i)
        table[i] = loaded[i];
    if (count > 0)
        array.AttachForeign(table.GetData(), count);
}

// Unloads the objects made here before a load replaces them. Loaded ones are the resource
// manager's to unload, while their image is still there.
template <class T, int STEP> void UnloadOwned(MArray<T, 1, STEP>& array)
{
    for (i32 i = array.GetForeignCount(); i < array.GetCount(); ++i)
        array[i]->Unload();
}

// The cluster's view of the array: every object, loaded or made here.
template <class T, int STEP> void ShowArray(MArray<T, 1, STEP>& array, void*& data, i32& count)
{
    data = array.GetItems();
    count = array.GetCount();
}

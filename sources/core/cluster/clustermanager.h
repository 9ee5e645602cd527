#pragma once
// TClusterManager: base of every manager that stores objects or raw data blocks in cluster
// images. The cluster reaches managers through these eight operations, in this slot order.
#include "core/system/name.h"
#include "core/system/templates/darray.h"

class TClusterTypeDecl;

class TClusterManager
{
public:
    virtual ~TClusterManager();
    // The manager's name; null when it has none.
    virtual const TName* GetName();
    // data and count are in-out; 0 or an error code.
    virtual i32 GetArray(u32 typeId, void*& data, i32& count);
    virtual i32 SetArray(u32 typeId, void* data, i32 count);
    // The raw data blocks the manager stores.
    virtual i32 GetDataCount();
    virtual i32 GetDataSize();
    virtual i32 GetData(i32 index, void*& data, i32& size);
    virtual i32 SetData(i32 index, const void* data, i32 size);

    // Registers a pointer array of the descriptor's objects: the cluster fills the holder's
    // pointer table when it hands loaded objects over.
    template <class T> void RegisterArray(const TClusterTypeDecl* decl, DArray<T*>* holder)
    {
        _RegisterArray(decl, reinterpret_cast<DArray<void*>*>(holder));
    }
    // Registers this manager under a manager id (the id of its data blocks in images): 1 when
    // a living manager holds the id already, else 0.
    i32 RegisterId(i32 id);
    // The manager registered under id, or null.
    static TClusterManager* FindId(i32 id);

private:
    void _RegisterArray(const TClusterTypeDecl* decl, DArray<void*>* holder);
};

#pragma once
// TClusterManager: base of every manager that stores objects or raw data blocks in cluster
// images. The cluster reaches managers through these eight operations, in this slot order.
#include "core/system/name.h"

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

    // Registers this manager with the cluster under a manager id.
    void RegisterId(i32 id);
    // The manager registered under id, or null.
    static TClusterManager* FindId(i32 id);
};

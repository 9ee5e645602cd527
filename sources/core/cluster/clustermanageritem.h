#pragma once
// TClusterManagerItem: one registered cluster array. Kind 0 is a pointer array: the owner keeps
// a holder (a DArray of element pointers) that the cluster fills, the objects lying one after
// the other in a block (for repositories, inside the loaded image). Kind 1 is a managed array:
// a TClusterDynManager owns one contiguous block.
#include "core/system/templates/darray.h"

class TClusterTypeDecl;
class TClusterManager;

constexpr u32 CLUSTER_ARRAY_POINTERS = 0;
constexpr u32 CLUSTER_ARRAY_MANAGED = 1;

struct TClusterManagerItem
{
    u32 nKind;
    const TClusterTypeDecl* pDecl;
    TClusterManager* pManager;
    // Kind 0: the owner's pointer table.
    DArray<void*>* pHolder;

    // Kind 0: the pointer table and its count (null and 0 when empty), which the manager may
    // replace; kind 1: the block and its object count. An error of a managed array is fatal.
    void GetArray(void*& data, i32& count) const;
    // Kind 0: the pointer table points at data + i x object size; kind 1: the block becomes a
    // copy of the count objects at data.
    void SetArray(void* data, i32 count) const;
};

static_assert(sizeof(TClusterManagerItem) == 16);

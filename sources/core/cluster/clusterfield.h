#pragma once
// TClusterMemberDecl: one 80-byte record of a reflection descriptor, naming a member of a stored
// class that refers to another stored object. TClusterField builds one.
#include "core/system/types.h"

// Member kinds.
constexpr u32 CLUSTER_MEMBER_REFERENCE = 1;     // pointer to an object of the member's type
constexpr u32 CLUSTER_MEMBER_RUN = 3;           // pointer to the first record of a run; as kind 1
constexpr u32 CLUSTER_MEMBER_VIRTUAL_TABLE = 4; // virtual-table word of an embedded object

constexpr u32 CLUSTER_NAME_SIZE = 64;

struct TClusterMemberDecl
{
    u32 nKind;
    u32 nOffset;
    // The referenced class; 0 = any registered class.
    u32 nTypeId;
    // Consecutive 32-bit elements (N for an array of N references).
    u32 nCount;
    char szName[CLUSTER_NAME_SIZE];
};

static_assert(sizeof(TClusterMemberDecl) == 80);
static_assert(offsetof(TClusterMemberDecl, szName) == 16);

class TClusterField : public TClusterMemberDecl
{
public:
    // The name is "owner::member" when an owner is given; the whole must fit in 63 characters.
    TClusterField(u32 kind, u32 offset, u32 typeId, u32 count, const char* memberName,
                  const char* ownerName = nullptr);
};

static_assert(sizeof(TClusterField) == 80);

#pragma once
// TClusterTypeDecl: the static descriptor of one class whose objects are stored in cluster
// images: its name, type id, object size, prototype (source of the virtual-table words) and one
// record per member that refers to another stored object. Each descriptor appends itself to the
// global cluster's type registry when it is built; TCluster::LinkTypes binds it to its slot.
#include "core/cluster/clusterfield.h"
#include "core/system/templates/darray.h"

#include <initializer_list>

// Type ids index a table of this many slots.
constexpr u32 CLUSTER_TYPE_COUNT = 1024;
// The type id of a descriptor bound to no slot.
constexpr u16 CLUSTER_TYPE_UNBOUND = 65535;

class TClusterTypeDecl
{
public:
    // A class without reference members: stored byte for byte.
    TClusterTypeDecl(const char* name, u16 typeId, u32 objectSize, const void* prototype,
                     u16 virtualTableWords);
    TClusterTypeDecl(const char* name, u16 typeId, u32 objectSize, const void* prototype,
                     u16 virtualTableWords, std::initializer_list<TClusterField> members);
    TClusterTypeDecl(const TClusterTypeDecl&) = delete;
    TClusterTypeDecl& operator=(const TClusterTypeDecl&) = delete;

    const char* GetName() const { return m_szName; }
    u16 GetTypeId() const { return m_nTypeId; }
    u32 GetObjectSize() const { return m_nObjectSize; }
    const void* GetPrototype() const { return m_pPrototype; }
    u16 GetVirtualTableWords() const { return m_nVirtualTableWords; }
    u32 GetMemberCount() const { return static_cast<u32>(m_aMember.GetCount()); }
    const TClusterMemberDecl& GetMember(u32 i) const { return m_aMember[static_cast<i32>(i)]; }

private:
    char m_szName[CLUSTER_NAME_SIZE];
    u16 m_nTypeId;
    u32 m_nObjectSize;
    const void* m_pPrototype;
    u16 m_nVirtualTableWords;
    DArray<TClusterMemberDecl> m_aMember;
};

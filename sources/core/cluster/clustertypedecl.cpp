#include "core/cluster/clustertypedecl.h"

#include "core/cluster/cluster.h"
#include "core/system/string.h"

#include <cstring>

TClusterTypeDecl::TClusterTypeDecl(const char* name, u16 typeId, u32 objectSize, const void* prototype,
                                   u16 virtualTableWords)
    : TClusterTypeDecl(name, typeId, objectSize, prototype, virtualTableWords, {})
{
}

TClusterTypeDecl::TClusterTypeDecl(const char* name, u16 typeId, u32 objectSize, const void* prototype,
                                   u16 virtualTableWords, std::initializer_list<TClusterField> members)
    : m_nTypeId(typeId), m_nObjectSize(objectSize), m_pPrototype(prototype),
      m_nVirtualTableWords(virtualTableWords)
{
    if (std::strlen(name) >= CLUSTER_NAME_SIZE)
        __Abort("TClusterTypeDecl::TClusterTypeDecl", "core/cluster/clustertypedecl.cpp", __LINE__,
                "'%s': type name too long", name);
    FormatStringN(m_szName, CLUSTER_NAME_SIZE, "%s", name);
    if (g_pCluster)
        g_pCluster->RegisterType(this);
    m_aMember.SetCapacity(static_cast<i32>(members.size()));
    for (const TClusterField& member : members)
        m_aMember.Add(member);
}

#include "core/cluster/clustermanageritem.h"

#include "core/cluster/clustermanager.h"
#include "core/cluster/clustertypedecl.h"

namespace
{
[[noreturn]] void UndeclaredArray(const char* function, i32 line, const TClusterTypeDecl* decl)
{
    __Abort(function, "core/cluster/clustermanageritem.cpp", line, "'%s': undeclared array", decl->GetName());
}
} // namespace

void TClusterManagerItem::GetArray(void*& data, i32& count) const
{
    const u32 typeId = pDecl->GetTypeId();
    if (nKind == CLUSTER_ARRAY_POINTERS)
    {
        data = pHolder->GetCount() ? pHolder->GetData() : nullptr;
        count = pHolder->GetCount();
        pManager->GetArray(typeId, data, count);
        return;
    }
    data = nullptr;
    count = 0;
    if (pManager->GetArray(typeId, data, count))
        UndeclaredArray("TClusterManagerItem::GetArray", __LINE__, pDecl);
}

void TClusterManagerItem::SetArray(void* data, i32 count) const
{
    const u32 typeId = pDecl->GetTypeId();
    if (nKind == CLUSTER_ARRAY_POINTERS)
    {
        if (count > 0)
        {
            const u32 size = pDecl->GetObjectSize();
            pHolder->SetCount(count);
            u8* object = static_cast<u8*>(data);
            for (i32 i = 0; i < count; ++i, object += size)
                (*pHolder)[i] = object;
        }
        else
            pHolder->Free();
        pManager->SetArray(typeId, data, count);
        return;
    }
    if (pManager->SetArray(typeId, data, count))
        UndeclaredArray("TClusterManagerItem::SetArray", __LINE__, pDecl);
}

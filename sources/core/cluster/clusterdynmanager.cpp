#include "core/cluster/clusterdynmanager.h"

#include "core/cluster/clustertypedecl.h"

#include <cstring>

i32 TClusterDynManager::GetArray(u32, void*& data, i32& count)
{
    if (m_aData.GetCount() == 0)
    {
        data = nullptr;
        count = 0;
        return 0;
    }
    data = m_aData.GetData();
    count = m_aData.GetCount() / static_cast<i32>(m_pDecl->GetObjectSize());
    return 0;
}

i32 TClusterDynManager::SetArray(u32, void* data, i32 count)
{
    u8* block = Resize(count);
    if (block)
        std::memcpy(block, data, static_cast<u32>(count) * m_pDecl->GetObjectSize());
    return 0;
}

u8* TClusterDynManager::Resize(i32 count)
{
    const i32 size = count * static_cast<i32>(m_pDecl->GetObjectSize());
    // The storage stays for the next load (fresh pages cost more than the copy); Free releases it.
    if (size <= 0)
    {
        m_aData.SetCount(0);
        return nullptr;
    }
    if (size > m_aData.GetCapacity())
    {
        m_aData.Free();
        m_aData.SetCapacity(size);
    }
    m_aData.SetCount(size);
    return m_aData.GetData();
}
